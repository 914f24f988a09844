// The record set's hash index: its rows by the text of one column, compared exactly or ignoring
// case, for locates and for filters of the form FIELD = 'text'.
//
// Open addressing with linear probing over one array of places of sixteen bytes: a tag of four
// bytes (the hash's low 31 bits with the top bit set; 0 for a free place) and, beside it, the
// place's rows (one row, or a list of the key's rows when more than one). Beside the places, one
// byte per place repeats seven bits of its tag (0 for a free place): a probe reads these bytes,
// a place only when its byte matches, and a row only when the place's tag matches too. A lookup
// of an absent key, the usual case when a list is being filled, thus reads the bytes alone (256
// KB for 160,000 keys, where the places take 4 MB) and only asks for the line of the free place
// it ended on, which the append that follows writes while the row is being filled. The tag's
// low bits are the place's home, so growing the table and erasing a key never read the rows.
// The index does not own its rows and keeps no copy of their texts; the text of a key is read
// from a row of its place, so a row must be removed with its old text before its cell changes,
// and added after.

#pragma once

#include <QHashFunctions>  // QHashSeed
#include <QString>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <stdexcept>
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

    // A moved-from index is empty; one assigned to hands its own places to the other, which
    // frees them.
    TCellIndex(TCellIndex&& other) noexcept : ci_(other.ci_), textOf_(other.textOf_), seed_(other.seed_) { Swap(other); }
    TCellIndex& operator=(TCellIndex&& other) noexcept
    {
        Swap(other);
        return *this;
    }
    TCellIndex(const TCellIndex&) = delete;
    TCellIndex& operator=(const TCellIndex&) = delete;
    ~TCellIndex() { FreeLists(); }

    // The number of distinct keys.
    std::size_t Keys() const { return count_; }

    // The rows whose text equals `text` (under the index's comparison), in no particular order;
    // empty when none. Valid until the index next changes.
    std::span<Row* const> Find(QStringView text) const
    {
        const std::size_t at = Probe(text, Hash(text));
        if (at == kNone)
            return {};
        if (const List* list = ListAt(at))
            return std::span<Row* const>(list->data(), list->size());
        return std::span<Row* const>(&places_[at].row, 1);
    }

    // Adds `row` under `text`, its cell's current text.
    void Add(Row* row, QStringView text)
    {
        const std::size_t h = Hash(text);
        const std::size_t at = Probe(text, h);
        if (at != kNone) {
            List* list = ListAt(at);
            if (!list) {
                list = new List;
                list->reserve(4);
                list->push_back(places_[at].row);
                places_[at].row = reinterpret_cast<Row*>(reinterpret_cast<std::uintptr_t>(list) | kListBit);
            }
            list->push_back(row);
            return;
        }
        if ((count_ + 1) * 10 > places_.size() * 7)
            Grow(count_ + 1);
        PutFree({Tag(h), row});
        ++count_;
    }

    // Removes `row` from under `text`, the text it was added with; nothing when it is not there.
    void Remove(Row* row, QStringView text)
    {
        const std::size_t at = Probe(text, Hash(text));
        if (at == kNone)
            return;
        if (List* list = ListAt(at)) {
            for (std::size_t i = 0; i < list->size(); ++i)
                if ((*list)[i] == row) {
                    (*list)[i] = list->back();
                    list->pop_back();
                    break;
                }
            if (list->size() == 1) {
                places_[at].row = list->front();
                delete list;
            }
            return;
        }
        if (places_[at].row == row)
            EraseAt(at);
    }

