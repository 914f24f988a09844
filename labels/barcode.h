#pragma once
// The label barcode and the numbering of new labels.
//
// A label barcode is 23 characters with no separators: branch (4) + invoice entry number (10)
// + item sequence (4) + label sequence (5 digits, zero-filled on the left). The first 18
// characters, the prefix, are copied from the stored keys as they are. The sequence is also
// stored, in the same five-digit form, in the label's NRSEQETIQ.
//
// Sequence reading uses the platform's StrToInt: a text that is not a decimal integer raises
// EConvertError, which stops the operation before anything is sent to the server.

#include <QString>
#include <QStringList>
#include <QVariant>

inline constexpr int kBarcodeLength = 23;
inline constexpr int kSequenceDigits = 5;
// The highest label sequence the five digits of a barcode hold: no new label is numbered above.
inline constexpr int kHighestSequence = 99999;

// Message key of a typed barcode that is not a full label barcode.
inline constexpr const char* kInvalidBarcodeKey = "Inv_CodBar";
// Message key of a full label barcode that matches no label.
inline constexpr const char* kBarcodeNotFoundKey = "NExi_CodBar";

// Branch + invoice entry number + item sequence, joined without trimming or filling.
QString BarcodePrefix(const QString& cdFilial, const QString& nrLanctoNf, const QString& nrSeqItProd);

// The sequence number in its stored form: decimal, zero-filled on the left to five digits
// (a number above 99999 keeps all its digits).
QString FormatSequence(int sequence);

// True when the text is a sequence number in its stored form: decimal digits only, above zero,
// at least five digits, zero-filled up to five and never beyond ("00007", "123456"; not "7",
// "000123456" or "00000").
bool IsStoredSequence(const QString& text);

// Prefix followed by the formatted sequence.
QString ComposeBarcode(const QString& prefix, int sequence);

// What the barcode edit does with a typed or scanned text.
enum class TBarcodeCheck {
    Ignored,  // the text holds no value: nothing is reported
    Invalid,  // not exactly 23 characters: reported under kInvalidBarcodeKey
    Accepted  // exactly 23 characters: looked up as it is
};
TBarcodeCheck CheckTypedBarcode(const QString& text);

// A stored NRSEQETIQ read as a decimal integer (EConvertError when it is not one).
int ReadSequence(const QString& nrSeqEtiq);

// The sequence of the label that a grouping creates: the largest of the item's label
// sequences (all statuses, marked or not; 0 when there is none) plus one. The sum is taken in
// 64 bits, so a highest sequence at the top of the integer range gives the next number, which
// the caller then refuses against kHighestSequence.
qint64 NextGroupingSequence(const QStringList& itemSequences);

// The value a split counts up from: the label set's NRSEQETIQMAX aggregate read as an
// integer, 0 when the aggregate is null (no labels). Each new label then takes start + 1,
// start + 2, ... in the order of the split's label set.
int SplitStartSequence(const QVariant& nrSeqEtiqMax);
