#include "labels/labelcodes.h"
#include "labels/lookupqueries.h"
#include "labels/recordsets.h"

#include "platform/packet.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

QStringList FieldNames(const TClientDataSet& set)
{
    QStringList names;
    for (const TField* field : set.Fields())
        names << field->FieldName();
    return names;
}

QStringList VisibleFieldNames(const TClientDataSet& set)
{
    QStringList names;
    for (const TField* field : set.Fields())
        if (field->Visible)
            names << field->FieldName();
    return names;
}

QStringList Walk(TClientDataSet& set, const char* field)
{
    QStringList values;
    for (set.First(); !set.Eof(); set.Next())
        values << set.FieldByName(field)->AsString();
    return values;
}

void Create(TClientDataSet& set, const std::function<void(TClientDataSet&)>& define)
{
    define(set);
    set.CreateDataSet();
}

// Appends one label row per (item, sequence, status, barcode) with the given weight.
void AppendLabel(TClientDataSet& set, const QString& item, const QString& sequence, const QString& status,
                 const QString& barcode, double weight = 1.0, double quantity = 1.0)
{
    set.Append();
    set.FieldByName("NRSEQITPROD")->SetAsString(item);
    set.FieldByName("NRSEQETIQ")->SetAsString(sequence);
    set.FieldByName("IDSTATUSETIQ")->SetAsString(status);
    set.FieldByName("CDCODBARRAETIQ")->SetAsString(barcode);
    set.FieldByName("VRPESOETIQ")->SetAsFloat(weight);
    set.FieldByName("QTETIQPROD")->SetAsFloat(quantity);
    set.Post();
}

TEST(LabelRecordSetsTest, QueryLabelsListActiveBeforeInactiveAndReservedEachByBarcode)
{
    TClientDataSet labels;
    Create(labels, DefineEtiquetaConsulta);
    AppendLabel(labels, "0001", "00001", "R", "B01");
    AppendLabel(labels, "0001", "00002", "A", "B09");
    AppendLabel(labels, "0001", "00003", "I", "B02");
    AppendLabel(labels, "0001", "00004", "A", "B03");

    EXPECT_EQ(labels.IndexName(), "cdsInsEtiquetaIndex1");
    EXPECT_EQ(Walk(labels, "CDCODBARRAETIQ"), QStringList({"B03", "B09", "B02", "B01"}));
}

TEST(LabelRecordSetsTest, QueryLabelAggregatesFollowTheItemFilter)
{
    TClientDataSet labels;
    Create(labels, DefineEtiquetaConsulta);
    AppendLabel(labels, "0001", "00004", "I", "B1", 1.5, 2);
    AppendLabel(labels, "0001", "00002", "A", "B2", 2.25, 1);
    AppendLabel(labels, "0002", "00009", "A", "B3", 10, 1);

    labels.SetFilter(ItemFilterText("0001"));
    labels.SetFiltered(true);

    EXPECT_EQ(labels.FieldByName("NRSEQETIQMAX")->Value().toString(), "00004");
    EXPECT_DOUBLE_EQ(labels.FieldByName("QTACUMULADA")->Value().toDouble(), 1.5 * 2 + 2.25);
}

TEST(LabelRecordSetsTest, SequenceMaximumIsNullWithoutLabels)
{
    TClientDataSet labels;
    Create(labels, DefineEtiquetaConsulta);
    EXPECT_FALSE(labels.FieldByName("NRSEQETIQMAX")->Value().isValid());
}

TEST(LabelRecordSetsTest, LabelSetsShareTheLabelFieldsButOnlyTheQuerySetHasTheOrderColumn)
{
    const QStringList shared = {"IDCHECK", "CDFILIAL", "NRLANCTONF", "NRSEQITPROD", "NRSEQETIQ", "CDPRODUTO",
                                "QTETIQPROD", "VRPESOETIQ", "QTTOTALPRODETIQ", "IDSTATUSETIQ", "CDCODBARRAETIQ"};
    TClientDataSet query, aux, ins, split;
    DefineEtiquetaConsulta(query);
    DefineAuxEtiqueta(aux);
    DefineInsEtiqueta(ins);
    DefineEtiquetaDesmembra(split);

    EXPECT_EQ(FieldNames(query), shared + QStringList{"NRPEDEXOL"});
    EXPECT_EQ(FieldNames(aux), shared);
    EXPECT_EQ(FieldNames(ins), shared);
    EXPECT_EQ(FieldNames(split), shared.mid(1));
    EXPECT_EQ(VisibleFieldNames(split), QStringList({"QTETIQPROD", "VRPESOETIQ"}));
}

