// The query screen's filter panel and invoice search: the branch and supplier options and
// their list dialogs, the date checks, the validation on leaving the panel, the search when the
// focus enters the page area, and the find command.

#include "screens/Cli_est99000/cli_est99000.h"

#include "framework/pesquisalista.h"
#include "framework/procura.h"
#include "framework/routines.h"
#include "labels/barcode.h"
#include "labels/consdesetiqserver.h"
#include "labels/nfetiquetafilter.h"
#include "package/pkg_est99000.h"
#include "platform/controlspause.h"
#include "platform/sysutils.h"

namespace {

// A tax number shown with the mask of its person type.
QString MaskedTaxNumber(const TField* number, const TField* personType)
{
    return FormatMaskText(PictPess(personType->AsString()), number->AsString());
}

} // namespace

void TfrmConsDesEtiq::rdbFilialTodosClick(QObject*)
{
    EscolheOpcao(rdbListaFilial, btnPesqFilial, false);
    stListaFili.clear();
}

void TfrmConsDesEtiq::rdbListaFilialClick(QObject*)
{
    EscolheOpcao(rdbFilialTodos, btnPesqFilial, true);
}

void TfrmConsDesEtiq::rdbFornTodosClick(QObject*)
{
    EscolheOpcao(rdbListaForn, btnPesqForn, false);
    stListaForn.clear();
}

void TfrmConsDesEtiq::rdbListaFornClick(QObject*)
{
    EscolheOpcao(rdbFornTodos, btnPesqForn, true);
}

void TfrmConsDesEtiq::EscolheOpcao(TRadioButton* outra, TBtnPesquisa* pesquisa, bool lista)
{
    outra->SetChecked(false);
    pesquisa->setEnabled(lista);
}

void TfrmConsDesEtiq::btnPesqFilialClick(QObject*)
{
    qryFilial->Close();
    qryFilial->Open();
    PesquisaLista(dtsFilial, QStringLiteral("CDFILIAL"), msgPadrao.Msg(QStringLiteral("Filial")), false, stListaFili);
}

void TfrmConsDesEtiq::btnPesqFornClick(QObject*)
{
    qryFornecedor->Close();
    qryFornecedor->Open();
    PesquisaLista(dtsFornecedor, QStringLiteral("CDFORNECED"), msgPadrao.Msg(QStringLiteral("Fornecedor")), false,
                  stListaForn);
}

void TfrmConsDesEtiq::qryFornecedorNRINSJURFORNGetText(TField* sender, QString& text, bool displayText)
{
    if (!displayText) {
        text = sender->AsString();
        return;
    }
    text = MaskedTaxNumber(sender, qryFornecedor->FieldByName(QStringLiteral("IDTPIJURFORN")));
}

void TfrmConsDesEtiq::cdsNotaFiscalNRINSJURNFGetText(TField* sender, QString& text, bool displayText)
{
    if (!displayText) {
        text = sender->AsString();
        return;
    }
    text = MaskedTaxNumber(sender, cdsNotaFiscal->FieldByName(QStringLiteral("IDTPIJURNF")));
}

void TfrmConsDesEtiq::depDtIniEmissExit(QObject*)
{
    depDtIniEmiss->CheckValidDate();
}

void TfrmConsDesEtiq::depDtFinEmissExit(QObject*)
{
    depDtFinEmiss->CheckValidDate();
}

void TfrmConsDesEtiq::panFiltroEnter(QObject*)
{
    // While the filters are being changed, the invoices listed no longer answer them.
    cdsNotaFiscal->EmptyDataSet();
    pgcPadrao->SetActivePage(tshFolhaDados);
    tshFormulario->SetPageEnabled(false);
    sbtVerificar->setEnabled(false);
    mniVerificar->setEnabled(false);
}

void TfrmConsDesEtiq::panFiltroExit(QObject*)
{
    Valida_Filtro();
}

