// The record set's storage, cursor, editing, filters, sort orders, hash indexes, aggregates,
// packets and change log. See clientdataset.h for the behaviour callers rely on.

#include "clientdataset.h"

#include "cellindex.h"
#include "datasource.h"
#include "errors.h"
#include "filterexpression.h"
#include "sysutils.h"
#include "textblocks.h"

#include <QHash>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <numeric>

namespace {

constexpr qint64 kRankGap = qint64(1) << 20;

// The cell's value when it holds a T (checked inline: these run inside sorts and key lookups).
template <typename T>
const T* CellAs(const QVariant& v)
{
    return v.data_ptr().typeInterface() == QMetaType::fromType<T>().iface() ? static_cast<const T*>(v.constData()) : nullptr;
}

// Whether two cells hold the very same value: of one kind, equal, zeros of one sign, date-times
// both UTC or both local. Texts and numbers, nearly every cell, are told apart inline.
bool Identical(const QVariant& a, const QVariant& b)
{
    if (const QString* x = CellAs<QString>(a)) {
        const QString* y = CellAs<QString>(b);
        return y && *x == *y;
    }
    if (const double* x = CellAs<double>(a)) {
        const double* y = CellAs<double>(b);
        return y && *x == *y && std::signbit(*x) == std::signbit(*y);
    }
    if (a.typeId() != b.typeId() || a != b)
        return false;
    if (a.typeId() == QMetaType::QDateTime)
        return a.toDateTime().timeSpec() == b.toDateTime().timeSpec();
    return true;
}

// The values of the set's rows, column by column. A row holds, per column, the position of its
// value in that column's list; rows whose values repeat (a branch, a status, a mark) share one
// entry, and entry 0 of every column is null. Entries are appended as rows are loaded, inserted
// or changed, and are dropped with the rows (load, empty, close).
struct Store {
    std::vector<std::vector<QVariant>> columns;
    quint64 epoch = 0;  // changes whenever entries may have been replaced rather than appended

    // Drops every entry but null. The columns keep their room, as a set emptied and filled again
    // (a list rebuilt on every search) grows back to about the same size.
    void Reset(int count)
    {
        columns.resize(size_t(count));
        for (std::vector<QVariant>& column : columns)
            column.resize(1);  // entry 0 is never written: it stays null
        ++epoch;
    }
    // The entry that holds `value` from now on in column `slot`. A value identical to the
    // column's last entry shares it, as the rows put one after another (the labels of one item,
    // each with the item's fields) repeat most of their values. With `texts`, a text that becomes
    // a new entry is copied into those blocks.
    quint32 Put(int slot, QVariant&& value, TTextBlocks* texts = nullptr)
    {
        if (!value.isValid())
            return 0;
        std::vector<QVariant>& column = columns[size_t(slot)];
        if (column.size() > 1 && Identical(column.back(), value))
            return quint32(column.size() - 1);
        if (texts)
            if (const QString* text = CellAs<QString>(value); text && !text->isEmpty())
                value = QVariant(texts->Text(QStringView(*text)));
        column.push_back(std::move(value));
        return quint32(column.size() - 1);
    }
};

struct Row {
    quint32* codes = nullptr;  // per slot (declared fields first, then the packet's undeclared columns)
    const Store* store = nullptr;
    qint64 rank = 0;      // position in insertion order
    quint64 id = 0;
    quint64 viewGen = 0;  // equals the set's view generation while the row is visible
    bool isNew = false;   // inserted since the last load or merge
    int logPos = -1;      // its entry in the change log, or -1

    const QVariant& At(int slot) const { return store->columns[size_t(slot)][codes[slot]]; }
};

// A row with the ranks of its first sort keys packed into one integer, for sorting by integers.
struct KeyedRow {
    quint64 key;
    Row* row;
};

struct SortKey {
    int slot;
    bool descending;
    TFieldType type;
};


// Orders two cells of one column. A text column holds only QString or null, a number column only
// double or null, a date-time column only QDateTime or null; null sorts first.
int CompareCells(const QVariant& a, const QVariant& b, TFieldType type)
{
    switch (type) {
    case TFieldType::String:
    case TFieldType::FixedString: {
        const QString* x = CellAs<QString>(a);
        const QString* y = CellAs<QString>(b);
        if (x && y) {
            // Texts written from one QString share their characters (a mark, a status).
            if (x->constData() == y->constData() && x->size() == y->size())
                return 0;
            return x->compare(*y);
        }
        return x ? 1 : (y ? -1 : 0);
    }
    case TFieldType::Float: {
        const double* x = CellAs<double>(a);
        const double* y = CellAs<double>(b);
        if (x && y)
            return *x < *y ? -1 : (*x > *y ? 1 : 0);
        return x ? 1 : (y ? -1 : 0);
    }
    case TFieldType::DateTime:
        break;
    }
    return TFilterExpression::CompareValues(a, b, false);
}

// The order of a column's entries as ranks (0 for null, equal values equal ranks), so that many
// rows sort by integers; kept while the column only keeps its entries.
struct EntryRanks {
    quint64 epoch = 0;
    size_t entries = 0;  // with `epoch`, the state of the column the ranks are of
    std::vector<quint32> rank;
    quint32 top = 0;
    // The state of the column while filtered views were sorted without its ranks, and the rows
    // they held in all.
    quint64 heldEpoch = 0;
    size_t heldEntries = 0;
    size_t sortedWhileHeld = 0;
};

struct IndexDef {
    QString name;
    QString fields;
    bool descending;
};

const QVariant& ReadRowCell(const void* row, int slot)
{
    return static_cast<const Row*>(row)->At(slot);
}

TRowCells CellsOf(const Row* row)
{
    return TRowCells(row, ReadRowCell);
}

// The row's values as a list, one per slot.
QVariantList Values(const Row* row)
{
    const int columns = int(row->store->columns.size());
    QVariantList out;
    out.reserve(columns);
    for (int slot = 0; slot < columns; ++slot)
        out.append(row->At(slot));
    return out;
}

// Rows live in the set's blocks (a load's, or the blocks of inserted rows) and go with them, so a
// RowPtr frees nothing: it marks the one place that holds the row.
struct RowHold {
    void operator()(Row*) const {}
};
using RowPtr = std::unique_ptr<Row, RowHold>;

// Holding rows: a row is held by exactly one place at a time. A live row is held by the set's
// insertion order (Impl::all); every other reference to it (the view, the hash indexes, the
// bookmark table, the change log's `live`, the cursor's insert anchors) is a plain pointer that
// the set drops before the row leaves `all`. Delete moves a loaded row out of `all` into its
// change-log entry (`gone`), which holds it until CancelUpdates moves it back or the log is
// cleared; a row inserted since the load is dropped on delete, as nothing can bring it back.
// `alive` sits beside the kind, so an entry (one per posted row of a list being filled) takes 56
// bytes instead of 64.
struct ChangeEntry {
    TChangeKind kind;
    bool alive = true;              // false once a new row's insert was undone by its delete
    quint64 rowId;
    Row* live = nullptr;            // the row while it exists (owned by Impl::all)
    RowPtr gone;                    // a deleted loaded row, kept for CancelUpdates
    QVariantList original;          // values at load time (Modify, Delete)
};

// The text of one column of a row, for the hash indexes; null for a null cell.
struct SlotText {
    int slot;
    const QString* operator()(const Row* row) const { return CellAs<QString>(row->At(slot)); }
};

using CellIndex = TCellIndex<Row, SlotText>;
using Bucket = std::span<Row* const>;

bool SameKind(TFieldType a, TPacketFieldType b)
{
    return (IsText(a) && IsTextType(b)) || a == FieldTypeOf(b);
}

QStringList SplitNames(const QString& names)
{
    QStringList out;
    for (const QString& part : names.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString name = part.trimmed();
        if (!name.isEmpty())
            out.append(name);
    }
    return out;
}

[[noreturn]] void Fail(const QString& message)
{
    throw EDatabaseError(message);
}

// Where a packet's columns go in the set's rows, and what their values must be.
struct PacketLayout {
    bool defineFields = false;       // the set has no fields and takes the packet's columns
    std::vector<int> target;         // per packet column, its slot in the set's rows
    std::vector<TPacketField> kinds;  // per packet column, the kind and width its values must have
    QList<TPacketField> extras;      // packet columns the set does not declare, after the fields
    int columns = 0;                 // slots per row
    bool identity = true;            // every packet column lands in the slot of its own position
};

// What is wrong with a packet value (not null) in a column of the given kind, worded for the
// message that refuses row r; empty when the value fits.
QString PacketValueFault(const QVariant& v, const TPacketField& kind, qsizetype r)
{
    switch (FieldTypeOf(kind.type)) {
    case TFieldType::String:
    case TFieldType::FixedString: {
        const QString* text = CellAs<QString>(v);
        if (!text)
            return QStringLiteral("linha %1, campo %2: esperado um texto").arg(r + 1).arg(kind.name);
        if (text->size() > kind.width)
            return QStringLiteral("linha %1, campo %2: o texto \"%3\" passa da largura %4").arg(r + 1).arg(kind.name, *text).arg(kind.width);
        return {};
    }
    case TFieldType::Float: {
        if (CellAs<double>(v))
            return {};
        const int t = v.typeId();
        if (t != QMetaType::Int && t != QMetaType::LongLong && t != QMetaType::Float && t != QMetaType::UInt &&
            t != QMetaType::ULongLong)
            return QStringLiteral("linha %1, campo %2: esperado um número").arg(r + 1).arg(kind.name);
        return {};
    }
    case TFieldType::DateTime:
        if (v.typeId() != QMetaType::QDateTime || !WallClock(v.toDateTime()).isValid())
            return QStringLiteral("linha %1, campo %2: esperada uma data e hora").arg(r + 1).arg(kind.name);
        return {};
    }
    return {};
}

// Brings a packet value that fits its column to the set's form: an empty text becomes null (as it
// is when written through a field), a whole number a double, a date-time its wall-clock reading.
void NormalizePacketValue(QVariant& v, const TPacketField& kind)
{
    switch (FieldTypeOf(kind.type)) {
    case TFieldType::String:
    case TFieldType::FixedString:
        if (CellAs<QString>(v)->isEmpty())
            v = QVariant();
        break;
    case TFieldType::Float:
        if (!CellAs<double>(v))
            v = v.toDouble();
        break;
    case TFieldType::DateTime:
        if (v.toDateTime().timeSpec() != Qt::UTC)
            v = WallClock(v.toDateTime());
        break;
    }
}

// Checks one row of a packet against the layout and brings its values to the set's forms.
void CheckPacketRow(QVariantList& row, qsizetype r, const PacketLayout& layout)
{
    if (row.size() != qsizetype(layout.kinds.size()))
        RefusePacket(QStringLiteral("a linha %1 tem %2 valores para %3 campos").arg(r + 1).arg(row.size()).arg(qsizetype(layout.kinds.size())));
    QVariant* cells = row.data();
    for (qsizetype c = 0; c < row.size(); ++c) {
        QVariant& v = cells[c];
        if (!v.data_ptr().typeInterface())
            continue;  // null
        const TPacketField& kind = layout.kinds[size_t(c)];
        const QString fault = PacketValueFault(v, kind, r);
        if (!fault.isEmpty())
            RefusePacket(fault);
        NormalizePacketValue(v, kind);
    }
}

// Checks every row of the packet before anything is replaced.
void CheckPacketRows(TDataPacket& packet, const PacketLayout& layout)
{
    for (qsizetype r = 0; r < packet.rows.size(); ++r)
        CheckPacketRow(packet.rows[r], r, layout);
}

}  // namespace

