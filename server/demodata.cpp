#include "demodata.h"

#include "dbvalues.h"
#include "sqlstatement.h"
#include "transaction.h"

#include "labels/barcode.h"
#include "labels/labelcodes.h"

#include <QDate>

#include <cmath>
#include <cstdint>

namespace {

// The demo labels' status letters, from the label rules.
constexpr char kAtiva = kStatusAtiva[0];
constexpr char kReservada = kStatusReservada[0];
constexpr char kInativa = kStatusInativa[0];

// splitmix64: a tiny generator whose sequence is the same on every platform and library.
class TRandom {
public:
    explicit TRandom(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int Below(int n) { return int(Next() % std::uint64_t(n)); }
    int Between(int lo, int hi) { return lo + Below(hi - lo + 1); }
    QString Digits(int count)
    {
        QString s;
        for (int i = 0; i < count; ++i)
            s += QChar(u'0' + Below(10));
        return s;
    }
    // A weight in kilograms with three decimals, as a scale prints it.
    double Kilos(double lo, double hi) { return std::round((lo + (hi - lo) * double(Below(100000)) / 100000.0) * 1000.0) / 1000.0; }

private:
    std::uint64_t state_;
};

int DigitSum(const QString& digits, const QList<int>& weights)
{
    int sum = 0;
    for (int i = 0; i < weights.size(); ++i)
        sum += digits[i].digitValue() * weights[i];
    return sum;
}

QString Cnpj(const QString& twelve)
{
    QString s = twelve;
    int r = DigitSum(s, {5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2}) % 11;
    s += QString::number(r < 2 ? 0 : 11 - r);
    r = DigitSum(s, {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2}) % 11;
    return s + QString::number(r < 2 ? 0 : 11 - r);
}

QString Cpf(const QString& nine)
{
    QString s = nine;
    int r = DigitSum(s, {10, 9, 8, 7, 6, 5, 4, 3, 2}) * 10 % 11;
    s += QString::number(r == 10 ? 0 : r);
    r = DigitSum(s, {11, 10, 9, 8, 7, 6, 5, 4, 3, 2}) * 10 % 11;
    return s + QString::number(r == 10 ? 0 : r);
}

// The 44-digit access key of an electronic invoice (state, year and month, issuer, model 55,
// series, number, emission type, random code, check digit).
QString AccessKey(TRandom& rnd, const QDate& day, const QString& issuer, const QString& number)
{
    QString key = QStringLiteral("35") + day.toString(QStringLiteral("yyMM")) +
                  issuer.rightJustified(14, QLatin1Char('0')) + QStringLiteral("55001") +
                  number.rightJustified(9, QLatin1Char('0')) + QStringLiteral("1") + rnd.Digits(8);
    int sum = 0, weight = 2;
    for (int i = key.size() - 1; i >= 0; --i) {
        sum += key[i].digitValue() * weight;
        weight = weight == 9 ? 2 : weight + 1;
    }
    const int r = sum % 11;
    return key + QString::number(r < 2 ? 0 : 11 - r);
}

struct TSupplier {
    const char* name;
    bool company;
};

const TSupplier Suppliers[] = {
    {"Laticínios Serra Azul Ltda", true},     {"Frigorífico Boi Forte S.A.", true},
    {"Avícola Campos Gerais Ltda", true},     {"Pescados Costa Sul Comércio Ltda", true},
    {"Embutidos Colônia Alemã Ltda", true},   {"Cooperativa Agroindustrial Vale Verde", true},
    {"Suinocultura Três Irmãos Ltda", true},  {"Queijaria Artesanal Minas Velha Ltda", true},
    {"José Carlos de Almeida", false},        {"Maria Aparecida Ferreira", false},
    {"Antônio Ribeiro dos Santos", false},    {"Sebastiana Moura Lima", false},
};

struct TProduct {
    const char* code;
    const char* tree;
    const char* name;
};

const TProduct Products[] = {
    {"0000010231", "01.01.0001", "Queijo mussarela peça"},      {"0000010232", "01.01.0002", "Queijo prato peça"},
    {"0000010240", "01.02.0001", "Presunto cozido sem capa"},   {"0000010251", "01.03.0004", "Mortadela defumada"},
    {"0000020113", "02.01.0003", "Alcatra bovina resfriada"},   {"0000020118", "02.01.0008", "Picanha bovina resfriada"},
    {"0000020201", "02.02.0001", "Costela suína congelada"},    {"0000020207", "02.02.0007", "Lombo suíno resfriado"},
    {"0000030011", "03.01.0001", "Filé de peito de frango"},    {"0000030015", "03.01.0005", "Coxa e sobrecoxa de frango"},
    {"0000040002", "04.01.0002", "Salmão fresco inteiro"},      {"0000040009", "04.01.0009", "Tilápia filé congelado"},
    {"0000050101", "05.01.0001", "Linguiça toscana"},           {"0000050104", "05.01.0004", "Linguiça calabresa defumada"},
};

const char* const Footers[] = {
    "Recebido na doca 2 - conferência cega",   "Frete CIF - descarga por conta do forn.",
    "Mercadoria refrigerada - manter 0 a 4C", "Conferido por Ana Paula - turno manhã",
    "Entrega agendada - senha 4471",           "Palete PBR - devolver ao motorista",
    "Produto congelado - manter -18C",         "Recebimento parcial - saldo na próx. NF",
};

class TWriter {
public:
    explicit TWriter(TSqlConnection& db)
        : invoice_(db, QStringLiteral("INSERT INTO NOTAFISCAL (CDFILIAL, NRLANCTONF, CDFILIRECE, CDFORNECED, NRNOTAFISC,"
                                      " CDSERIEENTR, DTEMISSAO, VRNOTAFISC, IDSTATUSNFE, NRACESSONFE, DSRODAP)"
                                      " VALUES (:fil, :lanc, :rece, :forn, :num, :serie, :dt, :vr, :st, :chave, :rodape)")),
          item_(db, QStringLiteral("INSERT INTO ITEMNOTAFISCAL (CDFILIAL, NRLANCTONF, NRSEQITPROD, CDPRODUTO, LOTESUBLOTE,"
                                   " QTITEMPROD, DTVALILOTE, NRPEDEXOL)"
                                   " VALUES (:fil, :lanc, :item, :prod, :lote, :qt, :val, :ped)")),
          label_(db, QStringLiteral("INSERT INTO ETIQUETA (CDCODBARRAETIQ, CDFILIAL, NRLANCTONF, NRSEQITPROD, NRSEQETIQ,"
                                    " CDPRODUTO, QTETIQPROD, VRPESOETIQ, QTTOTALPRODETIQ, IDSTATUSETIQ, NRPEDEXOL)"
                                    " VALUES (:cb, :fil, :lanc, :item, :seq, :prod, 1, :peso, :total, :st, :ped)")),
          value_(db, QStringLiteral("UPDATE NOTAFISCAL SET VRNOTAFISC = :vr WHERE CDFILIAL = :fil AND NRLANCTONF = :lanc"))
    {
    }

