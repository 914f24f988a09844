// Fuzz target: the JSON decoding of data packets, change packets and tagged values, and what a
// record set does with a decoded packet. Every input is tried as all three. A refused input
// must raise the platform's error (EDatabaseError for packets, EConvertError for tagged values);
// an accepted one must load, walk, edit and encode again, and its encoding must read back to
// the same JSON.

#include "fuzzsupport.h"

#include "platform/clientdataset.h"
#include "platform/errors.h"
#include "platform/packet.h"
#include "platform/variant.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <functional>

namespace {

QByteArray Compact(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// Reads every cell of the current row in every form a screen or report asks for.
void DefineLabels(TClientDataSet& labels)
{
    labels.AddField(QStringLiteral("CDCODBARRAETIQ"), TFieldType::String, 23);
    labels.AddField(QStringLiteral("IDSTATUSETIQ"), TFieldType::FixedString, 1);
    labels.AddField(QStringLiteral("VRPESOETIQ"), TFieldType::Float);
    labels.AddField(QStringLiteral("DTVALILOTE"), TFieldType::DateTime);
}

void ReadRow(const TClientDataSet& set)
{
    for (TField* f : set.Fields()) {
        (void)f->IsNull();
        (void)f->Value();
        (void)f->AsString();
        (void)f->DisplayText();
        (void)f->Text();
        if (f->DataType() == TFieldType::Float) {
            (void)f->AsFloat();
            try {
                (void)f->AsInteger();
            } catch (const EConvertError&) {
                // a number outside 32 bits
            }
        }
    }
}

// Walks the set both ways and checks the count the cursor meets.
void Walk(TClientDataSet& set)
{
    int seen = 0;
    for (set.First(); !set.Eof(); set.Next()) {
        ReadRow(set);
        ++seen;
    }
    FUZZ_CHECK(seen == set.RecordCount(), QStringLiteral("forward walk met %1 of %2 rows").arg(seen).arg(set.RecordCount()));
    seen = 0;
    for (set.Last(); !set.Bof(); set.Prior())
        ++seen;
    FUZZ_CHECK(seen == set.RecordCount(), QStringLiteral("backward walk met %1 of %2 rows").arg(seen).arg(set.RecordCount()));
}

// Edits the loaded rows (the last one takes the first one's values, the first is deleted, a copy
// of it is appended) and checks that the change packet decodes and encodes to itself.
void EditAndCheckDelta(TClientDataSet& set)
{
    if (set.RecordCount() == 0 || set.FieldCount() == 0)
        return;
    set.First();
    QVariantList first;
    for (TField* f : set.Fields())
        first << f->Value();
    set.Last();
    set.Edit();
    for (TField* f : set.Fields())
        f->SetValue(first.value(f->Index()));
    set.Post();
    set.First();
    set.Delete();
    set.Append();
    for (TField* f : set.Fields())
        f->SetValue(first.value(f->Index()));
    set.Post();

    const QJsonObject delta = set.Delta();
    TChangePacket decoded;
    try {
        decoded = ChangePacketFromJson(delta);
    } catch (const EDatabaseError& e) {
        FUZZ_CHECK(false, QStringLiteral("the set's own change packet is refused: %1\n%2")
                              .arg(e.Message(), QString::fromUtf8(Compact(delta))));
    }
    FUZZ_CHECK(Compact(ChangePacketToJson(decoded)) == Compact(delta), QStringLiteral("change packet round trip differs"));
    set.CancelUpdates();
}

// The packet as a record set keeps it: an empty text is null there.
QJsonObject EmptyTextsAsNull(QJsonObject packet)
{
    QJsonArray rows = packet.value(QStringLiteral("rows")).toArray();
    for (qsizetype r = 0; r < rows.size(); ++r) {
        QJsonArray row = rows.at(r).toArray();
        for (qsizetype c = 0; c < row.size(); ++c)
            if (row.at(c).isString() && row.at(c).toString().isEmpty())
                row.replace(c, QJsonValue());
        rows.replace(r, row);
    }
    packet.insert(QStringLiteral("rows"), rows);
    return packet;
}

void CheckDataPacket(const QJsonObject& json)
{
    TDataPacket packet;
    try {
        packet = DataPacketFromJson(json);
    } catch (const EDatabaseError&) {
        return;
    }
    const QJsonObject encoded = DataPacketToJson(packet);
    const TDataPacket again = DataPacketFromJson(encoded);
    FUZZ_CHECK(Compact(DataPacketToJson(again)) == Compact(encoded), QStringLiteral("data packet round trip differs"));

    // A set without fields takes the packet's columns.
    TClientDataSet set;
    try {
        set.LoadPacket(packet);
    } catch (const EDatabaseError&) {
        // A packet without columns gives a set without fields, which cannot open.
        FUZZ_CHECK(packet.fields.isEmpty() && !set.Active(), QStringLiteral("a decoded packet does not load"));
        return;
    }
    Walk(set);
    const QJsonObject kept = EmptyTextsAsNull(encoded);
    FUZZ_CHECK(Compact(set.Data()) == Compact(kept),
               QStringLiteral("the loaded set encodes another packet:\n%1\n%2")
                   .arg(QString::fromUtf8(Compact(set.Data())), QString::fromUtf8(Compact(kept))));
    EditAndCheckDelta(set);
    FUZZ_CHECK(Compact(set.Data()) == Compact(kept), QStringLiteral("CancelUpdates does not restore the loaded rows"));
    // Sorted by the first column, when its name can stand in a field list ("A;B", blanks trimmed).
    const QString sortName = set.FieldCount() > 0 ? set.Fields().constFirst()->FieldName() : QString();
    if (sortName == sortName.trimmed() && !sortName.contains(QLatin1Char(';'))) {
        set.SetIndexFieldNames(sortName);
        Walk(set);
    }

    // A set with declared label fields: a packet of other kinds is refused and changes nothing.
    TClientDataSet labels;
    DefineLabels(labels);
    labels.CreateDataSet();
    try {
        labels.SetData(json);
    } catch (const EDatabaseError&) {
        FUZZ_CHECK(labels.Active() && labels.RecordCount() == 0, QStringLiteral("a refused packet changed the set"));
        return;
    }
    Walk(labels);
    EditAndCheckDelta(labels);
}

// The set as loaded (its packet), or the message that refused the packet; with the label fields
// declared, or taking the packet's columns.
QString Loaded(bool declared, const std::function<void(TClientDataSet&)>& load)
{
    try {
        TClientDataSet set;
        if (declared)
            DefineLabels(set);
        load(set);
        return QString::fromUtf8(Compact(set.Data()));
    } catch (const EDatabaseError& e) {
        return e.Message();
    }
}

void CheckChangePacket(const QJsonObject& json)
{
    TChangePacket packet;
    try {
        packet = ChangePacketFromJson(json);
    } catch (const EDatabaseError&) {
        return;
    }
    const QJsonObject encoded = ChangePacketToJson(packet);
    const TChangePacket again = ChangePacketFromJson(encoded);
    FUZZ_CHECK(Compact(ChangePacketToJson(again)) == Compact(encoded), QStringLiteral("change packet round trip differs"));
}

void CheckTaggedValue(const QJsonValue& json)
{
    TVariant value;
    try {
        value = TVariant::FromJson(json);
    } catch (const EConvertError&) {
        return;
    }
    QJsonObject encoded;
    try {
        encoded = value.ToJson();
    } catch (const EConvertError&) {
        // JSON cannot carry the number; the value was read from JSON, so this cannot happen.
        FUZZ_CHECK(false, QStringLiteral("a tagged value read from JSON cannot be written back"));
    }
    const TVariant again = TVariant::FromJson(encoded);
    FUZZ_CHECK(again == value, QStringLiteral("tagged value round trip differs: %1").arg(QString::fromUtf8(Compact(encoded))));
    // The scalar readers either convert or raise the conversion error.
    try { (void)value.AsString(); } catch (const EConvertError&) {}
    try { (void)value.AsDouble(); } catch (const EConvertError&) {}
    try { (void)value.AsInteger(); } catch (const EConvertError&) {}
    try { (void)value.AsBool(); } catch (const EConvertError&) {}
    try { (void)value.AsDate(); } catch (const EConvertError&) {}
    if (value.kind() == TVariant::Kind::Packet)
        CheckDataPacket(value.AsPacket());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = FuzzBytes(data, size);
    // Reading a data packet from the bytes must give what the general reader gives from Qt's
    // document: the same packet, or a refusal (the same message when the bytes are a JSON object).
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    QString general = QStringLiteral("-"), fromBytes = QStringLiteral("-");
    QByteArray generalPacket, bytesPacket;
    try {
        bytesPacket = Compact(DataPacketToJson(DataPacketFromJsonBytes(bytes)));
    } catch (const EDatabaseError& e) {
        fromBytes = e.Message();
    }
    if (error.error == QJsonParseError::NoError && doc.isObject()) {
        try {
            generalPacket = Compact(DataPacketToJson(DataPacketFromJson(doc.object())));
        } catch (const EDatabaseError& e) {
            general = e.Message();
        }
        FUZZ_CHECK(fromBytes == general && bytesPacket == generalPacket,
                   QStringLiteral("the packet read from bytes differs: %1 / %2").arg(fromBytes, general));
        // Loaded from the bytes straight into a set's columns, or from the document row by row:
        // the same set, or the same refusal.
        for (const bool declared : {false, true}) {
            const QString viaBytes = Loaded(declared, [&](TClientDataSet& set) { set.LoadPacketBytes(bytes); });
            const QString viaDocument = Loaded(declared, [&](TClientDataSet& set) { set.SetData(doc.object()); });
            FUZZ_CHECK(viaBytes == viaDocument, QStringLiteral("the set loaded from bytes differs: %1 / %2").arg(viaBytes, viaDocument));
        }
    } else {
        FUZZ_CHECK(bytesPacket.isEmpty(), QStringLiteral("bytes that are no JSON object were read as a packet"));
    }
    if (error.error != QJsonParseError::NoError)
        return 0;
    if (doc.isObject()) {
        CheckDataPacket(doc.object());
        CheckChangePacket(doc.object());
        CheckTaggedValue(doc.object());
    } else if (doc.isArray()) {
        for (const QJsonValue& item : doc.array())
            CheckTaggedValue(item);
    }
    return 0;
}
