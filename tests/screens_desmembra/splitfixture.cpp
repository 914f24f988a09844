#include "screens_desmembra/splitfixture.h"

#include "framework/eventguard.h"
#include "framework/session.h"
#include "labels/recordsets.h"
#include "package/pkg_est99000.h"

#include <QApplication>
#include <QTest>

namespace {

QJsonObject DataOf(TClientDataSet& set)
{
    set.MergeChangeLog();
    return set.Data();
}

void SetText(TClientDataSet& set, const char* field, const QString& value)
{
    set.FieldByName(QLatin1String(field))->SetAsString(value);
}

void SetNumber(TClientDataSet& set, const char* field, double value)
{
    set.FieldByName(QLatin1String(field))->SetAsFloat(value);
}

QString Cell(TClientDataSet& set, const char* field)
{
    TField* f = set.FieldByName(QLatin1String(field));
    if (f->DataType() == TFieldType::Float)
        return f->IsNull() ? QString() : QString::number(f->AsFloat());
    return f->AsString();
}

} // namespace

QString Barcode(const QString& item, const QString& sequence)
{
    return kBranch + kEntry + item + (sequence.isEmpty() ? QStringLiteral("00000") : sequence);
}

QJsonObject InvoicePacket()
{
    TClientDataSet set;
    DefineNotaFiscal(set);
    set.CreateDataSet();
    set.Append();
    SetText(set, "CDFILIAL", kBranch);
    SetText(set, "NRLANCTONF", kEntry);
    SetText(set, "CDFILIRECE", kBranch);
    SetText(set, "NMRAZSOCFORN", QStringLiteral("LATICINIOS SERRA AZUL LTDA"));
    SetText(set, "NRNOTAFISC", QStringLiteral("45871"));
    SetText(set, "CDSERIEENTR", QStringLiteral("1"));
    set.FieldByName(QStringLiteral("DTEMISSAO"))->SetAsDateTime(QDateTime(QDate(2026, 12, 6), QTime(0, 0)));
    SetNumber(set, "VRNOTAFISC", 1830.5);
    SetText(set, "DSRODAP", QStringLiteral("Recebimento 06/12/2026"));
    set.Post();
    return DataOf(set);
}

QJsonObject ItemPacket()
{
    TClientDataSet set;
    DefineProdEtiq(set);
    set.CreateDataSet();
    const struct {
        const char* seq;
        const char* code;
        const char* name;
        const char* product;
    } items[] = {{"0001", "1.01.0045", "QUEIJO MUSSARELA", "45"}, {"0002", "1.02.0007", "PRESUNTO COZIDO", "7"}};
    for (const auto& item : items) {
        set.Append();
        SetText(set, "IDCHECK", QStringLiteral("U"));
        SetText(set, "CDFILIAL", kBranch);
        SetText(set, "NRLANCTONF", kEntry);
        SetText(set, "CDPRODUTO", QLatin1String(item.product));
        SetText(set, "CDARVPROD", QLatin1String(item.code));
        SetText(set, "NMPRODUTO", QLatin1String(item.name));
        SetText(set, "SGUNIDADE", QStringLiteral("KG"));
        SetText(set, "LOTESUBLOTE", QStringLiteral("L2611/01"));
        SetNumber(set, "QTITEMPROD", 30);
        SetText(set, "NRSEQITPROD", QLatin1String(item.seq));
        set.FieldByName(QStringLiteral("DTVALILOTE"))->SetAsDateTime(QDateTime(QDate(2027, 2, 1), QTime(0, 0)));
        set.Post();
    }
    return DataOf(set);
}

QJsonObject LabelPacket(const QList<TLabelSpec>& labels)
{
    TClientDataSet set;
    DefineEtiquetaConsulta(set);
    set.CreateDataSet();
    for (const TLabelSpec& label : labels) {
        set.Append();
        SetText(set, "IDCHECK", QStringLiteral("U"));
        SetText(set, "CDFILIAL", kBranch);
        SetText(set, "NRLANCTONF", kEntry);
        SetText(set, "NRSEQITPROD", label.item);
        SetText(set, "NRSEQETIQ", label.sequence);
        SetText(set, "CDPRODUTO", label.item == QLatin1String("0001") ? QStringLiteral("45") : QStringLiteral("7"));
        SetNumber(set, "QTETIQPROD", 1);
        SetNumber(set, "VRPESOETIQ", label.weight);
        SetNumber(set, "QTTOTALPRODETIQ", 30);
        SetText(set, "IDSTATUSETIQ", label.status);
        SetText(set, "CDCODBARRAETIQ", Barcode(label.item, label.sequence));
        set.Post();
    }
    return DataOf(set);
}

void SplitScreenTest::SetUp()
{
    scope = std::make_unique<TUiServicesScope>(ui);
    server = std::make_unique<TFakeLabelServer>();
    ASSERT_GT(server->Port(), 0);
    TSession& session = TSession::Instance();
    session.Branch = kBranch;
    session.ServerHost = QStringLiteral("127.0.0.1");
    session.ServerPort = server->Port();
    session.ProductCodeMask.clear();
    query = CreateForm<TfrmConsDesEtiq>();
    frmConsDesEtiq = query;
    bostcriado = true;
}

void SplitScreenTest::TearDown()
{
    if (split)
        split->Close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    delete split.data();
    delete query;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    frmConsDesEtiq = nullptr;
    frmDesmembramento = nullptr;
    bostcriado = false;
    boStCriado = false;
    server.reset();
    scope.reset();
}

