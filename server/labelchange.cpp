#include "labelchange.h"

#include "databaseunavailable.h"
#include "dbvalues.h"
#include "sqlstatement.h"
#include "transaction.h"

#include "labels/barcode.h"
#include "labels/labelcodes.h"
#include "labels/setetiquetaerror.h"

#include <QDateTime>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

// A refused change: the message is the reason shown to the user, without the "Erro: " marker.
class ERefused : public Exception {
public:
    using Exception::Exception;
};

// A weight in tenths of a nanogram: ten decimals of a kilogram, the finest the screens show.
// 128 bits hold the sum of any number of labels of the screens' largest weight.
using TWeightUnits = __int128;
constexpr double LargestWeight = 1e10;   // ten integer digits, as the screens take them

TWeightUnits WeightUnits(double kilograms)
{
    return TWeightUnits(std::roundl(static_cast<long double>(kilograms) * 1e10L));
}

// The weight as the database keeps it: the double nearest to its ten-decimal value.
double WeightValue(TWeightUnits units)
{
    return double(static_cast<long double>(units) / 1e10L);
}

// The exact ten-decimal text of a weight, with a decimal comma and no trailing zeros.
QString WeightText(TWeightUnits units)
{
    const bool negative = units < 0;
    if (negative)
        units = -units;
    const TWeightUnits whole = units / TWeightUnits(10000000000LL);
    QString fraction = QString::number(qint64(units % TWeightUnits(10000000000LL))).rightJustified(10, QLatin1Char('0'));
    while (fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    QString text = QString::number(qint64(whole));
    if (!fraction.isEmpty())
        text += QLatin1Char(',') + fraction;
    return negative ? QLatin1Char('-') + text : text;
}

struct TNewLabel {
    QString barcode, branch, entry, item, sequence, product;
    std::optional<double> quantity, total;
    double weight = 0;
    TWeightUnits units = 0;   // the weight rounded to ten decimals, as stored
};

struct TOldLabel {
    QString barcode, branch, entry, item, status, product, order;
    double weight = 0;
};

struct TItemKey {
    QString branch, entry, item;
    bool operator==(const TItemKey&) const = default;
};

// Reads the row values of one change by field name.
class TRowReader {
public:
    TRowReader(const TChangePacket& packet)
    {
        for (int i = 0; i < packet.fields.size(); ++i)
            index_.insert(packet.fields[i].name.toUpper(), i);
    }
    bool Has(const QString& field) const { return index_.contains(field); }
    QString Text(const QVariantList& row, const QString& field) const
    {
        const QVariant v = Value(row, field);
        return v.isNull() ? QString() : v.toString().trimmed();
    }
    std::optional<double> Number(const QVariantList& row, const QString& field) const
    {
        const QVariant v = Value(row, field);
        if (v.isNull() || !v.isValid())
            return std::nullopt;
        return v.toDouble();
    }

private:
    QVariant Value(const QVariantList& row, const QString& field) const
    {
        const int i = index_.value(field, -1);
        return i >= 0 && i < row.size() ? row[i] : QVariant();
    }
    QHash<QString, int> index_;
};

void CheckNewLabel(const TNewLabel& n)
{
    const QString who = n.barcode.isEmpty() ? QStringLiteral("nova etiqueta") : QStringLiteral("nova etiqueta %1").arg(n.barcode);
    if (n.barcode.isEmpty())
        throw ERefused(QStringLiteral("Uma nova etiqueta não informa o código de barras."));
    const QList<std::pair<QString, QString>> required = {
        {QStringLiteral("CDFILIAL"), n.branch}, {QStringLiteral("NRLANCTONF"), n.entry},
        {QStringLiteral("NRSEQITPROD"), n.item}, {QStringLiteral("NRSEQETIQ"), n.sequence}};
    for (const auto& [field, value] : required)
        if (value.isEmpty())
            throw ERefused(QStringLiteral("A %1 não informa o campo %2.").arg(who, field));
    if (!IsStoredSequence(n.sequence))
        throw ERefused(QStringLiteral("A sequência \"%1\" da %2 não é um número de cinco dígitos com zeros à esquerda.")
                           .arg(n.sequence, who));
    const QString expected = BarcodePrefix(n.branch, n.entry, n.item) + n.sequence;
    if (n.barcode.compare(expected, Qt::CaseInsensitive) != 0)
        throw ERefused(QStringLiteral("O código de barras %1 não corresponde à filial, ao lançamento, ao item e à "
                                      "sequência da etiqueta (esperado %2).").arg(n.barcode, expected));
    if (!std::isfinite(n.weight) || n.weight <= 0)
        throw ERefused(QStringLiteral("O peso da %1 deve ser maior que zero.").arg(who));
    if (n.weight >= LargestWeight)
        throw ERefused(QStringLiteral("O peso da %1 passa do maior peso aceito (9999999999,9999999999).").arg(who));
    if (n.units < 1)
        throw ERefused(QStringLiteral("O peso da %1 é menor que o menor peso aceito (0,0000000001).").arg(who));
    if (n.quantity && (!std::isfinite(*n.quantity) || *n.quantity <= 0))
        throw ERefused(QStringLiteral("A quantidade da %1 deve ser maior que zero.").arg(who));
}

struct TParsedChange {
    QStringList inactivated;     // barcodes as sent
    QList<TNewLabel> created;
};

TParsedChange Parse(const TChangePacket& packet)
{
    const TRowReader r(packet);
    for (const char* field : {"CDCODBARRAETIQ", "IDSTATUSETIQ"})
        if (!r.Has(QString::fromLatin1(field)))
            throw ERefused(QStringLiteral("O pacote de alterações não tem o campo %1.").arg(QLatin1String(field)));
    if (packet.changes.isEmpty())
        throw ERefused(QStringLiteral("O pacote de alterações está vazio."));

    TParsedChange parsed;
    QSet<QString> seen;
    for (const TChange& change : packet.changes) {
        if (change.kind != TChangeKind::Insert)
            throw ERefused(QStringLiteral("O pacote de alterações só pode conter inclusões de etiquetas; recebida uma %1.")
                               .arg(change.kind == TChangeKind::Modify ? QStringLiteral("modificação")
                                                                       : QStringLiteral("exclusão")));
        const QVariantList& row = change.newRow;
        const QString barcode = r.Text(row, QStringLiteral("CDCODBARRAETIQ"));
        const QString status = r.Text(row, QStringLiteral("IDSTATUSETIQ"));
        if (!barcode.isEmpty()) {
            if (seen.contains(barcode.toUpper()))
                throw ERefused(QStringLiteral("O código de barras %1 aparece mais de uma vez no pacote.").arg(barcode));
            seen.insert(barcode.toUpper());
        }
        if (status == QLatin1String(kStatusInativa)) {
            if (barcode.isEmpty())
                throw ERefused(QStringLiteral("Uma etiqueta a inativar não informa o código de barras."));
            parsed.inactivated << barcode;
        } else if (status == QLatin1String(kStatusAtiva)) {
            TNewLabel n;
            n.barcode = barcode;
            n.branch = r.Text(row, QStringLiteral("CDFILIAL"));
            n.entry = r.Text(row, QStringLiteral("NRLANCTONF"));
            n.item = r.Text(row, QStringLiteral("NRSEQITPROD"));
            n.sequence = r.Text(row, QStringLiteral("NRSEQETIQ"));
            n.product = r.Text(row, QStringLiteral("CDPRODUTO"));
            n.quantity = r.Number(row, QStringLiteral("QTETIQPROD"));
            n.total = r.Number(row, QStringLiteral("QTTOTALPRODETIQ"));
            const auto weight = r.Number(row, QStringLiteral("VRPESOETIQ"));
            if (!weight)
                throw ERefused(QStringLiteral("A nova etiqueta %1 não informa o peso.").arg(barcode));
            n.weight = *weight;
            n.units = std::isfinite(n.weight) && n.weight > 0 && n.weight < LargestWeight ? WeightUnits(n.weight) : 0;
            CheckNewLabel(n);
            parsed.created << n;
        } else {
            throw ERefused(QStringLiteral("Situação de etiqueta inválida no pacote: \"%1\" (esperado \"A\" ou \"I\").")
                               .arg(status));
        }
    }
    const qsizetype k = parsed.inactivated.size(), n = parsed.created.size();
    const bool grouping = k >= 2 && n == 1;
    const bool split = k == 1 && n >= 1;
    if (!grouping && !split)
        throw ERefused(QStringLiteral("O pacote não é um agrupamento (duas ou mais etiquetas inativadas e uma nova) "
                                      "nem um desmembramento (uma etiqueta inativada e uma ou mais novas): "
                                      "%1 inativada(s), %2 nova(s).").arg(k).arg(n));
    return parsed;
}

// Many labels at once: PostgreSQL takes each column of them as one array parameter, so a change
// is a few statements whatever its size; SQLite takes a list of parameters, up to 500 rows per
// statement (its statements cost nothing to prepare).
constexpr int SqliteRows = 500;

QString Names(const QString& prefix, int first, int count)
{
    QStringList names;
    for (int i = first; i < first + count; ++i)
        names << QStringLiteral(":%1%2").arg(prefix).arg(i);
    return names.join(QStringLiteral(", "));
}

// A PostgreSQL array literal of texts ({"a","b"}), every element quoted.
QString TextArray(const QStringList& values)
{
    QString out = QStringLiteral("{");
    for (const QString& v : values) {
        if (out.size() > 1)
            out += QLatin1Char(',');
        QString escaped = v;
        escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('"'), QLatin1String("\\\""));
        out += QLatin1Char('"') + escaped + QLatin1Char('"');
    }
    return out + QLatin1Char('}');
}

