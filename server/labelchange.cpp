#include "labelchange.h"

#include "databaseunavailable.h"
#include "dbvalues.h"
#include "sqlstatement.h"
#include "transaction.h"

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

struct TNewLabel {
    QString barcode, branch, entry, item, sequence, product;
    std::optional<double> quantity, total;
    double weight = 0;
};

struct TOldLabel {
    QString barcode, branch, entry, item, status, product, order;
    double weight = 0;
};

struct TItemKey {
    QString branch, entry, item;
    bool operator==(const TItemKey&) const = default;
};

QString Weight(double value)
{
    return QString::number(value, 'g', 15).replace(QLatin1Char('.'), QLatin1Char(','));
}

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

// A label sequence as the client numbers it: decimal, at least five digits, filled with leading
// zeros up to five digits and never beyond.
bool ValidSequence(const QString& s)
{
    if (s.size() < 5)
        return false;
    for (const QChar c : s)
        if (!c.isDigit())
            return false;
    if (s.size() > 5 && s.front() == QLatin1Char('0'))
        return false;
    return s.toLongLong() > 0;
}

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
    if (!ValidSequence(n.sequence))
        throw ERefused(QStringLiteral("A sequência \"%1\" da %2 não é um número de cinco dígitos com zeros à esquerda.")
                           .arg(n.sequence, who));
    const QString expected = n.branch + n.entry + n.item + n.sequence;
    if (n.barcode.compare(expected, Qt::CaseInsensitive) != 0)
        throw ERefused(QStringLiteral("O código de barras %1 não corresponde à filial, ao lançamento, ao item e à "
                                      "sequência da etiqueta (esperado %2).").arg(n.barcode, expected));
    if (!std::isfinite(n.weight) || n.weight <= 0)
        throw ERefused(QStringLiteral("O peso da %1 deve ser maior que zero.").arg(who));
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
        if (status == QLatin1String("I")) {
            if (barcode.isEmpty())
                throw ERefused(QStringLiteral("Uma etiqueta a inativar não informa o código de barras."));
            parsed.inactivated << barcode;
        } else if (status == QLatin1String("A")) {
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

class TApplier {
public:
    TApplier(TDatabase& database, const TParsedChange& change, const QString& client)
        : db_(database.Connection()), dialect_(database.Dialect()), change_(change), client_(client)
    {
    }

    void Run()
    {
        TTransaction t(db_, dialect_);
        const QList<TOldLabel> old = LockOldLabels();
        const TItemKey item{old.first().branch, old.first().entry, old.first().item};
        for (const TNewLabel& n : change_.created)
            if (!(TItemKey{n.branch, n.entry, n.item} == item))
                throw ERefused(QStringLiteral("As etiquetas não pertencem todas ao mesmo item da nota fiscal "
                                              "(a nova etiqueta %1 é de outro item).").arg(n.barcode));
        const auto [product, itemQuantity] = ReadItem(item);
        CheckWeights(old);
        QList<TNewLabel> created = change_.created;
        std::sort(created.begin(), created.end(),
                  [](const TNewLabel& a, const TNewLabel& b) { return a.barcode.toUpper() < b.barcode.toUpper(); });
        for (const TNewLabel& n : created) {
            if (!n.product.isEmpty() && n.product != product)
                throw ERefused(QStringLiteral("O produto %1 da nova etiqueta %2 difere do produto %3 do item.")
                                   .arg(n.product, n.barcode, product));
            CheckUnused(n);
        }
        for (const TOldLabel& o : old)
            Inactivate(o);
        for (const TNewLabel& n : created)
            Insert(n, product, itemQuantity);
        Audit(item, old);
        t.Commit();
    }

private:
    QString LockSuffix() const
    {
        return dialect_ == TDialect::PostgreSQL ? QStringLiteral(" FOR UPDATE") : QString();
    }

    // Reads (and on PostgreSQL locks, in barcode order so that two changes never wait on each
    // other) every label the change inactivates.
    QList<TOldLabel> LockOldLabels()
    {
        QStringList barcodes = change_.inactivated;
        std::sort(barcodes.begin(), barcodes.end(),
                  [](const QString& a, const QString& b) { return a.toUpper() < b.toUpper(); });
        QList<TOldLabel> old;
        for (const QString& barcode : barcodes) {
            TSqlStatement q(db_, QStringLiteral("SELECT CDCODBARRAETIQ, CDFILIAL, NRLANCTONF, NRSEQITPROD, IDSTATUSETIQ,"
                                                " CDPRODUTO, NRPEDEXOL, VRPESOETIQ FROM ETIQUETA"
                                                " WHERE UPPER(CDCODBARRAETIQ) = :cb") + LockSuffix());
            q.Bind(QStringLiteral(":cb"), barcode.toUpper()).Exec();
            if (!q.Next())
                throw ERefused(QStringLiteral("A etiqueta %1 não existe.").arg(barcode));
            TOldLabel o{q.Text(0), q.Text(1), q.Text(2), q.Text(3), q.Text(4).trimmed(), q.Text(5),
                        q.Text(6).trimmed(), q.Value(7).toDouble()};
            if (o.status == QLatin1String("I"))
                throw ERefused(QStringLiteral("A etiqueta %1 já está inativa.").arg(barcode));
            if (o.status == QLatin1String("R"))
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
        return {q.Text(0), q.Value(1).toDouble()};
    }

    void CheckWeights(const QList<TOldLabel>& old) const
    {
        double before = 0, after = 0;
        for (const TOldLabel& o : old)
            before += o.weight;
        for (const TNewLabel& n : change_.created)
            after += n.weight;
        if (std::fabs(before - after) > TLabelChange::WeightTolerance(before, after))
            throw ERefused(QStringLiteral("O peso das novas etiquetas (%1) difere do peso das etiquetas inativadas (%2).")
                               .arg(Weight(after), Weight(before)));
    }

    void CheckUnused(const TNewLabel& n)
    {
        TSqlStatement q(db_, QStringLiteral("SELECT CDCODBARRAETIQ FROM ETIQUETA WHERE UPPER(CDCODBARRAETIQ) = :cb"
                                            " OR (CDFILIAL = :fil AND NRLANCTONF = :lanc AND NRSEQITPROD = :item"
                                            " AND NRSEQETIQ = :seq)"));
        q.Bind(QStringLiteral(":cb"), n.barcode.toUpper()).Bind(QStringLiteral(":fil"), n.branch)
            .Bind(QStringLiteral(":lanc"), n.entry).Bind(QStringLiteral(":item"), n.item)
            .Bind(QStringLiteral(":seq"), n.sequence).Exec();
        if (q.Next())
            throw ERefused(QStringLiteral("O código de barras %1 já está em uso.").arg(n.barcode));
    }

    void Inactivate(const TOldLabel& o)
    {
        TSqlStatement q(db_, QStringLiteral("UPDATE ETIQUETA SET IDSTATUSETIQ = 'I'"
                                            " WHERE CDCODBARRAETIQ = :cb AND IDSTATUSETIQ = 'A'"));
        q.Bind(QStringLiteral(":cb"), o.barcode).Exec();
        if (q.RowsAffected() != 1)
            throw ERefused(QStringLiteral("A etiqueta %1 já está inativa.").arg(o.barcode));
    }

    void Insert(const TNewLabel& n, const QString& product, double itemQuantity)
    {
        // ON CONFLICT guards the unique indexes against a change committed by another server
        // thread after CheckUnused looked.
        TSqlStatement q(db_, QStringLiteral("INSERT INTO ETIQUETA (CDCODBARRAETIQ, CDFILIAL, NRLANCTONF, NRSEQITPROD,"
                                            " NRSEQETIQ, CDPRODUTO, QTETIQPROD, VRPESOETIQ, QTTOTALPRODETIQ, IDSTATUSETIQ)"
                                            " VALUES (:cb, :fil, :lanc, :item, :seq, :prod, :qt, :peso, :total, 'A')"
                                            " ON CONFLICT DO NOTHING"));
        q.Bind(QStringLiteral(":cb"), n.barcode).Bind(QStringLiteral(":fil"), n.branch)
            .Bind(QStringLiteral(":lanc"), n.entry).Bind(QStringLiteral(":item"), n.item)
            .Bind(QStringLiteral(":seq"), n.sequence).Bind(QStringLiteral(":prod"), product)
            .Bind(QStringLiteral(":qt"), n.quantity.value_or(1.0)).Bind(QStringLiteral(":peso"), n.weight)
            .Bind(QStringLiteral(":total"), n.total.value_or(itemQuantity)).Exec();
        if (q.RowsAffected() != 1)
            throw ERefused(QStringLiteral("O código de barras %1 já está em uso.").arg(n.barcode));
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

    QSqlDatabase db_;
    TDialect dialect_;
    const TParsedChange& change_;
    QString client_;
};

} // namespace

double TLabelChange::WeightTolerance(double a, double b)
{
    // The client compares weights as it displays them (up to ten decimals, fifteen significant
    // digits); this tolerance is wider than both roundings.
    return std::max(1e-6, 1e-12 * std::max(std::fabs(a), std::fabs(b)));
}

QString TLabelChange::Apply(const TChangePacket& packet, const QString& clientAddress)
{
    try {
        const TParsedChange parsed = Parse(packet);
        for (int attempt = 0;; ++attempt) {
            try {
                TApplier(database_, parsed, clientAddress).Run();
                return QString();
            } catch (const EDatabaseUnavailable& e) {
                if (!e.retryable || attempt > 0)
                    throw;
            }
        }
    } catch (const ERefused& e) {
        return QStringLiteral("Erro: ") + e.Message();
    }
}
