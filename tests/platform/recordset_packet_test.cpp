// Data packets in and out of a record set, their JSON form, and the change log.

#include "recordset_fixture.h"

#include "platform/packet.h"
#include "platform/sysutils.h"
#include "support/timezonescope.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>
#include <functional>
#include <limits>

namespace {

QJsonObject Json(const char* text)
{
    return QJsonDocument::fromJson(QByteArray(text)).object();
}

const char* const kItems = R"({"fields": [{"name": "CDFILIAL", "type": "string", "width": 4},
    {"name": "IDCHECK", "type": "fixedString", "width": 1},
    {"name": "VRPESOETIQ", "type": "float"},
    {"name": "DTEMISSAO", "type": "dateTime"},
    {"name": "NRPEDEXOL", "type": "string", "width": 20}],
  "rows": [["0001", "U", 2.5, "2026-12-08T00:00:00", "P1"],
           ["0001", null, 3.75, null, null]]})";

class RecordSetPackets : public ::testing::Test {
protected:
    void SetUp() override
    {
        set.AddField("CDFILIAL", TFieldType::String, 4);
        set.AddField("IDCHECK", TFieldType::FixedString, 1);
        set.AddField("VRPESOETIQ", TFieldType::Float);
        set.AddField("DTEMISSAO", TFieldType::DateTime);
        set.SetData(Json(kItems));
    }

    void SetWeight(double w)
    {
        set.Edit();
        set.FieldByName("VRPESOETIQ")->SetAsFloat(w);
        set.Post();
    }

    QJsonArray Changes() const { return set.Delta().value("changes").toArray(); }

    TClientDataSet set;
};

TEST_F(RecordSetPackets, LoadingGivesTheRowsAndLeavesUndeclaredColumnsUnreachable)
{
    EXPECT_EQ(set.RecordCount(), 2);
    EXPECT_EQ(set.FieldByName("VRPESOETIQ")->AsFloat(), 2.5);
    EXPECT_EQ(set.FieldByName("DTEMISSAO")->AsDateTime(), WallClock(QDate(2026, 12, 8)));
    EXPECT_EQ(set.FindField("NRPEDEXOL"), nullptr);
    EXPECT_EQ(set.FieldCount(), 4);
    set.SetFilter("NRPEDEXOL = 'P1'");
    EXPECT_THROW(set.SetFiltered(true), EDatabaseError);
}

TEST_F(RecordSetPackets, SavingRoundTripsEveryValueAndTheUndeclaredColumn)
{
    const QJsonObject saved = set.Data();
    EXPECT_EQ(saved, Json(kItems));
    TClientDataSet copy;
    copy.SetData(saved);  // a set without fields takes the packet's columns
    EXPECT_EQ(copy.FieldCount(), 5);
    EXPECT_EQ(copy.FieldByName("NRPEDEXOL")->AsString(), "P1");
    EXPECT_EQ(copy.FieldByName("IDCHECK")->DataType(), TFieldType::FixedString);
    EXPECT_EQ(copy.Data(), saved);
}

TEST_F(RecordSetPackets, DateTimesWithMillisecondsAndDoublesTravelExactly)
{
    TDataPacket p;
    p.fields = {{"D", TPacketFieldType::DateTime, 0}, {"F", TPacketFieldType::Float, 0}};
    p.rows = {{QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5, 678)), 0.1 + 0.2}};
    const QJsonObject json = DataPacketToJson(p);
    EXPECT_EQ(json.value("rows").toArray().at(0).toArray().at(0).toString(), "2026-01-02T03:04:05.678");
    const TDataPacket back = DataPacketFromJsonBytes(QJsonDocument(json).toJson());
    EXPECT_EQ(back.rows.at(0).at(0).toDateTime(), WallClock(QDate(2026, 1, 2), QTime(3, 4, 5, 678)));
    EXPECT_EQ(back.rows.at(0).at(1).toDouble(), 0.1 + 0.2);
    // A time of day on the first day a date can hold loads and shows as that day.
    TClientDataSet first;
    first.LoadPacket(DataPacketFromJsonBytes(R"({"fields": [{"name": "D", "type": "dateTime"}],
                                                "rows": [["6851-01-30T00:00:00"], ["0001-01-01T00:00:15"]]})"));
    first.Last();
    EXPECT_EQ(first.FieldByName("D")->AsString(), "01/01/0001 00:00:15");
}

