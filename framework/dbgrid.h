#pragma once
// TDBGrid: the data-aware grid over a TDataSource. It lists the visible rows of the data set with
// the declared columns (or, with none declared, every visible field), and the grid's current row
// and the set's cursor follow each other both ways: clicking or moving in the grid moves the
// cursor (a move the set refuses puts the grid back), and moving the cursor moves the grid's row.
// A walk done with DisableControls reaches the grid once, when refresh resumes: one model reset,
// never one per row. The grid does not edit in place.
//
// Events, each run through the event guard:
//   OnDrawColumnCell(sender, rect, dataCol, column, state): after the grid has drawn a cell; the
//     handler paints on Canvas() (brush = the cell's background, selected rows included; font
//     colour = the cell's text colour), and every field of the set reads the painted row.
//   OnDblClick(sender); OnTitleClick(column);
//   OnKeyDown(sender, key, shift): key is the virtual key code (virtualkeys.h); setting it to 0
//     swallows the key. Ctrl+Delete then deletes the current row, after the question "Excluir
//     registro?" when ConfirmDelete is set, unless the grid is ReadOnly.
//   OnKeyPress(sender, key): the typed character; setting it to code 0 swallows it.
//   OnEnter/OnExit (TFocusEvents). With CancelOnExit, leaving the grid cancels an inserted row
//     nobody typed into.
// Options: RowSelect (whole rows), AlwaysShowSelection (keeps the row highlighted without the
// focus; else the highlight goes with the focus), Tabs (Tab moves between cells instead of
// leaving the grid), ColumnResize, ConfirmDelete, CancelOnExit, Titles.

#include "framework/column.h"
#include "framework/focusevents.h"
#include "framework/virtualkeys.h"
#include "platform/datasource.h"

#include <QPointer>
#include <QTableView>

#include <functional>
#include <memory>
#include <vector>

class TCanvas;
class TClientDataSet;
class TDBGridModel;

struct TGridDrawState {
    bool Selected = false;
    bool Focused = false;
};

struct TDBGridOptions {
    bool Titles = true;
    bool RowSelect = true;
    bool AlwaysShowSelection = false;
    bool Tabs = false;
    bool ColumnResize = true;
    bool ConfirmDelete = true;
    bool CancelOnExit = true;
};

class TDBGrid : public QTableView, public TFocusEvents {
    Q_OBJECT
public:
    explicit TDBGrid(QWidget* parent = nullptr, const QString& name = QString());
    ~TDBGrid() override;

    void SetDataSource(TDataSource* dataSource);
    TDataSource* DataSource() const { return dataSource_; }
    TClientDataSet* DataSet() const;

    TColumn* AddColumn(const QString& fieldName, int width = 0 /* 0: as wide as the field */, const QString& title = QString(),
                       TAlignment titleAlignment = TAlignment::Left, bool readOnly = false);
    QList<TColumn*> Columns() const;  // the columns in order; the grid keeps owning them
    int ColumnCount() const;
    int IndexOfColumn(const TColumn* column) const;  // -1 when the column is not this grid's
    TColumn* Column(int index) const;
    TColumn* ColumnByField(const QString& fieldName) const;
    void ClearColumns();

    void SetOptions(const TDBGridOptions& options);
    const TDBGridOptions& Options() const { return options_; }
    void SetColor(const QColor& color);
    QColor Color() const;
    void SetTitleFont(const QFont& font);
    bool ReadOnly = false;

    // The drawing surface, valid only while OnDrawColumnCell runs.
    TCanvas* Canvas() const { return canvas_; }
    TDBGridModel* Model() const { return model_; }

    std::function<void(QObject* sender, const QRect& rect, int dataCol, TColumn* column, TGridDrawState state)>
        OnDrawColumnCell;
    std::function<void(QObject* sender)> OnDblClick;
    std::function<void(QObject* sender, int& key, TShiftState shift)> OnKeyDown;
    std::function<void(QObject* sender, QChar& key)> OnKeyPress;
    std::function<void(TColumn* column)> OnTitleClick;

    // Runs the cell-drawing handler for one cell (the delegate calls it after its own drawing).
    void DrawCell(QPainter* painter, const QRect& rect, int row, int col, bool selected);
    bool ShowsSelection() const;

    void DoExit(QWidget* self) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void Bind();
    void Unbind();
    void Rebuild();
    void Refresh();
    void SyncFromDataSet();
    void ApplyWidths();
    int DefaultWidth(const TColumn* column) const;
    void DeleteCurrentRow();
    void StateChanged();
    void FieldTyped(TField* field);

    QPointer<TDataSource> dataSource_;
    QList<QMetaObject::Connection> links_;
    std::vector<std::unique_ptr<TColumn>> columns_;  // the grid owns its columns
    bool declaredColumns_ = false;
    TDBGridModel* model_;
    TDBGridOptions options_;
    TCanvas* canvas_ = nullptr;
    bool syncing_ = false;
    bool applyingWidths_ = false;
    bool insertTouched_ = false;
    bool inNewRecord_ = false;
    int lastState_ = 0;
    bool drawErrorShown_ = false;
};
