// Grouping marked labels: the change packet the server receives, row by row and field by
// field, what the clerk is told for each kind of reply, and the screen after the reload.

#include "consultafixture.h"

#include "labels/recordsets.h"
#include "package/pkg_est99000.h"
#include "platform/packet.h"
#include "support/changerows.h"

#include <functional>

namespace {

const QString kNota1 = QStringLiteral("0000000001");

// The change packet a setEtiqueta call carried.
TChangePacket Sent(const TFakeCall& call)
{
    return ChangePacketFromJson(call.params.value(0).AsPacket());
}

QStringList PrintableBarcodes(TClientDataSet* rel)
{
    QStringList barcodes;
    rel->SetFiltered(false);
    for (int r = 1; r <= rel->RecordCount(); ++r) {
        TRecordPeek peek(rel, r);
        barcodes << rel->FieldByName(QStringLiteral("CDCODBARRAETIQ"))->AsString() + QLatin1Char(':')
                        + rel->FieldByName(QStringLiteral("IDCHECK"))->AsString();
    }
    rel->SetFiltered(true);
    barcodes.sort();
    return barcodes;
}

} // namespace

class Agrupamento : public ConsultaTest {
protected:
    void SetUp() override
    {
        ConsultaTest::SetUp();
        OpenLabels();
    }

    // The demo labels as the server holds them once it has grouped these labels of an item
    // into a new one.
    static TDataPacket LabelsAfterGrouping(const QString& item, const QStringList& grouped, const QString& sequence,
                                           double weight)
    {
        TClientDataSet set;
        DefineEtiquetaConsulta(set);
        set.LoadPacket(DemoLabels());
        for (const QString& seq : grouped) {
            set.Locate(QStringLiteral("CDCODBARRAETIQ"), {Barcode(kNota1, item, seq)});
            set.Edit();
            set.FieldByName(QStringLiteral("IDSTATUSETIQ"))->SetAsString(QStringLiteral("I"));
            set.Post();
        }
        set.Append();
        for (const auto& [field, value] : QList<QPair<QString, QVariant>>{
                 {"IDCHECK", "U"}, {"CDFILIAL", "0001"}, {"NRLANCTONF", kNota1}, {"NRSEQITPROD", item},
                 {"NRSEQETIQ", sequence}, {"QTETIQPROD", 1.0}, {"VRPESOETIQ", weight}, {"IDSTATUSETIQ", "A"},
                 {"CDCODBARRAETIQ", Barcode(kNota1, item, sequence)}})
            set.FieldByName(field)->SetValue(value);
        set.Post();
        return set.Packet();
    }

    // The next setEtiqueta answers `reply` and the server then holds the grouping as applied.
    void AcceptGrouping(const QString& reply = QString(), const QString& item = QStringLiteral("0001"),
                        const QStringList& grouped = {"00002", "00005"}, const QString& sequence = "00007",
                        double weight = 3.75)
    {
        const TDataPacket after = LabelsAfterGrouping(item, grouped, sequence, weight);
        server.SetEtiquetaReply(reply, [after](TFakeLabelServer& s) {
            s.SetItems(QStringLiteral("0001"), kNota1, DemoItems(), after);
        });
    }

    // Marks these labels (grid rows) of the current item, answers Yes to the question and
    // groups; only what the grouping shows and sends is recorded afterwards.
    void Group(const QList<int>& rows)
    {
        MarkLabels(rows);
        ui.Answers.enqueue(true);
        ui.Clear();
        server.ClearCalls();
        Click(tela->btnAgrupar);
    }

    void GroupSecondAndFifth() { Group({1, 4}); }
};

