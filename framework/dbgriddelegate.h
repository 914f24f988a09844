#pragma once
// TDBGridDelegate: draws a TDBGrid cell as a styled item (with the selection hidden when the grid
// does not show it), then hands the cell to the grid's cell-drawing handler.

#include <QStyledItemDelegate>

class TDBGrid;

class TDBGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit TDBGridDelegate(TDBGrid* grid);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    TDBGrid* grid_;
};
