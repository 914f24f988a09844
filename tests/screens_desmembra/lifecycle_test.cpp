// The screen as it opens (layout, bound boxes, commands), the commands as batches come and go,
// cancelling, and closing with the query screen's refresh.
#include "screens_desmembra/splitfixture.h"

#include "framework/column.h"
#include "framework/eventguard.h"
#include "package/pkg_est99000.h"
#include "support/consultascreen.h"

#include <QDir>
#include <QTest>

#include <functional>

namespace {

const QString kCloseUnconfirmed =
    QStringLiteral("Há etiquetas geradas que não foram confirmadas. Deseja fechar e descartar o desmembramento?");

class ScreenLifecycle : public SplitScreenTest {
protected:
    // The base screen's commands as "name=on/off", buttons then menu entries.
    QStringList Commands() const
    {
        QStringList states;
        for (TSpeedButton* button : split->CommandButtons())
            states << button->objectName() + (button->isEnabled() ? "=on" : "=off");
        for (QAction* item : split->CommandMenuItems())
            states << item->objectName() + (item->isEnabled() ? "=on" : "=off");
        return states;
    }
    static QStringList CommandsWith(bool rows)
    {
        const QString on = rows ? "=on" : "=off";
        return {"sbtIncluir=off", "sbtAlterar=off", "sbtExcluir" + on, "sbtConfirmar" + on, "sbtCancelar" + on,
                "sbtVerificar=off", "sbtProcurar" + on, "sbtImprimir=off", "mniIncluir=off", "mniAlterar=off",
                "mniExcluir" + on, "mniConfirmar" + on, "mniCancelar" + on, "mniVerificar=off", "mniProcurar" + on,
                "mniImprimir=off", "mniVisualizar=off", "mniConfigImpressora=off"};
    }
};

TEST_F(ScreenLifecycle, OpensOnTheItemAndSourceLabelWithItsLayout)
{
    PositionOnDefaultSource();
    OpenSplit();
    EXPECT_EQ(split->Caption(), "Desmembramento");
    EXPECT_EQ(split->lblCodTela->text(), "Est99020");
    EXPECT_EQ(split->size(), QSize(558, 396));
    EXPECT_EQ(split->minimumSize(), split->maximumSize());
    EXPECT_EQ(split->dbeCdProduto->text(), "1.01.0045");
    EXPECT_EQ(split->dbeNmProduto->text(), "QUEIJO MUSSARELA");
    EXPECT_EQ(split->dbeQtdeOrig->text(), "10,000");
    EXPECT_EQ(split->dbeQtdeAcumu->text(), QString());
    EXPECT_EQ(split->dbtNome->text(), "QUEIJO MUSSARELA");
    for (QWidget* box : {static_cast<QWidget*>(split->dbeCdProduto), static_cast<QWidget*>(split->dbeNmProduto),
                         static_cast<QWidget*>(split->dbeQtdeOrig), static_cast<QWidget*>(split->dbeQtdeAcumu)})
        EXPECT_FALSE(box->isEnabled()) << box->objectName().toStdString();
    EXPECT_TRUE(split->dbeQtdeAcumu->font().bold());
    EXPECT_EQ(split->dbeQtdeAcumu->font().pixelSize(), 13);
    EXPECT_EQ(split->grbQuantidade->title(), "Peso");
    EXPECT_EQ(split->btnGeraEtiqueta->text(), "Gerar Etiqueta");
    EXPECT_TRUE(split->btnGeraEtiqueta->font().bold());
    EXPECT_EQ(split->panDados->height(), 83);
    EXPECT_EQ(split->panGera->height(), 40);
    EXPECT_EQ(split->edtQtdEtiqueta->width(), 59);
    EXPECT_EQ(split->edtPeso->width(), 116);
    ASSERT_EQ(split->dbgPadrao->Columns().size(), 2);
    EXPECT_EQ(split->dbgPadrao->Columns().at(0)->TitleText(), "Quantidade");
    EXPECT_EQ(split->dbgPadrao->Columns().at(1)->TitleText(), "Peso");
    EXPECT_EQ(split->dbgPadrao->columnWidth(0), 94);
    EXPECT_EQ(split->dbgPadrao->columnWidth(1), 249);
    EXPECT_EQ(FocusedName(), "edtQtdEtiqueta");
    EXPECT_EQ(Commands(), CommandsWith(false));
}

TEST_F(ScreenLifecycle, CommandsFollowWhetherThereIsABatch)
{
    PositionOnDefaultSource();
    OpenSplit();
    EnterBatch("1", "4");
    EXPECT_EQ(Commands(), CommandsWith(true));
    ui.Answers.enqueue(true);
    QTest::mouseClick(split->sbtCancelar, Qt::LeftButton);
    EXPECT_EQ(Commands(), CommandsWith(false));
}

// The screen works on the query screen's sets: without it a batch is refused with a message,
// never a reach through a null pointer, and what was entered stays.
TEST_F(ScreenLifecycle, WithoutTheQueryScreenABatchIsRefusedWithAMessage)
{
    PositionOnDefaultSource();
    OpenSplit();
    EnterBatch("1", "4");
    TfrmConsDesEtiq* const open = frmConsDesEtiq;
    frmConsDesEtiq = nullptr;
    EnterBatch("1", "2");
    frmConsDesEtiq = open;
    EXPECT_EQ(Errors(), QStringList{QStringLiteral("A tela de consulta de etiquetas não está aberta.")});
    EXPECT_EQ(split->cdsEtiqueta->RecordCount(), 1);
}

TEST_F(ScreenLifecycle, CancellingEmptiesTheBatchesAndKeepsWhatIsTyped)
{
    PositionOnDefaultSource();
    OpenSplit();
    EnterBatch("1", "4");
    EnterBatch("2", "1,5");
    Type(split->edtQtdEtiqueta, "7");
    Type(split->edtPeso, "0,5");

    ui.Answers.enqueue(false);
    QTest::mouseClick(split->sbtCancelar, Qt::LeftButton);
    EXPECT_EQ(split->cdsEtiqueta->RecordCount(), 2);

    ui.Answers.enqueue(true);
    QTest::mouseClick(split->sbtCancelar, Qt::LeftButton);
    EXPECT_EQ(Questions(), QStringList({QStringLiteral("Deseja cancelar a operação?"),
                                        QStringLiteral("Deseja cancelar a operação?")}));
    EXPECT_EQ(split->dbgPadrao->model()->rowCount(), 0);
    EXPECT_TRUE(LabelRows().isEmpty());
    EXPECT_EQ(split->dbeQtdeAcumu->text(), QString());
    EXPECT_EQ(split->edtQtdEtiqueta->text(), "7");
    EXPECT_EQ(split->edtPeso->text(), "0,5");
    EXPECT_TRUE(split->isVisible());
    EXPECT_EQ(server->Count("setEtiqueta"), 0);
}

TEST_F(ScreenLifecycle, ClosingWithoutConfirmingSendsNothingAndRefreshesTheQueryScreenOnTheSameItem)
{
    PositionQueryScreen({{"0001", "00001", 10.0}, {"0002", "00001", 7.0}, {"0002", "00002", 3.0}}, "0002", "00002");
    OpenSplit();
    EXPECT_EQ(split->dbeQtdeOrig->text(), "3,000");
    EnterBatch("1", "3");
    const int reads = server->Count("GetProduto");
    // A batch not confirmed: closing asks first, and on No the screen stays with it.
    ui.Answers << false;
    split->close();  // the window's close button
    ASSERT_TRUE(split);
    EXPECT_TRUE(split->isVisible());
    EXPECT_EQ(split->cdsEtiqueta->RecordCount(), 1);
    EXPECT_EQ(server->Count("GetProduto"), reads);
    ui.Answers << true;
    QTest::mouseClick(split->sbtSair, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Questions(), QStringList({kCloseUnconfirmed, kCloseUnconfirmed}));
    EXPECT_FALSE(split);
    EXPECT_FALSE(boStCriado);
    EXPECT_EQ(server->Count("setEtiqueta"), 0);
    EXPECT_TRUE(Errors().isEmpty()) << ui.Log().join('\n').toStdString();
    EXPECT_EQ(query->cdsProdEtiq->FieldByName("NRSEQITPROD")->AsString(), "0002");
    EXPECT_EQ(query->cdsEtiqueta->RecNo(), 1);
    if (!QueryScreenRefreshes())
        GTEST_SKIP() << "the query screen's refresh does not read from the server yet";
    EXPECT_EQ(server->Count("GetProduto"), reads + 1);
}

TEST_F(ScreenLifecycle, OpensModallyThroughItsFactoryAndIsBuiltAnewEachTime)
{
    PositionOnDefaultSource();
    QList<QPointer<TForm>> opened;
    ui.OnModal = [&](TForm* form) {
        opened << form;
        EXPECT_EQ(frmDesmembramento, form);
        EXPECT_TRUE(boStCriado);
    };
    CriaFrmDesmembra();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    CriaFrmDesmembra();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(ui.Texts(TUiEntryKind::Modal), QStringList({"Desmembramento", "Desmembramento"}));
    ASSERT_EQ(opened.size(), 2);
    EXPECT_FALSE(opened.at(0));  // released when it closed
    EXPECT_FALSE(boStCriado);
}

TEST_F(ScreenLifecycle, TheQueryScreensSplitCommandOpensOnTheMarkedLabel)
{
    PositionOnDefaultSource();  // 00001 of item 0001 marked
    ASSERT_TRUE(query->cdsEtiqueta->Locate("CDCODBARRAETIQ", {Barcode("0001", "00002")}));
    QString origem;
    ui.OnModal = [&](TForm* form) {
        split = qobject_cast<TfrmDesmembramento*>(form);
        ASSERT_TRUE(split);
        origem = split->dbeQtdeOrig->text();
        EnterBatch("2", "5");
        ui.Answers.enqueue(true);
        QTest::mouseClick(split->sbtConfirmar, Qt::LeftButton);
    };
    RunGuarded([&] { query->btnDesmembrarClick(query->btnDesmembrar); }, query);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(Errors().isEmpty()) << ui.Log().join('\n').toStdString();
    EXPECT_EQ(origem, "10,000");
    ASSERT_EQ(server->ChangePackets().size(), 1);
    EXPECT_FALSE(split);
}

// However the modal screen closes, the query screen's grids, tabs and command bar take the mouse
// again; a screen closed without batches, or by its confirmation, asks nothing.
TEST_F(ScreenLifecycle, AfterTheScreenClosesTheQueryScreenTakesMouseClicksAgain)
{
    PositionOnDefaultSource();
    query->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(query));
    ui.WindowModality = true;
    const struct {
        const char* how;
        std::function<void()> close;
    } closers[] = {
        {"close button", [this] { split->close(); }},
        {"Fechar", [this] { QTest::mouseClick(split->sbtSair, Qt::LeftButton); }},
        {"confirmation",
         [this] {
             EnterBatch("1", "10");
             ui.Answers << true;
             QTest::mouseClick(split->sbtConfirmar, Qt::LeftButton);
         }},
    };
    for (const auto& closer : closers) {
        SCOPED_TRACE(closer.how);
        SelectSource("0001", Barcode("0001", "00001"));
        bool blockedWhileOpen = false;
        ui.OnModal = [&](TForm* form) {
            split = qobject_cast<TfrmDesmembramento*>(form);
            ASSERT_TRUE(split);
            blockedWhileOpen = !WindowClickReaches(query->panMenu, BareSpot(query->panMenu));
            closer.close();
        };
        CriaFrmDesmembra();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(split);
        EXPECT_TRUE(blockedWhileOpen);
        ExpectQueryScreenTakesClicks(query);
        EXPECT_FALSE(Questions().contains(kCloseUnconfirmed)) << ui.Log().join('\n').toStdString();
    }
    EXPECT_EQ(server->ChangePackets().size(), 1);
}

// The picture of the screen in the documentation, with two batches entered. It is written to
// docs/ only when EST_WRITE_DOCS_PICTURES is set, so an ordinary test run changes no file.
TEST_F(ScreenLifecycle, PictureWithTwoBatches)
{
    PositionOnDefaultSource();
    OpenSplit();
    EnterBatch("2", "3");
    EnterBatch("1", "4");
    Type(split->edtQtdEtiqueta, "");
    QApplication::processEvents();
    const QImage picture = split->grab().toImage();
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), QSize(558, 396) * picture.devicePixelRatio());
    if (qEnvironmentVariableIsEmpty("EST_WRITE_DOCS_PICTURES"))
        return;
    const QString path = QDir(qEnvironmentVariable("EST_SOURCE_DIR")).filePath("docs/desmembramento.png");
    EXPECT_TRUE(picture.save(path)) << path.toStdString();
}

} // namespace