    // The invoice value is known once its items are written (they must follow the invoice row).
    void SetValue(const QString& branch, const QString& entry, double value)
    {
        value_.Bind(QStringLiteral(":vr"), std::round(value * 100.0) / 100.0).Bind(QStringLiteral(":fil"), branch)
            .Bind(QStringLiteral(":lanc"), entry).Exec();
    }

    struct TLabel {
        double weight;
        char status;
        QString order;
    };

    void Invoice(const QString& branch, const QString& entry, const QString& supplier, const QString& number,
                 const QDate& day, double value, const QString& key, const QString& footer)
    {
        invoice_.Bind(QStringLiteral(":fil"), branch).Bind(QStringLiteral(":lanc"), entry)
            .Bind(QStringLiteral(":rece"), branch).Bind(QStringLiteral(":forn"), supplier)
            .Bind(QStringLiteral(":num"), number).Bind(QStringLiteral(":serie"), QStringLiteral("1"))
            .Bind(QStringLiteral(":dt"), SqlDateTime(WallClock(day)))
            .Bind(QStringLiteral(":vr"), value).Bind(QStringLiteral(":st"), QStringLiteral("A"))
            .Bind(QStringLiteral(":chave"), key).Bind(QStringLiteral(":rodape"), footer)
            .Exec();
    }