TEST_F(RecordSetPackets, BadPacketsAreRefusedSayingWhatIsWrongAndTheRowsStay)
{
    set.SetRecNo(2);
    const struct { const char* json; const char* says; } cases[] = {
        {R"({"fields": [{"name": "CDFILIAL", "type": "text", "width": 4}], "rows": []})", "text"},
        {R"({"fields": [{"name": "CDFILIAL", "type": "string", "width": 4}], "rows": [["1", "2"]]})", "linha 1"},
        {R"({"fields": [{"name": "VRPESOETIQ", "type": "float"}], "rows": [["2,5"]]})", "VRPESOETIQ"},
        {R"({"fields": [{"name": "DTEMISSAO", "type": "dateTime"}], "rows": [["08/12/2026"]]})", "DTEMISSAO"},
        {R"({"fields": [{"name": "CDFILIAL", "type": "string", "width": 4}], "rows": [[12]]})", "CDFILIAL"},
        {R"({"fields": [{"name": "CDFILIAL", "type": "string", "width": 4}], "rows": [["00001"]]})", "00001"},
        {R"({"fields": [{"name": "CDFILIAL", "type": "string", "width": 9}], "rows": [["000011"]]})", "largura 4"},
        {R"({"fields": [{"name": "CDFILIAL", "type": "float"}], "rows": []})", "CDFILIAL"},
        {R"({"fields": [{"name": "CDFILIAL", "type": "string"}], "rows": []})", "largura"},
        {R"({"fields": {}, "rows": []})", "fields"},
        {R"({"fields": []})", "rows"},
        {R"({"fields": [], "rows": [5]})", "linha 1"},
    };
    for (const auto& c : cases) {
        QString said;
        try {
            set.SetData(Json(c.json));
            ADD_FAILURE() << c.json;
        } catch (const EDatabaseError& e) {
            said = e.Message();
            EXPECT_TRUE(said.contains(QString::fromUtf8(c.says))) << said.toStdString();
        }
        EXPECT_EQ(set.RecordCount(), 2);
        EXPECT_EQ(set.RecNo(), 2);
        // From bytes, straight into the columns: the same refusal, the same rows kept.
        try {
            set.LoadPacketBytes(QByteArray(c.json));
            ADD_FAILURE() << c.json;
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.Message(), said);
        }
        EXPECT_EQ(set.RecordCount(), 2);
        EXPECT_EQ(set.RecNo(), 2);
    }
    EXPECT_THROW(DataPacketFromJsonBytes("[1, 2]"), EDatabaseError);
    EXPECT_THROW(DataPacketFromJsonBytes("{\"fields\":"), EDatabaseError);
}