QString NumberArray(const QList<double>& values)
{
    QStringList texts;
    for (double v : values)
        texts << QString::number(v, 'g', 17);
    return QLatin1Char('{') + texts.join(QLatin1Char(',')) + QLatin1Char('}');
}

class TApplier {
public:
    TApplier(TDatabase& database, const TParsedChange& change, const QString& client)
        : db_(database.Connection()), dialect_(database.Dialect()), change_(change), client_(client)
    {
    }

    // True once a statement that changes rows has been sent: from then on a lost connection may
    // have left the change applied or not, and the change is not tried again.
    bool Wrote() const { return wrote_; }

    void Run()
    {
        TTransaction t(db_);
        const QList<TOldLabel> old = LockOldLabels();
        const TItemKey item{old.first().branch, old.first().entry, old.first().item};
        for (const TNewLabel& n : change_.created)
            if (!(TItemKey{n.branch, n.entry, n.item} == item))
                throw ERefused(QStringLiteral("As etiquetas não pertencem todas ao mesmo item da nota fiscal "
                                              "(a nova etiqueta %1 é de outro item).").arg(n.barcode));
        const auto [product, itemQuantity] = ReadItem(item);
        QList<TNewLabel> created = change_.created;
        BalanceWeights(old, created);
        std::sort(created.begin(), created.end(),
                  [](const TNewLabel& a, const TNewLabel& b) { return a.barcode.toUpper() < b.barcode.toUpper(); });
        for (const TNewLabel& n : created)
            if (!n.product.isEmpty() && n.product != product)
                throw ERefused(QStringLiteral("O produto %1 da nova etiqueta %2 difere do produto %3 do item.")
                                   .arg(n.product, n.barcode, product));
        CheckUnused(item, created);
        wrote_ = true;
        Inactivate(old);
        Insert(created, product, itemQuantity);
        Audit(item, old);
        t.Commit();
    }

private:
    QString LockSuffix() const
    {
        return dialect_ == TDialect::PostgreSQL ? QStringLiteral(" FOR UPDATE") : QString();
    }

