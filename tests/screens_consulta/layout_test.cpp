// The query screen as the clerk first sees it: its areas, captions, hints and grid columns, and
// the message table it reads its texts from.

#include "consultafixture.h"

#include "labels/messagetables.h"

#include <QTabBar>

class Layout : public ConsultaTest {};

TEST_F(Layout, AreasStandTopToBottomWithTheirHeights)
{
    EXPECT_EQ(tela->windowTitle(), QStringLiteral("Consulta/Desmembramento Etiqueta"));
    EXPECT_EQ(tela->lblCodTela->text(), QStringLiteral("Est99000"));
    EXPECT_EQ(tela->panMenu->height(), 28);
    EXPECT_EQ(tela->panFiltro->height(), 79);
    EXPECT_EQ(tela->panChavAc->height(), 35);
    EXPECT_EQ(tela->panNavigator->height(), 21);
    EXPECT_EQ(tela->dbgItemProduto->height(), 157);
    QList<int> tops;
    for (QWidget* area : QList<QWidget*>{tela->panMenu, tela->panFiltro, tela->panChavAc, tela->pgcPadrao,
                                         tela->panNavigator})
        tops << area->mapTo(tela, QPoint(0, 0)).y();
    EXPECT_TRUE(std::is_sorted(tops.begin(), tops.end())) << tops.size();
    EXPECT_FALSE(tela->sbtConfirmar->isVisible());
    EXPECT_FALSE(tela->sbtCancelar->isVisible());
}

TEST_F(Layout, CaptionsAndHintsReadAsTheClerksKnowThem)
{
    EXPECT_EQ(tela->btnDesmembrar->toolTip(), QStringLiteral("Desmembrar (F7)"));
    EXPECT_EQ(tela->btnAgrupar->toolTip(), QStringLiteral("Agrupar (F6)"));
    EXPECT_EQ(tela->btnPesqFilial->toolTip(), QStringLiteral("Pesquisar"));
    EXPECT_EQ(tela->btnPesqForn->toolTip(), QStringLiteral("Pesquisar"));
    for (TGroupBox* group : {tela->grbFilial, tela->grbFornecedor, tela->grbDataEmissao, tela->grbNumero})
        EXPECT_TRUE(group->font().bold() || group->styleSheet().contains("bold")) << group->title().toStdString();
    EXPECT_EQ(tela->grbFilial->title(), QStringLiteral("Filial"));
    EXPECT_EQ(tela->grbFornecedor->title(), QStringLiteral("Fornecedor"));
    EXPECT_EQ(tela->grbDataEmissao->title(), QStringLiteral("Data de Emissão"));
    EXPECT_EQ(tela->grbNumero->title(), QStringLiteral("Número"));
    EXPECT_EQ(tela->grbEtiquetas->title(), QStringLiteral("Etiquetas Geradas"));
    EXPECT_EQ(tela->lblCdBarProd->text(), QStringLiteral("Código de barras do produto"));
    EXPECT_TRUE(tela->lblCdBarProd->font().bold());
    // A scan is never cut to the length of a label barcode.
    EXPECT_GT(tela->edtCdBarProd->maxLength(), 23);
    EXPECT_EQ(tela->btnPesqFilial->Title, QStringLiteral("Lista de Filiais"));
    EXPECT_EQ(tela->btnPesqForn->EmptyError, QStringLiteral("Não há fornecedor cadastrado."));
    auto* tabs = tela->pgcPadrao->findChild<QTabBar*>();
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("Romaneio"));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("Produto/Etiqueta"));
    EXPECT_EQ(tela->depDtIniEmiss->DayNames,
              (QStringList{"Domingo", "Segunda", "Terça", "Quarta", "Quinta", "Sexta", "Sábado"}));
    EXPECT_EQ(tela->depDtIniEmiss->ValidDateColor(), QColor(Qt::blue));
}

TEST_F(Layout, GridsShowTheirColumnsWithTheirWidths)
{
    auto columns = [](TDBGrid* grid) {
        QStringList list;
        for (TColumn* column : grid->Columns())
            list << QStringLiteral("%1 %2").arg(column->FieldName).arg(column->Width);
        return list;
    };
    EXPECT_EQ(columns(tela->dbgPadrao), (QStringList{"CDFILIRECE 62", "NRINSJURNF 0", "NMRAZSOCFORN 0", "NRNOTAFISC 90",
                                                     "DTEMISSAO 78", "VRNOTAFISC 107", "NRACESSONFE 416"}));
    EXPECT_EQ(columns(tela->dbgItemProduto), (QStringList{"CDARVPROD 111", "NMPRODUTO 289", "SGUNIDADE 32",
                                                          "LOTESUBLOTE 105", "DTVALILOTE 79", "QTITEMPROD 72"}));
    EXPECT_EQ(columns(tela->dbgEtiquetaGerada),
              (QStringList{"IDCHECK 22", "VRPESOETIQ 198", "CDCODBARRAETIQ 306", "IDSTATUSETIQ 94"}));
    TColumn* mark = tela->dbgEtiquetaGerada->Column(0);
    EXPECT_TRUE(mark->TitleFont().bold());
    EXPECT_EQ(mark->TitleFont().pixelSize(), 13);
    EXPECT_FALSE(mark->TitleText().isEmpty());
    EXPECT_EQ(tela->dbgEtiquetaGerada->Column(2)->TitleText(), QStringLiteral("Código de barras"));
    EXPECT_EQ(tela->dbgEtiquetaGerada->Color(), tela->dbgItemProduto->Color());
    EXPECT_TRUE(tela->dbgItemProduto->Options().AlwaysShowSelection);
}

TEST_F(Layout, TheMessageTableHoldsItsEntriesInStoredOrder)
{
    const QStringList keys{"GetDados", "Filial",    "Fornecedor", "Todos",     "Utilizada",   "Não utilizada",
                           "Fili_Dev", "Forn_Dev",  "DtIniMenorFin", "DtIni_Dev", "DtFin_Dev", "Arq_Inv",
                           "Erros_Enc", "ImportaOk", "NaoHaNotas", "OKParcial", "semDir",      "dirInv",
                           "arqInv",   "Inv_CodBar", "NExi_CodBar", "A",        "R",           "I",
                           "AgrupEtiq", "Agrup_ok", "AtuServi",   "Exist_Pedido", "Agrupa",   "Desme",
                           "Agrup_Limite", "Fecha_Marc", "Fecha_Impr", "Fecha_Pend", "NF_NaoEnc"};
    QStringList stored;
    for (const QString& entry : tela->msgPadrao.Items())
        stored << entry.section(QLatin1Char('|'), 0, 0);
    EXPECT_EQ(stored, keys);
    EXPECT_EQ(tela->msgPadrao.Msg(QStringLiteral("AtuServi")), QStringLiteral("Atualizando servidor.."));
    EXPECT_EQ(tela->msgPadrao.Msg(QStringLiteral("Exist_Pedido")),
              QStringLiteral("Operação Bloqueada! Já possui pedido (%s) relacionado a etiqueta."));
}