// Reading a packet from bytes gives what the general reader gives from Qt's document: the same
// rows, or the same refusal with the same message, whatever the bytes hold.
TEST(PacketBytes, ReadLikeTheGeneralReader)
{
    const char* const fields = R"("fields": [{"name": "S", "type": "string", "width": 3}, {"name": "F", "type": "float"},
                                            {"name": "D", "type": "dateTime"}])";
    const QString cases[] = {
        QStringLiteral(R"({%1, "rows": [["ab", 1.5, "2026-01-02T03:04:05"], ["ab", -0, null], ["ab", -0.0, "2026-01-02T03:04:05.006"]]})"),
        QStringLiteral(R"({%1, "rows": [["\u00e9\"\\", 1e308, null], [null, 123456789012345678901234567890, null], ["", 5e-324, null]]})"),
        QStringLiteral(R"({%1, "rows": [["x", 9007199254740993, null], ["x", -12, null], ["y", 0.1, null]]})"),
        QStringLiteral(R"({%1, "rows": [["x", -0.4444444444444444444444444444444444444444444444444444444444440, null], ["x", 1.000000000000000000001e-5, null]]})"),
        QStringLiteral(R"({%1, "rows": [["x", 002583879013125487464, null]]})"),  // leading zeros
        // A value repeated as another token: escaped, spaced, as another number.
        QStringLiteral(R"({%1, "rows": [["a\u0062", 1, null], ["ab" , 1.0 , null ], ["ab", 1, null], ["a\u0062", 1, null]]})"),
        QStringLiteral("{%1, \"rows\": [[\"a\tb\", 1, null], [\"a\tb\", 1, null]]}"),  // a raw control character
        QStringLiteral(R"({"rows": [], %1})"),                                   // rows before fields
        QStringLiteral(R"({%1, "rows": [], "extra": true})"),                   // another member
        QStringLiteral(R"({%1, "rows": [], "rows": [["a", 1, null]]})"),        // a member twice
        QStringLiteral(R"({"fie\u006cds": [{"width": 2, "type": "string", "name": "S"}], "rows": [["ab"]]})"),
        QStringLiteral(R"({"fields": [{"name": "F", "type": "float", "width": "x"}], "rows": [[1]]})"),
        QStringLiteral(R"({"fields": [{"name": "F", "type": "float", "name": "G"}], "rows": [[1]]})"),
        QStringLiteral(R"({%1, "rows": [["abcd", 1, null]]})"),                  // too wide
        QStringLiteral(R"({%1, "rows": [["ab", "1", null]]})"),                  // a text for a number
        QStringLiteral(R"({%1, "rows": [["ab", 1, "2026-13-02T03:04:05"]]})"),   // no date
        QStringLiteral(R"({%1, "rows": [["ab", 1]]})"),                          // short row
        QStringLiteral(R"({%1, "rows": [["ab", 1, null, 4]]})"),                 // long row
        QStringLiteral(R"({%1, "rows": [["ab", true, null]]})"),
        QStringLiteral(R"({%1, "rows": [["ab", [1], null]]})"),
        QStringLiteral(R"({%1, "rows": [["\ud800", 1, null]]})"),                // a lone surrogate
        QStringLiteral(R"({%1, "rows": [["ab", 1e400, null]]})"),
        QStringLiteral(R"({%1, "rows": [["ab", 5e-325, null]]})"),              // too small for a double
        QStringLiteral(R"({%1, "rows": [["ab", -0.000e-400, null]]})"),
        QStringLiteral(R"({%1, "rows": [["ab", nul, null]]})"),
        QStringLiteral(R"({%1, "rows": []} x)"),                                  // text after the packet
        QStringLiteral(R"({%1, "rows": [)"),
        QStringLiteral(R"({"fields": [{"name": "S", "type": "string", "width": 2}, {"name": "s", "type": "float"}], "rows": []})"),
        QStringLiteral(R"({"fields": [{"name": "", "type": "float"}], "rows": []})"),
        QStringLiteral(R"([1, 2])"),
        QStringLiteral(R"("packet")"),
        QStringLiteral(""),
    };
    // Many rows: texts that never repeat and numbers that come back after more than the reader keeps.
    QStringList many;
    for (int i = 0; i < 700; ++i)
        many << QStringLiteral(R"(["%1", %2, null])").arg(i, 3, 10, QLatin1Char('0')).arg(i % 90);
    QStringList all(std::begin(cases), std::end(cases));
    all << QStringLiteral(R"({%1, "rows": [%2]})").arg(QLatin1String("%1"), many.join(QLatin1Char(',')));
    for (const QString& c : all) {
        const QByteArray bytes = QString(c).replace(QLatin1String("%1"), QLatin1String(fields)).toUtf8();
        QString general, fromBytes;
        TDataPacket generalPacket, bytesPacket;
        try {
            QJsonParseError error;
            const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
            if (error.error != QJsonParseError::NoError)
                general = QStringLiteral("Pacote de dados inválido: o texto não é JSON (%1).").arg(error.errorString());
            else if (!doc.isObject())
                general = QStringLiteral("Pacote de dados inválido: o pacote não é um objeto.");
            else
                generalPacket = DataPacketFromJson(doc.object());
        } catch (const EDatabaseError& e) {
            general = e.Message();
        }
        try {
            bytesPacket = DataPacketFromJsonBytes(bytes);
        } catch (const EDatabaseError& e) {
            fromBytes = e.Message();
        }
        // The same values of the same kinds, numbers with the same sign bit (-0 is not 0).
        ASSERT_EQ(bytesPacket.rows.size(), generalPacket.rows.size()) << bytes.constData();
        EXPECT_EQ(DataPacketToJson(bytesPacket), DataPacketToJson(generalPacket)) << bytes.constData();
        for (qsizetype r = 0; r < bytesPacket.rows.size(); ++r)
            for (qsizetype f = 0; f < bytesPacket.fields.size(); ++f) {
                const QVariant& a = bytesPacket.rows[r][f];
                const QVariant& b = generalPacket.rows[r][f];
                EXPECT_EQ(a.typeId(), b.typeId()) << bytes.constData();
                EXPECT_EQ(a, b) << bytes.constData();
                if (a.typeId() == QMetaType::Double) {
                    EXPECT_EQ(std::signbit(a.toDouble()), std::signbit(b.toDouble())) << bytes.constData();
                }
            }
        EXPECT_EQ(fromBytes, general) << bytes.constData();
        // Loaded into a set from the bytes, or from the general reader's packet: the same set.
        auto load = [](const std::function<void(TClientDataSet&)>& how) {
            try {
                TClientDataSet s;
                how(s);
                return QString::fromUtf8(QJsonDocument(s.Data()).toJson(QJsonDocument::Compact));
            } catch (const EDatabaseError& e) {
                return e.Message();
            }
        };
        const QString viaBytes = load([&](TClientDataSet& s) { s.LoadPacketBytes(bytes); });
        EXPECT_EQ(viaBytes, general.isEmpty() ? load([&](TClientDataSet& s) { s.LoadPacket(generalPacket); }) : general)
            << bytes.constData();
    }
}

