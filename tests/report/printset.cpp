#include "printset.h"

#include "framework/report/reportcatalog.h"
#include "labels/recordsets.h"

#include <QDate>
#include <QDir>

#include <algorithm>

std::unique_ptr<TClientDataSet> MakePrintSet(const QList<TPrintSetRow>& rows)
{
    auto set = std::make_unique<TClientDataSet>();
    DefineRelEtiquetasImpressao(*set);
    set->CreateDataSet();
    for (const TPrintSetRow& row : rows) {
        set->Append();
        set->FieldByName("IDCHECK")->SetAsString("U");
        set->FieldByName("NMPRODUTO")->SetAsString(row.produto);
        set->FieldByName("LOTESUBLOTE")->SetAsString(row.lote);
        set->FieldByName("DTVALILOTE")->SetAsDateTime(QDateTime(QDate(2027, 3, 9), QTime(0, 0)));
        set->FieldByName("SGUNIDADE")->SetAsString("KG");
        set->FieldByName("NRNOTAFISC")->SetAsString("123");
        set->FieldByName("CDSERIEENTR")->SetAsString("1");
        set->FieldByName("VRPESOETIQ")->SetAsFloat(row.peso);
        set->FieldByName("QTETIQPROD")->SetAsFloat(row.quantidade);
        set->FieldByName("CDARVPROD")->SetAsString("1.02.0034");
        set->FieldByName("CDCODBARRAETIQ")->SetAsString(row.barcode);
        set->Post();
    }
    set->First();
    return set;
}

QList<TPrintSetRow> InvoiceLabels(int count, QStringList* sorted)
{
    static const QStringList products = {
        QStringLiteral("PARAFUSO SEXTAVADO AÇO INOX M8 X 40 MM ROSCA TOTAL"),
        QStringLiteral("ARRUELA LISA ZINCADA 5/16"),
        QStringLiteral("CHAPA AÇO CARBONO 1020 LAMINADA A FRIO 2 MM"),
    };
    QList<TPrintSetRow> rows;
    for (int i = 0; i < count; ++i) {
        const int item = i % 3 + 1;
        const int sequence = i / 3 + 1;
        TPrintSetRow row;
        row.produto = products.at(item - 1);
        row.lote = QStringLiteral("L%1/%2").arg(2600 + item).arg(sequence);
        row.barcode = QStringLiteral("0001") + QStringLiteral("0000000123") + QStringLiteral("%1").arg(item, 4, 10, QChar('0'))
                      + QStringLiteral("%1").arg(sequence, 5, 10, QChar('0'));
        row.peso = 10.25 + i * 0.125;
        rows.append(row);
    }
    // Appended in reverse, so that the print set's barcode order is not the order of appending.
    std::reverse(rows.begin(), rows.end());
    if (sorted) {
        sorted->clear();
        for (const TPrintSetRow& row : rows)
            sorted->append(row.barcode);
        sorted->sort();
    }
    return rows;
}

QString SourceReportsDir()
{
    return QDir(qEnvironmentVariable("EST_SOURCE_DIR", QStringLiteral(EST_SOURCE_DIR_FALLBACK))).filePath("reports");
}

TReportDefinition Est990()
{
    return TReportDefinition::Load(QDir(SourceReportsDir()).filePath("EST990.json"), "EST990");
}