TEST(LabelRecordSetsTest, WeightsShowWithEachSetsOwnDecimals)
{
    TClientDataSet query, aux, ins;
    for (auto [set, define] : {std::pair{&query, &DefineEtiquetaConsulta}, std::pair{&aux, &DefineAuxEtiqueta},
                               std::pair{&ins, &DefineInsEtiqueta}}) {
        Create(*set, define);
        AppendLabel(*set, "0001", "00001", "A", "B1", 2.5);
    }
    EXPECT_EQ(query.FieldByName("VRPESOETIQ")->DisplayText(), "2,500");
    EXPECT_EQ(aux.FieldByName("VRPESOETIQ")->DisplayText(), "2,500");
    EXPECT_EQ(ins.FieldByName("VRPESOETIQ")->DisplayText(), "2,5000");
    query.Edit();
    query.FieldByName("VRPESOETIQ")->SetAsFloat(1.0 / 8);
    query.Post();
    EXPECT_EQ(query.FieldByName("VRPESOETIQ")->DisplayText(), "0,125");
}

TEST(LabelRecordSetsTest, ChangeBuffersKeepInsertedRowsInItemWeightQuantityOrder)
{
    TClientDataSet ins;
    Create(ins, DefineInsEtiqueta);
    AppendLabel(ins, "0001", "", "A", "P5", 5.0, 1);
    AppendLabel(ins, "0001", "", "A", "P25b", 2.5, 2);
    AppendLabel(ins, "0001", "", "A", "P25a", 2.5, 1);
    EXPECT_EQ(Walk(ins, "CDCODBARRAETIQ"), QStringList({"P25a", "P25b", "P5"}));
    EXPECT_EQ(ins.ChangeCount(), 3);
}

TEST(LabelRecordSetsTest, SplitTotalIsNullWhenEmptyAndRightAligned)
{
    TClientDataSet split;
    Create(split, DefineEtiquetaDesmembra);
    TField* total = split.FieldByName("QTACUMULADA");
    EXPECT_TRUE(total->Value().isNull() || !total->Value().isValid());
    EXPECT_EQ(total->Alignment, TAlignment::Right);

    AppendLabel(split, "0001", "", "A", "", 5.0, 1);
    AppendLabel(split, "0001", "", "A", "", 2.5, 2);
    EXPECT_DOUBLE_EQ(total->Value().toDouble(), 10.0);
}

TEST(LabelRecordSetsTest, ItemPacketLoadsWithItsUndeclaredOrderColumnOutOfReach)
{
    TClientDataSet items;
    Create(items, DefineProdEtiq);
    TDataPacket packet;
    packet.fields = {{"NRSEQITPROD", TPacketFieldType::String, 4},
                     {"DTVALILOTE", TPacketFieldType::DateTime, 0},
                     {"NRPEDEXOL", TPacketFieldType::String, 20},
                     {"QTITEMPROD", TPacketFieldType::Float, 0}};
    packet.rows = {{QStringLiteral("0001"), QDateTime(QDate(2027, 1, 31), QTime(0, 0)), QStringLiteral("PED-1"), 12.0}};

    items.LoadPacket(packet);

    ASSERT_EQ(items.RecordCount(), 1);
    EXPECT_EQ(items.FindField("NRPEDEXOL"), nullptr);
    EXPECT_EQ(items.FieldByName("NRSEQITPROD")->AsString(), "0001");
    EXPECT_EQ(items.FieldByName("QTITEMPROD")->DisplayText(), "12,000");
    EXPECT_TRUE(items.FieldByName("CDPRODUTO")->IsNull());
}

TEST(LabelRecordSetsTest, InvoicesAreOrderedByBranchNumberAndDate)
{
    TClientDataSet invoices;
    Create(invoices, DefineNotaFiscal);
    const auto add = [&](const char* branch, const char* number, int day) {
        invoices.Append();
        invoices.FieldByName("CDFILIRECE")->SetAsString(branch);
        invoices.FieldByName("NRNOTAFISC")->SetAsString(number);
        invoices.FieldByName("DTEMISSAO")->SetAsDateTime(QDateTime(QDate(2026, 11, day), QTime(0, 0)));
        invoices.FieldByName("VRNOTAFISC")->SetAsFloat(day * 100.0);
        invoices.Post();
    };
    add("0002", "10", 1);
    add("0001", "20", 3);
    add("0001", "20", 2);
    add("0001", "10", 9);
    EXPECT_EQ(Walk(invoices, "VRNOTAFISC"), QStringList({"900", "200", "300", "100"}));
    invoices.First();
    EXPECT_EQ(invoices.FieldByName("VRNOTAFISC")->DisplayText(), "900,00");
}