struct TClientDataSet::Impl {
    std::vector<std::unique_ptr<TField>> fields;
    std::vector<std::unique_ptr<TAggregateField>> aggregates;
    QList<TPacketField> extraColumns;
    QList<IndexDef> indexes;

    bool active = false;
    TDataSetState state = TDataSetState::Inactive;

    Store store;
    std::unique_ptr<Row[]> rowBlock;  // the rows of the last load, and their codes
    std::vector<quint32> codeBlock;
    struct InsertBlock {
        std::unique_ptr<Row[]> rows;
        std::unique_ptr<quint32[]> codes;
        size_t count;
    };
    std::vector<InsertBlock> insertBlocks;  // the rows inserted since, and their codes
    size_t insertUsed = 0;
    std::vector<RowPtr> all;  // the live rows, owned here, in insertion order (ascending rank)
    QHash<quint64, Row*> byId;  // built on first use (bookmarks), then maintained
    bool byIdBuilt = false;
    quint64 nextId = 1;

    std::vector<Row*> view;  // visible rows in the current order
    bool viewDirty = false;  // rebuild, then stand on the first row
    quint64 gen = 1;
    int cur = -1;
    bool bof = true;
    bool eof = true;
    // The last post took the current row out of the view and the cursor already stands on its
    // successor: the next Next stays there, so a walk that edits rows out of the filter visits all.
    // Any other cursor move or edit forgets it.
    bool leftView = false;
    bool leftAtEnd = false;  // ... and it was the last visible row

    QVariantList buffer;  // the row being edited or inserted
    bool modified = false;
    int insertPos = 0;
    // While inserting no row can leave the set (Delete, Close and loading end the insert first).
    Row* insertBefore = nullptr;  // row the new row goes before in insertion order (null = at the end)
    Row* restoreRow = nullptr;    // row that was current when the insert began

    QString filterText;
    bool filtered = false;
    std::shared_ptr<TFilterExpression> filter;
    QHash<QString, std::shared_ptr<TFilterExpression>> filterCache[2];  // exact, ignoring case

    QString indexFieldNames;
    QString indexName;
    std::vector<SortKey> sortKeys;
    mutable std::map<int, EntryRanks> entryRanks;  // by slot, for sorting many rows

    std::map<int, CellIndex> hashes;  // key: slot * 2 + caseInsensitive; built on first use
    std::map<int, std::size_t> hashSizes;  // their key counts when last dropped: a refilled set grows back

    std::vector<ChangeEntry> log;
    int liveChanges = 0;

    int disableCount = 0;
    TDataSetState disableState = TDataSetState::Inactive;
    QList<TDataSource*> sources;

    // A peeked row: a stored row, or the edit buffer.
    struct Peek {
        const Row* row;
        const QVariantList* buffer;
    };
    QList<Peek> peeks;

    QString lastKeyFields;  // the key list of the last Locate/Lookup and its field positions
    std::vector<int> lastKeySlots;

    bool aggDirty = true;
    QHash<const TAggregateField*, QVariant> aggCache;

    ~Impl() { FreeRows(); }

    int Columns() const { return int(fields.size() + extraColumns.size()); }

    void FreeRows()
    {
        all.clear();
        byId.clear();
        byIdBuilt = false;
        view.clear();
        log.clear();  // frees the deleted rows it kept
        liveChanges = 0;
        rowBlock.reset();
        codeBlock = {};
        insertBlocks.clear();
        insertUsed = 0;
        entryRanks.clear();
        store.Reset(Columns());
        for (const auto& [key, index] : hashes)
            hashSizes[key] = std::max(hashSizes[key], index.Keys());
        hashes.clear();
        cur = -1;
        bof = eof = true;
        leftView = leftAtEnd = false;
        viewDirty = false;
        aggDirty = true;
    }

    int SlotOf(const QString& name) const
    {
        for (const auto& f : fields)
            if (f->FieldName() == name)
                return f->Index();
        for (const auto& f : fields)
            if (f->FieldName().compare(name, Qt::CaseInsensitive) == 0)
                return f->Index();
        return -1;
    }

    // Resolves the declared fields that expressions name; undeclared packet columns stay unreachable.
    TFilterExpression::Resolver Resolver() const
    {
        return [this](const QString& name, TFilterExpression::FieldRef& ref) {
            const int slot = SlotOf(name);
            if (slot < 0)
                return false;
            ref.slot = slot;
            ref.type = fields[size_t(slot)]->DataType();
            return true;
        };
    }

    int RequireSlot(const QString& name) const
    {
        const int slot = SlotOf(name);
        if (slot < 0)
            Fail(QStringLiteral("Campo %1 não encontrado.").arg(name));
        return slot;
    }

    bool Passes(const Row* row) const { return !filtered || !filter || filter->Matches(CellsOf(row)); }

    bool Less(const Row* a, const Row* b) const
    {
        for (const SortKey& k : sortKeys) {
            const int c = CompareCells(a->At(k.slot), b->At(k.slot), k.type);
            if (c != 0)
                return k.descending ? c > 0 : c < 0;
        }
        return a->rank < b->rank;
    }

    // The rows whose text in `slot` is `text`, from the column's index (built on first use).
    Bucket FindBucket(int slot, bool ci, const QString& text)
    {
        const int key = slot * 2 + (ci ? 1 : 0);
        auto h = hashes.find(key);
        if (h == hashes.end()) {
            const auto hint = hashSizes.find(key);
            h = hashes.emplace(key, CellIndex(ci, SlotText{slot}, hint == hashSizes.end() ? 0 : hint->second)).first;
            for (const RowPtr& r : all)
                if (const QString* t = CellAs<QString>(r->At(slot)))
                    h->second.Add(r.get(), *t);
        }
        return h->second.Find(text);
    }

    // Puts the row into the indexes (of one column, or all) under its current values.
    void HashAdd(Row* row, int onlySlot = -1)
    {
        for (auto& [key, index] : hashes) {
            const int slot = key / 2;
            if (onlySlot >= 0 && slot != onlySlot)
                continue;
            if (const QString* t = CellAs<QString>(row->At(slot)))
                index.Add(row, *t);
        }
    }

    // Takes the row out of the indexes (of one column, or all) under its old values; the row must
    // still hold them.
    void HashRemove(Row* row, const TRowCells& values, int onlySlot = -1)
    {
        for (auto& [key, index] : hashes) {
            const int slot = key / 2;
            if (onlySlot >= 0 && slot != onlySlot)
                continue;
            if (const QString* t = CellAs<QString>(values[slot]))
                index.Remove(row, *t);
        }
    }

    // A row made by an insert, taking the values out of `values` (the list keeps its room).
    // Inserted rows are made in blocks too, which live until the rows are dropped (load, empty,
    // close): a row inserted and deleted again keeps its place in its block until then.
    RowPtr NewRow(QVariantList& values)
    {
        const size_t columns = size_t(values.size());
        if (insertBlocks.empty() || insertUsed == insertBlocks.back().count) {
            const size_t count = insertBlocks.empty() ? 64 : std::min<size_t>(4096, insertBlocks.back().count * 2);
            insertBlocks.push_back({std::make_unique<Row[]>(count), std::make_unique<quint32[]>(count * columns), count});
            insertUsed = 0;
        }
        InsertBlock& block = insertBlocks.back();
        RowPtr row(&block.rows[insertUsed]);
        row->codes = block.codes.get() + insertUsed * columns;
        ++insertUsed;
        row->store = &store;
        for (int slot = 0; slot < int(values.size()); ++slot)
            row->codes[slot] = store.Put(slot, std::move(values[slot]));
        row->id = nextId++;
        row->isNew = true;
        return row;
    }

    // Gives the row `values`, cell by cell where they differ in any way (a zero's sign, whether
    // a date-time is UTC or local), so the row holds exactly the values given.
    void WriteRow(Row* row, const QVariantList& values)
    {
        for (int slot = 0; slot < int(values.size()); ++slot)
            if (!Identical(row->At(slot), values.at(slot)))
                row->codes[slot] = store.Put(slot, QVariant(values.at(slot)));
    }

