#include "consultafixture.h"

#include "framework/session.h"
#include "labels/recordsets.h"
#include "package/pkg_est99000.h"
#include "support/consultascreen.h"

#include <QApplication>
#include <QTabBar>
#include <QTest>

namespace {

const QString kFilial = QStringLiteral("0001");
const QString kNota1 = QStringLiteral("0000000001");
const QString kNota2 = QStringLiteral("0000000002");

QDateTime Day(int year, int month, int day)
{
    return QDateTime(QDate(year, month, day), QTime(0, 0));
}

QVariantMap Item(const QString& nota, const QString& seq, const QString& product, const QString& tree,
                 const QString& name, double quantity)
{
    return {{"IDCHECK", "U"},          {"CDFILIAL", kFilial},   {"NRLANCTONF", nota},
            {"CDPRODUTO", product},    {"CDARVPROD", tree},     {"NMPRODUTO", name},
            {"SGUNIDADE", "KG"},       {"LOTESUBLOTE", "L2611-0" + seq + "/A"},
            {"QTITEMPROD", quantity},  {"NRSEQITPROD", seq},    {"DTVALILOTE", Day(2027, 1, 20)}};
}

QVariantMap Label(const QString& nota, const QString& item, const QString& seq, double weight,
                  const QVariant& status, const QVariant& mark = QStringLiteral("U"),
                  const QVariant& order = QVariant(), const QString& barcode = QString())
{
    return {{"IDCHECK", mark},
            {"CDFILIAL", kFilial},
            {"NRLANCTONF", nota},
            {"NRSEQITPROD", item},
            {"NRSEQETIQ", seq},
            {"CDPRODUTO", "0000010231"},
            {"QTETIQPROD", 1.0},
            {"VRPESOETIQ", weight},
            {"QTTOTALPRODETIQ", 71.092},
            {"IDSTATUSETIQ", status},
            {"CDCODBARRAETIQ", barcode.isEmpty() ? Barcode(nota, item, seq) : barcode},
            {"NRPEDEXOL", order}};
}

} // namespace

TDataPacket MakePacket(void (*define)(TClientDataSet&), const QList<QVariantMap>& rows)
{
    TClientDataSet set;
    define(set);
    set.CreateDataSet();
    for (const QVariantMap& row : rows) {
        set.Append();
        for (auto it = row.begin(); it != row.end(); ++it)
            set.FieldByName(it.key())->SetValue(it.value());
        set.Post();
    }
    return set.Packet();
}

QString Barcode(const QString& nrLanctoNf, const QString& item, const QString& sequence)
{
    return kFilial + nrLanctoNf + item + sequence;
}

TDataPacket DemoInvoices()
{
    auto invoice = [](const QString& nota, const QString& number, const QString& taxNumber, const QString& type,
                      const QString& supplier, const QString& footer) {
        return QVariantMap{{"CDFILIAL", kFilial},          {"NRLANCTONF", nota},       {"CDFILIRECE", kFilial},
                           {"CDINSCESTA", "110042490114"}, {"NRINSJURNF", taxNumber},  {"NMRAZSOCFORN", supplier},
                           {"NRNOTAFISC", number},         {"CDSERIEENTR", "1"},       {"DTEMISSAO", Day(2026, 12, 6)},
                           {"VRNOTAFISC", 4830.75},        {"IDSTATUSNFE", "A"},       {"IDTPIJURNF", type},
                           {"NRACESSONFE", "35261212345678000190550010004582131000000017"},
                           {"DSRODAP", footer}};
    };
    return MakePacket(DefineNotaFiscal,
                      {invoice(kNota1, "458213", "12345678000190", "J", QStringLiteral("Laticínios Serra Azul Ltda"),
                               QStringLiteral("Recebido na doca 2 - conferência cega")),
                       invoice(kNota2, "458300", "12345678909", "F", QStringLiteral("José Carlos de Almeida"),
                               QStringLiteral("Entrega agendada - senha 4471"))});
}

TDataPacket DemoItems()
{
    return MakePacket(DefineProdEtiq,
                      {Item(kNota1, "0001", "0000010231", "01.01.0001", QStringLiteral("Queijo mussarela peça"), 52.722),
                       Item(kNota1, "0002", "0000020113", "02.01.0003", QStringLiteral("Alcatra bovina resfriada"), 18.4),
                       Item(kNota1, "0003", "0000030011", "03.01.0001", QStringLiteral("Filé de peito de frango"), 13),
                       Item(kNota1, "0004", "0000050101", "05.01.0001", QStringLiteral("Linguiça toscana"), 10.05)});
}