    // Writes one item and its labels; the item quantity is the weight its labels stand for now
    // (inactive labels were replaced by others and do not count).
    double Item(const QString& branch, const QString& entry, int seq, const TProduct& product, const QString& lot,
                const QDate& validity, const QString& order, const QList<TLabel>& labels)
    {
        double quantity = 0;
        for (const TLabel& l : labels)
            if (l.status != kInativa)
                quantity += l.weight;
        if (labels.isEmpty())
            quantity = 10.0 + seq;
        quantity = std::round(quantity * 1000.0) / 1000.0;
        const QString item = QString::number(seq).rightJustified(4, QLatin1Char('0'));
        item_.Bind(QStringLiteral(":fil"), branch).Bind(QStringLiteral(":lanc"), entry)
            .Bind(QStringLiteral(":item"), item).Bind(QStringLiteral(":prod"), QString::fromUtf8(product.code))
            .Bind(QStringLiteral(":lote"), lot).Bind(QStringLiteral(":qt"), quantity)
            .Bind(QStringLiteral(":val"), SqlDateTime(WallClock(validity)))
            .Bind(QStringLiteral(":ped"), order.isEmpty() ? QVariant() : QVariant(order))
            .Exec();
        for (int i = 0; i < labels.size(); ++i) {
            const QString s = FormatSequence(i + 1);
            label_.Bind(QStringLiteral(":cb"), BarcodePrefix(branch, entry, item) + s).Bind(QStringLiteral(":fil"), branch)
                .Bind(QStringLiteral(":lanc"), entry).Bind(QStringLiteral(":item"), item)
                .Bind(QStringLiteral(":seq"), s).Bind(QStringLiteral(":prod"), QString::fromUtf8(product.code))
                .Bind(QStringLiteral(":peso"), labels[i].weight).Bind(QStringLiteral(":total"), quantity)
                .Bind(QStringLiteral(":st"), QString(QLatin1Char(labels[i].status)))
                .Bind(QStringLiteral(":ped"), labels[i].order.isEmpty() ? QVariant() : QVariant(labels[i].order))
                .Exec();
        }
        return quantity;
    }

private:
    TSqlStatement invoice_, item_, label_, value_;
};

QString SupplierCode(int i)
{
    return QString::number(1001 + i);
}

void WriteMasterData(TSqlConnection& db, TRandom& rnd)
{
    const QList<QStringList> branches = {
        {QStringLiteral("0001"), QStringLiteral("Matriz"), QStringLiteral("São Paulo")},
        {QStringLiteral("0002"), QStringLiteral("Filial Campinas"), QStringLiteral("Campinas")},
        {QStringLiteral("0003"), QStringLiteral("Filial Ribeirão Preto"), QStringLiteral("Ribeirão Preto")},
        {QStringLiteral("0004"), QStringLiteral("Centro de Distribuição Jundiaí"), QStringLiteral("Jundiaí")},
    };
    TSqlStatement branch(db, QStringLiteral("INSERT INTO FILIAL (CDFILIAL, NMFILIAL, NRINSJURFILI, NMCIDADE, SGESTADO)"
                                            " VALUES (:cd, :nm, :cnpj, :cid, 'SP')"));
    for (const QStringList& b : branches)
        branch.Bind(QStringLiteral(":cd"), b[0]).Bind(QStringLiteral(":nm"), b[1].left(30))
            .Bind(QStringLiteral(":cnpj"), Cnpj(QStringLiteral("4512378") + QStringLiteral("0") + b[0]))
            .Bind(QStringLiteral(":cid"), b[2]).Exec();

    TSqlStatement supplier(db, QStringLiteral("INSERT INTO FORNECEDOR (CDFORNECED, IDTPIJURFORN, NRINSJURFORN, NMRAZSOCFORN,"
                                              " CDINSCESTA) VALUES (:cd, :tp, :nr, :nm, :ie)"));
    for (int i = 0; i < int(std::size(Suppliers)); ++i) {
        const TSupplier& s = Suppliers[i];
        supplier.Bind(QStringLiteral(":cd"), SupplierCode(i))
            .Bind(QStringLiteral(":tp"), s.company ? QStringLiteral("J") : QStringLiteral("F"))
            .Bind(QStringLiteral(":nr"), s.company ? Cnpj(rnd.Digits(8) + QStringLiteral("0001")) : Cpf(rnd.Digits(9)))
            .Bind(QStringLiteral(":nm"), QString::fromUtf8(s.name))
            .Bind(QStringLiteral(":ie"), s.company ? rnd.Digits(12) : QStringLiteral("ISENTO"))
            .Exec();
    }

    TSqlStatement product(db, QStringLiteral("INSERT INTO PRODUTO (CDPRODUTO, CDARVPROD, NMPRODUTO, SGUNIDADE)"
                                             " VALUES (:cd, :arv, :nm, 'KG')"));
    for (const TProduct& p : Products)
        product.Bind(QStringLiteral(":cd"), QString::fromUtf8(p.code)).Bind(QStringLiteral(":arv"), QString::fromUtf8(p.tree))
            .Bind(QStringLiteral(":nm"), QString::fromUtf8(p.name)).Exec();
}

QString SupplierRegistration(TSqlConnection& db, const QString& code)
{
    TSqlStatement q(db, QStringLiteral("SELECT NRINSJURFORN FROM FORNECEDOR WHERE CDFORNECED = :cd"));
    q.Bind(QStringLiteral(":cd"), code).Exec();
    return q.Next() ? q.Text(0) : QString();
}

QString Lot(TRandom& rnd, const QDate& day)
{
    return QStringLiteral("L%1-%2/%3").arg(day.toString(QStringLiteral("yyMM")), rnd.Digits(3)).arg(QChar(u'A' + rnd.Below(4)));
}

QString Order(TRandom& rnd)
{
    return QStringLiteral("PV-%1").arg(rnd.Digits(6));
}

// The invoice every demonstration database has, with the label situations the screens show.
void WriteFixedInvoice(TSqlConnection& db, TWriter& w, TRandom& rnd, const QDate& today)
{
    const QString branch = QStringLiteral("0001"), entry = QStringLiteral("0000000001");
    const QDate day = today.addDays(-2);
    using L = TWriter::TLabel;
    const QString supplier = SupplierCode(0), number = QStringLiteral("458213");
    w.Invoice(branch, entry, supplier, number, day, 0, AccessKey(rnd, day, SupplierRegistration(db, supplier), number),
              QString::fromUtf8(Footers[0]));
    double total = 0;
    total += w.Item(branch, entry, 1, Products[0], QStringLiteral("L2611-014/A"), day.addDays(45), QString(),
                    {L{12.345, kAtiva, {}}, L{11.87, kAtiva, {}}, L{13.002, kAtiva, {}}, L{12.5, kAtiva, {}}, L{10.25, kAtiva, {}},
                     L{11.125, kAtiva, {}}}) * 32.90;
    total += w.Item(branch, entry, 2, Products[4], QStringLiteral("L2611-020/B"), day.addDays(20), Order(rnd),
                    {L{18.4, kReservada, QStringLiteral("PV-000812")}, L{9.75, kInativa, {}}, L{8.6, kInativa, {}}}) * 39.50;
    total += w.Item(branch, entry, 3, Products[8], QStringLiteral("L2611-031/A"), day.addDays(12), QString(), {}) * 18.90;
    total += w.Item(branch, entry, 4, Products[12], QStringLiteral("L2611-007/C"), day.addDays(30), QString(),
                    {L{5.2, kAtiva, {}}, L{4.85, kAtiva, {}}, L{5.05, kAtiva, QStringLiteral("PV-000907")}, L{4.9, kReservada, {}}}) * 24.90;
    w.SetValue(branch, entry, total);
}

QList<TWriter::TLabel> RandomLabels(TRandom& rnd)
{
    QList<TWriter::TLabel> labels;
    const int count = rnd.Below(10) == 0 ? 0 : rnd.Between(1, 10);
    for (int i = 0; i < count; ++i) {
        const int kind = rnd.Below(20);
        if (kind == 0 && i + 2 <= count) {
            // Two labels grouped earlier: both inactive, replaced by one active label of their sum.
            const double a = rnd.Kilos(4, 12), b = rnd.Kilos(4, 12);
            labels << TWriter::TLabel{a, kInativa, {}} << TWriter::TLabel{b, kInativa, {}}
                   << TWriter::TLabel{std::round((a + b) * 1000.0) / 1000.0, kAtiva, {}};
            i += 2;
        } else if (kind <= 2) {
            labels << TWriter::TLabel{rnd.Kilos(5, 25), kReservada, rnd.Below(2) ? Order(rnd) : QString()};
        } else if (kind == 3) {
            labels << TWriter::TLabel{rnd.Kilos(5, 25), kAtiva, Order(rnd)};
        } else {
            labels << TWriter::TLabel{rnd.Kilos(5, 25), kAtiva, {}};
        }
    }
    return labels;
}

} // namespace

bool TDemoData::Fill(TDatabase& database, int scale)
{
    TSqlConnection& db = database.Connection();
    TTransaction t(db);
    {
        TSqlStatement count(db, QStringLiteral("SELECT COUNT(*) FROM NOTAFISCAL"));
        count.Exec();
        if (count.Next() && count.Value(0).toLongLong() > 0)
            return false;
    }
    TRandom rnd(99000);
    TSqlStatement branches(db, QStringLiteral("SELECT COUNT(*) FROM FILIAL"));
    branches.Exec();
    if (!branches.Next() || branches.Value(0).toInt() == 0)
        WriteMasterData(db, rnd);

    const QDate today = QDate::currentDate();
    TWriter w(db);
    WriteFixedInvoice(db, w, rnd, today);

    const QStringList branchCodes = {QStringLiteral("0001"), QStringLiteral("0002"), QStringLiteral("0003"),
                                     QStringLiteral("0004")};
    int nextEntry[4] = {2, 1, 1, 1};
    const int invoices = 40 * std::max(1, scale);
    for (int n = 0; n < invoices; ++n) {
        const int b = rnd.Below(4);
        const QString branch = branchCodes[b];
        const QString entry = QString::number(nextEntry[b]++).rightJustified(10, QLatin1Char('0'));
        const int s = rnd.Below(int(std::size(Suppliers)));
        const QString supplier = SupplierCode(s);
        const QDate day = today.addDays(-rnd.Between(0, 120));
        const QString number = QString::number(rnd.Between(1000, 999999999));
        w.Invoice(branch, entry, supplier, number, day, 0, AccessKey(rnd, day, SupplierRegistration(db, supplier), number),
                  QString::fromUtf8(Footers[rnd.Below(int(std::size(Footers)))]));
        double total = 0;
        const int items = rnd.Between(1, 6);
        for (int i = 1; i <= items; ++i) {
            const TProduct& p = Products[rnd.Below(int(std::size(Products)))];
            const double price = 9.9 + rnd.Below(6000) / 100.0;
            total += price * w.Item(branch, entry, i, p, Lot(rnd, day), day.addDays(rnd.Between(7, 90)),
                                    rnd.Below(5) == 0 ? Order(rnd) : QString(), RandomLabels(rnd));
        }
        w.SetValue(branch, entry, total);
    }
    t.Commit();
    return true;
}

void TDemoData::AddInvoice(TDatabase& database, const QString& branch, const QString& entryNumber, int items,
                           int labelsPerItem)
{
    TSqlConnection& db = database.Connection();
    TTransaction t(db);
    TRandom rnd(qHash(branch + entryNumber));
    TWriter w(db);
    const QDate day = QDate::currentDate();
    const QString supplier = SupplierCode(0), number = entryNumber.right(9);
    w.Invoice(branch, entryNumber, supplier, number, day, 0,
              AccessKey(rnd, day, SupplierRegistration(db, supplier), number), QStringLiteral("Nota de carga"));
    double total = 0;
    for (int i = 1; i <= items; ++i) {
        QList<TWriter::TLabel> labels;
        for (int l = 0; l < labelsPerItem; ++l)
            labels << TWriter::TLabel{rnd.Kilos(5, 25), kAtiva, {}};
        total += 20.0 * w.Item(branch, entryNumber, i, Products[i % int(std::size(Products))], Lot(rnd, day),
                               day.addDays(30), QString(), labels);
    }
    w.SetValue(branch, entryNumber, total);
    t.Commit();
}
