#include "framework/pesquisalista.h"

#include "framework/btnpesquisa.h"
#include "framework/uiservices.h"
#include "platform/clientdataset.h"
#include "platform/datasource.h"
#include "platform/errors.h"

#include <QApplication>

namespace {

QString EmptyErrorOf(TDataSource* dataSource)
{
    const QString text = TBtnPesquisa::EmptyErrorFor(dataSource);
    return text.isEmpty() ? QStringLiteral("Não há registros para selecionar.") : text;
}

} // namespace

QStringList ListKeys(const QString& list)
{
    QStringList keys;
    for (QString item : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        item = item.trimmed();
        if (item.startsWith(QLatin1Char('_')))
            item.remove(0, 1);
        if (item.endsWith(QLatin1Char('_')))
            item.chop(1);
        keys.append(item);
    }
    return keys;
}

QString KeyList(const QStringList& keys)
{
    QStringList wrapped;
    for (const QString& key : keys)
        wrapped.append(QLatin1Char('_') + key + QLatin1Char('_'));
    return wrapped.join(QLatin1Char(','));
}

void PesquisaLista(TDataSource* dataSource, const QString& keyField, const QString& title, bool singleChoice,
                   QString& list)
{
    TClientDataSet* dataSet = dataSource ? dataSource->DataSet() : nullptr;
    if (!dataSet)
        throw EDatabaseError(QStringLiteral("A lista \"%1\" não tem consulta associada.").arg(title));
    if (!dataSet->Active())
        dataSet->Open();
    TField* key = dataSet->FieldByName(keyField);
    if (dataSet->IsEmpty()) {
        UiServices().Error(QApplication::activeWindow(), EmptyErrorOf(dataSource));
        return;
    }
    dataSet->CheckBrowseMode();

    TListRequest request;
    request.title = title;
    request.singleChoice = singleChoice;
    QList<TField*> shown;
    for (TField* field : dataSet->Fields()) {
        if (field->Visible) {
            shown.append(field);
            request.columns.append(field->DisplayName());
        }
    }
    const QStringList current = ListKeys(list);
    QStringList keys;
    for (int recNo = 1; recNo <= dataSet->RecordCount(); ++recNo) {
        TRecordPeek peek(dataSet, recNo);
        QStringList texts;
        for (TField* field : shown)
            texts.append(field->DisplayText());
        request.rows.append(texts);
        keys.append(key->AsString().trimmed());
        if (current.contains(keys.last()))
            request.chosen.append(recNo - 1);
    }
    if (!UiServices().SelectFromList(QApplication::activeWindow(), request))
        return;
    QStringList chosen;
    for (int row = 0; row < keys.size(); ++row) {
        if (request.chosen.contains(row))
            chosen.append(keys.at(row));
    }
    if (singleChoice && chosen.size() > 1)
        chosen = chosen.mid(0, 1);
    list = KeyList(chosen);
}
