#include "labels/labelcodes.h"
#include "labels/messagetables.h"

#include <QSet>

#include <gtest/gtest.h>

namespace {

QStringList Keys(const QStringList& table)
{
    QStringList keys;
    for (const QString& entry : table)
        keys << entry.section(QLatin1Char('|'), 0, 0);
    return keys;
}

TEST(MessageTablesTest, QueryScreenTableKeepsItsStoredOrder)
{
    const QStringList keys = Keys(MensagensConsulta());
    // The stored thirty entries first, then the grouping limit, the closing questions and the
    // empty search.
    ASSERT_EQ(keys.size(), 35);
    EXPECT_EQ(keys.first(), "GetDados");
    EXPECT_EQ(keys.indexOf("Inv_CodBar") + 1, keys.indexOf("NExi_CodBar"));
    EXPECT_EQ(keys.mid(21, 3), QStringList({"A", "R", "I"}));
    EXPECT_EQ(keys.at(29), "Desme");
    EXPECT_EQ(keys.mid(30), QStringList({"Agrup_Limite", "Fecha_Marc", "Fecha_Impr", "Fecha_Pend", "NF_NaoEnc"}));
}

TEST(MessageTablesTest, EveryKeyOfEachTableIsUnique)
{
    for (const QStringList* table : {&MensagensConsulta(), &MensagensDesmembramento(), &MensagensRelatorio()}) {
        const QStringList keys = Keys(*table);
        EXPECT_EQ(keys.size(), QSet<QString>(keys.begin(), keys.end()).size());
    }
}

TEST(MessageTablesTest, LookupReturnsTheTextAfterTheFirstBarOrNothing)
{
    EXPECT_EQ(MensagemDe(MensagensConsulta(), "AtuServi"), "Atualizando servidor..");
    EXPECT_EQ(MensagemDe(MensagensConsulta(), "Não utilizada"), "Não utilizada");
    EXPECT_EQ(MensagemDe(MensagensConsulta(), "Exist_Pedido"),
              "Operação Bloqueada! Já possui pedido (%s) relacionado a etiqueta.");
    EXPECT_EQ(MensagemDe({"k|a|b"}, "k"), "a|b");
    EXPECT_EQ(MensagemDe(MensagensConsulta(), "getdados"), "");
    EXPECT_EQ(MensagemDe(MensagensConsulta(), "Inexistente"), "");
}

TEST(MessageTablesTest, SplitAndReportTablesHoldTheTextsTheirScreensAskFor)
{
    EXPECT_EQ(Keys(MensagensDesmembramento()).size(), 17);
    EXPECT_EQ(Keys(MensagensDesmembramento()).last(), "Desme_ok");
    EXPECT_EQ(MensagemDe(MensagensDesmembramento(), "Dif_Etiquetas_Lanc"),
              "O peso de origem difere do total de peso acumulado.");
    EXPECT_EQ(Keys(MensagensRelatorio()).mid(6), QStringList({"U", "C"}));
    EXPECT_EQ(MensagemDe(MensagensRelatorio(), "C"),
              "Deseja desmarcar a emissão das etiquetas de todos os produtos?");
}

TEST(LabelStatusTextTest, ShowsTheQueryScreensTextsForTheThreeLettersOnly)
{
    for (const QString& letter : {QStringLiteral("A"), QStringLiteral("R"), QStringLiteral("I")})
        EXPECT_EQ(StatusEtiquetaText(letter), MensagemDe(MensagensConsulta(), letter));
    EXPECT_EQ(StatusEtiquetaText("A"), "Ativa");
    EXPECT_EQ(StatusEtiquetaText(""), "");
    EXPECT_EQ(StatusEtiquetaText("X"), "");
    EXPECT_EQ(StatusEtiquetaText("a"), "");
    EXPECT_EQ(StatusEtiquetaText("AR"), "");
}

} // namespace
