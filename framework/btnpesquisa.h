#pragma once
// TBtnPesquisa: the search button beside a filter option: a flat button with the search glyph
// and the hint "Pesquisar". Title is the list dialog's title, DataSource the lookup query it
// lists, EmptyError the text shown when that query has no rows (PesquisaLista reads it through
// EmptyErrorFor), and Associate the control the button serves (the option whose list it fills).
// Its click runs the screen's OnClick handler, which calls PesquisaLista.

#include "framework/speedbutton.h"

#include <QPointer>

class TDataSource;

class TBtnPesquisa : public TSpeedButton {
    Q_OBJECT
public:
    explicit TBtnPesquisa(QWidget* parent = nullptr, const QString& name = QString());
    ~TBtnPesquisa() override;

    QPointer<QWidget> Associate;
    QString Title;
    TDataSource* DataSource = nullptr;
    QString EmptyError;

    // The EmptyError of a live button bound to the data source; empty when none is.
    static QString EmptyErrorFor(const TDataSource* dataSource);
};