    void RebuildView()
    {
        std::vector<Row*> rows;
        Bucket smallest;  // the fewest rows a key term admits; a found key has at least one
        bool noneCanPass = false;
        if (filtered && filter) {
            for (const auto& term : filter->KeyTerms()) {
                const Bucket b = FindBucket(term.slot, filter->CaseInsensitive(), term.text);
                if (b.empty()) {
                    noneCanPass = true;
                    break;
                }
                if (smallest.empty() || b.size() < smallest.size())
                    smallest = b;
            }
        }
        if (!noneCanPass) {
            auto take = [&](Row* const* begin, Row* const* end) {
                rows.reserve(size_t(end - begin));
                for (Row* const* r = begin; r != end; ++r)
                    if (Passes(*r))
                        rows.push_back(*r);
            };
            if (!filtered || !filter) {
                rows.reserve(all.size());
                for (const RowPtr& r : all)
                    rows.push_back(r.get());
            } else if (!smallest.empty() && filter->KeyTerms().size() == 1 && filter->IsKeyTermsOnly()) {
                rows.assign(smallest.begin(), smallest.end());
            } else if (!smallest.empty())
                take(smallest.data(), smallest.data() + smallest.size());
            else {
                rows.reserve(all.size());
                for (const RowPtr& r : all)
                    if (Passes(r.get()))
                        rows.push_back(r.get());
            }
            bool sorted = false;
            if (!sortKeys.empty() && rows.size() > 64) {
                SortByKeys(rows);
                sorted = true;
            } else if (!sortKeys.empty()) {
                sorted = SortFewByRanks(rows);
            }
            if (!sorted && (!smallest.empty() || !sortKeys.empty()))
                std::sort(rows.begin(), rows.end(), [this](const Row* a, const Row* b) { return Less(a, b); });
        }
        view = std::move(rows);
        ++gen;
        for (Row* r : view)
            r->viewGen = gen;
        viewDirty = false;
        aggDirty = true;
    }

    const EntryRanks& RanksOf(const SortKey& key) const
    {
        const std::vector<QVariant>& column = store.columns[size_t(key.slot)];
        EntryRanks& r = entryRanks[key.slot];
        if (r.epoch == store.epoch && r.entries == column.size())
            return r;
        r.rank.assign(column.size(), 0);
        r.top = 0;
        r.epoch = store.epoch;
        r.entries = column.size();
        // Gives entry e the rank after the entries ranked so far (a null entry ranks with null);
        // false, unranked, when it sorts before the last of them.
        const QVariant* previous = nullptr;
        auto rankNext = [&](quint32 e) {
            if (!column[e].isValid())
                return true;
            const int order = previous ? CompareCells(*previous, column[e], key.type) : -1;
            if (order > 0)
                return false;
            r.top += order < 0;
            r.rank[e] = r.top;
            previous = &column[e];
            return true;
        };
        // Entries are kept in the order rows brought them, which is often their order: they are
        // ranked in that order in one pass while it holds, else in their sorted order.
        bool inOrder = true;
        for (quint32 e = 1; e < column.size() && inOrder; ++e)
            inOrder = rankNext(e);
        if (inOrder)
            return r;
        std::vector<quint32> order(column.size() - 1);
        std::iota(order.begin(), order.end(), quint32(1));
        std::sort(order.begin(), order.end(),
                  [&](quint32 a, quint32 b) { return CompareCells(column[a], column[b], key.type) < 0; });
        std::fill(r.rank.begin(), r.rank.end(), 0);
        r.top = 0;
        previous = nullptr;
        for (quint32 e : order)
            rankNext(e);
        return r;
    }

    // The ranks of the first two sort keys' columns, for sorting `rows` rows; false when a column
    // has none that still hold and ranking it would cost more than it saves. Many rows are worth
    // ranking a column of up to four entries a row. A few rows (a filtered view) are worth it once
    // the column has held still while views of it were sorted by comparing, rows enough for one
    // sixty-fourth of its entries, as a list filtered over and over while its rows stay put; a
    // column that changes between sorts is never ranked for them.
    bool KeyRanks(const EntryRanks* (&ranks)[2], size_t rows, bool few) const
    {
        for (size_t k = 0; k < std::min<size_t>(2, sortKeys.size()); ++k) {
            const SortKey& key = sortKeys[k];
            const size_t entries = store.columns[size_t(key.slot)].size();
            EntryRanks& r = entryRanks[key.slot];
            const bool cached = r.epoch == store.epoch && r.entries == entries;
            if (!cached && few) {
                if (r.heldEpoch != store.epoch || r.heldEntries != entries) {
                    r.heldEpoch = store.epoch;
                    r.heldEntries = entries;
                    r.sortedWhileHeld = 0;
                }
                r.sortedWhileHeld += rows;
                if (r.sortedWhileHeld * 64 < entries)
                    return false;
            } else if (!cached && entries > 4 * rows) {
                return false;
            }
            ranks[k] = &RanksOf(key);
        }
        return true;
    }

    // The ranks of the row's first two keys packed into one integer, in the order of the keys.
    quint64 PackedKey(const Row* row, const EntryRanks* const (&ranks)[2]) const
    {
        quint64 key = 0;
        for (size_t k = 0; k < std::min<size_t>(2, sortKeys.size()); ++k) {
            quint32 r = ranks[k]->rank[row->codes[sortKeys[k].slot]];
            if (sortKeys[k].descending)
                r = ranks[k]->top - r;
            key = (key << 32) | r;
        }
        return key;
    }

    // The rows with their packed keys, in their order.
    std::vector<KeyedRow> Keyed(const std::vector<Row*>& rows, const EntryRanks* const (&ranks)[2]) const
    {
        std::vector<KeyedRow> keyed(rows.size());
        for (size_t i = 0; i < rows.size(); ++i)
            keyed[i] = {PackedKey(rows[i], ranks), rows[i]};
        return keyed;
    }

    // Sorts a few rows (a filtered view) by their packed keys when their columns' ranks are at
    // hand, as for a list filtered over and over while its rows stay put; rows whose keys tie go
    // by comparing their cells. False, untouched, when the ranks would have to be made first.
    bool SortFewByRanks(std::vector<Row*>& rows) const
    {
        const EntryRanks* ranks[2] = {nullptr, nullptr};
        if (!KeyRanks(ranks, rows.size(), true))
            return false;
        std::vector<KeyedRow> keyed = Keyed(rows, ranks);
        std::sort(keyed.begin(), keyed.end(),
                  [this](const KeyedRow& a, const KeyedRow& b) { return a.key != b.key ? a.key < b.key : Less(a.row, b.row); });
        for (size_t i = 0; i < rows.size(); ++i)
            rows[i] = keyed[i].row;
        return true;
    }

    // Sorts many rows by the ranks of their first two keys, packed into one integer, with a stable
    // radix sort; rows whose packed keys tie go by the remaining keys, then insertion order.
    // Declines (false) when a key column holds far more entries than there are rows to sort (a
    // filtered view of a large set), where ranking the column would cost more than it saves.
    bool SortByRanks(std::vector<Row*>& rows) const
    {
        const size_t packed = std::min<size_t>(2, sortKeys.size());
        const EntryRanks* ranks[2] = {nullptr, nullptr};
        if (!KeyRanks(ranks, rows.size(), false))
            return false;
        if (!std::is_sorted(rows.begin(), rows.end(), [](const Row* a, const Row* b) { return a->rank < b->rank; }))
            std::sort(rows.begin(), rows.end(), [](const Row* a, const Row* b) { return a->rank < b->rank; });
        std::vector<KeyedRow> keyed = Keyed(rows, ranks);
        if (packed == 0 || !SortByFirstRank(keyed, ranks[0]->top, packed))
            RadixSort(keyed);
        for (size_t i = 0; i < rows.size(); ++i)
            rows[i] = keyed[i].row;
        if (sortKeys.size() > packed) {
            for (size_t begin = 0; begin < keyed.size();) {
                size_t end = begin + 1;
                while (end < keyed.size() && keyed[end].key == keyed[begin].key)
                    ++end;
                if (end - begin > 1)
                    std::sort(rows.begin() + std::ptrdiff_t(begin), rows.begin() + std::ptrdiff_t(end),
                              [this](const Row* a, const Row* b) { return Less(a, b); });
                begin = end;
            }
        }
        return true;
    }

    // The first key often has few values (a status, a mark, an item) and packets usually arrive
    // in the order of the second: distributes the rows by the first key's rank, keeping their
    // order, and sorts only the groups that are not in order already. False, untouched, when the
    // first key has too many values for that.
    template <typename Keyed>
    static bool SortByFirstRank(std::vector<Keyed>& items, quint32 top, size_t packed)
    {
        constexpr quint32 kMaxGroups = 1024;
        if (top >= kMaxGroups)
            return false;
        const int shift = packed == 2 ? 32 : 0;
        std::vector<size_t> start(size_t(top) + 2, 0);
        for (const Keyed& item : items)
            ++start[size_t(item.key >> shift) + 1];
        for (size_t g = 1; g < start.size(); ++g)
            start[g] += start[g - 1];
        std::vector<Keyed> out(items.size());
        std::vector<size_t> fill(start.begin(), start.end() - 1);
        for (const Keyed& item : items)
            out[fill[size_t(item.key >> shift)]++] = item;
        items.swap(out);
        if (packed == 2) {
            for (size_t g = 0; g + 1 < start.size(); ++g) {
                const auto begin = items.begin() + std::ptrdiff_t(start[g]);
                const auto end = items.begin() + std::ptrdiff_t(start[g + 1]);
                auto byKey = [](const Keyed& a, const Keyed& b) { return a.key < b.key; };
                if (!std::is_sorted(begin, end, byKey))
                    std::stable_sort(begin, end, byKey);
            }
        }
        return true;
    }

    // A stable least-significant-digit radix sort on the keys, a byte at a time, skipping the
    // bytes that every key shares.
    template <typename Keyed>
    static void RadixSort(std::vector<Keyed>& items)
    {
        std::array<std::array<size_t, 256>, 8> counts{};
        for (const Keyed& item : items)
            for (size_t b = 0; b < 8; ++b)
                ++counts[b][(item.key >> (8 * b)) & 0xff];
        std::vector<Keyed> scratch(items.size());
        for (size_t b = 0; b < 8; ++b) {
            auto& count = counts[b];
            if (std::find(count.begin(), count.end(), items.size()) != count.end())
                continue;  // every key has the same byte here
            size_t at = 0;
            for (size_t& c : count) {
                const size_t n = c;
                c = at;
                at += n;
            }
            for (const Keyed& item : items)
                scratch[count[(item.key >> (8 * b)) & 0xff]++] = item;
            items.swap(scratch);
        }
    }

