#include "framework/listdialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

TListDialog::TListDialog(QWidget* owner, const TListRequest& request)
    : QDialog(owner), table_(new QTableWidget(int(request.rows.size()), int(request.columns.size()), this))
{
    setWindowTitle(request.title);
    table_->setHorizontalHeaderLabels(request.columns);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    for (int row = 0; row < request.rows.size(); ++row) {
        const QStringList& texts = request.rows.at(row);
        for (int col = 0; col < request.columns.size(); ++col) {
            auto* item = new QTableWidgetItem(col < texts.size() ? texts.at(col) : QString());
            if (col == 0) {
                item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
                item->setCheckState(request.chosen.contains(row) ? Qt::Checked : Qt::Unchecked);
            }
            table_->setItem(row, col, item);
        }
    }
    table_->resizeColumnsToContents();
    if (request.singleChoice) {
        connect(table_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* changed) {
            if (changed->column() != 0 || changed->checkState() != Qt::Checked)
                return;
            for (int row = 0; row < table_->rowCount(); ++row) {
                if (row != changed->row())
                    table_->item(row, 0)->setCheckState(Qt::Unchecked);
            }
        });
    }
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        QTableWidgetItem* item = table_->item(row, 0);
        item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    });

    auto* markAll = new QPushButton(QStringLiteral("Marcar todos"), this);
    markAll->setEnabled(!request.singleChoice);
    auto* unmarkAll = new QPushButton(QStringLiteral("Desmarcar todos"), this);
    connect(markAll, &QPushButton::clicked, this, [this] { SetAll(true); });
    connect(unmarkAll, &QPushButton::clicked, this, [this] { SetAll(false); });
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("Confirmar"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(markAll);
    bottom->addWidget(unmarkAll);
    bottom->addStretch();
    bottom->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addLayout(bottom);
    resize(480, 360);
}

void TListDialog::SetAll(bool checked)
{
    for (int row = 0; row < table_->rowCount(); ++row)
        table_->item(row, 0)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

bool TListDialog::Exec(TListRequest& request)
{
    if (exec() != QDialog::Accepted)
        return false;
    request.chosen.clear();
    for (int row = 0; row < table_->rowCount(); ++row) {
        if (table_->item(row, 0)->checkState() == Qt::Checked)
            request.chosen.append(row);
    }
    return true;
}
