// The query screen's filter panel and invoice search: the branch and supplier options and
// their list dialogs, the date checks, the validation on leaving the panel, the search when the
// focus enters the page area, and the find command.

#include "screens/Cli_est99000/cli_est99000.h"

#include "framework/pesquisalista.h"
#include "framework/procura.h"
#include "framework/routines.h"
#include "framework/uiservices.h"
#include "framework/workstation.h"
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
    LembraFiltros();
    if (cdsNotaFiscal->IsEmpty())
        UiServices().Information(this, msgPadrao.Msg(QStringLiteral("NF_NaoEnc")));
}

namespace {

const QString kFiltros = QStringLiteral("filters/Est99000/");

QVariant Lembrado(const char* name)
{
    return TWorkstation::Value(kFiltros + QLatin1String(name));
}

} // namespace

void TfrmConsDesEtiq::LembraFiltros() const
{
    if (!TWorkstation::Enabled())
        return;
    const QList<QPair<const char*, QVariant>> values = {
        {"filialTodos", rdbFilialTodos->Checked()}, {"listaFilial", stListaFili},
        {"fornecedorTodos", rdbFornTodos->Checked()}, {"listaFornecedor", stListaForn},
        {"dataInicial", depDtIniEmiss->Text()}, {"dataFinal", depDtFinEmiss->Text()},
        {"numeroInicial", edtNumIni->Text()}, {"numeroFinal", edtNumFin->Text()},
    };
    for (const auto& [name, value] : values)
        TWorkstation::SetValue(kFiltros + QLatin1String(name), value);
}

void TfrmConsDesEtiq::RecuperaFiltros()
{
    if (!TWorkstation::Enabled() || !Lembrado("filialTodos").isValid())
        return;
    // Each option as the clerk's click on it leaves it; a list comes back only under "Lista".
    using TClique = void (TfrmConsDesEtiq::*)(QObject*);
    const struct {
        const char* name;
        TRadioButton* todos;
        TRadioButton* lista;
        TClique todosClick;
        TClique listaClick;
    } opcoes[] = {
        {"filialTodos", rdbFilialTodos, rdbListaFilial, &TfrmConsDesEtiq::rdbFilialTodosClick,
         &TfrmConsDesEtiq::rdbListaFilialClick},
        {"fornecedorTodos", rdbFornTodos, rdbListaForn, &TfrmConsDesEtiq::rdbFornTodosClick,
         &TfrmConsDesEtiq::rdbListaFornClick},
    };
    for (const auto& opcao : opcoes) {
        TRadioButton* escolhida = Lembrado(opcao.name).toBool() ? opcao.todos : opcao.lista;
        escolhida->SetChecked(true);
        (this->*(escolhida == opcao.todos ? opcao.todosClick : opcao.listaClick))(escolhida);
    }
    if (rdbListaFilial->Checked() && !Lembrado("listaFilial").toString().isEmpty())
        stListaFili = Lembrado("listaFilial").toString();
    if (rdbListaForn->Checked())
        stListaForn = Lembrado("listaFornecedor").toString();
    depDtIniEmiss->SetText(Lembrado("dataInicial").toString());
    depDtFinEmiss->SetText(Lembrado("dataFinal").toString());
    edtNumIni->SetText(Lembrado("numeroInicial").toString());
    edtNumFin->SetText(Lembrado("numeroFinal").toString());
}

void TfrmConsDesEtiq::dbgPadraoDblClick(QObject*)
{
    if (cdsNotaFiscal->IsEmpty() || !tshFormulario->PageEnabled())
        return;
    // As the clerk's choice of the page: its change event runs, and the focus enters it.
    pgcPadrao->setCurrentIndex(tshFormulario->PageIndex());
    if (pgcPadrao->ActivePage() == tshFormulario)
        dbgItemProduto->setFocus();
}

void TfrmConsDesEtiq::dbgPadraoKeyDown(QObject* sender, int& key, TShiftState)
{
    if (key != VK::Return)
        return;
    key = 0;
    dbgPadraoDblClick(sender);
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