    bool Postgres() const { return dialect_ == TDialect::PostgreSQL; }
    int SliceRows(qsizetype total) const { return Postgres() ? int(std::max<qsizetype>(total, 1)) : SqliteRows; }

    // "<expression> IN (the values)" for a slice of values, and its binding.
    QString InSlice(const QString& expression, int count) const
    {
        return Postgres() ? expression + QStringLiteral(" = ANY(CAST(:list AS TEXT[]))")
                          : expression + QStringLiteral(" IN (%1)").arg(Names(QStringLiteral("v"), 0, count));
    }
    void BindSlice(TSqlStatement& q, const QStringList& values, int first, int count) const
    {
        if (Postgres()) {
            q.Bind(QStringLiteral(":list"), TextArray(values.mid(first, count)));
            return;
        }
        for (int i = 0; i < count; ++i)
            q.Bind(QStringLiteral(":v%1").arg(i), values[first + i]);
    }

    // Reads (and on PostgreSQL locks, in barcode order so that two changes never wait on each
    // other) every label the change inactivates, a few hundred per statement.
    QList<TOldLabel> LockOldLabels()
    {
        QStringList barcodes = change_.inactivated;
        for (QString& b : barcodes)
            b = b.toUpper();
        std::sort(barcodes.begin(), barcodes.end());
        QHash<QString, TOldLabel> found;
        for (int first = 0, rows = SliceRows(barcodes.size()); first < barcodes.size(); first += rows) {
            const int count = int(std::min<qsizetype>(rows, barcodes.size() - first));
            TSqlStatement q(db_, QStringLiteral("SELECT CDCODBARRAETIQ, CDFILIAL, NRLANCTONF, NRSEQITPROD, IDSTATUSETIQ,"
                                                " CDPRODUTO, NRPEDEXOL, VRPESOETIQ FROM ETIQUETA WHERE ") +
                                     InSlice(QStringLiteral("UPPER(CDCODBARRAETIQ)"), count) +
                                     QStringLiteral(" ORDER BY UPPER(CDCODBARRAETIQ)") + LockSuffix());
            BindSlice(q, barcodes, first, count);
            q.Exec();
            while (q.Next())
                found.insert(q.Text(0).toUpper(), TOldLabel{q.Text(0), q.Text(1), q.Text(2), q.Text(3), q.Text(4).trimmed(),
                                                            q.Text(5), q.Text(6).trimmed(), q.Double(7)});
        }
        QList<TOldLabel> old;
        QStringList sent = change_.inactivated;
        std::sort(sent.begin(), sent.end(), [](const QString& a, const QString& b) { return a.toUpper() < b.toUpper(); });
        for (const QString& barcode : sent) {
            const auto it = found.constFind(barcode.toUpper());
            if (it == found.constEnd())
                throw ERefused(QStringLiteral("A etiqueta %1 não existe.").arg(barcode));
            const TOldLabel& o = *it;
            if (o.status == QLatin1String(kStatusInativa))
                throw ERefused(QStringLiteral("A etiqueta %1 já está inativa.").arg(barcode));
            if (o.status == QLatin1String(kStatusReservada))
                throw ERefused(QStringLiteral("A etiqueta %1 está reservada e não pode ser inativada.").arg(barcode));
            if (!o.order.isEmpty())
                throw ERefused(QStringLiteral("A etiqueta %1 já possui pedido (%2) relacionado e não pode ser inativada.")
                                   .arg(barcode, o.order));
            if (!old.isEmpty() && !(TItemKey{o.branch, o.entry, o.item} ==
                                    TItemKey{old.first().branch, old.first().entry, old.first().item}))
                throw ERefused(QStringLiteral("As etiquetas não pertencem todas ao mesmo item da nota fiscal "
                                              "(a etiqueta %1 é de outro item).").arg(barcode));
            old << o;
        }
        return old;
    }

