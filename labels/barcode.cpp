#include "labels/barcode.h"

#include "labels/textrules.h"
#include "platform/sysutils.h"

#include <algorithm>

QString BarcodePrefix(const QString& cdFilial, const QString& nrLanctoNf, const QString& nrSeqItProd)
{
    return cdFilial + nrLanctoNf + nrSeqItProd;
}

QString FormatSequence(int sequence)
{
    return LRPad(QString::number(sequence), kSequenceDigits, QLatin1Char('0'), true);
}

bool IsStoredSequence(const QString& text)
{
    if (text.size() < kSequenceDigits)
        return false;
    for (const QChar c : text)
        if (!c.isDigit())
            return false;
    if (text.size() > kSequenceDigits && text.front() == QLatin1Char('0'))
        return false;
    return text.toLongLong() > 0;
}

QString ComposeBarcode(const QString& prefix, int sequence)
{
    return prefix + FormatSequence(sequence);
}

TBarcodeCheck CheckTypedBarcode(const QString& text)
{
    if (IsBlankText(text))
        return TBarcodeCheck::Ignored;
    if (text.length() != kBarcodeLength)
        return TBarcodeCheck::Invalid;
    return TBarcodeCheck::Accepted;
}

int ReadSequence(const QString& nrSeqEtiq)
{
    return StrToInt(nrSeqEtiq);
}

qint64 NextGroupingSequence(const QStringList& itemSequences)
{
    qint64 highest = 0;
    for (const QString& sequence : itemSequences)
        highest = std::max<qint64>(highest, ReadSequence(sequence));
    return highest + 1;
}

int SplitStartSequence(const QVariant& nrSeqEtiqMax)
{
    if (!nrSeqEtiqMax.isValid() || nrSeqEtiqMax.isNull())
        return 0;
    return ReadSequence(nrSeqEtiqMax.toString());
}
