// The module-wide state the three screens share (package/pkg_est99000.h).

#include "package/pkg_est99000.h"

#include "platform/errors.h"

TfrmConsDesEtiq* frmConsDesEtiq = nullptr;
bool bostcriado = false;
TfrmDesmembramento* frmDesmembramento = nullptr;
bool boStCriado = false;
TfrmRelConsDesEtiq* frmRelConsDesEtiq = nullptr;
bool boIdCriado = false;
QString stListaFili;
QString stListaForn;
qint32 inEtiqMark = 0;

TfrmConsDesEtiq& Consulta()
{
    if (!frmConsDesEtiq)
        throw Exception(QStringLiteral("A tela de consulta de etiquetas não está aberta."));
    return *frmConsDesEtiq;
}