    // Sorts many rows in the current order with their first keys copied beside them, so the
    // comparisons read contiguous memory instead of following each row's cells.
    void SortByKeys(std::vector<Row*>& rows) const
    {
        if (SortByRanks(rows))
            return;
        constexpr size_t kCached = 2;
        struct Cell {
            std::u16string_view text;
            quint64 head = 0;  // the first four code units, for comparing without reading the text
            double number = 0;
            bool null = true;
        };
        struct Entry {
            Cell cells[kCached];
            Row* row;
        };
        const size_t cached = std::min(kCached, sortKeys.size());
        std::vector<Entry> entries(rows.size());
        for (size_t i = 0; i < rows.size(); ++i) {
            Entry& e = entries[i];
            e.row = rows[i];
            for (size_t k = 0; k < cached; ++k) {
                const QVariant& v = rows[i]->At(sortKeys[k].slot);
                Cell& c = e.cells[k];
                if (const QString* t = CellAs<QString>(v)) {
                    c.text = std::u16string_view(reinterpret_cast<const char16_t*>(t->constData()), size_t(t->size()));
                    for (size_t u = 0; u < 4; ++u)
                        c.head = (c.head << 16) | (u < c.text.size() ? c.text[u] : 0);
                    c.null = false;
                } else if (const double* d = CellAs<double>(v)) {
                    c.number = *d;
                    c.null = false;
                }
            }
        }
        const bool generic = [&] {
            for (size_t k = 0; k < cached; ++k)
                if (sortKeys[k].type == TFieldType::DateTime)
                    return true;
            return false;
        }();
        if (generic) {
            std::sort(rows.begin(), rows.end(), [this](const Row* a, const Row* b) { return Less(a, b); });
            return;
        }
        auto less = [&](const Entry& a, const Entry& b) {
            for (size_t k = 0; k < cached; ++k) {
                const Cell& x = a.cells[k];
                const Cell& y = b.cells[k];
                int c;
                if (x.null || y.null)
                    c = x.null == y.null ? 0 : (x.null ? -1 : 1);
                else if (IsText(sortKeys[k].type))
                    c = x.head != y.head ? (x.head < y.head ? -1 : 1)
                                         : (x.text.size() <= 4 && y.text.size() <= 4 ? int(x.text.size()) - int(y.text.size())
                                                                                      : x.text.compare(y.text));
                else
                    c = x.number < y.number ? -1 : (x.number > y.number ? 1 : 0);
                if (c != 0)
                    return sortKeys[k].descending ? c > 0 : c < 0;
            }
            return Less(a.row, b.row);  // the remaining keys, then insertion order
        };
        // Packets usually arrive in key order and the first key often has few values (a status,
        // a mark, an item): group by the first key, keep each group in insertion order, and sort
        // only the groups that are not already in order.
        std::vector<Entry> grouped;
        if (cached > 0 && GroupByFirstKey(entries, grouped, less)) {
            entries.swap(grouped);
        } else if (!std::is_sorted(entries.begin(), entries.end(), less)) {
            std::sort(entries.begin(), entries.end(), less);
        }
        for (size_t i = 0; i < rows.size(); ++i)
            rows[i] = entries[i].row;
    }

