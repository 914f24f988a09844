#pragma once
// PesquisaLista(dataSource, keyField, title, singleChoice, list): the multi-selection dialog
// over a lookup query. The rows of the data source's record set are listed with their visible
// fields; the keys already in list start out checked. On OK, list receives the chosen keys in
// row order, each trimmed and written between underscores, joined by commas ("_0001_" for one,
// "_0001_,_0003_" for two, empty when none is chosen); on cancel list is left unchanged. With
// singleChoice the person may check one row only. The rows are read without moving the cursor.
// A set with no rows opens no dialog: the EmptyError text of the search button bound to the data
// source (TBtnPesquisa) is shown in the error box, or "Não há registros para selecionar." when
// no button names one, and list is left unchanged. An inactive set is opened first; an unknown
// key field raises EDatabaseError.
//
// ListKeys reads a list text back into its keys ("_0001_,_0003_" gives "0001", "0003").

#include <QString>
#include <QStringList>

class TDataSource;

void PesquisaLista(TDataSource* dataSource, const QString& keyField, const QString& title, bool singleChoice,
                   QString& list);

QStringList ListKeys(const QString& list);
QString KeyList(const QStringList& keys);