// Texts loaded from bytes or from a packet share blocks of characters: each stays whole after
// the set is gone, ends in a zero, and changing one changes no other.
TEST(PacketBytes, TextsOutliveTheSetAndChangeAlone)
{
    const QByteArray json = R"({"fields": [{"name": "S", "type": "string", "width": 2000}], "rows": [["ab"], ["cd"], ["été"]]})";
    const QString longText(1500, QLatin1Char('L'));  // too long to share a block
    for (const bool fromBytes : {true, false}) {
        SCOPED_TRACE(fromBytes ? "bytes" : "packet");
        QString first, second, third, fourth;
        {
            TClientDataSet s;
            if (fromBytes) {
                s.LoadPacketBytes(json);
            } else {
                TDataPacket p = DataPacketFromJsonBytes(json);
                p.rows.append({longText});
                s.LoadPacket(std::move(p));
            }
            first = s.FieldByName("S")->AsString();
            s.Next();
            second = s.FieldByName("S")->AsString();
            s.Next();
            third = s.FieldByName("S")->AsString();
            s.Next();
            fourth = s.FieldByName("S")->AsString();
        }
        first.append(QStringLiteral("xyz"));
        EXPECT_EQ(first, "abxyz");
        EXPECT_EQ(second, "cd");
        EXPECT_EQ(second.utf16()[2], 0);
        EXPECT_EQ(third, QString::fromUtf8("\u00e9t\u00e9"));
        EXPECT_EQ(fourth, fromBytes ? third : longText);
        second.clear();
        third.clear();
        first.append(QString(200, QLatin1Char('x')));  // now alone in its block
        EXPECT_EQ(first, QStringLiteral("abxyz") + QString(200, QLatin1Char('x')));
    }
}

