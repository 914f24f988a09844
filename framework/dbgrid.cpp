#include "framework/dbgrid.h"

#include "framework/canvas.h"
#include "framework/dbgriddelegate.h"
#include "framework/dbgridmodel.h"
#include "framework/eventguard.h"
#include "framework/uiservices.h"
#include "platform/clientdataset.h"
#include "platform/datasource.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QTimer>

TDBGrid::TDBGrid(QWidget* parent, const QString& name) : QTableView(parent), model_(new TDBGridModel(this))
{
    setObjectName(name);
    setModel(model_);
    setItemDelegate(new TDBGridDelegate(this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 5);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setDefaultSectionSize(64);
    horizontalHeader()->setStretchLastSection(false);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
        TColumn* column = Column(section);
        if (OnTitleClick && column)
            RunGuarded([&] { OnTitleClick(column); }, this);
    });
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int section, int, int size) {
        if (!applyingWidths_ && Column(section))
            Column(section)->Width = size;
    });
    SetOptions(options_);
}

TDBGrid::~TDBGrid()
{
    Unbind();
    // The view may still ask its model for titles while it goes: it must find no column.
    const std::vector<std::unique_ptr<TColumn>> columns = std::move(columns_);
    columns_.clear();
}

TClientDataSet* TDBGrid::DataSet() const
{
    return dataSource_ ? dataSource_->DataSet() : nullptr;
}

void TDBGrid::SetDataSource(TDataSource* dataSource)
{
    Unbind();
    dataSource_ = dataSource;
    Bind();
    Rebuild();
}

void TDBGrid::Bind()
{
    if (!dataSource_)
        return;
    TDataSource* source = dataSource_;
    links_ << connect(source, &TDataSource::dataSetChanged, this, [this] {
        inNewRecord_ = false;
        model_->Reset();
        ApplyWidths();
        SyncFromDataSet();
    });
    links_ << connect(source, &TDataSource::layoutChanged, this, &TDBGrid::Rebuild);
    links_ << connect(source, &TDataSource::dataSetScrolled, this, [this] { Refresh(); });
    links_ << connect(source, &TDataSource::recordChanged, this, [this] { Refresh(); });
    links_ << connect(source, &TDataSource::dataChanged, this, &TDBGrid::FieldTyped);
    links_ << connect(source, &TDataSource::stateChanged, this, &TDBGrid::StateChanged);
    links_ << connect(source, &QObject::destroyed, this, [this] {
        links_.clear();
        Rebuild();
    });
}

void TDBGrid::Unbind()
{
    for (const QMetaObject::Connection& link : links_)
        disconnect(link);
    links_.clear();
}

TColumn* TDBGrid::AddColumn(const QString& fieldName, int width, const QString& title, TAlignment titleAlignment,
                            bool readOnly)
{
    if (!declaredColumns_) {
        columns_.clear();
        declaredColumns_ = true;
    }
    TColumn* column = columns_.emplace_back(std::make_unique<TColumn>(this, fieldName)).get();
    column->Width = width;
    column->Title = title;
    column->TitleAlignment = titleAlignment;
    column->ReadOnly = readOnly;
    model_->Reset();
    ApplyWidths();
    SyncFromDataSet();
    return column;
}

TColumn* TDBGrid::Column(int index) const
{
    return index >= 0 && index < ColumnCount() ? columns_[size_t(index)].get() : nullptr;
}

QList<TColumn*> TDBGrid::Columns() const
{
    QList<TColumn*> columns;
    columns.reserve(qsizetype(columns_.size()));
    for (const std::unique_ptr<TColumn>& column : columns_)
        columns.append(column.get());
    return columns;
}

int TDBGrid::ColumnCount() const
{
    return int(columns_.size());
}

int TDBGrid::IndexOfColumn(const TColumn* column) const
{
    for (size_t i = 0; i < columns_.size(); ++i) {
        if (columns_[i].get() == column)
            return int(i);
    }
    return -1;
}

