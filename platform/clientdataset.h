#pragma once
// TClientDataSet: an in-memory table of typed, named fields with a cursor, editing, a switchable
// filter, sort orders, maintained aggregates, data packets and a change log, in the manner of the
// desktop platform's client data set. Bound controls hear about it through TDataSource.
//
// Lifecycle. Define fields (AddField), aggregates and indexes while the set is inactive, then
// CreateDataSet (empty) or LoadPacket/SetData (rows from a packet; a set without fields takes the
// packet's columns). Close drops the rows and the change log. Operations on an inactive set, on the
// wrong state or with unknown names raise EDatabaseError with a Portuguese message.
//
// Cursor. RecNo is 1-based in the visible order (filter and sort applied), 0 when there is no row.
// First/Last/Next/Prior set Bof/Eof as the platform does: First sets Bof, Last sets Eof, Next on
// the last row sets Eof and stays, Prior on the first row sets Bof and stays; an empty set has both.
// SetRecNo outside 1..RecordCount goes to the nearest row. Moving the cursor while in Edit or Insert
// posts the row first.
//
// Event order (kept from the platform; "notify" = the bound data sources are told):
//   Append/Insert: [post pending edit], BeforeInsert, BeforeScroll, state Insert (notify state),
//                  OnNewRecord, notify data set change, AfterInsert, AfterScroll.
//                  If OnNewRecord raises, the new row is dropped, the state is Browse again and the
//                  error goes on. Append shows the new row after the last row, Insert before the
//                  current one (in insertion order; with a sort order the row takes its place on post).
//   Edit:          BeforeEdit, state Edit (notify state), notify record change, AfterEdit.
//                  Edit on an empty set is Insert.
//   Post:          BeforePost, store, state Browse (notify state), notify data set change, AfterPost.
//                  The cursor stays on the posted row, also when its sort fields moved it; a posted
//                  row that no longer passes the filter leaves the view and the next visible row
//                  becomes current (the previous one, with Eof set, when it was the last); the next
//                  Next then stays on that row, so a walk that edits rows out of the filter visits
//                  every row. A raising BeforePost keeps the Edit/Insert state and the buffer.
//                  Moving the cursor with an untouched Edit/Insert (no field written since Edit, or
//                  since OnNewRecord) cancels it instead of posting, as the platform does.
//   Cancel:        BeforeCancel, discard, state Browse (notify state), notify data set change,
//                  AfterCancel. A cancelled insert returns to the row that was current before.
//   Delete:        BeforeDelete, BeforeScroll, remove, state Browse (notify state when it changed),
//                  notify data set change, AfterDelete, AfterScroll. The next row becomes current;
//                  when the last row was deleted the previous one does and Eof is set. Delete in
//                  Insert state cancels the insert. Delete on an empty set raises.
//   First/Last/Next/Prior/SetRecNo/GotoBookmark: [post], BeforeScroll, move, notify, AfterScroll
//                  (the scroll events fire even when the cursor cannot move; SetRecNo to the current
//                  row fires nothing).
//   Locate:        [post], BeforeScroll, search; when found: move, notify, AfterScroll.
//   Filter/Filtered/IndexName/IndexFieldNames change on an active set: [post], apply, then as First
//                  (BeforeScroll, AfterScroll): the cursor goes to the first visible row.
//   Open/CreateDataSet/LoadPacket: BeforeOpen, state Browse (notify), AfterOpen, then AfterScroll
//                  when there is a row. Loading an active set first runs BeforeClose/AfterClose.
//   EmptyDataSet:  drops a pending edit, every row and the change log; no delete or scroll events;
//                  notify data set change.
//   CancelUpdates: cancels a pending edit, restores the rows as loaded and stands on the first row;
//                  notify data set change, no scroll events.
// DisableControls/EnableControls nest; while the count is above zero no data source hears
// anything (state changes included), but the set's own events above still fire. When the count
// returns to zero the data sources hear a state change (if the state differs from when refresh was
// suspended) and one data set change.
//
// Filter text: comparisons = <> < > <= >= between fields, quoted texts ('it''s') and numbers,
// + - * / on numbers, AND, OR, NOT, parentheses, IS NULL, IS NOT NULL; field names are plain or in
// brackets; keywords in any case. Comparing with null is false. FilterOptions CaseInsensitive
// makes text comparisons ignore case; it is read whenever the filter is applied. A text that does
// not parse raises EDatabaseError naming the text, and the filter in force stays as it was.
// The filter limits navigation, RecordCount, Locate, Lookup and aggregates.
//
// Locate/Lookup: one field or several ("A;B") with one value each; CaseInsensitive and PartialKey
// (the field's text starts with the value) apply to text fields. Lookup returns the result field's
// value (a QVariantList for "X;Y") of the first matching visible row, or an invalid QVariant,
// without moving the cursor.
//
// Sort orders: IndexFieldNames ("A;B", ascending) or IndexName (an index added with AddIndex;
// "DEFAULT_ORDER" and an empty name mean insertion order). Nulls sort first; texts compare by
// character code. Equal keys keep insertion order. Setting one clears the other.
//
// Packets: LoadPacket/SetData replace every row and clear the change log; columns the set does
// not declare load and stay unreachable (they travel again in Data and in change packets). A bad
// packet (wrong shape, a value of the wrong kind, a text longer than its field, a column whose
// kind differs from the declared field) raises EDatabaseError and the set keeps its rows, state
// and cursor. Change packets hold one entry per changed row in the order of first change: an
// inserted row once with its final values, a modified row with its values at load time and now, a
// deleted row with its values at load time; a row inserted and deleted does not appear. A pending
// edit is not in Data/ChangePacket until posted.
//
// Performance: values live column by column: per column a list of values, where rows that repeat a
// value (a branch, a status) share its entry, and per row one small number per column naming its
// entry; the rows of a load sit in one block and the texts of a load's column in shared blocks of
// characters, in row order. Loading from bytes (LoadPacketBytes) reads the JSON straight into
// those columns. Rows live
// once in insertion order; the visible order is a vector of row pointers rebuilt lazily after a
// filter, index change or load (the first read builds it; counting an unfiltered set does not) and
// kept in place (binary search) on post and delete. Large views sort by the ranks of their first
// two keys' entries, grouped by the first and skipping groups already in order, which packets in
// key order usually are. Per text field the set keeps hash indexes (exact and case-folded), built
// on first use and maintained on every post, delete and load: a filter that is an AND of
// FIELD = 'text' terms starts from the smallest bucket instead of scanning, and Locate/Lookup by a
// text field without PartialKey look the key up. Parsed filters are cached by text. Aggregates are
// computed on first read after a change. A post adds the values it changed as new entries; the
// entries no row names any more go with the next load, empty or close.