    // Distributes entries into groups of equal first key (at most 64 groups, else false), orders
    // the groups, and sorts each group unless it already is in order.
    template <typename Entry, typename Less>
    static bool GroupByFirstKey(const std::vector<Entry>& entries, std::vector<Entry>& out, const Less& less)
    {
        constexpr size_t kMaxGroups = 64;
        std::vector<const Entry*> heads;  // one representative per group
        std::vector<uint8_t> groupOf(entries.size());
        auto sameFirst = [](const Entry& a, const Entry& b) {
            const auto& x = a.cells[0];
            const auto& y = b.cells[0];
            return x.null == y.null && x.head == y.head && x.number == y.number &&
                   (x.text.size() <= 4 ? x.text.size() == y.text.size() : x.text == y.text);
        };
        size_t last = 0;
        for (size_t i = 0; i < entries.size(); ++i) {
            if (!heads.empty() && sameFirst(*heads[last], entries[i])) {
                groupOf[i] = uint8_t(last);
                continue;
            }
            size_t g = 0;
            while (g < heads.size() && !sameFirst(*heads[g], entries[i]))
                ++g;
            if (g == heads.size()) {
                if (heads.size() == kMaxGroups)
                    return false;
                heads.push_back(&entries[i]);
            }
            groupOf[i] = uint8_t(g);
            last = g;
        }
        std::vector<size_t> order(heads.size());
        for (size_t g = 0; g < order.size(); ++g)
            order[g] = g;
        // Groups differ in their first key, so comparing their first entries orders them.
        std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return less(*heads[a], *heads[b]); });
        std::vector<size_t> count(heads.size(), 0);
        for (uint8_t g : groupOf)
            ++count[g];
        std::vector<size_t> position(heads.size());
        size_t at = 0;
        for (size_t g : order) {
            position[g] = at;
            at += count[g];
        }
        out.resize(entries.size());
        std::vector<size_t> fill = position;
        for (size_t i = 0; i < entries.size(); ++i)
            out[fill[groupOf[i]]++] = entries[i];
        for (size_t g = 0; g < heads.size(); ++g) {
            auto begin = out.begin() + std::ptrdiff_t(position[g]);
            auto end = begin + std::ptrdiff_t(count[g]);
            if (!std::is_sorted(begin, end, less))
                std::sort(begin, end, less);
        }
        return true;
    }

    int PositionOf(const Row* row) const
    {
        if (!row || row->viewGen != gen)
            return -1;
        auto it = std::lower_bound(view.begin(), view.end(), row, [this](const Row* a, const Row* b) { return Less(a, b); });
        if (it != view.end() && *it == row)
            return int(it - view.begin());
        auto lin = std::find(view.begin(), view.end(), row);
        return lin == view.end() ? -1 : int(lin - view.begin());
    }

    int InsertIntoView(Row* row)
    {
        // Rows appended in the view's order (a list filled in its sorted order) go at the end
        // after one comparison.
        auto it = view.empty() || Less(view.back(), row)
                      ? view.end()
                      : std::lower_bound(view.begin(), view.end(), row, [this](const Row* a, const Row* b) { return Less(a, b); });
        const int pos = int(it - view.begin());
        view.insert(it, row);
        row->viewGen = gen;
        return pos;
    }

    // Removes the row at view position pos and stands on its successor (or its predecessor, with
    // Eof set, when it was the last one).
    void RemoveFromView(int pos)
    {
        view[pos]->viewGen = 0;
        view.erase(view.begin() + pos);
        leftAtEnd = false;
        bof = eof = false;
        if (view.empty()) {
            cur = -1;
            bof = eof = true;
        } else if (pos >= int(view.size())) {
            cur = int(view.size()) - 1;
            eof = true;
            leftAtEnd = true;
        } else {
            cur = pos;
        }
    }

    void Renumber()
    {
        std::vector<Row*> rows;
        rows.reserve(all.size());
        for (const RowPtr& r : all)
            rows.push_back(r.get());
        for (auto& e : log)
            if (e.gone)
                rows.push_back(e.gone.get());
        std::stable_sort(rows.begin(), rows.end(), [](const Row* a, const Row* b) { return a->rank < b->rank; });
        qint64 rank = 0;
        for (Row* r : rows)
            r->rank = (rank += kRankGap);
    }

    Row* RowById(quint64 id)
    {
        if (!byIdBuilt) {
            byId.clear();
            byId.reserve(qsizetype(all.size()));
            for (const RowPtr& r : all)
                byId.insert(r->id, r.get());
            byIdBuilt = true;
        }
        return byId.value(id);
    }

    void Adopt(Row* row)
    {
        if (byIdBuilt)
            byId.insert(row->id, row);
    }

    // Maps the packet's columns onto the set: the declared field of the same name (its kind must
    // match, its width applies), else an undeclared column after the fields; a set without fields
    // takes the packet's columns as they come.
    PacketLayout LayOutPacket(const QList<TPacketField>& packetFields) const
    {
        PacketLayout layout;
        layout.defineFields = fields.empty();
        const int declared = layout.defineFields ? int(packetFields.size()) : int(fields.size());
        layout.target.resize(size_t(packetFields.size()));
        layout.kinds.resize(size_t(packetFields.size()));
        for (qsizetype c = 0; c < packetFields.size(); ++c) {
            const TPacketField& pf = packetFields.at(c);
            for (qsizetype e = 0; e < c; ++e)
                if (packetFields.at(e).name.compare(pf.name, Qt::CaseInsensitive) == 0)
                    RefusePacket(QStringLiteral("o campo %1 aparece duas vezes").arg(pf.name));
            int slot = layout.defineFields ? int(c) : SlotOf(pf.name);
            TPacketField kind = pf;
            if (slot >= 0 && !layout.defineFields) {
                const TField* f = fields[size_t(slot)].get();
                if (!SameKind(f->DataType(), pf.type))
                    RefusePacket(QStringLiteral("o campo %1 vem como %2 e é declarado como %3")
                                     .arg(pf.name, PacketFieldTypeName(pf.type), PacketFieldTypeName(PacketFieldType(f->DataType()))));
                kind.type = PacketFieldType(f->DataType());
                kind.width = f->Size();
            } else if (slot < 0) {
                slot = declared + int(layout.extras.size());
                layout.extras.append(pf);
            }
            if (IsTextType(kind.type) && kind.width < 1)
                RefusePacket(QStringLiteral("o campo %1 não tem uma largura válida").arg(pf.name));
            layout.target[size_t(c)] = slot;
            layout.kinds[size_t(c)] = kind;
            layout.identity = layout.identity && slot == int(c);
        }
        layout.columns = declared + int(layout.extras.size());
        layout.identity = layout.identity && layout.columns == int(packetFields.size());
        return layout;
    }

    // A set without fields takes the packet's columns as its fields.
    void DefineFields(TClientDataSet* self, const QList<TPacketField>& columns)
    {
        for (qsizetype c = 0; c < columns.size(); ++c) {
            const TPacketField& pf = columns.at(c);
            fields.push_back(std::make_unique<TField>(self, pf.name, FieldTypeOf(pf.type), pf.width, int(c)));
        }
    }

    // Drops every row and the change log and makes `count` rows in one block, in insertion
    // order, their codes (per row, one per slot) still to be written.
    void MakeRows(qsizetype count, const PacketLayout& layout)
    {
        FreeRows();
        extraColumns = layout.extras;
        store.Reset(Columns());
        const size_t columns = size_t(Columns());
        codeBlock.assign(size_t(count) * columns, 0);
        rowBlock = std::make_unique<Row[]>(size_t(count));
        all.reserve(size_t(count));
        for (qsizetype i = 0; i < count; ++i) {
            Row* row = &rowBlock[size_t(i)];
            row->codes = codeBlock.data() + size_t(i) * columns;
            row->store = &store;
                row->id = nextId++;
            row->rank = qint64(i + 1) * kRankGap;
            all.push_back(RowPtr(row));
        }
    }

    // Drops every row and the change log and takes the checked packet rows in their order.
    void ReplaceRows(QList<QVariantList>&& rows, const PacketLayout& layout)
    {
        MakeRows(rows.size(), layout);
        // The loaded texts are copied into blocks, column by column: a walk over the rows then
        // reads each column's characters in sequence and copies of a text share a block's count
        // (a read, a locate, a copy into another set) instead of each text's own.
        std::vector<TTextBlocks> texts(static_cast<size_t>(Columns()));
        for (qsizetype r = 0; r < rows.size(); ++r) {
            QVariantList& values = rows[r];
            quint32* codes = all[size_t(r)]->codes;
            for (qsizetype c = 0; c < values.size(); ++c) {
                const int slot = layout.target[size_t(c)];
                codes[slot] = store.Put(slot, std::move(values[c]), &texts[size_t(slot)]);
            }
        }
    }

    // Drops every row and the change log and takes the checked packet columns: their values
    // become the set's, the rows keep the packet's codes.
    void ReplaceColumns(TPacketColumns&& packet, const PacketLayout& layout)
    {
        MakeRows(packet.rows, layout);
        const size_t width = size_t(packet.fields.size());
        for (size_t c = 0; c < width; ++c)
            store.columns[size_t(layout.target[c])] = std::move(packet.values[c]);
        if (layout.identity) {
            codeBlock = std::move(packet.cells);
            for (qsizetype r = 0; r < packet.rows; ++r)
                all[size_t(r)]->codes = codeBlock.data() + size_t(r) * width;
            return;
        }
        for (qsizetype r = 0; r < packet.rows; ++r) {
            const quint32* from = packet.cells.data() + size_t(r) * width;
            quint32* codes = all[size_t(r)]->codes;
            for (size_t c = 0; c < width; ++c)
                codes[layout.target[c]] = from[c];
        }
    }

    // The first row of the insertion order whose rank is not below `rank`.
    std::vector<RowPtr>::iterator RankPosition(qint64 rank)
    {
        return std::lower_bound(all.begin(), all.end(), rank, [](const RowPtr& r, qint64 v) { return r->rank < v; });
    }

    // Gives the set the row, before `before` in insertion order (at the end when null), and
    // returns it.
    Row* PlaceInOrder(RowPtr owned, Row* before)
    {
        Row* row = owned.get();
        if (!before) {
            row->rank = all.empty() ? kRankGap : all.back()->rank + kRankGap;
            all.push_back(std::move(owned));
            return row;
        }
        auto pos = RankPosition(before->rank);
        qint64 prev = pos == all.begin() ? before->rank - 2 * kRankGap : (*(pos - 1))->rank;
        if (before->rank - prev < 2) {
            Renumber();
            pos = RankPosition(before->rank);
            prev = pos == all.begin() ? before->rank - 2 * kRankGap : (*(pos - 1))->rank;
        }
        row->rank = prev + (before->rank - prev) / 2;
        all.insert(pos, std::move(owned));
        return row;
    }

    // Puts a row that left the set back at its rank (CancelUpdates).
    void RestoreInOrder(RowPtr owned)
    {
        const qint64 rank = owned->rank;
        all.insert(RankPosition(rank), std::move(owned));
    }

    // Takes the row out of the insertion order and hands its ownership to the caller.
    RowPtr RemoveFromOrder(Row* row)
    {
        auto pos = RankPosition(row->rank);
        if (pos == all.end() || pos->get() != row)
            pos = std::find_if(all.begin(), all.end(), [row](const RowPtr& r) { return r.get() == row; });
        RowPtr owned = std::move(*pos);
        all.erase(pos);
        if (byIdBuilt)
            byId.remove(row->id);
        return owned;
    }

    void LogInsert(Row* row)
    {
        row->logPos = int(log.size());
        log.push_back(ChangeEntry{TChangeKind::Insert, true, row->id, row, {}, {}});
        ++liveChanges;
    }

    void LogModify(Row* row, const QVariantList& before)
    {
        if (row->isNew || row->logPos >= 0)
            return;
        row->logPos = int(log.size());
        log.push_back(ChangeEntry{TChangeKind::Modify, true, row->id, row, {}, before});
        ++liveChanges;
    }

    // Takes the removed row: frees a new one, keeps a loaded one for CancelUpdates.
    void LogDelete(RowPtr owned)
    {
        Row* row = owned.get();
        if (row->isNew) {
            if (row->logPos >= 0 && log[size_t(row->logPos)].alive) {
                log[size_t(row->logPos)].alive = false;
                log[size_t(row->logPos)].live = nullptr;
                --liveChanges;
            }
            return;  // dropped
        }
        if (row->logPos >= 0) {
            ChangeEntry& e = log[size_t(row->logPos)];
            e.kind = TChangeKind::Delete;
            e.live = nullptr;
            e.gone = std::move(owned);
            return;
        }
        row->logPos = int(log.size());
        QVariantList original = Values(row);
        log.push_back(ChangeEntry{TChangeKind::Delete, true, row->id, nullptr, std::move(owned), std::move(original)});
        ++liveChanges;
    }
};

// ---------------------------------------------------------------------------------------------

TClientDataSet::TClientDataSet(QObject* parent) : QObject(parent), d_(std::make_unique<Impl>()) {}

TClientDataSet::~TClientDataSet()
{
    for (TDataSource* s : d_->sources)
        s->dataSet_ = nullptr;
}

namespace {

void Fire(const TDataSetNotifyEvent& event, TClientDataSet* self)
{
    if (event)
        event(self);
}

}  // namespace

void TClientDataSet::AttachSource(TDataSource* source)
{
    if (!d_->sources.contains(source))
        d_->sources.append(source);
}

void TClientDataSet::DetachSource(TDataSource* source)
{
    d_->sources.removeAll(source);
}

void TClientDataSet::Notify(int event, TField* field, int distance) const
{
    if (d_->disableCount > 0 || d_->sources.isEmpty())
        return;
    const QList<TDataSource*> sources = d_->sources;
    for (TDataSource* s : sources)
        if (d_->sources.contains(s))
            s->Notify(TDataSource::Event(event), field, distance);
}

void TClientDataSet::SetState(TDataSetState state)
{
    if (d_->state == state)
        return;
    d_->state = state;
    Notify(int(TDataSource::Event::StateChange));
}

void TClientDataSet::CheckActive() const
{
    if (!d_->active)
        Fail(QStringLiteral("Operação não permitida: o conjunto de dados %1 está fechado.").arg(objectName()));
}

void TClientDataSet::EnsureView() const
{
    if (!d_->viewDirty)
        return;
    const bool ci = FilterOptions.testFlag(TFilterOption::CaseInsensitive);
    if (d_->filtered && d_->filter && d_->filter->CaseInsensitive() != ci)
        d_->filter = CompileFilter(d_->filterText);
    d_->RebuildView();
    d_->cur = d_->view.empty() ? -1 : 0;
    d_->bof = true;
    d_->eof = d_->view.empty();
}

// ----- definition -----------------------------------------------------------------------------

TField* TClientDataSet::AddField(const QString& name, TFieldType type, int size)
{
    if (d_->active)
        Fail(QStringLiteral("Não é possível definir o campo %1 com o conjunto de dados aberto.").arg(name));
    if (name.trimmed().isEmpty())
        Fail(QStringLiteral("Um campo precisa de nome."));
    if (FindField(name))
        Fail(QStringLiteral("O campo %1 já existe.").arg(name));
    if (IsText(type) && size < 1)
        Fail(QStringLiteral("O campo de texto %1 precisa de uma largura.").arg(name));
    d_->extraColumns.clear();
    d_->fields.push_back(std::make_unique<TField>(this, name, type, size, int(d_->fields.size())));
    return d_->fields.back().get();
}

TAggregateField* TClientDataSet::AddAggregate(const QString& name, const QString& expression)
{
    if (FindField(name))
        Fail(QStringLiteral("O campo %1 já existe.").arg(name));
    d_->aggregates.push_back(std::make_unique<TAggregateField>(this, name, expression));
    return d_->aggregates.back().get();
}

void TClientDataSet::AddIndex(const QString& name, const QString& fields, bool descending)
{
    for (const IndexDef& def : d_->indexes)
        if (def.name.compare(name, Qt::CaseInsensitive) == 0)
            Fail(QStringLiteral("O índice %1 já existe.").arg(name));
    d_->indexes.append({name, fields, descending});
}