TColumn* TDBGrid::ColumnByField(const QString& fieldName) const
{
    for (const std::unique_ptr<TColumn>& column : columns_) {
        if (column->FieldName.compare(fieldName, Qt::CaseInsensitive) == 0)
            return column.get();
    }
    return nullptr;
}

void TDBGrid::ClearColumns()
{
    columns_.clear();
    declaredColumns_ = false;
    Rebuild();
}

void TDBGrid::SetOptions(const TDBGridOptions& options)
{
    options_ = options;
    setSelectionBehavior(options.RowSelect ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
    setTabKeyNavigation(options.Tabs);
    horizontalHeader()->setVisible(options.Titles);
    horizontalHeader()->setSectionResizeMode(options.ColumnResize ? QHeaderView::Interactive : QHeaderView::Fixed);
    QPalette palette = this->palette();
    if (options.AlwaysShowSelection) {
        palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
        palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                         palette.color(QPalette::Active, QPalette::HighlightedText));
    }
    setPalette(palette);
    viewport()->update();
}

void TDBGrid::SetColor(const QColor& color)
{
    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, color);
    palette.setColor(QPalette::AlternateBase, color);
    setPalette(palette);
}

QColor TDBGrid::Color() const
{
    return palette().color(QPalette::Base);
}

void TDBGrid::SetTitleFont(const QFont& font)
{
    horizontalHeader()->setFont(font);
}

bool TDBGrid::ShowsSelection() const
{
    return options_.AlwaysShowSelection || hasFocus();
}

void TDBGrid::Rebuild()
{
    if (!declaredColumns_) {
        columns_.clear();
        if (TClientDataSet* dataSet = DataSet()) {
            for (TField* field : dataSet->Fields()) {
                if (field->Visible)
                    columns_.push_back(std::make_unique<TColumn>(this, field->FieldName()));
            }
        }
    }
    model_->Reset();
    ApplyWidths();
    SyncFromDataSet();
}

void TDBGrid::Refresh()
{
    model_->Refresh();
    SyncFromDataSet();
}

void TDBGrid::StateChanged()
{
    const int state = dataSource_ ? int(dataSource_->State()) : 0;
    if (state == int(TDataSetState::Insert) && lastState_ != state) {
        insertTouched_ = false;
        inNewRecord_ = true;  // values set by the new-record handler are not typing
    }
    lastState_ = state;
    Refresh();
}

void TDBGrid::FieldTyped(TField* field)
{
    // Repaints come with recordChanged and dataSetChanged; this only notes typing into a new row.
    if (field && !inNewRecord_ && dataSource_ && dataSource_->State() == TDataSetState::Insert)
        insertTouched_ = true;
}

int TDBGrid::DefaultWidth(const TColumn* column) const
{
    // As wide as the field's text (or its title) in average characters, within sensible bounds.
    const TField* field = column->Field();
    const int chars = qMax(field && field->Size() > 0 ? field->Size() : 10, int(column->TitleText().size()));
    return qBound(40, chars * fontMetrics().averageCharWidth() + 8, 320);
}

void TDBGrid::ApplyWidths()
{
    applyingWidths_ = true;
    for (int i = 0; i < ColumnCount(); ++i) {
        // Never narrower than the title: widths made for another system font would cut it.
        const TColumn* column = columns_[size_t(i)].get();
        const int width = column->Width > 0 ? column->Width : DefaultWidth(column);
        horizontalHeader()->resizeSection(i, qMax(width, horizontalHeader()->sectionSizeHint(i)));
    }
    applyingWidths_ = false;
}

void TDBGrid::SyncFromDataSet()
{
    TClientDataSet* dataSet = DataSet();
    const int row = dataSet && dataSet->Active() ? dataSet->RecNo() - 1 : -1;
    syncing_ = true;
    if (row < 0 || row >= model_->rowCount()) {
        selectionModel()->clearCurrentIndex();
        selectionModel()->clearSelection();
    } else if (currentIndex().row() != row || !selectionModel()->isRowSelected(row, QModelIndex())) {
        const int col = qMax(0, currentIndex().column());
        const QModelIndex index = model_->index(row, qMin(col, qMax(0, model_->columnCount() - 1)));
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect
                                                     | (options_.RowSelect ? QItemSelectionModel::Rows
                                                                           : QItemSelectionModel::NoUpdate));
        scrollTo(index);
    }
    syncing_ = false;
}

void TDBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    TClientDataSet* dataSet = DataSet();
    if (syncing_ || !current.isValid() || !dataSet || !dataSet->Active())
        return;
    if (current.row() == dataSet->RecNo() - 1)
        return;
    const int recNo = current.row() + 1;
    RunGuarded([&] { dataSet->SetRecNo(recNo); }, this);
    // The set may have refused the move or landed elsewhere (a post that failed, a filter).
    QTimer::singleShot(0, this, [this] { SyncFromDataSet(); });
}

void TDBGrid::DrawCell(QPainter* painter, const QRect& rect, int row, int col, bool selected)
{
    TClientDataSet* dataSet = DataSet();
    if (!dataSet || !dataSet->Active() || row >= dataSet->RecordCount())
        return;
    TCanvas canvas(painter);
    canvas.Brush.Color = selected ? palette().color(QPalette::Highlight) : Color();
    canvas.Font.Color = selected ? palette().color(QPalette::HighlightedText) : palette().color(QPalette::Text);
    painter->save();
    painter->setFont(font());
    canvas_ = &canvas;
    TGridDrawState state;
    state.Selected = selected;
    state.Focused = selected && hasFocus();
    try {
        TRecordPeek peek(dataSet, row + 1);
        OnDrawColumnCell(this, rect, col, Column(col), state);
    } catch (const std::exception& error) {
        // Painting cannot stop for a dialog: the error is shown once, after the paint.
        if (!drawErrorShown_) {
            drawErrorShown_ = true;
            const QString message = QString::fromLocal8Bit(error.what());
            QTimer::singleShot(0, this, [this, message] { UiServices().Error(window(), message); });
        }
    }
    canvas_ = nullptr;
    painter->restore();
}

void TDBGrid::keyPressEvent(QKeyEvent* event)
{
    int key = VirtualKeyFromQt(event->key());
    if (OnKeyDown) {
        const bool ok = RunGuarded([&] { OnKeyDown(this, key, event->modifiers()); }, this);
        if (!ok || key == 0) {
            event->accept();
            return;
        }
    }
    const QString text = event->text();
    if (OnKeyPress && text.size() == 1 && text.at(0).unicode() >= 32) {
        QChar typed = text.at(0);
        const bool ok = RunGuarded([&] { OnKeyPress(this, typed); }, this);
        if (!ok || typed.unicode() == 0) {
            event->accept();
            return;
        }
    }
    if (key == VK::Delete && (event->modifiers() & Qt::ControlModifier)) {
        DeleteCurrentRow();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void TDBGrid::DeleteCurrentRow()
{
    TClientDataSet* dataSet = DataSet();
    if (ReadOnly || !dataSet || !dataSet->Active() || dataSet->IsEmpty())
        return;
    RunGuarded([&] {
        if (options_.ConfirmDelete && !UiServices().Question(window(), QStringLiteral("Excluir registro?")))
            return;
        dataSet->Delete();
    }, this);
}

void TDBGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
    const QModelIndex under = indexAt(event->position().toPoint());
    if (under.isValid() && under.row() != currentIndex().row())
        setCurrentIndex(under);
    if (OnDblClick)
        RunGuarded([this] { OnDblClick(this); }, this);
}

void TDBGrid::DoExit(QWidget* self)
{
    TClientDataSet* dataSet = DataSet();
    if (options_.CancelOnExit && dataSet && dataSet->State() == TDataSetState::Insert && !insertTouched_)
        dataSet->Cancel();
    TFocusEvents::DoExit(self);
}

void TDBGrid::focusInEvent(QFocusEvent* event)
{
    QTableView::focusInEvent(event);
    viewport()->update();
}

void TDBGrid::focusOutEvent(QFocusEvent* event)
{
    QTableView::focusOutEvent(event);
    viewport()->update();
}
