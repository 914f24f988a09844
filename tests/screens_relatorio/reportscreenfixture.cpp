#include "reportscreenfixture.h"

#include "package/pkg_est99000.h"
#include "platform/clientdataset.h"
#include "platform/datasource.h"
#include "platform/errors.h"
#include "support/labelrows.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEvent>
#include <QTest>

namespace {

const QString kBranch = QStringLiteral("0001");
const QString kEntry = QStringLiteral("0000004711");

// A packet with the set's own columns; a column a row does not name is null.
TDataPacket PacketOf(const TClientDataSet* set, const QList<QVariantMap>& rows)
{
    TDataPacket packet;
    packet.fields = set->Packet().fields;
    for (const QVariantMap& values : rows) {
        QVariantList row;
        for (const TPacketField& field : packet.fields)
            row.append(values.value(field.name));
        packet.rows.append(row);
    }
    return packet;
}

struct DemoItem {
    const char* seq;
    const char* code;
    const char* name;
    const char* lot;
    QList<double> weights;  // one label per weight
};

const QList<DemoItem>& DemoItems()
{
    static const QList<DemoItem> items = {
        {"0001", "1001", "ARROZ TIPO 1", "L01/01", {2.5, 1.0, 3.0}},
        {"0002", "1002", "FEIJAO CARIOCA", "L02/01", {4.0, 0.5}},
        {"0003", "1003", "MILHO", "L03/01", {}},
    };
    return items;
}

const QDateTime kValidity(QDate(2027, 3, 31), QTime(0, 0));

QVariantMap LabelRow(const DemoItem& item, int seq, double weight, const QString& mark)
{
    return {{"IDCHECK", mark},
            {"NMPRODUTO", QString::fromLatin1(item.name)},
            {"LOTESUBLOTE", QString::fromLatin1(item.lot)},
            {"NRSEQITPROD", QString::fromLatin1(item.seq)},
            {"DTVALILOTE", kValidity},
            {"SGUNIDADE", QStringLiteral("KG")},
            {"NRNOTAFISC", QStringLiteral("123456")},
            {"CDSERIEENTR", QStringLiteral("1")},
            {"VRPESOETIQ", weight},
            {"QTETIQPROD", 1.0},
            {"CDCODBARRAETIQ", Barcode(QString::fromLatin1(item.seq), seq)},
            {"CDARVPROD", QString::fromLatin1(item.code)}};
}

int FieldIndex(const TDataPacket& packet, const QString& name)
{
    for (int i = 0; i < packet.fields.size(); ++i) {
        if (packet.fields.at(i).name == name)
            return i;
    }
    return -1;
}

// One column of every row of a set, in insertion order, whatever its filter.
QList<QPair<QString, QString>> Column(const TClientDataSet* set, const QString& key, const QString& value)
{
    const TDataPacket packet = set->Packet();
    const int k = FieldIndex(packet, key);
    const int v = FieldIndex(packet, value);
    QList<QPair<QString, QString>> result;
    for (const QVariantList& row : packet.rows)
        result.append({row.value(k).toString(), row.value(v).toString()});
    return result;
}

// The mark of the row whose key field holds key, whatever the set's filter.
QString MarkWhere(const TClientDataSet* set, const QString& keyField, const QString& key)
{
    for (const auto& [value, mark] : Column(set, keyField, QStringLiteral("IDCHECK"))) {
        if (value == key)
            return mark;
    }
    ADD_FAILURE() << "no row with " << keyField.toStdString() << " = " << key.toStdString();
    return QString();
}

void FlushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

} // namespace

QString Barcode(const QString& item, int seq)
{
    return kBranch + kEntry + item + QStringLiteral("%1").arg(seq, 5, 10, QLatin1Char('0'));
}

QStringList TRecordingReportEngine::ReportNames(const QString&, const QString&)
{
    return {QStringLiteral("Etiquetas")};
}

void TRecordingReportEngine::Preview(const TReportRequest& request)
{
    Record(QStringLiteral("preview"), request);
}

void TRecordingReportEngine::Print(const TReportRequest& request)
{
    Record(QStringLiteral("print"), request);
}

void TRecordingReportEngine::Design(const TReportRequest&, bool) {}

void TRecordingReportEngine::Record(const QString& kind, const TReportRequest& request)
{
    if (Fail)
        throw Exception(QStringLiteral("A impressora não respondeu."));
    Run run{kind, {}};
    for (TDataSource* source : request.dataSources) {
        if (source->objectName() != QLatin1String("dtsRelEtiquetas") || !source->DataSet())
            continue;
        TClientDataSet* set = source->DataSet();
        for (set->First(); !set->Eof(); set->Next())
            run.barcodes << set->FieldByName(QStringLiteral("CDCODBARRAETIQ"))->AsString();
    }
    Runs.append(run);
}