TField* TClientDataSet::FindField(const QString& name) const
{
    const int slot = d_->SlotOf(name);
    if (slot >= 0)
        return d_->fields[slot].get();
    for (const auto& a : d_->aggregates)
        if (a->FieldName().compare(name, Qt::CaseInsensitive) == 0)
            return a.get();
    return nullptr;
}

TField* TClientDataSet::FieldByName(const QString& name) const
{
    TField* f = FindField(name);
    if (!f)
        Fail(QStringLiteral("Campo %1 não encontrado.").arg(name));
    return f;
}

QList<TField*> TClientDataSet::Fields() const
{
    QList<TField*> out;
    for (const auto& f : d_->fields)
        out.append(f.get());
    return out;
}

int TClientDataSet::FieldCount() const
{
    return int(d_->fields.size());
}

QList<TAggregateField*> TClientDataSet::AggregateFields() const
{
    QList<TAggregateField*> out;
    for (const auto& a : d_->aggregates)
        out.append(a.get());
    return out;
}

std::shared_ptr<TFilterExpression> TClientDataSet::CompileFilter(const QString& text) const
{
    if (text.trimmed().isEmpty())
        return nullptr;
    const bool ci = FilterOptions.testFlag(TFilterOption::CaseInsensitive);
    auto& cache = d_->filterCache[ci ? 1 : 0];
    if (auto hit = cache.value(text))
        return hit;
    auto compiled = TFilterExpression::Parse(text, TFilterExpression::Mode::Filter, d_->Resolver(), ci);
    if (cache.size() > 4096)
        cache.clear();
    cache.insert(text, compiled);
    return compiled;
}

std::shared_ptr<TFilterExpression> TClientDataSet::CompileAggregate(const QString& expression) const
{
    return TFilterExpression::Parse(expression, TFilterExpression::Mode::Aggregate, d_->Resolver(), false);
}

void TClientDataSet::ResolveSortKeys(const QString& indexName, const QString& fieldNames)
{
    QString names = fieldNames;
    bool descending = false;
    if (!indexName.isEmpty()) {
        const IndexDef* found = nullptr;
        for (const IndexDef& def : d_->indexes)
            if (def.name.compare(indexName, Qt::CaseInsensitive) == 0)
                found = &def;
        if (!found && indexName.compare(QLatin1String("DEFAULT_ORDER"), Qt::CaseInsensitive) != 0)
            Fail(QStringLiteral("Índice %1 não encontrado.").arg(indexName));
        names = found ? found->fields : QString();
        descending = found && found->descending;
    }
    std::vector<SortKey> keys;
    for (const QString& name : SplitNames(names)) {
        const int slot = d_->RequireSlot(name);
        keys.push_back({slot, descending, d_->fields[slot]->DataType()});
    }
    d_->sortKeys = std::move(keys);
}

// ----- open and close -------------------------------------------------------------------------

void TClientDataSet::Activate()
{
    if (d_->fields.empty())
        Fail(QStringLiteral("O conjunto de dados %1 não tem campos definidos.").arg(objectName()));
    Fire(BeforeOpen, this);
    if (d_->all.empty() && d_->log.empty())
        d_->store.Reset(d_->Columns());  // fields may have been added since the rows were dropped
    ResolveSortKeys(d_->indexName, d_->indexFieldNames);
    d_->filter = d_->filtered ? CompileFilter(d_->filterText) : nullptr;
    for (const auto& a : d_->aggregates)
        a->Compiled();
    d_->active = true;
    d_->viewDirty = true;
    d_->aggDirty = true;
    SetState(TDataSetState::Browse);
    Notify(int(TDataSource::Event::LayoutChange));
    Fire(AfterOpen, this);
    if (!IsEmpty())
        Fire(AfterScroll, this);
}

void TClientDataSet::Deactivate()
{
    Fire(BeforeClose, this);
    d_->buffer.clear();
    d_->FreeRows();
    d_->store.columns = {};  // a closed set keeps no room for values
    d_->active = false;
    SetState(TDataSetState::Inactive);
    Notify(int(TDataSource::Event::LayoutChange));
    Fire(AfterClose, this);
}

void TClientDataSet::CreateDataSet()
{
    if (d_->active)
        Deactivate();
    d_->FreeRows();
    Activate();
}

void TClientDataSet::Open()
{
    if (d_->active)
        return;
    Activate();
}

void TClientDataSet::Close()
{
    if (!d_->active)
        return;
    Deactivate();
}

bool TClientDataSet::Active() const
{
    return d_->active;
}

void TClientDataSet::EmptyDataSet()
{
    CheckActive();
    d_->buffer.clear();
    d_->FreeRows();
    SetState(TDataSetState::Browse);
    Notify(int(TDataSource::Event::DataSetChange));
}

// ----- cursor ---------------------------------------------------------------------------------

void TClientDataSet::First()
{
    CheckActive();
    CheckBrowseMode();
    d_->leftView = false;
    Fire(BeforeScroll, this);
    EnsureView();
    d_->cur = d_->view.empty() ? -1 : 0;
    d_->bof = true;
    d_->eof = d_->view.empty();
    Notify(int(TDataSource::Event::DataSetChange));
    Fire(AfterScroll, this);
}

void TClientDataSet::Last()
{
    CheckActive();
    CheckBrowseMode();
    d_->leftView = false;
    Fire(BeforeScroll, this);
    EnsureView();
    d_->cur = int(d_->view.size()) - 1;
    d_->eof = true;
    d_->bof = d_->view.empty();
    Notify(int(TDataSource::Event::DataSetChange));
    Fire(AfterScroll, this);
}

void TClientDataSet::Next()
{
    CheckActive();
    CheckBrowseMode();
    const bool left = d_->leftView, atEnd = d_->leftAtEnd;
    d_->leftView = false;
    Fire(BeforeScroll, this);
    EnsureView();
    if (d_->view.empty()) {
        d_->bof = d_->eof = true;
    } else if (left) {
        // The posted row left the view: the cursor already stands on its successor.
        d_->bof = false;
        d_->eof = atEnd;
        Notify(int(TDataSource::Event::DataSetChange));
    } else if (d_->cur < int(d_->view.size()) - 1) {
        ++d_->cur;
        d_->bof = d_->eof = false;
        Notify(int(TDataSource::Event::DataSetScroll), nullptr, 1);
    } else {
        d_->eof = true;
    }
    Fire(AfterScroll, this);
}

void TClientDataSet::Prior()
{
    CheckActive();
    CheckBrowseMode();
    const bool left = d_->leftView, atEnd = d_->leftAtEnd;
    d_->leftView = false;
    Fire(BeforeScroll, this);
    EnsureView();
    if (d_->view.empty()) {
        d_->bof = d_->eof = true;
    } else if (left && atEnd) {
        // The posted last row left the view: the cursor already stands on its predecessor.
        d_->bof = d_->eof = false;
        Notify(int(TDataSource::Event::DataSetChange));
    } else if (d_->cur > 0) {
        --d_->cur;
        d_->bof = d_->eof = false;
        Notify(int(TDataSource::Event::DataSetScroll), nullptr, -1);
    } else {
        d_->bof = true;
    }
    Fire(AfterScroll, this);
}

bool TClientDataSet::Eof() const
{
    if (!d_->active)
        return true;
    EnsureView();
    return d_->eof;
}

bool TClientDataSet::Bof() const
{
    if (!d_->active)
        return true;
    EnsureView();
    return d_->bof;
}

int TClientDataSet::RecNo() const
{
    if (!d_->active)
        return 0;
    EnsureView();
    if (d_->state == TDataSetState::Insert)
        return d_->insertPos + 1;
    return d_->cur + 1;
}

void TClientDataSet::SetRecNo(int recNo)
{
    CheckActive();
    CheckBrowseMode();
    EnsureView();
    if (d_->view.empty())
        return;
    d_->leftView = false;
    const int target = std::clamp(recNo, 1, int(d_->view.size())) - 1;
    if (target == d_->cur)
        return;
    Fire(BeforeScroll, this);
    EnsureView();
    d_->cur = std::min(target, int(d_->view.size()) - 1);
    d_->bof = d_->eof = false;
    Notify(int(TDataSource::Event::DataSetChange));
    Fire(AfterScroll, this);
}

int TClientDataSet::RecordCount() const
{
    if (!d_->active)
        return 0;
    if (d_->viewDirty && (!d_->filtered || !d_->filter))
        return int(d_->all.size());  // every row is visible; the order is not needed to count
    EnsureView();
    return int(d_->view.size());
}

bool TClientDataSet::IsEmpty() const
{
    return d_->state != TDataSetState::Insert && RecordCount() == 0;
}

TBookmark TClientDataSet::GetBookmark() const
{
    if (!d_->active)
        return {};
    EnsureView();
    return d_->cur >= 0 ? TBookmark{d_->view[d_->cur]->id} : TBookmark{};
}

bool TClientDataSet::BookmarkValid(const TBookmark& bookmark) const
{
    if (!d_->active || bookmark.IsNull())
        return false;
    EnsureView();
    const Row* row = d_->RowById(bookmark.id);
    return row && row->viewGen == d_->gen;
}

void TClientDataSet::GotoBookmark(const TBookmark& bookmark)
{
    CheckActive();
    CheckBrowseMode();
    if (!BookmarkValid(bookmark))
        Fail(QStringLiteral("Registro não encontrado."));
    d_->leftView = false;
    Fire(BeforeScroll, this);
    EnsureView();
    const int pos = d_->PositionOf(d_->RowById(bookmark.id));
    if (pos >= 0) {
        d_->cur = pos;
        d_->bof = d_->eof = false;
    }
    Notify(int(TDataSource::Event::DataSetChange));
    Fire(AfterScroll, this);
}

// ----- editing --------------------------------------------------------------------------------

TDataSetState TClientDataSet::State() const
{
    return d_->state;
}

void TClientDataSet::CheckBrowseMode()
{
    CheckActive();
    if (d_->state != TDataSetState::Edit && d_->state != TDataSetState::Insert)
        return;
    if (d_->modified)
        Post();
    else
        Cancel();
}