TEST_F(Agrupamento, TwoMarkedLabelsTravelAsTwoInactivationsAndOneNewLabelWithTheirWeight)
{
    AcceptGrouping();
    GroupSecondAndFifth();
    const QList<TFakeCall> sets = server.Calls(QStringLiteral("setEtiqueta"));
    ASSERT_EQ(sets.size(), 1);
    const TChangePacket packet = Sent(sets.first());
    ASSERT_EQ(packet.changes.size(), 3);
    for (const TChange& change : packet.changes)
        EXPECT_EQ(change.kind, TChangeKind::Insert);
    EXPECT_EQ(ChangeRow(packet, 0), (QVariantMap{{"CDCODBARRAETIQ", Barcode(kNota1, "0001", "00002")}, {"IDSTATUSETIQ", "I"}}));
    EXPECT_EQ(ChangeRow(packet, 1), (QVariantMap{{"CDCODBARRAETIQ", Barcode(kNota1, "0001", "00005")}, {"IDSTATUSETIQ", "I"}}));
    EXPECT_EQ(ChangeRow(packet, 2), (QVariantMap{{"IDCHECK", "U"},
                                           {"CDFILIAL", "0001"},
                                           {"NRLANCTONF", kNota1},
                                           {"NRSEQITPROD", "0001"},
                                           {"CDPRODUTO", "0000010231"},
                                           {"NRSEQETIQ", "00007"},
                                           {"QTETIQPROD", 1.0},
                                           {"VRPESOETIQ", 3.75},
                                           {"QTTOTALPRODETIQ", 52.722},
                                           {"IDSTATUSETIQ", "A"},
                                           {"CDCODBARRAETIQ", Barcode(kNota1, "0001", "00007")}}));
}

TEST_F(Agrupamento, SuccessSaysSoThenReloadsAndSelectsTheNewLabel)
{
    AcceptGrouping();
    GroupSecondAndFifth();
    EXPECT_EQ(ui.Log(), (QStringList{QStringLiteral("question: Tem certeza que deseja agrupar as etiquetas selecionadas?"),
                                     QStringLiteral("progress: Atualizando servidor.."),
                                     QStringLiteral("progress hidden: "),
                                     QStringLiteral("information: Agrupamento realizado com sucesso."),
                                     QStringLiteral("progress: Recebendo dados do servidor..."),
                                     QStringLiteral("progress hidden: ")}));
    EXPECT_EQ(ui.ProgressKinds, (QList<int>{6, 1}));
    EXPECT_EQ(server.Methods(), (QStringList{QStringLiteral("setEtiqueta"), QStringLiteral("GetProduto")}));
    EXPECT_EQ(Current(tela->cdsNotaFiscal, "NRLANCTONF"), kNota1);
    EXPECT_EQ(Current(tela->cdsProdEtiq, "NRSEQITPROD"), QStringLiteral("0001"));
    EXPECT_EQ(Current(tela->cdsEtiqueta, "CDCODBARRAETIQ"), Barcode(kNota1, "0001", "00007"));
    EXPECT_EQ(Focused(), tela->dbgEtiquetaGerada);
    EXPECT_EQ(tela->dbgEtiquetaGerada->currentIndex().column(), 0);
    EXPECT_EQ(tela->dbgEtiquetaGerada->currentIndex().row(), tela->cdsEtiqueta->RecNo() - 1);
    EXPECT_FALSE(tela->cdsEtiqueta->ControlsDisabled());
    EXPECT_EQ(inEtiqMark, 0);
    EXPECT_FALSE(tela->btnAgrupar->isEnabled());
    EXPECT_EQ(tela->cdsAuxEtiqueta->ChangeCount(), 0);
    // The grouped labels left the print list; the new one is in it, already chosen.
    const QStringList printable = PrintableBarcodes(tela->cdsRelEtiquetas);
    EXPECT_FALSE(printable.contains(Barcode(kNota1, "0001", "00002") + ":U"));
    EXPECT_FALSE(printable.contains(Barcode(kNota1, "0001", "00005") + ":U"));
    EXPECT_TRUE(printable.contains(Barcode(kNota1, "0001", "00007") + ":C"));
}

