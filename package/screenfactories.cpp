// The module's entry and the factories of its three screens.

#include "package/pkg_est99000.h"

#include "framework/eventguard.h"
#include "framework/form.h"
#include "package/busycursor.h"
#include "screens/Cli_est99000/cli_est99000.h"
#include "screens/Cli_est99010/cli_est99010.h"
#include "screens/Cli_est99020/cli_est99020.h"

#include <QPointer>

namespace {

// Creates the screen when its flag says it is not there, shows it modally and restores its
// window state. The busy cursor covers the creation; the dialog itself gets the default cursor
// so that the person can work in it.
template <class T>
void CriaModal(T*& singleton, bool& created)
{
    TBusyCursor busy;
    if (!created) {
        singleton = CreateForm<T>();
        created = true;
    }
    QPointer<T> form(singleton);
    busy.Release();
    form->ShowModal();
    // The screen may already be gone when its close released it.
    if (form)
        form->SetWindowState(TWindowState::wsNormal);
}

} // namespace

extern "C" {

void IniProc()
{
    CriaConsDesEtiq();
}

void CriaConsDesEtiq()
{
    RunGuarded([] {
        TBusyCursor busy;
        if (!bostcriado) {
            frmConsDesEtiq = CreateForm<TfrmConsDesEtiq>();
            bostcriado = true;
        }
        frmConsDesEtiq->Show();
        frmConsDesEtiq->SetWindowState(TWindowState::wsNormal);
    });
}

void CriaFrmDesmembra()
{
    RunGuarded([] { CriaModal(frmDesmembramento, boStCriado); });
}

void CriaRelConsDesEtiq()
{
    RunGuarded([] { CriaModal(frmRelConsDesEtiq, boIdCriado); });
}

}