private:
    using List = std::vector<Row*>;
    // A place: its tag and, beside it on the same cache line, its rows.
    struct Place {
        std::uint32_t tag = 0;
        Row* row = nullptr;
    };
    static constexpr std::size_t kNone = std::size_t(-1);
    // A place of several rows holds its list's address with the low bit set (rows and lists are
    // aligned, so a row's address never has it).
    static constexpr std::uintptr_t kListBit = 1;
    // The tag keeps the hash's low 31 bits, which give the place in tables of up to 2^31 places.
    static constexpr std::size_t kMaxPlaces = std::size_t(1) << 31;

    // The place's tag for a hash: its low 31 bits with the top bit set, so never 0, which marks a
    // free place. The bits above the table's mask tell apart the keys probed past.
    static std::uint32_t Tag(std::size_t h) { return std::uint32_t(h) | 0x80000000u; }
    // The place's byte for its tag: the tag's top byte, bits 24 to 30 of the hash with the top bit
    // set, never 0. Below 2^24 places these bits are not the home's, so they tell apart most of
    // the keys a probe passes.
    static std::uint8_t Mark(std::uint32_t tag) { return std::uint8_t(tag >> 24); }

    List* ListAt(std::size_t at) const
    {
        const std::uintptr_t bits = reinterpret_cast<std::uintptr_t>(places_[at].row);
        return bits & kListBit ? reinterpret_cast<List*>(bits & ~kListBit) : nullptr;
    }

    // A row of the key at place `at`.
    const Row* AnyRowAt(std::size_t at) const
    {
        const List* list = ListAt(at);
        return list ? list->front() : places_[at].row;
    }

    void Swap(TCellIndex& other) noexcept
    {
        std::swap(ci_, other.ci_);
        std::swap(textOf_, other.textOf_);
        std::swap(seed_, other.seed_);
        places_.swap(other.places_);
        marks_.swap(other.marks_);
        std::swap(mask_, other.mask_);
        std::swap(count_, other.count_);
    }

    void FreeLists()
    {
        for (std::size_t i = 0; i < places_.size(); ++i)
            if (places_[i].tag)
                delete ListAt(i);
    }

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
        if (marks_.empty())
            return kNone;  // moved from: no places
        const std::uint32_t tag = Tag(h);
        const std::uint8_t mark = Mark(tag);
        for (std::size_t i = h & mask_;; i = (i + 1) & mask_) {
            const std::uint8_t m = marks_[i];
            if (!m) {
                // The free place where the key would go: an append after a locate that found
                // nothing writes it, so its line is fetched now, while the row is being filled.
                __builtin_prefetch(&places_[i], 1);
                return kNone;
            }
            if (m == mark && places_[i].tag == tag && Same(text, AnyRowAt(i)))
                return i;
        }
    }

    // Makes room for `keys` keys at most seven tenths full, moving the places by their tags.
    void Grow(std::size_t keys)
    {
        std::size_t size = 16;
        while (size * 7 < keys * 10)
            size *= 2;
        if (size <= places_.size())
            return;
        if (size > kMaxPlaces)
            throw std::length_error("TCellIndex: too many keys");
        std::vector<Place> old(size);
        old.swap(places_);
        marks_.assign(size, 0);
        mask_ = size - 1;
        for (const Place& p : old)
            if (p.tag)
                PutFree(p);
    }

    // Puts `p` in the first free place from its home on, with its byte.
    void PutFree(const Place& p)
    {
        std::size_t i = p.tag & mask_;
        while (marks_[i])
            i = (i + 1) & mask_;
        places_[i] = p;
        marks_[i] = Mark(p.tag);
    }

    // Frees place i and moves back the places after it whose probe would otherwise stop there.
    void EraseAt(std::size_t i)
    {
        for (std::size_t j = (i + 1) & mask_; marks_[j]; j = (j + 1) & mask_) {
            const std::size_t home = places_[j].tag & mask_;
            const bool between = i <= j ? (i < home && home <= j) : (i < home || home <= j);
            if (between)
                continue;
            places_[i] = places_[j];
            marks_[i] = marks_[j];
            i = j;
        }
        places_[i] = {};
        marks_[i] = 0;
        --count_;
    }

    bool ci_;
    TextOf textOf_;
    std::size_t seed_;
    std::vector<Place> places_;
    std::vector<std::uint8_t> marks_;  // per place, Mark of its tag, or 0 when it is free
    std::size_t mask_ = 0;
    std::size_t count_ = 0;
};
