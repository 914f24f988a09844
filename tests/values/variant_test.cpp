// Tagged values as they travel to and from the application server.

#include "platform/errors.h"
#include "platform/variant.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// Writes the value as the wire does and reads it back from the bytes.
TVariant ThroughTheWire(const TVariant& value)
{
    const QByteArray bytes = QJsonDocument(value.ToJson()).toJson(QJsonDocument::Compact);
    return TVariant::FromJson(QJsonDocument::fromJson(bytes).object());
}

QJsonValue Json(const char* text)
{
    return QJsonDocument::fromJson(QByteArray("[") + text + "]").array().at(0);
}

QString ShapeError(const char* json)
{
    try {
        TVariant::FromJson(Json(json));
    } catch (const EConvertError& e) {
        return e.Message();
    }
    return QStringLiteral("<no error>");
}

}   // namespace

TEST(TaggedValueWire, EveryKindSurvivesTheWire)
{
    const QJsonObject packet{{"fields", QJsonArray{}}, {"rows", QJsonArray{}}};
    const TVariant values[] = {
        TVariant(),
        TVariant::FromString("0001"),
        TVariant::FromString("_0001_,_0003_", true),
        TVariant::FromString(QString()),
        TVariant::FromDouble(0.1 + 0.2),
        TVariant::FromDouble(-1234.5678e-200),
        TVariant::FromInteger(std::numeric_limits<qint64>::max()),
        TVariant::FromInteger(-7),
        TVariant::FromBool(false),
        TVariant::FromDate(46364.75),
        TVariant::FromPacket(packet),
        TVariant::FromArray({TVariant::FromPacket(packet), TVariant::FromArray({TVariant::FromString("x")}), TVariant()}),
    };
    for (const TVariant& v : values)
        EXPECT_TRUE(ThroughTheWire(v) == v) << TVariant::KindName(v.kind()).toStdString();
}

TEST(TaggedValueWire, WritesTheProtocolShape)
{
    EXPECT_EQ(TVariant::FromString("T", true).ToJson(),
              (QJsonObject{{"type", "string"}, {"value", "T"}, {"byRef", true}}));
    EXPECT_EQ(TVariant::FromString("T").ToJson(), (QJsonObject{{"type", "string"}, {"value", "T"}}));
    EXPECT_EQ(TVariant().ToJson(), (QJsonObject{{"type", "null"}}));
    EXPECT_EQ(TVariant::FromDate(46364.0).ToJson(), (QJsonObject{{"type", "date"}, {"value", 46364.0}}));
    const QByteArray text = QJsonDocument(TVariant::FromDouble(0.1 + 0.2).ToJson()).toJson(QJsonDocument::Compact);
    EXPECT_TRUE(text.contains("0.30000000000000004")) << text.toStdString();
}

TEST(TaggedValueWire, AValueJsonCannotHoldIsRefusedInsteadOfSentAsNull)
{
    EXPECT_THROW(TVariant::FromDouble(std::nan("")).ToJson(), EConvertError);
    EXPECT_THROW(TVariant::FromArray({TVariant::FromDouble(INFINITY)}).ToJson(), EConvertError);
}

