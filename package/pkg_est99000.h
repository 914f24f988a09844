#pragma once
// The label module's entry and its module-wide state, shared by the three screens.
//
// IniProc opens the label query screen as a child window of the client (or brings it back,
// restored to its normal window state, when it is already open). The factories create a
// screen when its created flag is false, show it (the query screen as a child window, the
// split and report screens modally: those calls return when the dialog closes) and restore
// its normal window state, with the busy cursor shown meanwhile and always put back. An error
// raised while a screen is created or shown reaches the client's error box; nothing escapes
// to the caller.
//
// One instance of each variable per loaded module.

#include "package/packageexport.h"

#include <QString>
#include <QtGlobal>

class TfrmConsDesEtiq;
class TfrmDesmembramento;
class TfrmRelConsDesEtiq;

extern "C" {
PKG_EXPORT void IniProc();
PKG_EXPORT void CriaConsDesEtiq();
PKG_EXPORT void CriaFrmDesmembra();
PKG_EXPORT void CriaRelConsDesEtiq();
}

// The query screen and whether it has been created.
PKG_EXPORT extern TfrmConsDesEtiq* frmConsDesEtiq;
PKG_EXPORT extern bool bostcriado;
// The query screen the split and report screens work on; raises an Exception when it is not
// open, so that their handlers report it instead of reaching through a null pointer.
PKG_EXPORT TfrmConsDesEtiq& Consulta();
// The split screen and whether it has been created.
PKG_EXPORT extern TfrmDesmembramento* frmDesmembramento;
PKG_EXPORT extern bool boStCriado;
// The report screen and whether it has been created.
PKG_EXPORT extern TfrmRelConsDesEtiq* frmRelConsDesEtiq;
PKG_EXPORT extern bool boIdCriado;

// Branch and supplier filter lists in the list dialog's format; empty = no list chosen.
PKG_EXPORT extern QString stListaFili;
PKG_EXPORT extern QString stListaForn;
// Labels marked in the label grid since the last item or invoice move.
PKG_EXPORT extern qint32 inEtiqMark;
