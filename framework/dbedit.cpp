#include "framework/dbedit.h"

#include "framework/eventguard.h"
#include "framework/fielddatalink.h"
#include "platform/clientdataset.h"

TDBEdit::TDBEdit(QWidget* parent, const QString& name) : TEdit(parent, name), link_(new TFieldDataLink(this))
{
    connect(link_, &TFieldDataLink::changed, this, &TDBEdit::ShowField);
    connect(this, &QLineEdit::textEdited, this, [this] { typed_ = true; });
    connect(this, &QLineEdit::editingFinished, this, &TDBEdit::WriteField);
}

void TDBEdit::SetDataSource(TDataSource* dataSource)
{
    link_->SetDataSource(dataSource);
}

void TDBEdit::SetDataField(const QString& fieldName)
{
    link_->SetFieldName(fieldName);
}

TField* TDBEdit::Field() const
{
    return link_->Field();
}

void TDBEdit::ShowField()
{
    if (typed_ && hasFocus())
        return;  // the person's typing stays until it is written
    setText(link_->DisplayText());
    setCursorPosition(0);
}

void TDBEdit::WriteField()
{
    if (!typed_ || isReadOnly() || !isEnabled())
        return;
    typed_ = false;
    TField* field = Field();
    if (!field)
        return;
    const QString text = this->text();
    RunGuarded([&] {
        TClientDataSet* dataSet = field->DataSet();
        if (dataSet->State() == TDataSetState::Browse)
            dataSet->Edit();
        field->SetAsString(text);
    }, this);
    ShowField();
}
