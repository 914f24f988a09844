#include "labels/labelcodes.h"

QString StatusEtiquetaText(const QString& status)
{
    if (status == QLatin1String(kStatusAtiva))
        return QStringLiteral("Ativa");
    if (status == QLatin1String(kStatusReservada))
        return QStringLiteral("Reservada");
    if (status == QLatin1String(kStatusInativa))
        return QStringLiteral("Inativa");
    return QString();
}

QString ItemFilterText(const QString& nrSeqItProd)
{
    QString literal = nrSeqItProd;
    literal.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QStringLiteral(" NRSEQITPROD = '") + literal + QLatin1Char('\'');
}
