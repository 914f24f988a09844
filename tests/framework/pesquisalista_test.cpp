#include "fixtures.h"

#include "framework/btnpesquisa.h"
#include "framework/pesquisalista.h"
#include "framework/procura.h"
#include "platform/datasource.h"

class ListDialog : public UiTest {
protected:
    std::unique_ptr<TClientDataSet> set = MakeSet({{QStringLiteral("0001"), QStringLiteral("Matriz"), QStringLiteral("A")},
                                                   {QStringLiteral("0002"), QStringLiteral("Filial Sul"), QStringLiteral("A")},
                                                   {QStringLiteral("0003"), QStringLiteral("Filial Norte"), QStringLiteral("A")}});
    TDataSource source;
    void SetUp() override { source.SetDataSet(set.get()); }
};

TEST_F(ListDialog, WritesTheChosenKeysWrappedInUnderscoresAndJoinedByCommas)
{
    QString list;
    ui.ListAnswers.enqueue(QList<int>{0, 2});
    PesquisaLista(&source, QStringLiteral("CODE"), QStringLiteral("Lista de Filiais"), false, list);
    EXPECT_EQ(list, QStringLiteral("_0001_,_0003_"));

    ui.ListAnswers.enqueue(QList<int>{1});
    PesquisaLista(&source, QStringLiteral("CODE"), QStringLiteral("Lista de Filiais"), false, list);
    EXPECT_EQ(list, QStringLiteral("_0002_"));

    ui.ListAnswers.enqueue(QList<int>{});
    PesquisaLista(&source, QStringLiteral("CODE"), QStringLiteral("Lista de Filiais"), false, list);
    EXPECT_EQ(list, QString());
}

TEST_F(ListDialog, ShowsTheVisibleFieldsAndStartsWithTheKeysAlreadyInTheList)
{
    set->FieldByName(QStringLiteral("STATUS"))->Visible = false;
    QString list = QStringLiteral("_0002_,_0003_");
    ui.ListAnswers.enqueue(std::nullopt);
    PesquisaLista(&source, QStringLiteral("CODE"), QStringLiteral("Lista de Filiais"), false, list);
    EXPECT_EQ(ui.LastList.title, QStringLiteral("Lista de Filiais"));
    EXPECT_EQ(ui.LastList.columns, (QStringList{QStringLiteral("Código"), QStringLiteral("Nome")}));
    EXPECT_EQ(ui.LastList.rows.at(1), (QStringList{QStringLiteral("0002"), QStringLiteral("Filial Sul")}));
    EXPECT_EQ(ui.LastList.chosen, (QList<int>{1, 2}));
    EXPECT_EQ(list, QStringLiteral("_0002_,_0003_"));  // cancelled: unchanged
    EXPECT_EQ(set->RecNo(), 1);                         // the rows were read without moving
}

TEST_F(ListDialog, AnEmptyQueryShowsTheButtonsEmptyErrorAndOpensNoDialog)
{
    TBtnPesquisa button;
    button.DataSource = &source;
    button.EmptyError = QStringLiteral("Não há filial cadastrada.");
    set->EmptyDataSet();
    QString list = QStringLiteral("_0001_");
    PesquisaLista(&source, QStringLiteral("CODE"), QStringLiteral("Lista de Filiais"), false, list);
    EXPECT_EQ(ui.Log(), QStringList{QStringLiteral("error: Não há filial cadastrada.")});
    EXPECT_EQ(list, QStringLiteral("_0001_"));
}

TEST(ListKeys, ReadsAListTextBack)
{
    EXPECT_EQ(ListKeys(QStringLiteral("_0001_,_0003_")), (QStringList{QStringLiteral("0001"), QStringLiteral("0003")}));
    EXPECT_TRUE(ListKeys(QString()).isEmpty());
}

class FindDialog : public UiTest {
protected:
    std::unique_ptr<TClientDataSet> set = MakeSet({{QStringLiteral("0001"), QStringLiteral("Parafuso"), QStringLiteral("A")},
                                                   {QStringLiteral("0002"), QStringLiteral("Porca sextavada"), QStringLiteral("A")},
                                                   {QStringLiteral("0003"), QStringLiteral("Arruela"), QStringLiteral("A")},
                                                   {QStringLiteral("0004"), QStringLiteral("Porca borboleta"), QStringLiteral("A")}});
};

TEST_F(FindDialog, FindsPartOfTheTextIgnoringCaseAndLeavesTheRowCurrent)
{
    ui.FindAnswers.enqueue({QStringLiteral("NAME"), QStringLiteral("PORCA")});
    Procura(set.get());
    EXPECT_EQ(ui.Texts(TUiEntryKind::Find).size(), 1);
    EXPECT_EQ(set->FieldByName(QStringLiteral("CODE"))->AsString(), QStringLiteral("0002"));
    EXPECT_TRUE(FindRecord(set.get(), QStringLiteral("NAME"), QStringLiteral("porca"), false));
    EXPECT_EQ(set->RecNo(), 4);
}

TEST_F(FindDialog, ASearchThatFindsNothingLeavesTheCursorWhereItWas)
{
    set->SetRecNo(3);
    EXPECT_FALSE(FindRecord(set.get(), QStringLiteral("NAME"), QStringLiteral("prego"), true));
    EXPECT_FALSE(FindRecord(set.get(), QStringLiteral("NOFIELD"), QStringLiteral("a"), true));
    EXPECT_EQ(set->RecNo(), 3);
}
