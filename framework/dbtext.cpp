#include "framework/dbtext.h"

#include "framework/fielddatalink.h"

TDBText::TDBText(QWidget* parent, const QString& name) : QLabel(parent), link_(new TFieldDataLink(this))
{
    setObjectName(name);
    connect(link_, &TFieldDataLink::changed, this, [this] { setText(link_->DisplayText()); });
}

void TDBText::SetDataSource(TDataSource* dataSource)
{
    link_->SetDataSource(dataSource);
}

void TDBText::SetDataField(const QString& fieldName)
{
    link_->SetFieldName(fieldName);
}