TEST_F(RecordSetPackets, TextWidthsThatAreNoWholeNumberOfCharactersAreRefused)
{
    // Far beyond int (once converted without a range check), just beyond it, fractions, zero.
    for (const char* width : {"2.2e72", "2147483648", "2.5", "0", "-3", "\"4\""}) {
        const QString fields = QStringLiteral(R"([{"name": "NRSEQETIQ", "type": "string", "width": %1}])").arg(width);
        EXPECT_THROW(DataPacketFromJson(Json(QStringLiteral(R"({"fields": %1, "rows": [["00001"]]})").arg(fields).toUtf8().constData())),
                     EDatabaseError) << width;
        EXPECT_THROW(ChangePacketFromJson(Json(QStringLiteral(R"({"fields": %1, "changes": []})").arg(fields).toUtf8().constData())),
                     EDatabaseError) << width;
    }
    EXPECT_EQ(DataPacketFromJson(Json(R"({"fields": [{"name": "A", "type": "string", "width": 2147483647}], "rows": []})"))
                  .fields.at(0).width, 2147483647);
}

TEST_F(RecordSetPackets, LoadingClearsTheChangeLogAndFiresOpenAndScrollEvents)
{
    SetWeight(9);
    ASSERT_EQ(set.ChangeCount(), 1);
    QStringList events;
    set.AfterOpen = [&](TClientDataSet*) { events << "AfterOpen"; };
    set.AfterScroll = [&](TClientDataSet*) { events << "AfterScroll"; };
    set.SetData(Json(kItems));
    EXPECT_EQ(set.ChangeCount(), 0);
    EXPECT_EQ(events, QStringList({"AfterOpen", "AfterScroll"}));
    EXPECT_EQ(set.FieldByName("VRPESOETIQ")->AsFloat(), 2.5);
}

TEST_F(RecordSetPackets, ChangesTravelOncePerRowInTheOrderOfFirstChange)
{
    set.SetRecNo(2);
    SetWeight(5);          // modify row 2
    set.Append();          // insert, then edit: one insert with the final values
    set.FieldByName("CDFILIAL")->SetAsString("0009");
    set.Post();
    SetWeight(7);
    set.Append();          // insert, then delete: nothing travels
    set.FieldByName("CDFILIAL")->SetAsString("0008");
    set.Post();
    set.Delete();
    set.First();
    SetWeight(1);          // modify row 1 ...
    set.Delete();          // ... then delete it: travels as a delete with the loaded values
    set.Locate("CDFILIAL;VRPESOETIQ", {"0001", 5.0});
    SetWeight(6);          // a second change of row 2 keeps its first old values

    EXPECT_EQ(set.ChangeCount(), 3);
    const QJsonArray changes = Changes();
    ASSERT_EQ(changes.size(), 3);
    EXPECT_EQ(changes[0].toObject(), Json(R"({"kind": "modify", "old": ["0001", null, 3.75, null, null],
                                               "new": ["0001", null, 6, null, null]})"));
    EXPECT_EQ(changes[1].toObject(), Json(R"({"kind": "insert", "new": ["0009", null, 7, null, null]})"));
    EXPECT_EQ(changes[2].toObject(), Json(R"({"kind": "delete", "old": ["0001", "U", 2.5, "2026-12-08T00:00:00", "P1"]})"));
    EXPECT_EQ(set.Delta().value("fields"), Json(kItems).value("fields"));
    const TChangePacket parsed = ChangePacketFromJson(set.Delta());
    EXPECT_EQ(parsed.changes.size(), 3);
    EXPECT_EQ(parsed.changes[0].oldRow.at(2).toDouble(), 3.75);
}

