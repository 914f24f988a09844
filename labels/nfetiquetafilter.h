#pragma once
// The invoice filter state of the label query screen, and the eleven arguments of the
// server's GetNFEtiqueta that it turns into.
//
// Argument forms, in order: branch list and its "T"/" " flag, supplier list and its "T"/" "
// flag (texts by reference; a list is sent empty when its "Todos" option is on), the initial
// and final emission dates (dates by value), the initial and final invoice numbers as the
// screen brought them to ten digits with the framework's Ajusta (both empty when neither is
// typed; a missing one becomes "0000000000" or "9999999999"), the date flag ("T" when both dates are empty, else " "), the number flag
// ("T" when both numbers are empty, else the empty text) and the product barcode (empty when
// the edit holds no value, else its text). All texts after the dates go by reference too.
// The barcode's length is checked by the screen before it asks for the arguments.

#include "platform/sysutils.h"
#include "platform/variant.h"

#include <QList>
#include <QString>

struct TNfEtiquetaFilter {
    bool FilialTodos = false;
    QString ListaFilial;       // as the list dialog wrote it: "_0001_" or "_0001_,_0003_"
    bool FornecedorTodos = false;
    QString ListaFornecedor;
    bool DtIniVazia = true;    // the initial date edit holds no value
    TDateTime DtIni = 0;       // what the date edit gives, also when it is empty
    bool DtFinVazia = true;
    TDateTime DtFin = 0;
    QString NumIni;            // the two typed numbers in their ten-digit form; blank when not typed
    QString NumFin;
    QString CodBarras;         // text of the product barcode edit
};

// Argument positions of GetNFEtiqueta, zero-based as they travel.
enum TNfEtiquetaArg {
    ArgListaFilial = 0, ArgFilialTodos, ArgListaFornecedor, ArgFornecedorTodos,
    ArgDtIni, ArgDtFin, ArgNumIni, ArgNumFin, ArgDatasVazias, ArgNumerosVazios, ArgCodBarras,
    NfEtiquetaArgCount
};

// The flag text of the "Todos" options and of the empty date and number edits.
inline constexpr const char* kNfEtiquetaFlagTodos = "T";

QList<TVariant> GetNFEtiquetaArgs(const TNfEtiquetaFilter& filter);