#include "aggregatefield.h"
#include "field.h"
#include "packet.h"
#include "recordpeek.h"

#include <QFlags>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>

class TDataSource;
class TFilterExpression;

enum class TDataSetState { Inactive, Browse, Edit, Insert };

enum class TLocateOption { CaseInsensitive = 1, PartialKey = 2 };
Q_DECLARE_FLAGS(TLocateOptions, TLocateOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TLocateOptions)

enum class TFilterOption { CaseInsensitive = 1 };
Q_DECLARE_FLAGS(TFilterOptions, TFilterOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFilterOptions)

// Names a row for as long as it exists; a deleted row's bookmark stays invalid.
struct TBookmark {
    quint64 id = 0;
    bool IsNull() const { return id == 0; }
    bool operator==(const TBookmark&) const = default;
};

using TDataSetNotifyEvent = std::function<void(TClientDataSet*)>;

class TClientDataSet : public QObject {
    Q_OBJECT
public:
    explicit TClientDataSet(QObject* parent = nullptr);
    ~TClientDataSet() override;

    // definition
    TField* AddField(const QString& name, TFieldType type, int size = 0);
    TAggregateField* AddAggregate(const QString& name, const QString& expression);
    void AddIndex(const QString& name, const QString& fields, bool descending = false);
    bool AggregatesActive = false;

