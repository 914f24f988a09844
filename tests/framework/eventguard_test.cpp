#include "fixtures.h"

#include "framework/eventguard.h"
#include "framework/routines.h"
#include "framework/showavi.h"
#include "framework/speedbutton.h"
#include "platform/errors.h"

#include <QTest>

#include <stdexcept>

using EventGuard = UiTest;

TEST_F(EventGuard, MensErroWithStopShowsTheTextAndEndsTheHandler)
{
    bool after = false;
    const bool ok = RunGuarded([&] {
        MensErro(QStringLiteral("Filial deve ser informada."), true);
        after = true;
    });
    EXPECT_FALSE(ok);
    EXPECT_FALSE(after);
    EXPECT_EQ(ui.Log(), QStringList{QStringLiteral("error: Filial deve ser informada.")});
}

TEST_F(EventGuard, MensErroWithoutStopLetsTheHandlerGoOn)
{
    bool after = false;
    EXPECT_TRUE(RunGuarded([&] {
        MensErro(QStringLiteral("Aviso"), false);
        after = true;
    }));
    EXPECT_TRUE(after);
}

TEST_F(EventGuard, ErrorsOfEveryKindReachTheErrorBoxWithTheirMessage)
{
    RunGuarded([] { throw EServerError(-32000, QStringLiteral("Nota fiscal não encontrada.")); });
    RunGuarded([] { throw std::runtime_error("disco cheio"); });
    RunGuarded([] { throw 42; });
    EXPECT_EQ(ui.Texts(TUiEntryKind::Error),
              (QStringList{QStringLiteral("Nota fiscal não encontrada."), QStringLiteral("disco cheio"),
                           QStringLiteral("Ocorreu um erro inesperado.")}));
}

TEST_F(EventGuard, AClickWhoseHandlerFailsShowsTheErrorAndTheButtonStaysUsable)
{
    TSpeedButton button;
    int clicks = 0;
    button.OnClick = [&](QObject*) {
        ++clicks;
        throw EConvertError(QStringLiteral("'x' não é um valor numérico válido."));
    };
    button.show();
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(ui.Texts(TUiEntryKind::Error).size(), 2);
}

TEST_F(EventGuard, AFailingHandlerTakesAForgottenProgressWindowAwayBeforeTheError)
{
    RunGuarded([] {
        ActiveShowAvi(nullptr, 1, QStringLiteral("Recebendo dados do servidor..."));
        throw ENetConnectionError(QStringLiteral("Servidor de aplicação indisponível."));
    });
    EXPECT_EQ(ui.Log(), (QStringList{QStringLiteral("progress: Recebendo dados do servidor..."),
                                     QStringLiteral("progress hidden: "),
                                     QStringLiteral("error: Servidor de aplicação indisponível.")}));
    EXPECT_EQ(ShowAviDepth(), 0);
}

using ShowAvi = UiTest;

TEST_F(ShowAvi, NestedCallsKeepTheWindowUntilTheOutermostEnds)
{
    ActiveShowAvi(nullptr, 6, QStringLiteral("Gerando etiquetas..."));
    ActiveShowAvi(nullptr, 6, QStringLiteral("Gerando etiquetas..."));
    DeactiveShowAvi();
    EXPECT_TRUE(ui.Texts(TUiEntryKind::ProgressHide).isEmpty());
    DeactiveShowAvi();
    DeactiveShowAvi();  // one too many: nothing more happens
    EXPECT_EQ(ui.Texts(TUiEntryKind::ProgressHide).size(), 1);
    EXPECT_EQ(ui.ProgressKinds, (QList<int>{6, 6}));
}

TEST_F(ShowAvi, TheScopeHidesTheWindowWhenItsBlockThrows)
{
    EXPECT_THROW(
        {
            TShowAviScope progress(nullptr, 6, QStringLiteral("Atualizando servidor.."));
            throw EServerError(-32000, QStringLiteral("falhou"));
        },
        EServerError);
    EXPECT_EQ(ShowAviDepth(), 0);
    EXPECT_EQ(ui.Texts(TUiEntryKind::ProgressHide).size(), 1);
}