TEST(TaggedValueShape, WrongShapesAreRefusedSayingWhatIsWrong)
{
    EXPECT_EQ(ShapeError("42"), "Valor inválido: esperava um objeto com \"type\" e \"value\".");
    EXPECT_EQ(ShapeError("{\"value\": 1}"), "Valor inválido: falta o tipo (\"type\").");
    EXPECT_EQ(ShapeError("{\"type\": \"money\", \"value\": 1}"), "Valor inválido: tipo desconhecido \"money\".");
    EXPECT_EQ(ShapeError("{\"type\": \"string\", \"value\": 5}"), "Valor inválido: o valor de um \"string\" deve ser um texto.");
    EXPECT_EQ(ShapeError("{\"type\": \"integer\", \"value\": 2.5}"),
              "Valor inválido: o valor de um \"integer\" deve ser um número inteiro.");
    EXPECT_EQ(ShapeError("{\"type\": \"array\", \"value\": [{\"type\": \"string\", \"value\": \"a\"}, 3]}"),
              "Valor inválido (em lista[1]): esperava um objeto com \"type\" e \"value\".");
    EXPECT_NE(ShapeError("{\"type\": \"string\", \"value\": \"a\", \"byRef\": \"yes\"}"), "<no error>");
    EXPECT_NE(ShapeError("{\"type\": \"boolean\", \"value\": 1}"), "<no error>");
    EXPECT_NE(ShapeError("{\"type\": \"date\", \"value\": \"2026-12-08\"}"), "<no error>");
    EXPECT_NE(ShapeError("{\"type\": \"packet\", \"value\": []}"), "<no error>");
    EXPECT_NE(ShapeError("{\"type\": \"null\", \"value\": 0}"), "<no error>");
}

TEST(TaggedValueShape, WholeNumbersMayArriveWhereDoublesAreExpected)
{
    EXPECT_EQ(TVariant::FromJson(Json("{\"type\": \"double\", \"value\": 10}")).AsDouble(), 10.0);
    EXPECT_EQ(TVariant::FromJson(Json("{\"type\": \"integer\", \"value\": 10.0}")).AsInteger(), 10);
}

TEST(TaggedValueConversion, ScalarsConvertToText)
{
    EXPECT_EQ(TVariant().AsString(), "");
    EXPECT_EQ(TVariant::FromString("Erro: sem saldo").AsString(), "Erro: sem saldo");
    EXPECT_EQ(TVariant::FromDouble(7.5).AsString(), "7,5");
    EXPECT_EQ(TVariant::FromInteger(-12).AsString(), "-12");
    EXPECT_EQ(TVariant::FromBool(true).AsString(), "True");
    EXPECT_EQ(TVariant::FromDate(46364.0).AsString(), "08/12/2026");
    EXPECT_THROW(TVariant::FromArray({}).AsString(), EConvertError);
    EXPECT_THROW(TVariant::FromPacket({}).AsString(), EConvertError);
}

TEST(TaggedValueConversion, NumbersAndDatesConvertOnlyWithoutLosingData)
{
    EXPECT_EQ(TVariant::FromString("2,5").AsDouble(), 2.5);
    EXPECT_EQ(TVariant::FromInteger(3).AsDouble(), 3.0);
    EXPECT_EQ(TVariant::FromDouble(4.0).AsInteger(), 4);
    EXPECT_THROW(TVariant::FromDouble(4.5).AsInteger(), EConvertError);
    EXPECT_THROW(TVariant::FromDouble(1e30).AsInteger(), EConvertError);
    EXPECT_THROW(TVariant::FromString("2.5").AsDouble(), EConvertError);
    EXPECT_THROW(TVariant().AsDouble(), EConvertError);
    EXPECT_EQ(TVariant::FromString("08/12/2026").AsDate(), 46364.0);
    EXPECT_TRUE(TVariant::FromInteger(1).AsBool());
    EXPECT_THROW(TVariant::FromString("sim").AsBool(), EConvertError);
}

TEST(TaggedValueConversion, ArrayElementsAndPacketsAreReachedOnlyWhenPresent)
{
    const QJsonObject packet{{"rows", QJsonArray{}}};
    const TVariant reply = TVariant::FromArray({TVariant::FromPacket(packet)});
    EXPECT_EQ(reply[0].AsPacket(), packet);
    try {
        reply[1];
        FAIL() << "element 1 does not exist";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "A lista recebida não tem o elemento 1 (tem 1 elemento(s)).");
    }
    EXPECT_THROW(reply[-1], EConvertError);
    EXPECT_THROW(TVariant::FromString("x")[0], EConvertError);
    EXPECT_THROW(reply.AsPacket(), EConvertError);
}