TEST_F(RecordSetPackets, EmptyingDropsRowsAndTheChangeLogWithoutDeleteEvents)
{
    SetWeight(3);
    bool deleted = false;
    set.BeforeDelete = [&](TClientDataSet*) { deleted = true; };
    set.EmptyDataSet();
    EXPECT_TRUE(set.IsEmpty());
    EXPECT_EQ(set.ChangeCount(), 0);
    EXPECT_FALSE(deleted);
    set.Append();
    set.FieldByName("CDFILIAL")->SetAsString("0002");
    set.Post();
    EXPECT_EQ(Changes().size(), 1);
}

TEST_F(RecordSetPackets, MergingKeepsTheRowsAndForgetsTheChanges)
{
    SetWeight(8);
    set.Append();
    set.FieldByName("CDFILIAL")->SetAsString("0003");
    set.Post();
    set.MergeChangeLog();
    EXPECT_EQ(set.ChangeCount(), 0);
    EXPECT_EQ(set.RecordCount(), 3);
    set.Delete();  // the merged new row now counts as a loaded one
    EXPECT_EQ(Changes().at(0).toObject().value("kind").toString(), "delete");
}

TEST_F(RecordSetPackets, CancellingUpdatesRestoresTheLoadedRows)
{
    const QJsonObject loaded = set.Data();
    SetWeight(8);
    set.Append();
    set.FieldByName("CDFILIAL")->SetAsString("0003");
    set.Post();
    set.First();
    set.Delete();
    set.CancelUpdates();
    EXPECT_EQ(set.ChangeCount(), 0);
    EXPECT_EQ(set.Data(), loaded);
    EXPECT_TRUE(set.Locate("VRPESOETIQ", {2.5}));
}

TEST_F(RecordSetPackets, CancellingUpdatesAfterAPostedRowLeftTheFilterWalksOnFromTheFirstRow)
{
    set.SetFilter("VRPESOETIQ > 2");
    set.SetFiltered(true);
    SetWeight(1);  // leaves the view with the next row current
    set.CancelUpdates();
    EXPECT_EQ(set.RecNo(), 1);
    set.Next();
    EXPECT_EQ(set.RecNo(), 2);
    EXPECT_FALSE(set.Eof());
}

// JSON cannot write an infinity or a NaN: a packet holding one is refused where it is written,
// rather than sent with a null in its place.
TEST_F(RecordSetPackets, ANumberThatIsNotFiniteIsRefusedInDataAndChangePackets)
{
    for (const double bad : {std::numeric_limits<double>::infinity(), std::nan("")}) {
        SetWeight(bad);
        for (const auto& write : std::initializer_list<std::function<QJsonObject()>>{[&] { return set.Data(); },
                                                                                       [&] { return set.Delta(); }}) {
            try {
                write();
                ADD_FAILURE() << bad;
            } catch (const EDatabaseError& e) {
                EXPECT_TRUE(e.Message().contains("VRPESOETIQ")) << e.Message().toStdString();
            }
        }
    }
    QJsonObject packet = Json(R"({"fields": [{"name": "VRPESOETIQ", "type": "float"}], "rows": []})");
    packet.insert("rows", QJsonArray{QJsonArray{std::numeric_limits<double>::infinity()}});
    EXPECT_THROW(DataPacketFromJson(packet), EDatabaseError);
}