void TClientDataSet::BeginInsert(bool append)
{
    CheckActive();
    CheckBrowseMode();
    Fire(BeforeInsert, this);
    Fire(BeforeScroll, this);
    EnsureView();
    const Row* current = d_->cur >= 0 ? d_->view[d_->cur] : nullptr;
    d_->restoreRow = const_cast<Row*>(current);
    d_->insertBefore = append ? nullptr : const_cast<Row*>(current);
    d_->insertPos = append || !current ? int(d_->view.size()) : d_->cur;
    d_->buffer.clear();  // keeps its room: a walk that appends row after row reuses it
    d_->buffer.resize(d_->Columns());
    d_->modified = false;
    d_->leftView = false;
    SetState(TDataSetState::Insert);
    try {
        Fire(OnNewRecord, this);
    } catch (...) {
        d_->buffer.clear();
        SetState(TDataSetState::Browse);
        throw;
    }
    d_->modified = false;
    Notify(int(TDataSource::Event::DataSetChange));
    Fire(AfterInsert, this);
    Fire(AfterScroll, this);
}

void TClientDataSet::Append()
{
    BeginInsert(true);
}

void TClientDataSet::Insert()
{
    BeginInsert(false);
}

void TClientDataSet::Edit()
{
    CheckActive();
    if (d_->state == TDataSetState::Edit || d_->state == TDataSetState::Insert)
        return;
    EnsureView();
    if (d_->view.empty()) {
        Insert();
        return;
    }
    Fire(BeforeEdit, this);
    EnsureView();
    d_->leftView = false;
    d_->buffer = Values(d_->view[d_->cur]);
    d_->modified = false;
    SetState(TDataSetState::Edit);
    Notify(int(TDataSource::Event::RecordChange));
    Fire(AfterEdit, this);
}

void TClientDataSet::SetFieldValue(TField* field, QVariant&& value)
{
    CheckActive();
    if (d_->state != TDataSetState::Edit && d_->state != TDataSetState::Insert)
        Fail(QStringLiteral("O conjunto de dados %1 não está em modo de edição ou inserção.").arg(objectName()));
    d_->buffer[field->Index()].swap(value);
    d_->modified = true;
    Notify(int(TDataSource::Event::FieldChange), field);
}

void TClientDataSet::Post()
{
    CheckActive();
    if (d_->state != TDataSetState::Edit && d_->state != TDataSetState::Insert)
        return;
    Fire(BeforePost, this);
    if (d_->state != TDataSetState::Edit && d_->state != TDataSetState::Insert)
        return;  // the handler cancelled or posted itself
    EnsureView();
    d_->leftView = false;
    if (d_->state == TDataSetState::Edit) {
        Row* row = d_->view[d_->cur];
        const QVariantList before = Values(row);
        if (before != d_->buffer) {
            d_->LogModify(row, before);
            for (int slot = 0; slot < d_->Columns(); ++slot)
                if (before.at(slot) != d_->buffer.at(slot))
                    d_->HashRemove(row, TRowCells(before), slot);
            d_->WriteRow(row, d_->buffer);
            for (int slot = 0; slot < d_->Columns(); ++slot)
                if (before.at(slot) != row->At(slot))
                    d_->HashAdd(row, slot);
            d_->view.erase(d_->view.begin() + d_->cur);
            row->viewGen = 0;
            if (d_->Passes(row)) {
                d_->cur = d_->InsertIntoView(row);
                d_->bof = d_->eof = false;
            } else {
                d_->view.insert(d_->view.begin() + d_->cur, row);  // RemoveFromView expects it in place
                d_->RemoveFromView(d_->cur);
                d_->leftView = true;
            }
        }
    } else {
        Row* row = d_->PlaceInOrder(d_->NewRow(d_->buffer), d_->insertBefore);
        d_->Adopt(row);
        d_->HashAdd(row);
        d_->LogInsert(row);
        if (d_->Passes(row)) {
            d_->cur = d_->InsertIntoView(row);
            d_->bof = d_->eof = false;
        } else {
            const int back = d_->PositionOf(d_->restoreRow);
            d_->cur = back >= 0 ? back : std::min(d_->insertPos, int(d_->view.size()) - 1);
            d_->bof = d_->eof = d_->view.empty();
        }
    }
    d_->buffer.clear();
    d_->modified = false;
    d_->aggDirty = true;
    SetState(TDataSetState::Browse);
    Notify(int(TDataSource::Event::DataSetChange));
    Fire(AfterPost, this);
}

void TClientDataSet::Cancel()
{
    CheckActive();
    if (d_->state != TDataSetState::Edit && d_->state != TDataSetState::Insert)
        return;
    Fire(BeforeCancel, this);
    if (d_->state == TDataSetState::Insert) {
        EnsureView();
        const int back = d_->PositionOf(d_->restoreRow);
        d_->cur = back >= 0 ? back : std::min(d_->insertPos, int(d_->view.size()) - 1);
        d_->bof = d_->eof = d_->view.empty();
    }
    d_->buffer.clear();
    d_->modified = false;
    SetState(TDataSetState::Browse);
    Notify(int(TDataSource::Event::DataSetChange));
    Fire(AfterCancel, this);
}

void TClientDataSet::Delete()
{
    CheckActive();
    if (d_->state == TDataSetState::Insert) {
        Cancel();
        return;
    }
    EnsureView();
    if (d_->view.empty())
        Fail(QStringLiteral("Não é possível excluir: o conjunto de dados %1 está vazio.").arg(objectName()));
    Fire(BeforeDelete, this);
    Fire(BeforeScroll, this);
    EnsureView();
    if (d_->view.empty())
        Fail(QStringLiteral("Não é possível excluir: o conjunto de dados %1 está vazio.").arg(objectName()));
    Row* row = d_->view[d_->cur];
    d_->buffer.clear();
    d_->modified = false;
    d_->leftView = false;
    d_->RemoveFromView(d_->cur);
    RowPtr owned = d_->RemoveFromOrder(row);
    d_->HashRemove(row, CellsOf(row));
    d_->LogDelete(std::move(owned));
    d_->aggDirty = true;
    SetState(TDataSetState::Browse);
    Notify(int(TDataSource::Event::DataSetChange));
    Fire(AfterDelete, this);
    Fire(AfterScroll, this);
}

// ----- locate ---------------------------------------------------------------------------------

int TClientDataSet::FindRow(const QString& keyFields, const QVariantList& values, TLocateOptions options) const
{
    if (keyFields != d_->lastKeyFields || d_->lastKeySlots.empty()) {
        std::vector<int> found;
        for (const QString& n : SplitNames(keyFields))
            found.push_back(d_->RequireSlot(n));
        d_->lastKeySlots = std::move(found);
        d_->lastKeyFields = keyFields;
    }
    const std::vector<int>& keySlots = d_->lastKeySlots;
    if (keySlots.empty() || qsizetype(keySlots.size()) != values.size())
        Fail(QStringLiteral("Busca em %1: %2 campos para %3 valores.").arg(keyFields).arg(keySlots.size()).arg(values.size()));
    const bool ci = options.testFlag(TLocateOption::CaseInsensitive);
    const bool partial = options.testFlag(TLocateOption::PartialKey);
    auto matches = [&](const Row* row) {
        for (size_t i = 0; i < keySlots.size(); ++i) {
            const QVariant& have = row->At(keySlots[i]);
            const QVariant& want = values.at(qsizetype(i));
            const bool wantNull = !want.isValid() || (want.typeId() == QMetaType::QString && want.toString().isEmpty());
            if (wantNull) {
                if (have.isValid()) return false;
                continue;
            }
            if (!have.isValid())
                return false;
            if (IsText(d_->fields[keySlots[i]]->DataType())) {
                const QString& text = *static_cast<const QString*>(have.constData());
                const QString key = want.toString();
                const Qt::CaseSensitivity cs = ci ? Qt::CaseInsensitive : Qt::CaseSensitive;
                if (partial ? !text.startsWith(key, cs) : text.compare(key, cs) != 0)
                    return false;
            } else if (TFilterExpression::CompareValues(have, want, false) != 0) {
                return false;
            }
        }
        return true;
    };
    EnsureView();
    // A whole text key is looked up in the field's hash index; the first visible match wins.
    if (!partial) {
        for (size_t i = 0; i < keySlots.size(); ++i) {
            const QVariant& want = values.at(qsizetype(i));
            const QString* text = CellAs<QString>(want);
            if (!IsText(d_->fields[keySlots[i]]->DataType()) || !text || text->isEmpty())
                continue;
            int best = -1;
            for (const Row* r : d_->FindBucket(keySlots[i], ci, *text))
                if (r->viewGen == d_->gen && matches(r)) {
                    const int pos = d_->PositionOf(r);
                    if (pos >= 0 && (best < 0 || pos < best))
                        best = pos;
                }
            return best;
        }
    }
    for (size_t i = 0; i < d_->view.size(); ++i)
        if (matches(d_->view[i]))
            return int(i);
    return -1;
}

bool TClientDataSet::Locate(const QString& keyFields, const QVariantList& values, TLocateOptions options)
{
    CheckActive();
    CheckBrowseMode();
    Fire(BeforeScroll, this);
    const int pos = FindRow(keyFields, values, options);
    if (pos < 0)
        return false;
    d_->leftView = false;
    d_->cur = pos;
    d_->bof = d_->eof = false;
    Notify(int(TDataSource::Event::DataSetChange));
    Fire(AfterScroll, this);
    return true;
}

QVariant TClientDataSet::Lookup(const QString& keyFields, const QVariantList& values, const QString& resultFields)
{
    CheckActive();
    CheckBrowseMode();
    const QStringList names = SplitNames(resultFields);
    std::vector<int> keySlots;
    for (const QString& n : names)
        keySlots.push_back(d_->RequireSlot(n));
    const int pos = FindRow(keyFields, values, {});
    if (pos < 0)
        return {};
    const Row* row = d_->view[pos];
    if (keySlots.size() == 1)
        return row->At(keySlots[0]);
    QVariantList out;
    for (int s : keySlots)
        out.append(row->At(s));
    return out;
}

