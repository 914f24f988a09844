#pragma once
// A small label record set shared by the record-set tests: barcode, item, status, weight,
// quantity, and an event journal that handlers and data sources write to.

#include "platform/clientdataset.h"
#include "platform/datasource.h"
#include "platform/errors.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <memory>

class LabelSetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        set = std::make_unique<TClientDataSet>();
        set->AddField("CDCODBARRAETIQ", TFieldType::String, 23);
        set->AddField("NRSEQITPROD", TFieldType::String, 4);
        set->AddField("IDSTATUSETIQ", TFieldType::String, 1);
        set->AddField("VRPESOETIQ", TFieldType::Float);
        set->AddField("QTETIQPROD", TFieldType::Float);
        set->CreateDataSet();
    }

    void Add(const QString& barcode, const QString& item, const QString& status, double weight, double qty = 1)
    {
        set->Append();
        set->FieldByName("CDCODBARRAETIQ")->SetAsString(barcode);
        set->FieldByName("NRSEQITPROD")->SetAsString(item);
        set->FieldByName("IDSTATUSETIQ")->SetAsString(status);
        set->FieldByName("VRPESOETIQ")->SetAsFloat(weight);
        set->FieldByName("QTETIQPROD")->SetAsFloat(qty);
        set->Post();
    }

    QString Barcode() const { return set->FieldByName("CDCODBARRAETIQ")->AsString(); }

    // Barcodes of the visible rows, in order; leaves the cursor on the last row.
    QStringList Walk()
    {
        QStringList out;
        set->First();
        while (!set->Eof()) {
            out << Barcode();
            set->Next();
        }
        return out;
    }

    // Records every record-set event into the journal.
    void JournalEvents()
    {
        auto log = [this](const char* name) { return [this, name](TClientDataSet*) { journal << name; }; };
        set->BeforeInsert = log("BeforeInsert");
        set->AfterInsert = log("AfterInsert");
        set->OnNewRecord = log("OnNewRecord");
        set->BeforeEdit = log("BeforeEdit");
        set->AfterEdit = log("AfterEdit");
        set->BeforePost = log("BeforePost");
        set->AfterPost = log("AfterPost");
        set->BeforeCancel = log("BeforeCancel");
        set->AfterCancel = log("AfterCancel");
        set->BeforeDelete = log("BeforeDelete");
        set->AfterDelete = log("AfterDelete");
        set->BeforeScroll = log("BeforeScroll");
        set->AfterScroll = log("AfterScroll");
    }

    std::unique_ptr<TClientDataSet> set;
    QStringList journal;
};
