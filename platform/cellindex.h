// The record set's hash index: its rows by the text of one column, compared exactly or ignoring
// case, for locates and for filters of the form FIELD = 'text'.
//
// Open addressing with linear probing. Beside the entries, which keep each key's full hash, a
// compact array holds a tag of four bytes per place (part of the hash; 0 for a free place): a
// probe reads the tags, an entry only when its tag matches, and a row's text only when the whole
// hashes are equal. So a lookup of an absent key (the usual case when a list is being filled)
// touches the tags alone, an array a quarter the size of a table of hashes, and growing the
// table never reads the rows. The rows of one key share an entry: one row inline, more in a
// list. The index does not own its rows and keeps no copy of their texts; the text of a key is
// read from a row of its entry, so a row must be removed with its old text before its cell
// changes, and added after.

#pragma once

#include <QHashFunctions>  // QHashSeed
#include <QString>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <utility>
#include <vector>

// Row: the record set's row type. TextOf: const QString* (const Row*), the indexed cell's text
// of a row, or null when the cell is null.
template <typename Row, typename TextOf>
class TCellIndex {
public:
    TCellIndex(bool caseInsensitive, TextOf textOf, std::size_t expectedKeys = 0)
        : ci_(caseInsensitive), textOf_(std::move(textOf)), seed_(QHashSeed::globalSeed())
    {
        Grow(expectedKeys);
    }

    TCellIndex(TCellIndex&&) noexcept = default;
    TCellIndex& operator=(TCellIndex&&) noexcept = default;

    // The number of distinct keys.
    std::size_t Keys() const { return count_; }

    // The rows whose text equals `text` (under the index's comparison), in no particular order;
    // empty when none. Valid until the index next changes.
    std::span<Row* const> Find(QStringView text) const
    {
        const std::size_t at = Probe(text, Hash(text));
        if (at == kNone)
            return {};
        const Entry& e = table_[at];
        return e.more ? std::span<Row* const>(e.more->data(), e.more->size()) : std::span<Row* const>(&e.row, 1);
    }

    // Adds `row` under `text`, its cell's current text.
    void Add(Row* row, QStringView text)
    {
        const std::size_t h = Hash(text);
        const std::size_t at = Probe(text, h);
        if (at != kNone) {
            Entry& e = table_[at];
            if (!e.more) {
                e.more = std::make_unique<std::vector<Row*>>();
                e.more->reserve(4);
                e.more->push_back(e.row);
            }
            e.more->push_back(row);
            return;
        }
        if ((count_ + 1) * 10 > table_.size() * 7)
            Grow(count_ + 1);
        std::size_t i = h & mask_;
        while (tags_[i])
            i = (i + 1) & mask_;
        tags_[i] = Tag(h);
        table_[i].hash = h;
        table_[i].row = row;
        ++count_;
    }

    // Removes `row` from under `text`, the text it was added with; nothing when it is not there.
    void Remove(Row* row, QStringView text)
    {
        const std::size_t at = Probe(text, Hash(text));
        if (at == kNone)
            return;
        Entry& e = table_[at];
        if (e.more) {
            std::vector<Row*>& rows = *e.more;
            for (std::size_t i = 0; i < rows.size(); ++i)
                if (rows[i] == row) {
                    rows[i] = rows.back();
                    rows.pop_back();
                    break;
                }
            e.row = rows.front();
            if (rows.size() == 1)
                e.more.reset();
            return;
        }
        if (e.row == row)
            EraseAt(at);
    }

private:
    struct Entry {
        std::size_t hash = 0;
        Row* row = nullptr;                  // null: a free entry; else a row of the key
        std::unique_ptr<std::vector<Row*>> more;  // every row of the key, when more than one
    };
    static constexpr std::size_t kNone = std::size_t(-1);

    // The place's tag for a hash: its high half, never 0, which marks a free place.
    static std::uint32_t Tag(std::size_t h) { return std::uint32_t(std::uint64_t(h) >> 32) | 1u; }

