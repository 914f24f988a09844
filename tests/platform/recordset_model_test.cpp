// The record set against a plain reference model: random sequences of append, insert, edit, field
// writes, post, cancel, delete, cursor moves, filter and sort changes, locate, CancelUpdates and
// MergeChangeLog, with the cursor, the visible rows, the aggregates and the change packet compared
// after every step. The model keeps every row in insertion order and recomputes the view from
// scratch, so it states the contract of clientdataset.h without any of the set's shortcuts.
//
// Each sequence has its own seed; a failure prints it with the steps taken. EST_MODEL_SEED=<seed>
// replays one sequence; EST_MODEL_SECONDS sets how long the test explores (2 s by default).

#include "recordset_fixture.h"

#include "platform/packet.h"
#include "platform/recordpeek.h"
#include "platform/sysutils.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <array>
#include <functional>
#include <random>

namespace {

constexpr int kFields = 5;  // K text 8, G text 1, N number, S text 5, D date-time
enum { K, G, N, S, D };
using Values = std::array<QVariant, kFields>;

const char* const kFieldNames[kFields] = {"K", "G", "N", "S", "D"};

struct Filter {
    const char* text;
    std::function<bool(const Values&)> passes;
};

bool IsDigits(const QString& s)
{
    return !s.isEmpty() && std::all_of(s.begin(), s.end(), [](QChar c) { return c.isDigit(); });
}

// MAX/MIN order of texts: digit-only texts below all others, as whole numbers; others by code.
int TextOrder(const QString& x, const QString& y)
{
    const bool dx = IsDigits(x), dy = IsDigits(y);
    if (dx != dy)
        return dx ? -1 : 1;
    if (!dx)
        return x.compare(y);
    const qulonglong a = x.toULongLong(), b = y.toULongLong();
    if (a != b)
        return a < b ? -1 : 1;
    return int(x.size()) - int(y.size());
}

// Sort order of one column: null first, then by value.
int Order(const QVariant& a, const QVariant& b)
{
    if (!a.isValid() || !b.isValid())
        return a.isValid() ? 1 : (b.isValid() ? -1 : 0);
    if (a.typeId() == QMetaType::QString)
        return static_cast<const QString*>(a.constData())->compare(*static_cast<const QString*>(b.constData()));
    if (a.typeId() == QMetaType::Double) {
        const double x = *static_cast<const double*>(a.constData()), y = *static_cast<const double*>(b.constData());
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    const QDateTime& x = *static_cast<const QDateTime*>(a.constData());
    const QDateTime& y = *static_cast<const QDateTime*>(b.constData());
    return x < y ? -1 : (x > y ? 1 : 0);
}

const QDateTime kDstDay = WallClock(QDate(2018, 11, 4));

const std::vector<Filter>& Filters()
{
    static const std::vector<Filter> filters = {
        {"G = 'A'", [](const Values& v) { return v[G].isValid() && v[G].toString() == "A"; }},
        {"N > 1", [](const Values& v) { return v[N].isValid() && v[N].toDouble() > 1; }},
        {"G = 'B' OR N IS NULL", [](const Values& v) { return (v[G].isValid() && v[G].toString() == "B") || !v[N].isValid(); }},
        {"S <> '9' AND K IS NOT NULL", [](const Values& v) { return v[S].isValid() && v[S].toString() != "9" && v[K].isValid(); }},
        {"D >= '04/11/2018'", [](const Values& v) { return v[D].isValid() && v[D].toDateTime() >= kDstDay; }},
    };
    return filters;
}

const std::vector<std::vector<int>> kSorts = {{}, {G}, {N, G}, {S}, {D, K}, {K}, {G, S, N}};
const char* const kSortNames[] = {"", "G", "N;G", "S", "D;K", "K", "G;S;N"};

enum class State { Browse, Edit, Insert };

struct ModelRow {
    Values values;
    Values original;    // values at load, merge or first change (for modified and deleted rows)
    bool isNew = false;
    bool deleted = false;
    bool logged = false;
};

// The contract of the record set, kept the simplest way.
class Model {
public:
    std::vector<ModelRow> rows;     // every row ever made; index = identity
    std::vector<int> order;         // insertion order, deleted loaded rows kept in place
    std::vector<int> log;           // rows in the order of their first change
    State state = State::Browse;
    Values buffer;
    bool modified = false;
    int cursor = -1;                // the current row, -1 for none
    bool bof = true, eof = true, leftView = false, leftAtEnd = false;
    int insertBefore = -1, restoreRow = -1, insertPos = 0;
    bool filtered = false;
    int filter = 0, sort = 0;

private:
    mutable std::vector<int> view_;
    mutable bool viewValid_ = false;

public:

    void Load(const std::vector<Values>& loaded)
    {
        *this = Model();
        for (const Values& v : loaded) {
            rows.push_back({v, v});
            order.push_back(int(rows.size()) - 1);
        }
        ToFirst();
    }

    // The visible rows in order, recomputed from scratch after every change (Touch).
    const std::vector<int>& View() const
    {
        if (viewValid_)
            return view_;
        std::vector<int>& view = view_;
        view.clear();
        for (int r : order)
            if (!rows[r].deleted && (!filtered || Filters()[filter].passes(rows[r].values)))
                view.push_back(r);
        std::stable_sort(view.begin(), view.end(), [this](int a, int b) {
            for (int f : kSorts[sort]) {
                const int c = Order(rows[a].values[f], rows[b].values[f]);
                if (c != 0)
                    return c < 0;
            }
            return false;
        });
        viewValid_ = true;
        return view;
    }

    void Touch() { viewValid_ = false; }

    int Position(int row) const
    {
        const std::vector<int>& view = View();
        const auto it = std::find(view.begin(), view.end(), row);
        return it == view.end() ? -1 : int(it - view.begin());
    }

    int RecNo() const { return state == State::Insert ? insertPos + 1 : Position(cursor) + 1; }

    void ToFirst()
    {
        const std::vector<int>& view = View();
        cursor = view.empty() ? -1 : view.front();
        bof = true;
        eof = view.empty();
        leftView = false;
    }

    void CheckBrowseMode()
    {
        if (state == State::Browse)
            return;
        if (modified)
            Post();
        else
            Cancel();
    }

    void BeginInsert(bool append)
    {
        CheckBrowseMode();
        const std::vector<int>& view = View();
        restoreRow = cursor;
        insertBefore = append ? -1 : cursor;
        insertPos = append || cursor < 0 ? int(view.size()) : Position(cursor);
        buffer = Values();
        modified = false;
        leftView = false;
        state = State::Insert;
    }

    void Edit()
    {
        if (state != State::Browse)
            return;
        if (View().empty()) {
            BeginInsert(false);
            return;
        }
        leftView = false;
        buffer = rows[cursor].values;
        modified = false;
        state = State::Edit;
    }

    void Write(int field, const QVariant& value)
    {
        buffer[field] = value;
        modified = true;
    }

    // After an insert ends without its row in the view: back to the row current before.
    void BackFromInsert()
    {
        const std::vector<int>& view = View();
        if (restoreRow >= 0 && Position(restoreRow) >= 0)
            cursor = restoreRow;
        else
            cursor = view.empty() ? -1 : view[std::min(insertPos, int(view.size()) - 1)];
        bof = eof = view.empty();
    }

    // The row at view position pos left the view (already out of `View()`): stand on its successor.
    void LeaveView(int pos)
    {
        const std::vector<int>& view = View();
        leftAtEnd = false;
        bof = eof = false;
        if (view.empty()) {
            cursor = -1;
            bof = eof = true;
        } else if (pos >= int(view.size())) {
            cursor = view.back();
            eof = true;
            leftAtEnd = true;
        } else {
            cursor = view[pos];
        }
    }

    void Post()
    {
        if (state == State::Browse)
            return;
        leftView = false;
        if (state == State::Edit) {
            ModelRow& row = rows[cursor];
            if (row.values != buffer) {
                const int pos = Position(cursor);
                if (!row.logged && !row.isNew) {
                    row.original = row.values;
                    row.logged = true;
                    log.push_back(cursor);
                }
                row.values = buffer;
                Touch();
                if (Position(cursor) >= 0) {
                    bof = eof = false;
                } else {
                    LeaveView(pos);
                    leftView = true;
                }
            }
        } else {
            rows.push_back({buffer, buffer, true, false, true});
            const int id = int(rows.size()) - 1;
            const auto at = insertBefore < 0 ? order.end() : std::find(order.begin(), order.end(), insertBefore);
            order.insert(at, id);
            Touch();
            log.push_back(id);
            if (Position(id) >= 0) {
                cursor = id;
                bof = eof = false;
            } else {
                BackFromInsert();
            }
        }
        modified = false;
        state = State::Browse;
    }

    void Cancel()
    {
        if (state == State::Insert)
            BackFromInsert();
        modified = false;
        state = State::Browse;
    }

    // False when the set is empty (the real set raises).
    bool Delete()
    {
        if (state == State::Insert) {
            Cancel();
            return true;
        }
        if (View().empty())
            return false;
        const int row = cursor;
        const int pos = Position(row);
        modified = false;
        leftView = false;
        ModelRow& r = rows[row];
        if (r.isNew) {
            order.erase(std::find(order.begin(), order.end(), row));
            log.erase(std::remove(log.begin(), log.end(), row), log.end());
        } else {
            if (!r.logged) {
                r.original = r.values;
                r.logged = true;
                log.push_back(row);
            }
            r.deleted = true;
        }
        Touch();
        state = State::Browse;
        LeaveView(pos);
        return true;
    }

    void First() { CheckBrowseMode(); ToFirst(); }

    void Last()
    {
        CheckBrowseMode();
        const std::vector<int>& view = View();
        cursor = view.empty() ? -1 : view.back();
        eof = true;
        bof = view.empty();
        leftView = false;
    }

    void Next() { Step(true); }
    void Prior() { Step(false); }

    // One row forward or back. Just after the current row left the view, Next keeps the row that
    // took its place and Prior keeps it only when the row that left was the last one.
    void Step(bool forward)
    {
        CheckBrowseMode();
        const bool left = leftView, atEnd = leftAtEnd;
        leftView = false;
        const std::vector<int>& view = View();
        const int to = Position(cursor) + (forward ? 1 : -1);
        if (view.empty()) {
            bof = eof = true;
        } else if (forward && left) {
            bof = false;
            eof = atEnd;
        } else if (!forward && left && atEnd) {
            bof = eof = false;
        } else if (to >= 0 && to < int(view.size())) {
            cursor = view[to];
            bof = eof = false;
        } else {
            (forward ? eof : bof) = true;
        }
    }

    bool Locate(const QString& key, bool caseInsensitive)
    {
        CheckBrowseMode();
        for (int r : View()) {
            const QVariant& have = rows[r].values[K];
            if (have.isValid() && have.toString().compare(key, caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive) == 0) {
                leftView = false;
                cursor = r;
                bof = eof = false;
                return true;
            }
        }
        return false;
    }

    void SetFiltered(bool on)
    {
        if (on == filtered)
            return;
        CheckBrowseMode();
        filtered = on;
        Touch();
        ToFirst();
    }

    void SetFilter(int index)
    {
        if (index == filter)
            return;
        if (!filtered) {
            filter = index;
            return;
        }
        CheckBrowseMode();
        filter = index;
        Touch();
        ToFirst();
    }

    void SetSort(int index)
    {
        CheckBrowseMode();
        sort = index;
        Touch();
        ToFirst();
    }

    void CancelUpdates()
    {
        Cancel();
        for (auto it = log.rbegin(); it != log.rend(); ++it) {
            ModelRow& r = rows[*it];
            if (r.isNew) {
                order.erase(std::find(order.begin(), order.end(), *it));
                continue;
            }
            r.values = r.original;
            r.deleted = false;
            r.logged = false;
        }
        log.clear();
        leftAtEnd = false;
        Touch();
        ToFirst();
    }

    void MergeChangeLog()
    {
        for (int r : log)
            if (rows[r].deleted)
                order.erase(std::find(order.begin(), order.end(), r));
        for (ModelRow& r : rows)
            r.isNew = r.logged = false;
        log.clear();
        Touch();
    }

    // The rows a peek shows, in order: the pending row in its place, the edited row as edited.
    std::vector<Values> Shown() const
    {
        std::vector<Values> shown;
        for (int r : View())
            shown.push_back(state == State::Edit && r == cursor ? buffer : rows[r].values);
        if (state == State::Insert)
            shown.insert(shown.begin() + insertPos, buffer);
        return shown;
    }

    TChangePacket Changes() const
    {
        TChangePacket packet;
        for (int r : log) {
            const ModelRow& row = rows[r];
            TChange c;
            c.kind = row.isNew ? TChangeKind::Insert : (row.deleted ? TChangeKind::Delete : TChangeKind::Modify);
            if (c.kind != TChangeKind::Insert)
                c.oldRow = QVariantList(row.original.begin(), row.original.end());
            if (c.kind != TChangeKind::Delete)
                c.newRow = QVariantList(row.values.begin(), row.values.end());
            packet.changes << c;
        }
        return packet;
    }

    // SUM(N), MAX(S), MIN(S), COUNT(K), MAX(D) over the visible rows.
    std::array<QVariant, 5> Aggregates() const
    {
        const std::vector<int>& view = View();
        std::array<QVariant, 5> out;
        if (view.empty())
            return out;
        double sum = 0;
        int numbers = 0, keys = 0;
        for (int r : view) {
            const Values& v = rows[r].values;
            if (v[N].isValid()) {
                sum += v[N].toDouble();
                ++numbers;
            }
            if (v[S].isValid()) {
                if (!out[1].isValid() || TextOrder(v[S].toString(), out[1].toString()) > 0) out[1] = v[S];
                if (!out[2].isValid() || TextOrder(v[S].toString(), out[2].toString()) < 0) out[2] = v[S];
            }
            keys += v[K].isValid() ? 1 : 0;
            if (v[D].isValid() && (!out[4].isValid() || v[D].toDateTime() > out[4].toDateTime()))
                out[4] = v[D];
        }
        if (numbers)
            out[0] = sum;
        out[3] = double(keys);
        return out;
    }
};

QString Show(const QVariant& v)
{
    if (!v.isValid())
        return QStringLiteral("null");
    if (v.typeId() == QMetaType::QDateTime)
        return PacketDateTimeText(v.toDateTime());
    return v.toString();
}

QString Show(const QVariantList& row)
{
    QStringList parts;
    for (const QVariant& v : row)
        parts << Show(v);
    return parts.join(QLatin1Char('|'));
}

class Sequence {
public:
    explicit Sequence(quint64 seed) : random_(seed)
    {
        set_.AddField("K", TFieldType::String, 8);
        set_.AddField("G", TFieldType::String, 1);
        set_.AddField("N", TFieldType::Float);
        set_.AddField("S", TFieldType::String, 5);
        set_.AddField("D", TFieldType::DateTime);
        for (int f = 0; f < kFields; ++f)
            fields_[f] = set_.FieldByName(kFieldNames[f]);
        const char* const aggregates[][2] = {{"SOMA", "SUM(N)"}, {"MAIOR", "MAX(S)"}, {"MENOR", "MIN(S)"},
                                              {"CONTA", "COUNT(K)"}, {"ULTIMA", "MAX(D)"}};
        for (const auto& a : aggregates)
            aggregates_.push_back(set_.AddAggregate(a[0], a[1]));
        set_.AggregatesActive = true;
        set_.SetFilter(Filters()[0].text);
    }

    // Runs the steps; returns an empty text or what differed, after which step.
    QString Run(int steps)
    {
        QString differs;
        try {
            Load();
            differs = Compare(true);
            for (int i = 0; i < steps && differs.isEmpty(); ++i) {
                Step();
                differs = Compare(i % 16 == 15 || i == steps - 1);
            }
        } catch (const Exception& e) {
            differs = QStringLiteral("raised: ") + e.Message();
        }
        return differs.isEmpty() ? QString() : differs + QStringLiteral("\nsteps: ") + journal_.join(QStringLiteral("; "));
    }

private:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

    QVariant RandomValue(int field)
    {
        switch (field) {
        case K: return Pick(8) == 0 ? QVariant() : QVariant(QStringLiteral("K%1").arg(Pick(12), 2, 10, QLatin1Char('0')));
        case G: return QVariant(QString(QStringList{"A", "B", "C", ""}.at(Pick(4))));
        case N: { const double n[] = {0, 1, 1.5, 2, 3.25, -1}; return Pick(7) == 0 ? QVariant() : QVariant(n[Pick(6)]); }
        case S: return QVariant(QString(QStringList{"00001", "00002", "9", "10", "010", "1A", "B", ""}.at(Pick(8))));
        default: {
            // Local date-times, the midnight that America/Sao_Paulo skipped among them.
            const QDateTime d[] = {QDateTime(QDate(2018, 11, 4), QTime(0, 0)), QDateTime(QDate(2018, 11, 3), QTime(23, 30)),
                                   QDateTime(QDate(2018, 11, 4), QTime(0, 30)), QDateTime(QDate(2026, 12, 8), QTime(12, 0))};
            return Pick(6) == 0 ? QVariant() : QVariant(d[Pick(4)]);
        }
        }
    }

    // What the set keeps of a written value: an empty text is null, a date-time its wall clock.
    static QVariant Kept(const QVariant& v)
    {
        if (v.typeId() == QMetaType::QString && v.toString().isEmpty())
            return {};
        if (v.typeId() == QMetaType::QDateTime)
            return WallClock(v.toDateTime());
        return v;
    }

    void Load()
    {
        // Mostly small sets, where every kind of step meets every state soon; now and then one
        // large enough for the set's sorting of many rows.
        const int count = Pick(10) == 0 ? 64 + Pick(16) : Pick(12);
        TDataPacket packet;
        for (int f = 0; f < kFields; ++f)
            packet.fields << TPacketField{kFieldNames[f], f == N ? TPacketFieldType::Float
                                                          : f == D ? TPacketFieldType::DateTime : TPacketFieldType::String,
                                          f == K ? 8 : f == G ? 1 : f == S ? 5 : 0};
        std::vector<Values> loaded;
        for (int r = 0; r < count; ++r) {
            Values v;
            QVariantList row;
            for (int f = 0; f < kFields; ++f) {
                const QVariant value = RandomValue(f);
                row << (value.typeId() == QMetaType::QDateTime ? QVariant(PacketDateTimeText(value.toDateTime())) : value);
                v[f] = Kept(value);
            }
            loaded.push_back(v);
            packet.rows << row;
        }
        // Through the wire form, as the server's packets come.
        QJsonObject json = DataPacketToJson(TDataPacket{packet.fields, {}});
        QJsonArray rows;
        for (const QVariantList& row : packet.rows)
            rows.append(QJsonArray::fromVariantList(row));
        json.insert("rows", rows);
        const bool asBytes = Pick(2) == 0;
        if (asBytes)
            set_.LoadPacketBytes(QJsonDocument(json).toJson(QJsonDocument::Compact));
        else
            set_.SetData(json);
        model_.Load(loaded);
        journal_ << QStringLiteral("load %1 rows%2").arg(count).arg(asBytes ? QStringLiteral(" from bytes") : QString());
        if (Pick(2) == 0) {
            const int f = Pick(int(Filters().size()));
            set_.SetFilter(Filters()[f].text);
            model_.SetFilter(f);
            set_.SetFiltered(true);
            model_.SetFiltered(true);
            journal_ << QStringLiteral("Filter=%1 on").arg(QString::fromLatin1(Filters()[f].text));
        }
    }

    void Step()
    {
        const int op = Pick(100);
        QString done;
        if (op < 7) {
            done = "Append";
            set_.Append();
            model_.BeginInsert(true);
        } else if (op < 12) {
            done = "Insert";
            set_.Insert();
            model_.BeginInsert(false);
        } else if (op < 20) {
            done = "Edit";
            set_.Edit();
            model_.Edit();
        } else if (op < 38) {
            if (model_.state == State::Browse) {
                done = "Edit";
                set_.Edit();
                model_.Edit();
            }
            const int f = Pick(kFields);
            // Now and then the value the field already holds, which leaves the row unchanged.
            const QVariant value = Pick(5) == 0 ? model_.buffer[f] : RandomValue(f);
            done += QStringLiteral(" %1:=%2").arg(QString::fromLatin1(kFieldNames[f]), Show(Kept(value)));
            if (!value.isValid()) fields_[f]->Clear();
            else if (value.typeId() == QMetaType::QString) fields_[f]->SetAsString(value.toString());
            else if (value.typeId() == QMetaType::Double) fields_[f]->SetAsFloat(value.toDouble());
            else fields_[f]->SetAsDateTime(value.toDateTime());
            model_.Write(f, Kept(value));
        } else if (op < 48) {
            done = "Post";
            set_.Post();
            model_.Post();
        } else if (op < 51) {
            done = "Cancel";
            set_.Cancel();
            model_.Cancel();
        } else if (op < 57) {
            done = "Delete";
            const bool can = model_.state == State::Insert || !model_.View().empty();
            if (can) {
                set_.Delete();
                model_.Delete();
            } else {
                EXPECT_THROW(set_.Delete(), EDatabaseError);
            }
        } else if (op < 66) {
            done = "Next";
            set_.Next();
            model_.Next();
        } else if (op < 70) {
            done = "Prior";
            set_.Prior();
            model_.Prior();
        } else if (op < 73) {
            done = "First";
            set_.First();
            model_.First();
        } else if (op < 75) {
            done = "Last";
            set_.Last();
            model_.Last();
        } else if (op < 80) {
            const bool on = !model_.filtered;
            done = QStringLiteral("Filtered=%1").arg(int(on));
            set_.SetFiltered(on);
            model_.SetFiltered(on);
        } else if (op < 83) {
            const int f = Pick(int(Filters().size()));
            done = QStringLiteral("Filter=%1").arg(QString::fromLatin1(Filters()[f].text));
            set_.SetFilter(Filters()[f].text);
            model_.SetFilter(f);
        } else if (op < 87) {
            const int s = Pick(int(kSorts.size()));
            done = QStringLiteral("IndexFieldNames=%1").arg(QString::fromLatin1(kSortNames[s]));
            set_.SetIndexFieldNames(kSortNames[s]);
            model_.SetSort(s);
        } else if (op < 91) {
            const bool ci = Pick(2) == 0;
            QString key = QStringLiteral("K%1").arg(Pick(13), 2, 10, QLatin1Char('0'));
            if (ci)
                key = key.toLower();
            done = QStringLiteral("Locate %1%2").arg(key, ci ? QStringLiteral(" (ci)") : QString());
            const bool found = set_.Locate("K", {key}, ci ? TLocateOptions(TLocateOption::CaseInsensitive) : TLocateOptions());
            EXPECT_EQ(found, model_.Locate(key, ci)) << done.toStdString();
        } else if (op < 96) {
            done = "CancelUpdates";
            set_.CancelUpdates();
            model_.CancelUpdates();
        } else {
            done = "MergeChangeLog";
            set_.MergeChangeLog();
            model_.MergeChangeLog();
        }
        journal_ << done.trimmed();
    }

    // `wire`: the change packet also goes through its JSON form and back (slow, so not every step).
    QString Compare(bool wire)
    {
        const State state = set_.State() == TDataSetState::Edit     ? State::Edit
                            : set_.State() == TDataSetState::Insert ? State::Insert
                                                                    : State::Browse;
        if (state != model_.state)
            return QStringLiteral("state %1, expected %2").arg(int(state)).arg(int(model_.state));
        const std::vector<Values> shown = model_.Shown();
        const int visible = int(shown.size()) - (state == State::Insert ? 1 : 0);
        if (set_.RecordCount() != visible)
            return QStringLiteral("RecordCount %1, expected %2").arg(set_.RecordCount()).arg(visible);
        if (set_.RecNo() != model_.RecNo() || set_.Bof() != model_.bof || set_.Eof() != model_.eof)
            return QStringLiteral("cursor RecNo %1 Bof %2 Eof %3, expected %4 %5 %6")
                .arg(set_.RecNo()).arg(int(set_.Bof())).arg(int(set_.Eof())).arg(model_.RecNo()).arg(int(model_.bof)).arg(int(model_.eof));
        for (int i = 0; i < int(shown.size()); ++i) {
            TRecordPeek peek(&set_, i + 1);
            QVariantList have, want(shown[i].begin(), shown[i].end());
            for (TField* f : fields_)
                have << f->Value();
            if (have != want)
                return QStringLiteral("row %1 is %2, expected %3").arg(i + 1).arg(Show(have), Show(want));
        }
        if (model_.RecNo() > 0) {
            QVariantList have, want;
            const Values current = state == State::Browse ? model_.rows[model_.cursor].values : model_.buffer;
            for (int f = 0; f < kFields; ++f) {
                have << fields_[f]->Value();
                want << current[f];
            }
            if (have != want)
                return QStringLiteral("current row is %1, expected %2").arg(Show(have), Show(want));
        }
        const std::array<QVariant, 5> aggregates = model_.Aggregates();
        for (size_t a = 0; a < aggregates.size(); ++a)
            if (aggregates_[a]->Value() != aggregates[a])
                return QStringLiteral("%1 is %2, expected %3")
                    .arg(aggregates_[a]->Expression, Show(aggregates_[a]->Value()), Show(aggregates[a]));
        const TChangePacket have = wire ? ChangePacketFromJson(set_.Delta()) : set_.ChangePacket();
        const TChangePacket want = model_.Changes();
        if (have.changes.size() != want.changes.size())
            return QStringLiteral("%1 changes, expected %2").arg(have.changes.size()).arg(want.changes.size());
        for (qsizetype c = 0; c < want.changes.size(); ++c) {
            const TChange& x = have.changes[c];
            const TChange& y = want.changes[c];
            if (x.kind != y.kind || x.oldRow != y.oldRow || x.newRow != y.newRow)
                return QStringLiteral("change %1 is %2 %3 -> %4, expected %5 %6 -> %7")
                    .arg(c + 1).arg(int(x.kind)).arg(Show(x.oldRow), Show(x.newRow))
                    .arg(int(y.kind)).arg(Show(y.oldRow), Show(y.newRow));
        }
        if (set_.ChangeCount() != int(want.changes.size()))
            return QStringLiteral("ChangeCount %1, expected %2").arg(set_.ChangeCount()).arg(want.changes.size());
        return {};
    }

    std::mt19937_64 random_;
    TClientDataSet set_;
    std::array<TField*, kFields> fields_{};
    std::vector<TAggregateField*> aggregates_;
    Model model_;
    QStringList journal_;
};

TEST(RecordSetModel, RandomSequencesBehaveAsThePlainModel)
{
    constexpr int kSteps = 150;
    const QByteArray replay = qgetenv("EST_MODEL_SEED");
    if (!replay.isEmpty()) {
        const quint64 seed = replay.toULongLong();
        const QString differs = Sequence(seed).Run(kSteps);
        EXPECT_TRUE(differs.isEmpty()) << "EST_MODEL_SEED=" << seed << ": " << differs.toStdString();
        return;
    }
    const double seconds = qEnvironmentVariableIsSet("EST_MODEL_SECONDS") ? qgetenv("EST_MODEL_SECONDS").toDouble() : 2.0;
    const quint64 base = std::random_device{}();
    QElapsedTimer timer;
    timer.start();
    int sequences = 0;
    for (quint64 seed = base; timer.elapsed() < qint64(seconds * 1000); ++seed, ++sequences) {
        const QString differs = Sequence(seed).Run(kSteps);
        ASSERT_TRUE(differs.isEmpty()) << "EST_MODEL_SEED=" << seed << " replays it: " << differs.toStdString();
        if (testing::Test::HasFailure()) {
            ADD_FAILURE() << "EST_MODEL_SEED=" << seed << " replays it";
            return;
        }
    }
    EXPECT_GT(sequences, 0);
}

}  // namespace