TDataPacket DemoLabels()
{
    const QList<double> weights{12.345, 1.5, 13.002, 12.5, 2.25, 11.125};
    QList<QVariantMap> rows;
    for (int i = 0; i < weights.size(); ++i)
        rows << Label(kNota1, "0001", QStringLiteral("%1").arg(i + 1, 5, 10, QLatin1Char('0')), weights[i], "A");
    rows << Label(kNota1, "0002", "00001", 18.4, "R", "U", "PV-000812")
         << Label(kNota1, "0002", "00002", 9.75, "I")
         << Label(kNota1, "0002", "00003", 8.6, "A", "U", "PV-000907")
         << Label(kNota1, "0002", "00004", 7.25, "A", "C", "PV-000999")
         << Label(kNota1, "0002", "00005", 6.5, "X", "U", QVariant(), Barcode(kNota1, "0002", "ABCDE"))
         << Label(kNota1, "0002", "00006", 5.5, "A", QVariant())
         << Label(kNota1, "0004", "00001", 5.2, "A")
         << Label(kNota1, "0004", "00002", 4.85, "A");
    return MakePacket(DefineEtiquetaConsulta, rows);
}

void ConsultaTest::SetUp()
{
    TSession& session = TSession::Instance();
    session.Branch = kFilial;
    session.ServerHost = QStringLiteral("127.0.0.1");
    session.ServerPort = ServerPort();
    session.AccessToken.clear();
    session.ProductCodeMask.clear();
    OpenQueryScreen(tela, ui);
}

void ConsultaTest::TearDown()
{
    if (tela) {
        CloseQueryScreen(tela, ui);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    inEtiqMark = 0;
}

void ConsultaTest::LoadDemo()
{
    server.SetInvoices(DemoInvoices());
    server.SetItems(kFilial, kNota1, DemoItems(), DemoLabels());
    server.SetItems(kFilial, kNota2,
                    MakePacket(DefineProdEtiq, {Item(kNota2, "0001", "0000040002", "04.01.0002",
                                                     QStringLiteral("Salmão fresco inteiro"), 9.9)}),
                    MakePacket(DefineEtiquetaConsulta, {Label(kNota2, "0001", "00001", 9.9, "A")}));
}

void ConsultaTest::SearchAll()
{
    Click(tela->rdbFilialTodos);
    Click(tela->rdbFornTodos);
    Click(tela->dbgPadrao->viewport());
}

void ConsultaTest::ClickTab(TTabSheet* page)
{
    auto* bar = tela->pgcPadrao->findChild<QTabBar*>();
    ASSERT_NE(bar, nullptr);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(page->PageIndex()).center());
}

void ConsultaTest::OpenLabels()
{
    LoadDemo();
    SearchAll();
    ClickTab(tela->tshFormulario);
    ui.Clear();
    server.ClearCalls();
}

void ConsultaTest::Click(QWidget* widget)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(4, widget->height() / 2));
}

void ConsultaTest::DoubleClickLabel(int row)
{
    TDBGrid* grid = tela->dbgEtiquetaGerada;
    const QPoint at = grid->visualRect(grid->model()->index(row, 1)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
}

void ConsultaTest::Key(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(widget, key, modifiers);
}

void ConsultaTest::Scan(const QString& text)
{
    ScanBarcode(text);
}

void ConsultaTest::TypeBarcode(const QString& text)
{
    tela->edtCdBarProd->setFocus();
    tela->edtCdBarProd->clear();
    QTest::keyClicks(tela->edtCdBarProd, text);
    ui.Clear();
}

void ConsultaTest::ClickItem(int row)
{
    TDBGrid* grid = tela->dbgItemProduto;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(row, 1)).center());
}

void ConsultaTest::MarkLabels(const QList<int>& rows)
{
    for (int row : rows)
        DoubleClickLabel(row);
}

QString ConsultaTest::Current(TClientDataSet* set, const char* field) const
{
    return CurrentText(set, field);
}

QStringList ConsultaTest::ListedLabels() const
{
    return ListedBarcodes(tela);
}

QWidget* ConsultaTest::Focused() const
{
    return QApplication::focusWidget();
}