    std::pair<QString, double> ReadItem(const TItemKey& item)
    {
        TSqlStatement q(db_, QStringLiteral("SELECT CDPRODUTO, QTITEMPROD FROM ITEMNOTAFISCAL"
                                            " WHERE CDFILIAL = :fil AND NRLANCTONF = :lanc AND NRSEQITPROD = :item"));
        q.Bind(QStringLiteral(":fil"), item.branch).Bind(QStringLiteral(":lanc"), item.entry)
            .Bind(QStringLiteral(":item"), item.item).Exec();
        if (!q.Next())
            throw ERefused(QStringLiteral("O item %1 da nota fiscal %2 da filial %3 não existe.")
                               .arg(item.item, item.entry, item.branch));
        return {q.Text(0), q.Double(1)};
    }

    // The weights compared in tenths of a nanogram (ten decimals of a kilogram, the finest the
    // screens show), as exact integers: the new labels must weigh what the inactivated ones did.
    // Where the total is so large that its fifteen significant digits (what the screens compare)
    // stop short of ten decimals, a difference below the last of those digits is accepted and
    // given to the heaviest new label, so the stored weights still add up exactly.
    void BalanceWeights(const QList<TOldLabel>& old, QList<TNewLabel>& created) const
    {
        TWeightUnits before = 0, after = 0;
        for (const TOldLabel& o : old)
            before += WeightUnits(o.weight);
        for (const TNewLabel& n : created)
            after += n.units;
        const TWeightUnits difference = before - after;
        if (difference == 0)
            return;
        const TWeightUnits largest = std::max(before, after);
        TWeightUnits shown = 1;   // the unit of the fifteenth significant digit, at least one
        for (TWeightUnits v = largest; v >= TWeightUnits(1000000000000000); v /= 10)
            shown *= 10;
        if ((difference < 0 ? -difference : difference) >= shown)
            throw ERefused(QStringLiteral("O peso das novas etiquetas (%1) difere do peso das etiquetas inativadas (%2).")
                               .arg(WeightText(after), WeightText(before)));
        auto heaviest = std::max_element(created.begin(), created.end(),
                                         [](const TNewLabel& a, const TNewLabel& b) { return a.units < b.units; });
        heaviest->units += difference;
    }