// ----- filter and order -----------------------------------------------------------------------

void TClientDataSet::ViewChanged()
{
    d_->leftView = false;
    d_->viewDirty = true;
    d_->aggDirty = true;
    Fire(BeforeScroll, this);
    Notify(int(TDataSource::Event::DataSetChange));
    Fire(AfterScroll, this);
}

void TClientDataSet::SetFilter(const QString& text)
{
    if (text == d_->filterText)
        return;
    if (!d_->active || !d_->filtered) {
        d_->filterText = text;
        return;
    }
    CheckBrowseMode();
    d_->filter = CompileFilter(text);
    d_->filterText = text;
    ViewChanged();
}

QString TClientDataSet::Filter() const
{
    return d_->filterText;
}

void TClientDataSet::SetFiltered(bool filtered)
{
    if (filtered == d_->filtered)
        return;
    if (!d_->active) {
        d_->filtered = filtered;
        return;
    }
    CheckBrowseMode();
    d_->filter = filtered ? CompileFilter(d_->filterText) : nullptr;
    d_->filtered = filtered;
    ViewChanged();
}

bool TClientDataSet::Filtered() const
{
    return d_->filtered;
}

void TClientDataSet::SetIndexFieldNames(const QString& fields)
{
    if (d_->active) {
        CheckBrowseMode();
        ResolveSortKeys(QString(), fields);
    }
    d_->indexFieldNames = fields;
    d_->indexName.clear();
    if (d_->active)
        ViewChanged();
}

QString TClientDataSet::IndexFieldNames() const
{
    return d_->indexFieldNames;
}

void TClientDataSet::SetIndexName(const QString& name)
{
    if (d_->active) {
        CheckBrowseMode();
        ResolveSortKeys(name, QString());
    }
    d_->indexName = name;
    d_->indexFieldNames.clear();
    if (d_->active)
        ViewChanged();
}

QString TClientDataSet::IndexName() const
{
    return d_->indexName;
}

// ----- bound controls -------------------------------------------------------------------------

void TClientDataSet::DisableControls()
{
    if (d_->disableCount++ == 0)
        d_->disableState = d_->state;
}

void TClientDataSet::EnableControls()
{
    if (d_->disableCount == 0)
        return;
    if (--d_->disableCount > 0)
        return;
    if (d_->state != d_->disableState)
        Notify(int(TDataSource::Event::StateChange));
    Notify(int(TDataSource::Event::DataSetChange));
}

bool TClientDataSet::ControlsDisabled() const
{
    return d_->disableCount > 0;
}

// ----- field values, peeks and aggregates -----------------------------------------------------

const QVariant& TClientDataSet::FieldValue(int slot) const
{
    static const QVariant null;
    if (slot < 0 || !d_->active)
        return null;
    if (!d_->peeks.isEmpty()) {
        const Impl::Peek& peek = d_->peeks.last();
        return peek.buffer ? peek.buffer->at(slot) : peek.row->At(slot);
    }
    if (d_->state == TDataSetState::Edit || d_->state == TDataSetState::Insert)
        return d_->buffer.at(slot);
    EnsureView();
    return d_->cur >= 0 ? d_->view[d_->cur]->At(slot) : null;
}

void TClientDataSet::PushPeek(int recNo)
{
    CheckActive();
    EnsureView();
    const int p = recNo - 1;
    if (d_->state == TDataSetState::Insert) {
        if (p < 0 || p > int(d_->view.size()))
            Fail(QStringLiteral("Registro %1 fora do intervalo.").arg(recNo));
        d_->peeks.append(p == d_->insertPos ? Impl::Peek{nullptr, &d_->buffer} : Impl::Peek{d_->view[p > d_->insertPos ? p - 1 : p], nullptr});
        return;
    }
    if (p < 0 || p >= int(d_->view.size()))
        Fail(QStringLiteral("Registro %1 fora do intervalo.").arg(recNo));
    d_->peeks.append(p == d_->cur && d_->state == TDataSetState::Edit ? Impl::Peek{nullptr, &d_->buffer} : Impl::Peek{d_->view[p], nullptr});
}

void TClientDataSet::PopPeek()
{
    if (!d_->peeks.isEmpty())
        d_->peeks.removeLast();
}

QVariant TClientDataSet::AggregateValue(const TAggregateField* field) const
{
    if (!d_->active || !AggregatesActive || !field->Active)
        return {};
    EnsureView();
    if (d_->aggDirty) {
        d_->aggCache.clear();
        d_->aggDirty = false;
    }
    // A value computed under an earlier expression text is stale.
    auto hit = d_->aggCache.constFind(field);
    if (hit != d_->aggCache.constEnd() && field->compiledText_ == field->Expression)
        return *hit;
    const QVariant value =
        field->Compiled().Aggregate(qsizetype(d_->view.size()), [this](qsizetype i) { return CellsOf(d_->view[i]); });
    d_->aggCache.insert(field, value);
    return value;
}

// ----- packets --------------------------------------------------------------------------------

void TClientDataSet::SetData(const QJsonObject& packet)
{
    LoadPacket(DataPacketFromJson(packet));
}

void TClientDataSet::LoadPacket(const TDataPacket& packet)
{
    LoadPacket(TDataPacket(packet));
}

void TClientDataSet::LoadPacket(TDataPacket&& packet)
{
    InstallPacket(std::move(packet));
}

void TClientDataSet::InstallPacket(TDataPacket&& packet)
{
    // Nothing of the set changes until every column and every value has passed.
    const PacketLayout layout = d_->LayOutPacket(packet.fields);
    CheckPacketRows(packet, layout);
    if (layout.defineFields)
        d_->DefineFields(this, packet.fields);
    if (d_->active)
        Deactivate();
    d_->ReplaceRows(std::move(packet.rows), layout);
    Activate();
}

void TClientDataSet::LoadPacketBytes(const QByteArray& bytes)
{
    TPacketColumns columns = DataPacketColumnsFromJsonBytes(bytes);
    if (!InstallColumns(columns))
        InstallPacket(columns.ToPacket());
}

// Takes a packet decoded into columns when every value fits the set, as InstallPacket would take
// it row by row; false, with nothing changed, when a value does not (InstallPacket then refuses
// the packet row by row, with the message that names the row).
bool TClientDataSet::InstallColumns(TPacketColumns& packet)
{
    const PacketLayout layout = d_->LayOutPacket(packet.fields);
    for (size_t c = 0; c < layout.kinds.size(); ++c) {
        const TPacketField& kind = layout.kinds[c];
        const std::vector<QVariant>& values = packet.values[c];
        if (IsTextType(kind.type)) {
            // The common case inline: texts within the width.
            for (size_t e = 1; e < values.size(); ++e) {
                const QString* text = CellAs<QString>(values[e]);
                if (!text || text->size() > kind.width)
                    return false;
            }
        } else {
            for (size_t e = 1; e < values.size(); ++e)
                if (!PacketValueFault(values[e], kind, 0).isEmpty())
                    return false;
        }
    }
    for (size_t c = 0; c < layout.kinds.size(); ++c) {
        std::vector<QVariant>& values = packet.values[c];
        for (size_t e = 1; e < values.size(); ++e)
            NormalizePacketValue(values[e], layout.kinds[c]);
    }
    if (layout.defineFields)
        d_->DefineFields(this, packet.fields);
    if (d_->active)
        Deactivate();
    d_->ReplaceColumns(std::move(packet), layout);
    Activate();
    return true;
}

TDataPacket TClientDataSet::Packet() const
{
    TDataPacket packet;
    for (const auto& f : d_->fields)
        packet.fields.append({f->FieldName(), PacketFieldType(f->DataType()), f->Size()});
    packet.fields.append(d_->extraColumns);
    packet.rows.reserve(qsizetype(d_->all.size()));
    for (const RowPtr& r : d_->all)
        packet.rows.append(Values(r.get()));
    return packet;
}

QJsonObject TClientDataSet::Data() const
{
    return DataPacketToJson(Packet());
}

TChangePacket TClientDataSet::ChangePacket() const
{
    TChangePacket packet;
    packet.fields = Packet().fields;
    for (const ChangeEntry& e : d_->log) {
        if (!e.alive)
            continue;
        TChange c;
        c.kind = e.kind;
        if (e.kind != TChangeKind::Insert)
            c.oldRow = e.original;
        if (e.kind != TChangeKind::Delete)
            c.newRow = Values(e.live);
        packet.changes.append(c);
    }
    return packet;
}

QJsonObject TClientDataSet::Delta() const
{
    return ChangePacketToJson(ChangePacket());
}

int TClientDataSet::ChangeCount() const
{
    return d_->liveChanges;
}

void TClientDataSet::MergeChangeLog()
{
    for (const RowPtr& r : d_->all) {
        r->isNew = false;
        r->logPos = -1;
    }
    d_->log.clear();
    d_->liveChanges = 0;
}

void TClientDataSet::CancelUpdates()
{
    CheckActive();
    Cancel();
    for (auto e = d_->log.rbegin(); e != d_->log.rend(); ++e) {
        if (!e->alive)
            continue;
        switch (e->kind) {
        case TChangeKind::Insert:
            d_->RemoveFromOrder(e->live);  // dropped
            break;
        case TChangeKind::Modify:
            d_->WriteRow(e->live, e->original);
            e->live->logPos = -1;
            break;
        case TChangeKind::Delete: {
            Row* row = e->gone.get();
            d_->WriteRow(row, e->original);
            row->logPos = -1;
            d_->RestoreInOrder(std::move(e->gone));
            d_->Adopt(row);
            break;
        }
        }
    }
    d_->log.clear();
    d_->liveChanges = 0;
    d_->hashes.clear();
    d_->leftView = d_->leftAtEnd = false;
    d_->viewDirty = true;
    d_->aggDirty = true;
    Notify(int(TDataSource::Event::DataSetChange));
}