    void CreateDataSet();
    virtual void Open();   // activates the set with the rows it has (none after Close)
    virtual void Close();  // drops rows and change log; definitions stay
    bool Active() const;
    void EmptyDataSet();

    TField* FieldByName(const QString& name) const;  // EDatabaseError when unknown
    TField* FindField(const QString& name) const;    // nullptr when unknown
    QList<TField*> Fields() const;
    int FieldCount() const;
    QList<TAggregateField*> AggregateFields() const;

    // cursor
    void First();
    void Last();
    void Next();
    void Prior();
    bool Eof() const;
    bool Bof() const;
    int RecNo() const;
    void SetRecNo(int recNo);
    int RecordCount() const;
    bool IsEmpty() const;
    TBookmark GetBookmark() const;
    void GotoBookmark(const TBookmark& bookmark);  // EDatabaseError when the row is gone or hidden
    bool BookmarkValid(const TBookmark& bookmark) const;

    // editing
    void Append();
    void Insert();
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    TDataSetState State() const;
    void CheckBrowseMode();  // posts a pending edit or insert

    // events
    TDataSetNotifyEvent OnNewRecord, BeforeInsert, AfterInsert, BeforeEdit, AfterEdit, BeforePost, AfterPost,
        BeforeCancel, AfterCancel, BeforeDelete, AfterDelete, BeforeScroll, AfterScroll, BeforeOpen, AfterOpen,
        BeforeClose, AfterClose;

    // locate
    bool Locate(const QString& keyFields, const QVariantList& values, TLocateOptions options = {});
    QVariant Lookup(const QString& keyFields, const QVariantList& values, const QString& resultFields);

    // filter
    void SetFilter(const QString& text);
    QString Filter() const;
    void SetFiltered(bool filtered);
    bool Filtered() const;
    TFilterOptions FilterOptions;

    // order
    void SetIndexFieldNames(const QString& fields);
    QString IndexFieldNames() const;
    void SetIndexName(const QString& name);
    QString IndexName() const;

    // bound controls
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const;

    // packets
    void SetData(const QJsonObject& packet);
    QJsonObject Data() const;
    void LoadPacket(const TDataPacket& packet);
    void LoadPacket(TDataPacket&& packet);
    // Loads a data packet from its JSON bytes: the same packets are taken or refused, with the
    // same messages, as by LoadPacket(DataPacketFromJsonBytes(bytes)), but the values go from the
    // bytes into the set's columns without a list per row.
    void LoadPacketBytes(const QByteArray& bytes);
    TDataPacket Packet() const;
    QJsonObject Delta() const;
    TChangePacket ChangePacket() const;
    int ChangeCount() const;
    void MergeChangeLog();
    void CancelUpdates();

private:
    friend class TField;
    friend class TAggregateField;
    friend class TDataSource;
    friend class TRecordPeek;
    struct Impl;

    const QVariant& FieldValue(int slot) const;
    void SetFieldValue(TField* field, QVariant&& value);
    QVariant AggregateValue(const TAggregateField* field) const;
    std::shared_ptr<TFilterExpression> CompileAggregate(const QString& expression) const;
    void AttachSource(TDataSource* source);
    void DetachSource(TDataSource* source);
    void PushPeek(int recNo);
    void PopPeek();

    void CheckActive() const;
    void EnsureView() const;
    void Notify(int event, TField* field = nullptr, int distance = 0) const;
    void SetState(TDataSetState state);
    void Activate();
    void Deactivate();
    void BeginInsert(bool append);
    void ViewChanged();
    std::shared_ptr<TFilterExpression> CompileFilter(const QString& text) const;
    void ResolveSortKeys(const QString& indexName, const QString& fieldNames);
    int FindRow(const QString& keyFields, const QVariantList& values, TLocateOptions options) const;
    void InstallPacket(TDataPacket&& packet);
    bool InstallColumns(TPacketColumns& packet);  // takes the columns' values when it returns true

    std::unique_ptr<Impl> d_;
};