    // New labels must use neither a barcode in use nor a sequence of their item in use.
    void CheckUnused(const TItemKey& item, const QList<TNewLabel>& created)
    {
        QSet<QString> taken;
        TSqlStatement sequences(db_, QStringLiteral("SELECT NRSEQETIQ FROM ETIQUETA"
                                                    " WHERE CDFILIAL = :fil AND NRLANCTONF = :lanc AND NRSEQITPROD = :item"));
        sequences.Bind(QStringLiteral(":fil"), item.branch).Bind(QStringLiteral(":lanc"), item.entry)
            .Bind(QStringLiteral(":item"), item.item).Exec();
        QSet<QString> usedSequences;
        while (sequences.Next())
            usedSequences.insert(sequences.Text(0));
        QStringList barcodes;
        for (const TNewLabel& n : created)
            barcodes << n.barcode.toUpper();
        for (int first = 0, rows = SliceRows(barcodes.size()); first < barcodes.size(); first += rows) {
            const int count = int(std::min<qsizetype>(rows, barcodes.size() - first));
            TSqlStatement q(db_, QStringLiteral("SELECT UPPER(CDCODBARRAETIQ) FROM ETIQUETA WHERE ") +
                                     InSlice(QStringLiteral("UPPER(CDCODBARRAETIQ)"), count));
            BindSlice(q, barcodes, first, count);
            q.Exec();
            while (q.Next())
                taken.insert(q.Text(0));
        }
        for (const TNewLabel& n : created)
            if (taken.contains(n.barcode.toUpper()) || usedSequences.contains(n.sequence))
                throw ERefused(QStringLiteral("O código de barras %1 já está em uso.").arg(n.barcode));
    }

