#pragma once
// TDBGridModel: the table model of a TDBGrid: one row per visible record of the grid's record
// set, one column per grid column. Cells answer the field's display text (through its get-text
// handler) and alignment for that row, read with a TRecordPeek so the cursor never moves;
// titles answer the column's title, alignment and font. The grid calls Reset when the set's rows
// changed as a whole and Refresh for changes inside rows: a Refresh that finds a different row
// count resets, otherwise it only repaints.

#include <QAbstractTableModel>

class TDBGrid;

class TDBGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TDBGridModel(TDBGrid* grid);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void Reset();
    void Refresh();

private:
    int CurrentRowCount() const;

    TDBGrid* grid_;
    int rows_ = 0;
    int columns_ = 0;
};