void TfrmConsDesEtiq::Valida_Filtro()
{
    auto fail = [this](QWidget* control, const char* key) {
        control->setFocus();
        MensErro(msgPadrao.Msg(QLatin1String(key)), true);
    };
    if (rdbListaFilial->Checked() && stListaFili.isEmpty())
        fail(rdbListaFilial, "Fili_Dev");
    if (rdbListaForn->Checked() && stListaForn.isEmpty())
        fail(rdbListaForn, "Forn_Dev");
    depDtIniEmiss->CheckValidDate();
    depDtFinEmiss->CheckValidDate();
    const bool iniVazia = EmptyString(depDtIniEmiss->Text());
    const bool finVazia = EmptyString(depDtFinEmiss->Text());
    if (iniVazia && !finVazia)
        fail(depDtIniEmiss, "DtIni_Dev");
    if (finVazia && !iniVazia)
        fail(depDtFinEmiss, "DtFin_Dev");
    if (depDtFinEmiss->GetDate() < depDtIniEmiss->GetDate())
        fail(depDtIniEmiss, "DtIniMenorFin");
}

void TfrmConsDesEtiq::pgcPadraoEnter(QObject*)
{
    if (pgcPadrao->ActivePage() != tshFormulario)
        sbtVerificarClick(sbtVerificar);
    ControlaBotoes();
}

void TfrmConsDesEtiq::sbtVerificarClick(QObject*)
{
    if (pgcPadrao->ActivePage() == tshFormulario) {
        GetProdEtiq();
        // The reload brought the server's marks: the counter and the commands follow them.
        ControlaBotoes();
        return;
    }
    // The filters are checked before every search, whatever has the focus: the list buttons and
    // Verify take none, so the filter panel may never have been left with them as they are.
    Valida_Filtro();

    TNfEtiquetaFilter filter;
    filter.FilialTodos = rdbFilialTodos->Checked();
    filter.ListaFilial = stListaFili;
    filter.FornecedorTodos = rdbFornTodos->Checked();
    filter.ListaFornecedor = stListaForn;
    filter.DtIniVazia = EmptyString(depDtIniEmiss->Text());
    filter.DtIni = depDtIniEmiss->GetDate();
    filter.DtFinVazia = EmptyString(depDtFinEmiss->Text());
    filter.DtFin = depDtFinEmiss->GetDate();
    filter.NumIni = iif(EmptyString(edtNumIni->Text()), QString(), Ajusta(edtNumIni->Text(), 10));
    filter.NumFin = iif(EmptyString(edtNumFin->Text()), QString(), Ajusta(edtNumFin->Text(), 10));
    filter.CodBarras = edtCdBarProd->Text();
    if (CheckTypedBarcode(filter.CodBarras) == TBarcodeCheck::Invalid) {
        edtCdBarProd->setFocus();
        MensErro(msgPadrao.Msg(QLatin1String(kInvalidBarcodeKey)), true);
    }
    QList<TVariant> args = GetNFEtiquetaArgs(filter);

    {
        TControlsPause pause(cdsNotaFiscal);
        TConsDesEtiqServer server(*netConsDesEtiq, progress_);
        server.GetNFEtiqueta(args, *cdsNotaFiscal);
        // A list went by reference when it was sent (not under "Todos"): what the server left
        // in it goes back into the list variable.
        if (!filter.FilialTodos)
            stListaFili = args[ArgListaFilial].AsString();
        if (!filter.FornecedorTodos)
            stListaForn = args[ArgListaFornecedor].AsString();
        cdsNotaFiscal->First();
    }
    sbtVerificar->setEnabled(true);
    mniVerificar->setEnabled(true);
    tshFormulario->SetPageEnabled(!cdsNotaFiscal->IsEmpty());
}

void TfrmConsDesEtiq::sbtProcurarClick(QObject*)
{
    QWidget* focused = focusWidget();
    if (focused == dbgPadrao)
        Procura(cdsNotaFiscal);
    else if (focused == dbgItemProduto)
        Procura(cdsProdEtiq);
    else if (focused == dbgEtiquetaGerada)
        Procura(cdsEtiqueta);
}