    void Inactivate(const QList<TOldLabel>& old)
    {
        QStringList barcodes;
        for (const TOldLabel& o : old)
            barcodes << o.barcode;
        for (int first = 0, rows = SliceRows(barcodes.size()); first < barcodes.size(); first += rows) {
            const int count = int(std::min<qsizetype>(rows, barcodes.size() - first));
            TSqlStatement q(db_, QStringLiteral("UPDATE ETIQUETA SET IDSTATUSETIQ = :inativa WHERE ") +
                                     InSlice(QStringLiteral("CDCODBARRAETIQ"), count) + QStringLiteral(" AND IDSTATUSETIQ = :ativa"));
            q.Bind(QStringLiteral(":inativa"), QLatin1String(kStatusInativa)).Bind(QStringLiteral(":ativa"), QLatin1String(kStatusAtiva));
            BindSlice(q, barcodes, first, count);
            q.Exec();
            if (q.RowsAffected() != count)
                throw ERefused(QStringLiteral("A etiqueta %1 já está inativa.").arg(old[first].barcode));
        }
    }

    // The new labels, in bulk. ON CONFLICT guards the unique indexes against a change committed
    // by another server thread after CheckUnused looked.
    void Insert(const QList<TNewLabel>& created, const QString& product, double itemQuantity)
    {
        if (Postgres()) {
            QStringList barcodes, sequences;
            QList<double> quantities, weights, totals;
            for (const TNewLabel& n : created) {
                barcodes << n.barcode;
                sequences << n.sequence;
                quantities << n.quantity.value_or(1.0);
                weights << WeightValue(n.units);
                totals << n.total.value_or(itemQuantity);
            }
            TSqlStatement q(db_, QStringLiteral("INSERT INTO ETIQUETA (CDCODBARRAETIQ, CDFILIAL, NRLANCTONF, NRSEQITPROD,"
                                                " NRSEQETIQ, CDPRODUTO, QTETIQPROD, VRPESOETIQ, QTTOTALPRODETIQ, IDSTATUSETIQ)"
                                                " SELECT u.cb, :fil, :lanc, :item, u.seq, :prod, u.qt, u.peso, u.total, :ativa"
                                                " FROM unnest(CAST(:cbs AS TEXT[]), CAST(:seqs AS TEXT[]), CAST(:qts AS FLOAT8[]),"
                                                " CAST(:pesos AS FLOAT8[]), CAST(:totals AS FLOAT8[])) AS u(cb, seq, qt, peso, total)"
                                                " ON CONFLICT DO NOTHING"));
            const TNewLabel& head = created.first();
            q.Bind(QStringLiteral(":fil"), head.branch).Bind(QStringLiteral(":lanc"), head.entry)
                .Bind(QStringLiteral(":item"), head.item).Bind(QStringLiteral(":prod"), product)
                .Bind(QStringLiteral(":cbs"), TextArray(barcodes)).Bind(QStringLiteral(":seqs"), TextArray(sequences))
                .Bind(QStringLiteral(":qts"), NumberArray(quantities)).Bind(QStringLiteral(":pesos"), NumberArray(weights))
                .Bind(QStringLiteral(":totals"), NumberArray(totals))
                .Bind(QStringLiteral(":ativa"), QLatin1String(kStatusAtiva)).Exec();
            if (q.RowsAffected() != created.size())
                throw ERefused(QStringLiteral("O código de barras %1 já está em uso.").arg(head.barcode));
            return;
        }
        for (int first = 0; first < created.size(); first += SqliteRows) {
            const int count = int(std::min<qsizetype>(SqliteRows, created.size() - first));
            QStringList rows;
            for (int i = 0; i < count; ++i)
                rows << QStringLiteral("(:cb%1, :fil, :lanc, :item, :seq%1, :prod, :qt%1, :peso%1, :total%1, :ativa)").arg(i);
            TSqlStatement q(db_, QStringLiteral("INSERT INTO ETIQUETA (CDCODBARRAETIQ, CDFILIAL, NRLANCTONF, NRSEQITPROD,"
                                                " NRSEQETIQ, CDPRODUTO, QTETIQPROD, VRPESOETIQ, QTTOTALPRODETIQ, IDSTATUSETIQ)"
                                                " VALUES %1 ON CONFLICT DO NOTHING").arg(rows.join(QStringLiteral(", "))));
            const TNewLabel& head = created[first];
            q.Bind(QStringLiteral(":fil"), head.branch).Bind(QStringLiteral(":lanc"), head.entry)
                .Bind(QStringLiteral(":item"), head.item).Bind(QStringLiteral(":prod"), product)
                .Bind(QStringLiteral(":ativa"), QLatin1String(kStatusAtiva));
            for (int i = 0; i < count; ++i) {
                const TNewLabel& n = created[first + i];
                q.Bind(QStringLiteral(":cb%1").arg(i), n.barcode).Bind(QStringLiteral(":seq%1").arg(i), n.sequence)
                    .Bind(QStringLiteral(":qt%1").arg(i), n.quantity.value_or(1.0))
                    .Bind(QStringLiteral(":peso%1").arg(i), WeightValue(n.units))
                    .Bind(QStringLiteral(":total%1").arg(i), n.total.value_or(itemQuantity));
            }
            q.Exec();
            if (q.RowsAffected() != count)
                throw ERefused(QStringLiteral("O código de barras %1 já está em uso.").arg(head.barcode));
        }
    }

