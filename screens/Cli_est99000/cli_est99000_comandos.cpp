// The query screen's command rules and its small commands: which commands the state allows,
// opening the split screen on the marked label and the report screen.

#include "screens/Cli_est99000/cli_est99000.h"

#include "labels/labelcodes.h"
#include "package/pkg_est99000.h"
#include "platform/packet.h"
#include "platform/recordpeek.h"

namespace {

// An active label marked "C": the labels drawn with a tick.
bool MarcaAtiva(const TClientDataSet* labels)
{
    return labels->FieldByName(QStringLiteral("IDCHECK"))->AsString() == QLatin1String(kMarcada)
           && labels->FieldByName(QStringLiteral("IDSTATUSETIQ"))->AsString() == QLatin1String(kStatusAtiva);
}

// Whether any row of the set, filtered out or not, holds all these field values.
bool AlgumaLinha(const TClientDataSet* set, const QList<QPair<const char*, const char*>>& values)
{
    if (!set->Active())
        return false;
    const TDataPacket packet = set->Packet();
    QList<QPair<int, QString>> columns;
    for (const auto& [field, value] : values) {
        int at = -1;
        for (int i = 0; i < packet.fields.size() && at < 0; ++i) {
            if (packet.fields.at(i).name == QLatin1String(field))
                at = i;
        }
        if (at < 0)
            return false;
        columns.append({at, QLatin1String(value)});
    }
    for (const QVariantList& row : packet.rows) {
        bool all = true;
        for (const auto& [at, value] : columns)
            all = all && row.value(at).toString() == value;
        if (all)
            return true;
    }
    return false;
}

} // namespace

void TfrmConsDesEtiq::ControlaBotoes()
{
    // The counter is the number of marks the label grid shows, so that Split and Group always
    // answer the ticks the clerk sees: after scans, item moves and failed calls alike.
    inEtiqMark = MarcasListadas();
    const bool etiquetas = pgcPadrao->ActivePage() == tshFormulario;
    btnDesmembrar->setEnabled(etiquetas && inEtiqMark == 1);
    btnAgrupar->setEnabled(etiquetas && inEtiqMark > 1);
    mniDesmembrar->setEnabled(btnDesmembrar->isEnabled());
    mniAgrupar->setEnabled(btnAgrupar->isEnabled());
    sbtImprimir->setEnabled(etiquetas && !cdsEtiqueta->IsEmpty());
    mniImprimir->setEnabled(sbtImprimir->isEnabled());
    mniVisualizar->setEnabled(sbtImprimir->isEnabled());

    // Each grid's find needs the other grid's rows: labels need items, items need labels.
    const QWidget* focused = focusWidget();
    const bool procurar = etiquetas ? (focused == dbgEtiquetaGerada && !cdsProdEtiq->IsEmpty())
                                          || (focused == dbgItemProduto && !cdsEtiqueta->IsEmpty())
                                    : focused == dbgPadrao;
    sbtProcurar->setEnabled(procurar);
    mniProcurar->setEnabled(procurar);
}

int TfrmConsDesEtiq::MarcasListadas() const
{
    if (!cdsEtiqueta->Active() || !cdsProdEtiq->Active() || cdsProdEtiq->IsEmpty())
        return 0;
    // Only the current item's labels: the filter is off for a moment while a lookup searches
    // all the invoice's labels.
    const QString item = cdsProdEtiq->FieldByName(QStringLiteral("NRSEQITPROD"))->AsString();
    int marcas = 0;
    for (int r = 1; r <= cdsEtiqueta->RecordCount(); ++r) {
        TRecordPeek peek(cdsEtiqueta, r);
        if (MarcaAtiva(cdsEtiqueta) && cdsEtiqueta->FieldByName(QStringLiteral("NRSEQITPROD"))->AsString() == item)
            ++marcas;
    }
    return marcas;
}

QString TfrmConsDesEtiq::TrabalhoPendente() const
{
    // All rows, whatever item the filter shows, read without moving any cursor: the clerk may
    // still answer No and go on where he was.
    const bool marcadas =
        AlgumaLinha(cdsEtiqueta, {{"IDCHECK", kMarcada}, {"IDSTATUSETIQ", kStatusAtiva}});
    // Printable rows chosen for printing: the labels made here, until the report prints them.
    const bool naoImpressas = AlgumaLinha(cdsRelEtiquetas, {{"IDCHECK", kMarcada}});
    if (marcadas && naoImpressas)
        return msgPadrao.Msg(QStringLiteral("Fecha_Pend"));
    if (marcadas)
        return msgPadrao.Msg(QStringLiteral("Fecha_Marc"));
    if (naoImpressas)
        return msgPadrao.Msg(QStringLiteral("Fecha_Impr"));
    return QString();
}

void TfrmConsDesEtiq::dtsPadraoStateChange(QObject* sender)
{
    TfrmPadrao::dtsPadraoStateChange(sender);
    // Invoices come from the server and are never inserted, changed or deleted here.
    for (QAction* entry : {mniIncluir, mniAlterar, mniExcluir})
        entry->setEnabled(false);
    for (TSpeedButton* button : {sbtIncluir, sbtAlterar, sbtExcluir})
        button->setEnabled(false);
    ControlaBotoes();
}

void TfrmConsDesEtiq::btnDesmembrarClick(QObject*)
{
    // The split screen works on the current label: the first marked one in the grid's order.
    cdsEtiqueta->Locate(QStringLiteral("IDCHECK"), {QLatin1String(kMarcada)}, TLocateOption::CaseInsensitive);
    CriaFrmDesmembra();
}

void TfrmConsDesEtiq::sbtImprimirClick(QObject*)
{
    CriaRelConsDesEtiq();
}