void ReportScreenTest::SetUp()
{
    SetReportEngine(&engine);
    frmConsDesEtiq = CreateForm<TfrmConsDesEtiq>();
    bostcriado = true;

    QList<QVariantMap> items;
    QList<QVariantMap> labels;
    for (const DemoItem& item : DemoItems()) {
        items.append({{"IDCHECK", QStringLiteral("U")},
                      {"CDFILIAL", kBranch},
                      {"NRLANCTONF", kEntry},
                      {"CDPRODUTO", QString::fromLatin1(item.code)},
                      {"CDARVPROD", QString::fromLatin1(item.code)},
                      {"NMPRODUTO", QString::fromLatin1(item.name)},
                      {"SGUNIDADE", QStringLiteral("KG")},
                      {"LOTESUBLOTE", QString::fromLatin1(item.lot)},
                      {"QTITEMPROD", 10.0},
                      {"NRSEQITPROD", QString::fromLatin1(item.seq)},
                      {"DTVALILOTE", kValidity}});
        for (int i = 0; i < item.weights.size(); ++i)
            labels.append(LabelRow(item, i + 1, item.weights.at(i), QStringLiteral("U")));
    }
    Labels()->LoadPacket(PacketOf(Labels(), labels));
    Items()->LoadPacket(PacketOf(Items(), items));
    Items()->First();
}

void ReportScreenTest::TearDown()
{
    if (screen && screen->isVisible())
        CloseScreen();
    delete screen.data();
    FlushDeletes();
    delete frmConsDesEtiq;
    frmConsDesEtiq = nullptr;
    bostcriado = false;
    boIdCriado = false;
    SetReportEngine(nullptr);
}

TfrmRelConsDesEtiq* ReportScreenTest::Open()
{
    screen = CreateForm<TfrmRelConsDesEtiq>();
    screen->show();
    screen->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(screen));
    return screen;
}

void ReportScreenTest::CloseScreen()
{
    screen->Close();
    FlushDeletes();
}

void ReportScreenTest::AddMadeLabel(const QString& item, int seq, double weight)
{
    for (const DemoItem& demo : DemoItems()) {
        if (QLatin1String(demo.seq) != item)
            continue;
        const QVariantMap row = LabelRow(demo, seq, weight, QStringLiteral("C"));
        Labels()->Append();
        for (auto it = row.begin(); it != row.end(); ++it)
            Labels()->FieldByName(it.key())->SetValue(it.value());
        Labels()->Post();
    }
}

void ReportScreenTest::SetItemMark(const QString& item, const QString& mark)
{
    GoToItem(item);
    Items()->Edit();
    Items()->FieldByName(QStringLiteral("IDCHECK"))->SetAsString(mark);
    Items()->Post();
}

void ReportScreenTest::SetLabelMark(const QString& barcode, const QString& mark)
{
    GoToLabel(barcode);
    Labels()->Edit();
    Labels()->FieldByName(QStringLiteral("IDCHECK"))->SetAsString(mark);
    Labels()->Post();
}

void ReportScreenTest::GoToItem(const QString& item)
{
    ASSERT_TRUE(Items()->Locate(QStringLiteral("NRSEQITPROD"), {item})) << item.toStdString();
}

void ReportScreenTest::GoToLabel(const QString& barcode)
{
    // The list shows the current item's labels only: the label's item comes first.
    const QString item = barcode.mid(kBranch.size() + kEntry.size(), 4);
    if (Items()->FieldByName(QStringLiteral("NRSEQITPROD"))->AsString() != item)
        GoToItem(item);
    ASSERT_TRUE(Labels()->Locate(QStringLiteral("CDCODBARRAETIQ"), {barcode})) << barcode.toStdString();
}

QStringList ReportScreenTest::PrintSet() const
{
    return VisibleBarcodes(screen->cdsRelEtiquetas);
}

QStringList ReportScreenTest::LabelRows() const
{
    return VisibleBarcodes(Labels());
}

QString ReportScreenTest::ItemMark(const QString& item) const
{
    return MarkWhere(Items(), QStringLiteral("NRSEQITPROD"), item);
}

QString ReportScreenTest::LabelMark(const QString& barcode) const
{
    return MarkWhere(Labels(), QStringLiteral("CDCODBARRAETIQ"), barcode);
}

QStringList ReportScreenTest::ItemMarks() const
{
    QStringList marks;
    for (const auto& pair : Column(Items(), QStringLiteral("NRSEQITPROD"), QStringLiteral("IDCHECK")))
        marks << pair.second;
    return marks;
}

QStringList ReportScreenTest::MarkedLabels() const
{
    QStringList barcodes;
    for (const auto& [code, mark] : Column(Labels(), QStringLiteral("CDCODBARRAETIQ"), QStringLiteral("IDCHECK"))) {
        if (mark == QLatin1String("C"))
            barcodes << code;
    }
    barcodes.sort();
    return barcodes;
}