    void Audit(const TItemKey& item, const QList<TOldLabel>& old)
    {
        QStringList before, after;
        for (const TOldLabel& o : old)
            before << o.barcode;
        for (const TNewLabel& n : change_.created)
            after << n.barcode;
        const bool grouping = change_.inactivated.size() >= 2;
        TSqlStatement q(db_, QStringLiteral("INSERT INTO AUDITETIQUETA (DTALTERACAO, DSENDCLIENTE, IDTIPOALTER, CDFILIAL,"
                                            " NRLANCTONF, NRSEQITPROD, DSETIQINATIVADAS, DSETIQCRIADAS)"
                                            " VALUES (:dt, :cli, :tipo, :fil, :lanc, :item, :ant, :nov)"));
        q.Bind(QStringLiteral(":dt"), QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")))
            .Bind(QStringLiteral(":cli"), client_.left(64))
            .Bind(QStringLiteral(":tipo"), grouping ? QStringLiteral("AGRUPAMENTO") : QStringLiteral("DESMEMBRAMENTO"))
            .Bind(QStringLiteral(":fil"), item.branch).Bind(QStringLiteral(":lanc"), item.entry)
            .Bind(QStringLiteral(":item"), item.item).Bind(QStringLiteral(":ant"), before.join(QLatin1Char(',')))
            .Bind(QStringLiteral(":nov"), after.join(QLatin1Char(','))).Exec();
    }

    TSqlConnection& db_;
    TDialect dialect_;
    const TParsedChange& change_;
    QString client_;
    bool wrote_ = false;
};

} // namespace

QString TLabelChange::Apply(const TChangePacket& packet, const QString& clientAddress)
{
    try {
        const TParsedChange parsed = Parse(packet);
        // One more try, on a new connection when the old one was found dead (the database
        // server restarted since this thread's last call), as long as nothing was written yet.
        for (int attempt = 0;; ++attempt) {
            bool wrote = false;
            try {
                TApplier applier(database_, parsed, clientAddress);
                try {
                    applier.Run();
                } catch (...) {
                    wrote = applier.Wrote();
                    throw;
                }
                return QString();
            } catch (const EDatabaseUnavailable& e) {
                const bool reconnect = e.connectionLost && !wrote;
                if (attempt > 0 || !(e.retryable || reconnect))
                    throw;
                if (reconnect)
                    database_.Discard();
            }
        }
    } catch (const ERefused& e) {
        return QLatin1String(kSetEtiquetaErrorMarker) + e.Message();
    }
}
