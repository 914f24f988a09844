#include "framework/btnpesquisa.h"

#include <QList>

namespace {

QList<TBtnPesquisa*>& Buttons()
{
    static QList<TBtnPesquisa*> buttons;
    return buttons;
}

} // namespace

TBtnPesquisa::TBtnPesquisa(QWidget* parent, const QString& name) : TSpeedButton(parent, name)
{
    SetHint(QStringLiteral("Pesquisar"));
    SetStandardIcon(QStyle::SP_FileDialogContentsView);
    Buttons().append(this);
}

TBtnPesquisa::~TBtnPesquisa()
{
    Buttons().removeAll(this);
}

QString TBtnPesquisa::EmptyErrorFor(const TDataSource* dataSource)
{
    for (const TBtnPesquisa* button : Buttons()) {
        if (dataSource && button->DataSource == dataSource && !button->EmptyError.isEmpty())
            return button->EmptyError;
    }
    return QString();
}
