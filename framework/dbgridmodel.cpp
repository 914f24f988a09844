#include "framework/dbgridmodel.h"

#include "framework/dbgrid.h"
#include "platform/clientdataset.h"

namespace {

Qt::Alignment AlignmentOf(TAlignment alignment)
{
    switch (alignment) {
    case TAlignment::Right: return Qt::AlignRight | Qt::AlignVCenter;
    case TAlignment::Center: return Qt::AlignHCenter | Qt::AlignVCenter;
    case TAlignment::Left: break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

} // namespace

TDBGridModel::TDBGridModel(TDBGrid* grid) : QAbstractTableModel(grid), grid_(grid) {}

int TDBGridModel::CurrentRowCount() const
{
    TClientDataSet* dataSet = grid_->DataSet();
    return dataSet && dataSet->Active() ? dataSet->RecordCount() : 0;
}

int TDBGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rows_;
}

int TDBGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : columns_;
}

Qt::ItemFlags TDBGridModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

QVariant TDBGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::TextAlignmentRole))
        return QVariant();
    TClientDataSet* dataSet = grid_->DataSet();
    TColumn* column = grid_->Column(index.column());
    TField* field = column ? column->Field() : nullptr;
    if (!field || !dataSet || index.row() >= CurrentRowCount())
        return QVariant();
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(AlignmentOf(field->Alignment));
    try {
        TRecordPeek peek(dataSet, index.row() + 1);
        return field->DisplayText();
    } catch (...) {
        // A get-text handler that fails paints an empty cell; painting must never throw.
        return QVariant();
    }
}

QVariant TDBGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return role == Qt::DisplayRole ? QVariant(QString()) : QVariant();
    TColumn* column = grid_->Column(section);
    if (!column)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole: return column->TitleText();
    case Qt::TextAlignmentRole: return QVariant::fromValue(AlignmentOf(column->TitleAlignment));
    case Qt::FontRole: return column->HasTitleFont() ? QVariant(column->TitleFont()) : QVariant();
    default: return QVariant();
    }
}

void TDBGridModel::Reset()
{
    beginResetModel();
    rows_ = CurrentRowCount();
    columns_ = grid_->ColumnCount();
    endResetModel();
}

void TDBGridModel::Refresh()
{
    if (CurrentRowCount() != rows_ || grid_->ColumnCount() != columns_) {
        Reset();
        return;
    }
    if (rows_ > 0 && columns_ > 0)
        emit dataChanged(index(0, 0), index(rows_ - 1, columns_ - 1));
}
