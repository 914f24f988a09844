#include "framework/dbgriddelegate.h"

#include "framework/dbgrid.h"

TDBGridDelegate::TDBGridDelegate(TDBGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

void TDBGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem cell = option;
    if (!grid_->ShowsSelection())
        cell.state &= ~QStyle::State_Selected;
    cell.state &= ~QStyle::State_HasFocus;
    QStyledItemDelegate::paint(painter, cell, index);
    if (grid_->OnDrawColumnCell)
        grid_->DrawCell(painter, cell.rect, index.row(), index.column(), cell.state & QStyle::State_Selected);
}