TEST_F(Agrupamento, TheSameItemByPositionIsCurrentAgainWithTheNewLabelSelected)
{
    AcceptGrouping(QString(), QStringLiteral("0004"), {"00001", "00002"}, QStringLiteral("00003"), 10.05);
    ClickItem(3);
    Group({0, 1});
    const TChangePacket packet = Sent(server.Calls(QStringLiteral("setEtiqueta")).last());
    ASSERT_EQ(packet.changes.size(), 3);
    EXPECT_EQ(ChangeRow(packet, 2).value("NRSEQETIQ"), QVariant(QStringLiteral("00003")));
    EXPECT_DOUBLE_EQ(ChangeRow(packet, 2).value("VRPESOETIQ").toDouble(), 10.05);
    EXPECT_EQ(Current(tela->cdsProdEtiq, "NRSEQITPROD"), QStringLiteral("0004"));
    EXPECT_EQ(Current(tela->cdsEtiqueta, "CDCODBARRAETIQ"), Barcode(kNota1, "0004", "00003"));
    EXPECT_EQ(ListedLabels().size(), 3);
}

TEST_F(Agrupamento, ANewLabelTheServerDidNotCreateIsNotSelectedAndCannotBePrinted)
{
    ClickItem(3);
    Group({0, 1});
    EXPECT_EQ(ui.Texts(TUiEntryKind::Information), QStringList{QStringLiteral("Agrupamento realizado com sucesso.")});
    EXPECT_EQ(Current(tela->cdsProdEtiq, "NRSEQITPROD"), QStringLiteral("0001"));
    EXPECT_FALSE(PrintableBarcodes(tela->cdsRelEtiquetas).join(',').contains(Barcode(kNota1, "0004", "00003")));
}

TEST_F(Agrupamento, AnsweringNoChangesNothing)
{
    MarkLabels({1, 4});
    ui.Answers.enqueue(false);
    server.ClearCalls();
    const QStringList printable = PrintableBarcodes(tela->cdsRelEtiquetas);
    Click(tela->btnAgrupar);
    EXPECT_TRUE(server.Calls().isEmpty());
    EXPECT_EQ(tela->cdsAuxEtiqueta->ChangeCount(), 0);
    EXPECT_EQ(PrintableBarcodes(tela->cdsRelEtiquetas), printable);
    EXPECT_EQ(inEtiqMark, 2);
}

TEST_F(Agrupamento, ALabelMarkedBeforeAnItemMoveIsGroupedWithTheLaterMarks)
{
    MarkLabels({0});
    ClickItem(1);
    ClickItem(0);
    Group({2, 3});
    const TChangePacket packet = Sent(server.Calls(QStringLiteral("setEtiqueta")).last());
    ASSERT_EQ(packet.changes.size(), 4);
    EXPECT_EQ(ChangeRow(packet, 0).value("CDCODBARRAETIQ"), QVariant(Barcode(kNota1, "0001", "00001")));
    EXPECT_DOUBLE_EQ(ChangeRow(packet, 3).value("VRPESOETIQ").toDouble(), 12.345 + 13.002 + 12.5);
}

TEST_F(Agrupamento, ARejectionShowsTheReasonAndLeavesNoPrintableRowForTheLabelNotCreated)
{
    server.SetEtiquetaReply(QStringLiteral("Erro: Etiqueta 00010000000001000100002 não está ativa."));
    GroupSecondAndFifth();
    EXPECT_EQ(ui.Log(), (QStringList{QStringLiteral("question: Tem certeza que deseja agrupar as etiquetas selecionadas?"),
                                     QStringLiteral("progress: Atualizando servidor.."),
                                     QStringLiteral("progress hidden: "),
                                     QStringLiteral("progress: Recebendo dados do servidor..."),
                                     QStringLiteral("progress hidden: "),
                                     QStringLiteral("error: Etiqueta 00010000000001000100002 não está ativa.")}));
    EXPECT_EQ(server.Methods(), (QStringList{QStringLiteral("setEtiqueta"), QStringLiteral("GetProduto")}));
    const QStringList printable = PrintableBarcodes(tela->cdsRelEtiquetas);
    EXPECT_FALSE(printable.join(',').contains(Barcode(kNota1, "0001", "00007")));
    EXPECT_TRUE(printable.contains(Barcode(kNota1, "0001", "00002") + ":U"));
    EXPECT_EQ(tela->cdsAuxEtiqueta->ChangeCount(), 0);
    EXPECT_FALSE(tela->cdsEtiqueta->ControlsDisabled());
    EXPECT_EQ(Current(tela->cdsProdEtiq, "NRSEQITPROD"), QStringLiteral("0001"));
}

