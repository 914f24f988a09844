#include "framework/finddialog.h"

#include "framework/eventguard.h"
#include "framework/procura.h"
#include "framework/uiservices.h"
#include "platform/clientdataset.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFindDialog::TFindDialog(QWidget* owner, TClientDataSet* dataSet)
    : QDialog(owner), dataSet_(dataSet), fields_(new QComboBox(this)), value_(new QLineEdit(this))
{
    setWindowTitle(QStringLiteral("Procurar"));
    for (TField* field : dataSet->Fields()) {
        if (field->Visible)
            fields_->addItem(field->DisplayName(), field->FieldName());
    }
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Campo:"), fields_);
    form->addRow(QStringLiteral("Valor:"), value_);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* first = buttons->addButton(QStringLiteral("Localizar primeiro"), QDialogButtonBox::ActionRole);
    QPushButton* next = buttons->addButton(QStringLiteral("Localizar próximo"), QDialogButtonBox::ActionRole);
    QPushButton* close = buttons->addButton(QStringLiteral("Fechar"), QDialogButtonBox::RejectRole);
    first->setDefault(true);
    connect(first, &QPushButton::clicked, this, [this] { Search(true); });
    connect(next, &QPushButton::clicked, this, [this] { Search(false); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(360);
}

void TFindDialog::Search(bool fromStart)
{
    RunGuarded([&] {
        const QString field = fields_->currentData().toString();
        if (!FindRecord(dataSet_, field, value_->text(), fromStart))
            UiServices().Information(this, QStringLiteral("Registro não encontrado."));
    }, this);
}