void SplitScreenTest::PositionQueryScreen(const QList<TLabelSpec>& labels, const QString& item,
                                          const QString& sourceSequence)
{
    const QJsonObject labelPacket = LabelPacket(labels);
    server->SetInvoices(InvoicePacket());
    server->SetItemsAndLabels(ItemPacket(), labelPacket);
    RunGuarded([&] { query->cdsNotaFiscal->SetData(InvoicePacket()); }, query);
    LoadItemsAndLabels(ItemPacket(), labelPacket);
    SelectSource(item, Barcode(item, sourceSequence));
}

void SplitScreenTest::LoadItemsAndLabels(const QJsonObject& items, const QJsonObject& labels)
{
    query->pgcPadrao->EnablePage(query->tshFormulario, true);
    query->pgcPadrao->SetActivePage(query->tshFormulario);
    RunGuarded([&] { query->sbtVerificarClick(query->sbtVerificar); }, query);
    refreshes_ = query->cdsProdEtiq->Active() && !query->cdsProdEtiq->IsEmpty();
    if (refreshes_)
        return;
    query->cdsProdEtiq->SetData(items);
    query->cdsEtiqueta->SetData(labels);
    TClientDataSet* printable = query->cdsRelEtiquetas;
    if (!printable->Active())
        printable->CreateDataSet();
    TClientDataSet* source = query->cdsEtiqueta;
    for (source->First(); !source->Eof(); source->Next()) {
        if (source->FieldByName(QStringLiteral("IDSTATUSETIQ"))->AsString() != QLatin1String("A"))
            continue;
        printable->Append();
        SetText(*printable, "IDCHECK", QStringLiteral("U"));
        for (const char* field : {"NRSEQITPROD", "VRPESOETIQ", "CDCODBARRAETIQ"})
            printable->FieldByName(QLatin1String(field))->SetValue(source->FieldByName(QLatin1String(field))->Value());
        SetNumber(*printable, "QTETIQPROD", 1);
        printable->Post();
    }
}

void SplitScreenTest::SelectSource(const QString& item, const QString& barcode)
{
    ASSERT_TRUE(query->cdsProdEtiq->Locate(QStringLiteral("NRSEQITPROD"), {item}));
    if (!refreshes_) {
        // As the query screen keeps its labels and printable labels to the current item.
        const QString filter = QStringLiteral(" NRSEQITPROD = '") + item + QStringLiteral("'");
        for (TClientDataSet* set : {query->cdsEtiqueta, query->cdsRelEtiquetas}) {
            set->SetFiltered(false);
            set->SetFilter(filter);
            set->SetFiltered(true);
        }
    }
    ASSERT_TRUE(query->cdsEtiqueta->Locate(QStringLiteral("CDCODBARRAETIQ"), {barcode}, TLocateOption::CaseInsensitive));
    query->cdsEtiqueta->Edit();
    SetText(*query->cdsEtiqueta, "IDCHECK", QStringLiteral("C"));
    query->cdsEtiqueta->Post();
    ui.Clear();
}

void SplitScreenTest::PositionOnDefaultSource()
{
    PositionQueryScreen({{QStringLiteral("0001"), QStringLiteral("00001"), 10.0},
                         {QStringLiteral("0001"), QStringLiteral("00002"), 12.5},
                         {QStringLiteral("0001"), QStringLiteral("00003"), 8.0, QStringLiteral("I")},
                         {QStringLiteral("0002"), QStringLiteral("00001"), 7.0}},
                        QStringLiteral("0001"), QStringLiteral("00001"));
}

TfrmDesmembramento* SplitScreenTest::OpenSplit()
{
    split = CreateForm<TfrmDesmembramento>();
    frmDesmembramento = split;
    boStCriado = true;
    split->show();
    split->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(split));
    return split;
}

void SplitScreenTest::Type(QWidget* box, const QString& text)
{
    box->setFocus();
    QTest::keyClicks(box, text);
}

void SplitScreenTest::EnterBatch(const QString& quantity, const QString& weight)
{
    Type(split->edtQtdEtiqueta, quantity);
    Type(split->edtPeso, weight);
    QTest::mouseClick(split->btnGeraEtiqueta, Qt::LeftButton);
}

QString SplitScreenTest::FocusedName() const
{
    QWidget* focused = QApplication::focusWidget();
    return focused ? focused->objectName() : QString();
}

QStringList SplitScreenTest::LabelRows() const
{
    QStringList rows;
    TClientDataSet& set = *split->cdsInsEtiqueta;
    for (set.First(); !set.Eof(); set.Next()) {
        rows << QStringList{Cell(set, "NRSEQETIQ"), Cell(set, "CDCODBARRAETIQ"), Cell(set, "QTETIQPROD"),
                            Cell(set, "VRPESOETIQ"), Cell(set, "IDSTATUSETIQ")}
                    .join(QLatin1Char('|'));
    }
    return rows;
}

QStringList SplitScreenTest::PrintableRows() const
{
    QStringList rows;
    TClientDataSet& set = *query->cdsRelEtiquetas;
    const bool filtered = set.Filtered();
    set.SetFiltered(false);
    for (set.First(); !set.Eof(); set.Next())
        rows << QStringList{Cell(set, "IDCHECK"), Cell(set, "CDCODBARRAETIQ"), Cell(set, "VRPESOETIQ")}.join(QLatin1Char('|'));
    set.SetFiltered(filtered);
    rows.sort();
    return rows;
}