TEST_F(Agrupamento, AnyOtherReplyGivesNoMessageAndAFailedCallStillReloads)
{
    AcceptGrouping(QStringLiteral("ok"));
    GroupSecondAndFifth();
    EXPECT_TRUE(ui.Texts(TUiEntryKind::Information).isEmpty());
    EXPECT_TRUE(ui.Texts(TUiEntryKind::Error).isEmpty());
    EXPECT_EQ(Current(tela->cdsEtiqueta, "CDCODBARRAETIQ"), Barcode(kNota1, "0001", "00007"));

    server.FailMethod(QStringLiteral("setEtiqueta"), QStringLiteral("Servidor em manutenção"));
    ClickItem(3);
    Group({0, 1});
    EXPECT_EQ(server.Methods(), (QStringList{QStringLiteral("setEtiqueta"), QStringLiteral("GetProduto")}));
    EXPECT_EQ(ui.Texts(TUiEntryKind::Error), QStringList{QStringLiteral("Servidor em manutenção")});
    EXPECT_TRUE(ui.Texts(TUiEntryKind::Information).isEmpty());
}

TEST_F(Agrupamento, AWalkStoppedByASequenceThatIsNoNumberSendsNothingAndLeavesNothingBehind)
{
    TClientDataSet labels;
    DefineEtiquetaConsulta(labels);
    labels.LoadPacket(DemoLabels());
    labels.Locate(QStringLiteral("CDCODBARRAETIQ"), {Barcode(kNota1, "0001", "00004")});
    labels.Edit();
    labels.FieldByName(QStringLiteral("NRSEQETIQ"))->SetAsString(QStringLiteral("0O004"));
    labels.Post();
    server.SetItems(QStringLiteral("0001"), kNota1, DemoItems(), labels.Packet());
    Click(tela->sbtVerificar);

    const QStringList printable = PrintableBarcodes(tela->cdsRelEtiquetas);
    Group({0, 1});
    EXPECT_EQ(ui.Log(), (QStringList{QStringLiteral("question: Tem certeza que deseja agrupar as etiquetas selecionadas?"),
                                     QStringLiteral("error: '0O004' não é um valor inteiro válido.")}));
    EXPECT_TRUE(server.Calls().isEmpty());
    EXPECT_EQ(tela->cdsAuxEtiqueta->ChangeCount(), 0);
    EXPECT_FALSE(tela->cdsEtiqueta->ControlsDisabled());
    EXPECT_EQ(PrintableBarcodes(tela->cdsRelEtiquetas), printable);

    // A grouping on another item afterwards sends its own rows only.
    ClickItem(3);
    Group({0, 1});
    const TChangePacket packet = Sent(server.Calls(QStringLiteral("setEtiqueta")).last());
    ASSERT_EQ(packet.changes.size(), 3);
    EXPECT_EQ(ChangeRow(packet, 0).value("CDCODBARRAETIQ"), QVariant(Barcode(kNota1, "0004", "00001")));
}

