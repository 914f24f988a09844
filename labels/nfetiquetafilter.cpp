#include "labels/nfetiquetafilter.h"

#include "labels/textrules.h"

namespace {

const QString kTodos = QString::fromLatin1(kNfEtiquetaFlagTodos);
const QString kBlank = QStringLiteral(" ");
const QString kMenorNumero = QStringLiteral("0000000000");
const QString kMaiorNumero = QStringLiteral("9999999999");

TVariant ByRef(const QString& text)
{
    return TVariant::FromString(text, true);
}

// One end of the number range: empty when neither end is typed, the given bound when only
// this end is missing, else the number as the screen brought it to ten digits.
QString NumberBound(const QString& number, bool bothEmpty, const QString& bound)
{
    if (bothEmpty)
        return QString();
    if (IsBlankText(number))
        return bound;
    return number;
}

} // namespace

QList<TVariant> GetNFEtiquetaArgs(const TNfEtiquetaFilter& filter)
{
    const bool numbersEmpty = IsBlankText(filter.NumIni) && IsBlankText(filter.NumFin);
    const bool datesEmpty = filter.DtIniVazia && filter.DtFinVazia;

    QList<TVariant> args;
    args.reserve(NfEtiquetaArgCount);
    args << ByRef(filter.FilialTodos ? QString() : filter.ListaFilial)
         << ByRef(filter.FilialTodos ? kTodos : kBlank)
         << ByRef(filter.FornecedorTodos ? QString() : filter.ListaFornecedor)
         << ByRef(filter.FornecedorTodos ? kTodos : kBlank)
         << TVariant::FromDate(filter.DtIni)
         << TVariant::FromDate(filter.DtFin)
         << ByRef(NumberBound(filter.NumIni, numbersEmpty, kMenorNumero))
         << ByRef(NumberBound(filter.NumFin, numbersEmpty, kMaiorNumero))
         << ByRef(datesEmpty ? kTodos : kBlank)
         << ByRef(numbersEmpty ? kTodos : QString())
         << ByRef(IsBlankText(filter.CodBarras) ? QString() : filter.CodBarras);
    return args;
}
