#pragma once
// TfrmPadraoBase: what the host's record screens (TfrmPadrao, TfrmPadraoGrid) share: the menu
// bar, the command bar panMenu with its flat buttons and the screen-code label lblCodTela, the
// data source dtsPadrao with the grid dbgPadrao, the message table msgPadrao and the footer
// panNavigator with its record buttons and the name label dbtNome.
//
// Commands (button, its menu entries, the handler they run):
//   sbtIncluir  mniIncluir    sbtIncluirClick    append a row to dtsPadrao's set
//   sbtAlterar  mniAlterar    sbtAlterarClick    edit the current row
//   sbtExcluir  mniExcluir    sbtExcluirClick    delete the current row after the question
//                                                 "Excl" of msgPadrao ("Confirma exclusão?")
//   sbtConfirmar mniConfirmar sbtConfirmarClick  post a pending edit or insert
//   sbtCancelar mniCancelar   sbtCancelarClick   cancel a pending edit or insert
//   sbtVerificar mniVerificar sbtVerificarClick  the screen's search/refresh (nothing in the base)
//   sbtProcurar mniProcurar   sbtProcurarClick   the find dialog over dtsPadrao's set
//   sbtImprimir mniImprimir, mniVisualizar       sbtImprimirClick (nothing in the base)
//   mniConfigImpressora: the printer set-up dialog; sbtSair, mniSair: close the screen.
// Keys: F5 clicks sbtVerificar and F8 sbtImprimir while the focus is on the screen (SetCommandKey).
// The base's dtsPadraoStateChange enables Incluir, Alterar and Excluir in browse state and
// Confirmar and Cancelar while a row is being edited or inserted, each menu entry following its
// button. FormClose frees the screen (caFree). Derived screens override the handlers and call
// the base handler of the same name as their own rules say. Handlers run through the event guard.
//
// Layout: AddTopPanel and AddBottomPanel put a screen's own panels above and below the main area
// (the grid, or the page control of TfrmPadrao), in the order they are added.

#include "framework/dbgrid.h"
#include "framework/dbtext.h"
#include "framework/form.h"
#include "framework/messages.h"
#include "framework/panel.h"
#include "framework/speedbutton.h"
#include "platform/datasource.h"

#include <QAction>
#include <QLabel>

class QMenu;
class QMenuBar;
class QHBoxLayout;
class QVBoxLayout;

class TfrmPadraoBase : public TForm {
    Q_OBJECT
public:
    explicit TfrmPadraoBase(QWidget* owner = nullptr);

    void FormClose(QObject* sender, TCloseAction& action) override;

    virtual void dtsPadraoStateChange(QObject* sender);
    virtual void sbtIncluirClick(QObject* sender);
    virtual void sbtAlterarClick(QObject* sender);
    virtual void sbtExcluirClick(QObject* sender);
    virtual void sbtConfirmarClick(QObject* sender);
    virtual void sbtCancelarClick(QObject* sender);
    virtual void sbtVerificarClick(QObject* sender);
    virtual void sbtProcurarClick(QObject* sender);
    virtual void sbtImprimirClick(QObject* sender);

    void AddTopPanel(QWidget* panel);
    void AddBottomPanel(QWidget* panel);
    // Puts a screen's own button on the command bar, after the base's buttons.
    void AddCommandButton(TSpeedButton* button);
    // The command's key: pressing it clicks the button (TSpeedButton::SetKey), and the key is
    // shown in the button's tool tip and beside the menu entries that run the same command.
    void SetCommandKey(TSpeedButton* button, const QList<QAction*>& entries, const QKeySequence& key);
    // A screen's own menu entry for one of its command buttons: choosing it clicks the button.
    QAction* AddButtonMenuItem(QMenu* menu, const QString& name, const QString& caption, TSpeedButton* button);
    // The buttons of the command bar and the entries of the menu bar, in their order.
    QList<TSpeedButton*> CommandButtons() const;
    QList<QAction*> CommandMenuItems() const;

    QMenuBar* mnuPadrao;
    TPanel* panMenu;
    TSpeedButton* sbtIncluir;
    TSpeedButton* sbtAlterar;
    TSpeedButton* sbtExcluir;
    TSpeedButton* sbtConfirmar;
    TSpeedButton* sbtCancelar;
    TSpeedButton* sbtVerificar;
    TSpeedButton* sbtProcurar;
    TSpeedButton* sbtImprimir;
    TSpeedButton* sbtSair;
    QAction* mniIncluir;
    QAction* mniAlterar;
    QAction* mniExcluir;
    QAction* mniConfirmar;
    QAction* mniCancelar;
    QAction* mniVerificar;
    QAction* mniProcurar;
    QAction* mniImprimir;
    QAction* mniVisualizar;
    QAction* mniConfigImpressora;
    QAction* mniSair;
    QLabel* lblCodTela;
    TDataSource* dtsPadrao;
    TDBGrid* dbgPadrao;
    TMessages msgPadrao;
    TPanel* panNavigator;
    TDBText* dbtNome;

protected:
    // Puts the main area (grid or page control) between the top and bottom panels.
    void SetMainArea(QWidget* area);

private:
    TSpeedButton* AddButton(const QString& name, const QString& hint, QStyle::StandardPixmap icon,
                            void (TfrmPadraoBase::*handler)(QObject*));
    QAction* AddMenuItem(QMenu* menu, const QString& name, const QString& caption,
                         void (TfrmPadraoBase::*handler)(QObject*));
    void BuildMenus();
    void BuildNavigator();
    void Navigate(int step);

    QVBoxLayout* layout_;
    QHBoxLayout* bar_;
    int topPanels_ = 0;
    int bottomPanels_ = 0;
    QList<TSpeedButton*> buttons_;
    QList<QAction*> menuItems_;
};