// An empty text is null whichever way it came: loaded from a packet or written through a field.
TEST_F(RecordSetPackets, AnEmptyTextLoadsAsNullAsWhenWrittenThroughAField)
{
    set.SetData(Json(R"({"fields": [{"name": "CDFILIAL", "type": "string", "width": 4},
        {"name": "IDCHECK", "type": "fixedString", "width": 1}], "rows": [["", ""], ["0001", "U"]]})"));
    EXPECT_TRUE(set.FieldByName("CDFILIAL")->IsNull());
    EXPECT_TRUE(set.FieldByName("IDCHECK")->IsNull());
    EXPECT_EQ(set.Data().value("rows").toArray().at(0), QJsonArray({QJsonValue(), QJsonValue(), QJsonValue(), QJsonValue()}));
    set.SetFilter("CDFILIAL IS NULL");
    set.SetFiltered(true);
    EXPECT_EQ(set.RecordCount(), 1);
}

// 2018-11-04 00:00 did not exist in America/Sao_Paulo: loaded, shown, filtered, written and sent
// again, the day stays whole in that zone.
TEST_F(RecordSetPackets, ADayWhoseMidnightTheLocalZoneSkippedLoadsFiltersAndTravelsIntact)
{
    const TTimeZoneScope zone(kSkippedMidnightZone);
    const char* const packet = R"({"fields": [{"name": "DTEMISSAO", "type": "dateTime"}],
        "rows": [["2018-11-04T00:00:00"], ["2018-11-03T23:00:00"]]})";
    set.SetData(Json(packet));
    TField* day = set.FieldByName("DTEMISSAO");
    EXPECT_EQ(day->AsString(), "04/11/2018");
    EXPECT_EQ(day->AsFloat(), EncodeDate(2018, 11, 4));
    const QJsonArray saved = set.Data().value("rows").toArray();
    EXPECT_EQ(saved.at(0).toArray().at(3).toString(), "2018-11-04T00:00:00");
    EXPECT_EQ(saved.at(1).toArray().at(3).toString(), "2018-11-03T23:00:00");
    set.SetFilter("DTEMISSAO >= '04/11/2018'");
    set.SetFiltered(true);
    EXPECT_EQ(set.RecordCount(), 1);
    set.SetFiltered(false);
    set.SetIndexFieldNames("DTEMISSAO");
    EXPECT_EQ(day->AsString(), "03/11/2018 23:00:00");
    set.Edit();
    day->SetAsDateTime(QDateTime(QDate(2018, 11, 4), QTime(0, 0)));  // local, and invalid for Qt
    EXPECT_FALSE(day->IsNull());
    set.Post();
    day->DisplayFormat = "dd/mm/yyyy hh:nn";
    EXPECT_EQ(day->DisplayText(), "04/11/2018 00:00");
    set.Edit();
    day->SetAsString("04/11/2018 00:30");
    set.Post();
    EXPECT_EQ(set.Delta().value("changes").toArray().at(0).toObject().value("new").toArray().at(3).toString(),
              "2018-11-04T00:30:00");
}

TEST_F(RecordSetPackets, TheChangePacketOfAnUntouchedSetIsEmpty)
{
    EXPECT_EQ(set.Delta(), Json(R"({"fields": [{"name": "CDFILIAL", "type": "string", "width": 4},
        {"name": "IDCHECK", "type": "fixedString", "width": 1}, {"name": "VRPESOETIQ", "type": "float"},
        {"name": "DTEMISSAO", "type": "dateTime"}, {"name": "NRPEDEXOL", "type": "string", "width": 20}], "changes": []})"));
}

TEST_F(RecordSetPackets, ChangePacketsOfTheWrongShapeAreRefused)
{
    EXPECT_THROW(ChangePacketFromJson(Json(R"({"fields": [], "changes": [{"kind": "upsert"}]})")), EDatabaseError);
    EXPECT_THROW(ChangePacketFromJson(Json(R"({"fields": [{"name": "A", "type": "float"}],
        "changes": [{"kind": "modify", "new": [1]}]})")), EDatabaseError);
    EXPECT_THROW(ChangePacketFromJson(Json(R"({"fields": []})")), EDatabaseError);
}

}  // namespace