// The Group button takes no focus: wherever the focus was, the grouping ends on the same item
// with the new label selected, reading the invoice once.
TEST_F(Agrupamento, FromAnywhereTheGroupingEndsOnTheSameItemWithTheNewLabelSelected)
{
    const QString grouped = Barcode(kNota1, "0004", "00002");
    const struct {
        const char* where;
        std::function<void()> focus;
    } cases[] = {
        {"the label grid", [&] { tela->dbgEtiquetaGerada->setFocus(); }},
        {"the barcode edit, empty", [&] { TypeBarcode(QString()); }},
        {"the barcode edit, with a grouped label scanned", [&] { TypeBarcode(grouped); }},
        {"the item grid", [&] { tela->dbgItemProduto->setFocus(); }},
    };
    for (const auto& c : cases) {
        server.SetItems(QStringLiteral("0001"), kNota1, DemoItems(), DemoLabels());
        Click(tela->sbtVerificar);
        AcceptGrouping(QString(), QStringLiteral("0004"), {"00001", "00002"}, QStringLiteral("00003"), 10.05);
        ClickItem(3);
        MarkLabels({0, 1});
        c.focus();
        ui.Answers.enqueue(true);
        ui.Clear();
        server.ClearCalls();
        Click(tela->btnAgrupar);
        EXPECT_EQ(server.Methods(), (QStringList{QStringLiteral("setEtiqueta"), QStringLiteral("GetProduto")})) << c.where;
        EXPECT_EQ(Current(tela->cdsProdEtiq, "NRSEQITPROD"), QStringLiteral("0004")) << c.where;
        EXPECT_EQ(Current(tela->cdsEtiqueta, "CDCODBARRAETIQ"), Barcode(kNota1, "0004", "00003")) << c.where;
        EXPECT_EQ(Focused(), tela->dbgEtiquetaGerada) << c.where;
        EXPECT_EQ(tela->dbgEtiquetaGerada->currentIndex().column(), 0) << c.where;
        EXPECT_EQ(inEtiqMark, 0) << c.where;
        tela->edtCdBarProd->clear();
    }
}

// A label number has five digits in the barcode: a grouping whose new number would pass 99999
// (or the integer range) is refused before anything is sent or changed.
TEST_F(Agrupamento, ANewNumberPastFiveDigitsIsRefusedBeforeAnythingIsSent)
{
    for (const auto& [highest, next] : QList<QPair<QString, QString>>{{"99999", "100000"},
                                                                      {"2147483647", "2147483648"}}) {
        TClientDataSet labels;
        DefineEtiquetaConsulta(labels);
        labels.LoadPacket(DemoLabels());
        labels.Locate(QStringLiteral("CDCODBARRAETIQ"), {Barcode(kNota1, "0004", "00002")});
        labels.Edit();
        labels.FieldByName(QStringLiteral("NRSEQETIQ"))->SetAsString(highest);
        labels.Post();
        server.SetItems(QStringLiteral("0001"), kNota1, DemoItems(), labels.Packet());
        Click(tela->sbtVerificar);
        ClickItem(3);
        const QStringList printable = PrintableBarcodes(tela->cdsRelEtiquetas);
        Group({0, 1});
        EXPECT_EQ(ui.Log(), (QStringList{QStringLiteral("question: Tem certeza que deseja agrupar as etiquetas selecionadas?"),
                                         QStringLiteral("error: Não é possível agrupar: a nova etiqueta teria o número %1, "
                                                        "e o código de barras só comporta números de etiqueta até 99999.")
                                             .arg(next)}))
            << highest.toStdString();
        EXPECT_TRUE(server.Calls().isEmpty());
        EXPECT_EQ(tela->cdsAuxEtiqueta->ChangeCount(), 0);
        EXPECT_EQ(PrintableBarcodes(tela->cdsRelEtiquetas), printable);
        EXPECT_FALSE(tela->cdsEtiqueta->ControlsDisabled());
        EXPECT_TRUE(tela->btnAgrupar->isEnabled()) << "the marks stay for another try";
    }
}