    // Four code units (a lane of sixteen bits each) folded as the case-insensitive comparison
    // folds them.
    static std::uint64_t Folded(std::uint64_t word)
    {
        if (!(word & 0xFF80FF80FF80FF80ull)) {
            // Every unit is ASCII: the capitals among them get 0x20, a lane at a time.
            const std::uint64_t capital =
                ((word + 0x003F003F003F003Full) ^ (word + 0x0025002500250025ull)) & 0x0080008000800080ull;
            return word | (capital >> 2);
        }
        std::uint64_t out = 0;
        for (int lane = 0; lane < 4; ++lane) {
            char16_t c = char16_t(word >> (16 * lane));
            c = c < 128 ? (c >= 'A' && c <= 'Z' ? char16_t(c + 32) : c) : QChar(c).toCaseFolded().unicode();
            out |= std::uint64_t(c) << (16 * lane);
        }
        return out;
    }

    // A multiply-and-xor hash over the code units four at a time (folded as the case-insensitive
    // comparison folds, so equal keys hash alike), started from the process's hash seed and the
    // length, and mixed at the end so that the low bits, which pick the place, depend on every
    // unit. Computed inline: the keys are short.
    std::size_t Hash(QStringView text) const
    {
        const char16_t* units = reinterpret_cast<const char16_t*>(text.data());
        const std::size_t n = std::size_t(text.size());
        std::uint64_t h = (14695981039346656037ull ^ std::uint64_t(seed_)) + n;
        auto mix = [&](std::uint64_t word) {
            if (ci_)
                word = Folded(word);
            h = (h ^ word) * 0x9E3779B97F4A7C15ull;
            h ^= h >> 29;
        };
        std::size_t i = 0;
        for (; i + 4 <= n; i += 4) {
            std::uint64_t word;
            std::memcpy(&word, units + i, 8);
            mix(word);
        }
        if (i < n) {
            std::uint64_t word = 0;
            for (std::size_t j = 0; i + j < n; ++j)
                word |= std::uint64_t(units[i + j]) << (16 * j);
            mix(word);
        }
        h ^= h >> 33;
        h *= 0xff51afd7ed558ccdull;
        h ^= h >> 33;
        return std::size_t(h);
    }

    bool Same(QStringView text, const Row* row) const
    {
        const QString* have = textOf_(row);
        if (!have)
            return false;
        return ci_ ? QStringView(*have).compare(text, Qt::CaseInsensitive) == 0 : QStringView(*have) == text;
    }

    std::size_t Probe(QStringView text, std::size_t h) const
    {
        const std::uint32_t tag = Tag(h);
        for (std::size_t i = h & mask_;; i = (i + 1) & mask_) {
            const std::uint32_t t = tags_[i];
            if (!t)
                return kNone;
            if (t == tag && table_[i].hash == h && Same(text, table_[i].row))
                return i;
        }
    }

    // Makes room for `keys` keys at most seven tenths full, moving the entries by their hashes.
    void Grow(std::size_t keys)
    {
        std::size_t size = 16;
        while (size * 7 < keys * 10)
            size *= 2;
        if (size <= table_.size())
            return;
        std::vector<Entry> old(size);
        old.swap(table_);
        tags_.assign(size, 0);
        mask_ = size - 1;
        for (Entry& e : old) {
            if (!e.row)
                continue;
            std::size_t i = e.hash & mask_;
            while (tags_[i])
                i = (i + 1) & mask_;
            tags_[i] = Tag(e.hash);
            table_[i] = std::move(e);
        }
    }

    // Frees entry i and moves back the entries after it whose probe would otherwise stop there.
    void EraseAt(std::size_t i)
    {
        for (std::size_t j = (i + 1) & mask_; tags_[j]; j = (j + 1) & mask_) {
            const std::size_t home = table_[j].hash & mask_;
            const bool between = i <= j ? (i < home && home <= j) : (i < home || home <= j);
            if (between)
                continue;
            table_[i] = std::move(table_[j]);
            tags_[i] = tags_[j];
            i = j;
        }
        table_[i] = Entry{};
        tags_[i] = 0;
        --count_;
    }

    bool ci_;
    TextOf textOf_;
    std::size_t seed_;
    std::vector<Entry> table_;
    std::vector<std::uint32_t> tags_;  // per place, beside table_
    std::size_t mask_ = 0;
    std::size_t count_ = 0;
};
