#include "labels/nfetiquetafilter.h"

#include <gtest/gtest.h>

namespace {

// The eleven arguments as the server reads them: texts, with the two dates written as numbers.
QStringList Texts(const QList<TVariant>& args)
{
    QStringList texts;
    for (int i = 0; i < args.size(); ++i)
        texts << (i == ArgDtIni || i == ArgDtFin ? QString::number(args[i].AsDate()) : args[i].AsString());
    return texts;
}

TNfEtiquetaFilter TodosFilter()
{
    TNfEtiquetaFilter filter;
    filter.FilialTodos = true;
    filter.FornecedorTodos = true;
    return filter;
}

TEST(NfEtiquetaArgsTest, TextsGoByReferenceAndDatesByValue)
{
    const QList<TVariant> args = GetNFEtiquetaArgs(TodosFilter());
    ASSERT_EQ(args.size(), 11);
    for (int i = 0; i < args.size(); ++i) {
        const bool date = i == ArgDtIni || i == ArgDtFin;
        EXPECT_EQ(args[i].kind(), date ? TVariant::Kind::Date : TVariant::Kind::String) << "argument " << i + 1;
        EXPECT_EQ(args[i].IsByRef(), !date) << "argument " << i + 1;
    }
}

TEST(NfEtiquetaArgsTest, TodosWithEverythingElseEmptySendsEmptyListsAndAllFlags)
{
    TNfEtiquetaFilter filter = TodosFilter();
    filter.ListaFilial = "_0001_";  // a list left over from before "Todos" was chosen
    EXPECT_EQ(Texts(GetNFEtiquetaArgs(filter)),
              QStringList({"", "T", "", "T", "0", "0", "", "", "T", "T", ""}));
}

TEST(NfEtiquetaArgsTest, ListsGoAsChosenWithABlankFlag)
{
    TNfEtiquetaFilter filter;
    filter.ListaFilial = "_0001_,_0003_";
    filter.ListaFornecedor = "_000000000000000000042_";
    const QStringList texts = Texts(GetNFEtiquetaArgs(filter));
    EXPECT_EQ(texts.mid(0, 4), QStringList({"_0001_,_0003_", " ", "_000000000000000000042_", " "}));
}

TEST(NfEtiquetaArgsTest, OnlyAFinalNumberStartsTheRangeAtZero)
{
    TNfEtiquetaFilter filter = TodosFilter();
    filter.NumFin = "0000000123";
    const QStringList texts = Texts(GetNFEtiquetaArgs(filter));
    EXPECT_EQ(texts[ArgNumIni], "0000000000");
    EXPECT_EQ(texts[ArgNumFin], "0000000123");
    EXPECT_EQ(texts[ArgNumerosVazios], "");
}

TEST(NfEtiquetaArgsTest, OnlyAnInitialNumberEndsTheRangeAtAllNines)
{
    TNfEtiquetaFilter filter = TodosFilter();
    filter.NumIni = "0000000077";
    const QStringList texts = Texts(GetNFEtiquetaArgs(filter));
    EXPECT_EQ(texts[ArgNumIni], "0000000077");
    EXPECT_EQ(texts[ArgNumFin], "9999999999");
    EXPECT_EQ(texts[ArgNumerosVazios], "");
}

TEST(NfEtiquetaArgsTest, BothNumbersTravelInTheFormTheScreenBroughtThemTo)
{
    TNfEtiquetaFilter filter = TodosFilter();
    filter.NumIni = "0000000010";
    filter.NumFin = "12345678901";
    const QStringList texts = Texts(GetNFEtiquetaArgs(filter));
    EXPECT_EQ(texts[ArgNumIni], "0000000010");
    EXPECT_EQ(texts[ArgNumFin], "12345678901");
}

TEST(NfEtiquetaArgsTest, GivenDatesTravelAsDayNumbersAndClearTheDateFlag)
{
    TNfEtiquetaFilter filter = TodosFilter();
    filter.DtIniVazia = false;
    filter.DtIni = 46300.0;
    filter.DtFinVazia = false;
    filter.DtFin = 46364.0;
    const QList<TVariant> args = GetNFEtiquetaArgs(filter);
    EXPECT_DOUBLE_EQ(args[ArgDtIni].AsDate(), 46300.0);
    EXPECT_DOUBLE_EQ(args[ArgDtFin].AsDate(), 46364.0);
    EXPECT_EQ(args[ArgDatasVazias].AsString(), " ");
}

TEST(NfEtiquetaArgsTest, OneGivenDateIsEnoughToClearTheDateFlag)
{
    TNfEtiquetaFilter filter = TodosFilter();
    filter.DtFinVazia = false;
    filter.DtFin = 46364.0;
    EXPECT_EQ(GetNFEtiquetaArgs(filter)[ArgDatasVazias].AsString(), " ");
}

TEST(NfEtiquetaArgsTest, BarcodeGoesAsTypedOrEmptyWhenItHoldsNoValue)
{
    TNfEtiquetaFilter filter = TodosFilter();
    filter.CodBarras = "00010000012345000300007";
    EXPECT_EQ(GetNFEtiquetaArgs(filter)[ArgCodBarras].AsString(), "00010000012345000300007");
    filter.CodBarras = "   ";
    EXPECT_EQ(GetNFEtiquetaArgs(filter)[ArgCodBarras].AsString(), "");
}

} // namespace
