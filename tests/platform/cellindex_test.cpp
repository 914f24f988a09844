// The record set's hash index against a plain model: random adds, removes and cell changes over
// few distinct keys (long probe runs that wrap around the table), with case folding.

#include "platform/cellindex.h"

#include <gtest/gtest.h>

#include <QString>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <vector>

namespace {

struct FakeRow {
    QString text;
    bool null = false;
};

struct TextOf {
    const QString* operator()(const FakeRow* row) const { return row->null ? nullptr : &row->text; }
};

using Index = TCellIndex<FakeRow, TextOf>;

std::set<const FakeRow*> Rows(const Index& index, const QString& text)
{
    std::set<const FakeRow*> out;
    for (const FakeRow* r : index.Find(text))
        out.insert(r);
    return out;
}

TEST(CellIndex, FindsEveryRowOfAKeyAndNothingForAnAbsentOne)
{
    FakeRow a{"0001"}, b{"0001"}, c{"0002"};
    Index index(false, TextOf{});
    EXPECT_TRUE(index.Find(u"0001").empty());
    for (FakeRow* r : {&a, &b, &c})
        index.Add(r, r->text);
    EXPECT_EQ(Rows(index, "0001"), (std::set<const FakeRow*>{&a, &b}));
    EXPECT_EQ(Rows(index, "0002"), (std::set<const FakeRow*>{&c}));
    EXPECT_TRUE(index.Find(u"0003").empty());
    EXPECT_TRUE(index.Find(u"000").empty());
    EXPECT_EQ(index.Keys(), 2u);

    // Taking out the row that stands for its key leaves the key found through the other row.
    index.Remove(&a, a.text);
    EXPECT_EQ(Rows(index, "0001"), (std::set<const FakeRow*>{&b}));
    index.Remove(&b, b.text);
    EXPECT_TRUE(index.Find(u"0001").empty());
    EXPECT_EQ(index.Keys(), 1u);
    // A row that is not under the key is left alone.
    index.Remove(&a, c.text);
    EXPECT_EQ(Rows(index, "0002"), (std::set<const FakeRow*>{&c}));

    // A moved-from index is empty and takes keys again.
    Index moved(std::move(index));
    EXPECT_EQ(Rows(moved, "0002"), (std::set<const FakeRow*>{&c}));
    EXPECT_TRUE(index.Find(u"0002").empty());
    index.Remove(&c, c.text);
    index.Add(&a, a.text);
    EXPECT_EQ(Rows(index, "0001"), (std::set<const FakeRow*>{&a}));
}

TEST(CellIndex, IgnoringCaseFoldsAccentedLettersAsWellAndExactDoesNot)
{
    FakeRow a{"Etiqueta Ávila"}, b{"ETIQUETA áVILA"};
    Index ci(true, TextOf{}), exact(false, TextOf{});
    for (FakeRow* r : {&a, &b}) {
        ci.Add(r, r->text);
        exact.Add(r, r->text);
    }
    EXPECT_EQ(Rows(ci, "etiqueta ávila"), (std::set<const FakeRow*>{&a, &b}));
    EXPECT_EQ(ci.Keys(), 1u);
    EXPECT_EQ(Rows(exact, "Etiqueta Ávila"), (std::set<const FakeRow*>{&a}));
    EXPECT_TRUE(exact.Find(u"etiqueta ávila").empty());
    EXPECT_EQ(exact.Keys(), 2u);
}

// The model: which rows hold which key. Every step of a long random sequence of adds, removes and
// changed cells must leave each key finding exactly the model's rows.
TEST(CellIndex, AgreesWithAModelThroughAddsRemovesAndChangedCells)
{
    QHashSeed::setDeterministicGlobalSeed();
    // Eleven keys keep a table of sixteen entries nearly full, so runs wrap around its end.
    for (const auto& [ci, keySpace] : {std::pair{false, 11}, std::pair{true, 11}, std::pair{false, 300}, std::pair{true, 300}}) {
        std::mt19937 random(unsigned(keySpace + ci));
        std::vector<FakeRow> rows(size_t(keySpace) * 2);
        std::vector<bool> indexed(rows.size(), false);
        Index index(ci, TextOf{});
        auto keyOf = [&](int n) {
            // Accented or not, ending anywhere within the hash's groups of four units.
            const QString key = (n % 2 ? QStringLiteral("c\u00f3digo%1") : QStringLiteral("cod%1")).arg(n);
            return ci && random() % 2 ? key.toUpper() : key;  // either case, when stored and when sought
        };
        auto model = [&](const QString& key) {
            std::set<const FakeRow*> out;
            for (size_t i = 0; i < rows.size(); ++i)
                if (indexed[i] && rows[i].text.compare(key, ci ? Qt::CaseInsensitive : Qt::CaseSensitive) == 0)
                    out.insert(&rows[i]);
            return out;
        };
        for (int step = 0; step < 20000; ++step) {
            const size_t i = random() % rows.size();
            const int n = int(random() % unsigned(keySpace));
            if (!indexed[i]) {
                rows[i].text = keyOf(n);
                index.Add(&rows[i], rows[i].text);
                indexed[i] = true;
            } else if (random() % 3 == 0) {
                index.Remove(&rows[i], rows[i].text);
                indexed[i] = false;
            } else {
                // A changed cell: out under the old text, then in under the new one.
                index.Remove(&rows[i], rows[i].text);
                rows[i].text = keyOf(n);
                index.Add(&rows[i], rows[i].text);
            }
            if (keySpace > 100 && step % 997 != 0)
                continue;
            for (int k = 0; k < keySpace; ++k) {
                const QString key = keyOf(k);
                ASSERT_EQ(Rows(index, key), model(key)) << "step " << step << " key " << k;
            }
        }
        std::set<QString> keys;
        for (size_t i = 0; i < rows.size(); ++i)
            if (indexed[i])
                keys.insert(ci ? rows[i].text.toLower() : rows[i].text);
        EXPECT_EQ(index.Keys(), keys.size());
    }
}

}  // namespace