// Printable-label rows as grouping and loading append them.
void AppendPrintable(TClientDataSet& set, const char* mark, double weight, const char* barcode)
{
    set.Append();
    set.FieldByName("IDCHECK")->SetAsString(mark);
    set.FieldByName("VRPESOETIQ")->SetAsFloat(weight);
    set.FieldByName("CDCODBARRAETIQ")->SetAsString(barcode);
    set.Post();
}

TEST(PrintableLabelsTest, MarkedLabelsComeFirstEachGroupByWeight)
{
    TClientDataSet printable;
    Create(printable, DefineRelEtiquetas);
    AppendPrintable(printable, "U", 1.0, "U1");
    AppendPrintable(printable, "C", 3.0, "C3");
    AppendPrintable(printable, "U", 0.5, "U05");
    AppendPrintable(printable, "C", 2.0, "C2");
    EXPECT_EQ(Walk(printable, "CDCODBARRAETIQ"), QStringList({"C2", "C3", "U05", "U1"}));
    EXPECT_EQ(VisibleFieldNames(printable), QStringList({"VRPESOETIQ", "CDCODBARRAETIQ", "CDARVPROD"}));
}

TEST(PrintableLabelsTest, PrintSetHasTheListsFieldsWithoutItemSequenceAllVisibleOrderedByBarcode)
{
    TClientDataSet list, print;
    DefineRelEtiquetas(list);
    Create(print, DefineRelEtiquetasImpressao);

    QStringList expected = FieldNames(list);
    expected.removeOne("NRSEQITPROD");
    EXPECT_EQ(FieldNames(print), expected);
    EXPECT_EQ(VisibleFieldNames(print), expected);
    for (const TField* field : print.Fields()) {
        EXPECT_TRUE(field->DisplayFormat.isEmpty()) << field->FieldName().toStdString();
        EXPECT_EQ(field->DisplayLabel, list.FieldByName(field->FieldName())->DisplayLabel);
    }
    EXPECT_EQ(print.IndexName(), "cdsRelEtiquetasORDER");
    AppendPrintable(print, "C", 1.0, "B2");
    AppendPrintable(print, "U", 2.0, "B1");
    EXPECT_EQ(Walk(print, "CDCODBARRAETIQ"), QStringList({"B1", "B2"}));
}

TEST(ItemFilterTest, FilterKeepsOnlyTheItemsLabels)
{
    TClientDataSet labels;
    Create(labels, DefineEtiquetaConsulta);
    AppendLabel(labels, "0001", "00001", "A", "B1");
    AppendLabel(labels, "0002", "00001", "A", "B2");
    AppendLabel(labels, "0001", "00002", "A", "B3");

    EXPECT_EQ(ItemFilterText("0001"), " NRSEQITPROD = '0001'");
    labels.SetFilter(ItemFilterText("0001"));
    labels.SetFiltered(true);
    EXPECT_EQ(Walk(labels, "CDCODBARRAETIQ"), QStringList({"B1", "B3"}));
}

TEST(ItemFilterTest, QuoteInTheItemSequenceMatchesOnlyThatSequence)
{
    TClientDataSet labels;
    Create(labels, DefineEtiquetaConsulta);
    AppendLabel(labels, "0'1", "00001", "A", "Q1");
    AppendLabel(labels, "0001", "00001", "A", "N1");
    AppendLabel(labels, "'", "00001", "A", "Q2");

    labels.SetFilter(ItemFilterText("0'1"));
    labels.SetFiltered(true);
    EXPECT_EQ(Walk(labels, "CDCODBARRAETIQ"), QStringList({"Q1"}));

    labels.SetFilter(ItemFilterText("'"));
    EXPECT_EQ(Walk(labels, "CDCODBARRAETIQ"), QStringList({"Q2"}));

    labels.SetFilter(ItemFilterText("x' OR NRSEQITPROD <> 'x"));
    EXPECT_TRUE(labels.IsEmpty());
}

TEST(LookupQueriesTest, SqlLinesAndFieldsAreThoseTheListDialogsRead)
{
    EXPECT_EQ(QryFilialSql().join('\n'), "SELECT CDFILIAL, NMFILIAL\nFROM FILIAL\nORDER BY CDFILIAL");
    EXPECT_EQ(QryFornecedorSql().size(), 6);
    EXPECT_EQ(QryFornecedorSql().join(' '),
              "SELECT IDTPIJURFORN, NRINSJURFORN, NMRAZSOCFORN, CDFORNECED FROM FORNECEDOR ORDER BY CDFORNECED");
    TClientDataSet suppliers;
    DefineQryFornecedor(suppliers);
    EXPECT_EQ(VisibleFieldNames(suppliers), QStringList({"NRINSJURFORN", "NMRAZSOCFORN"}));
    EXPECT_EQ(suppliers.FieldByName("CDFORNECED")->Size(), 21);
}

} // namespace
