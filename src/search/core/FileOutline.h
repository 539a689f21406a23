#pragma once
// What a search reads of one scanned file: its entries (source line, type, declaration,
// comment, in output order) and its title, held in one compact byte string, the form in
// which the outline cache stores it. Made once, read-only afterwards; any thread may read
// it, one thread at a time may own it.

#include "scan/TextFields.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class TFileOutline {
public:
    struct TEntry {
        std::string_view line; // LINE of the record's header: the source line, from 1
        int level = 0;         // LEVEL of the record's header
        std::string_view type;
        std::string_view declaration;
        std::string_view comment;
    };

    // No entries and no title.
    TFileOutline();
    // From a scanner's result records (four lines each: header, type, declaration,
    // comment) and the file's title.
    static TFileOutline FromResults(const TLines& results, const TLines& title);
    // From a stored value; none when the value is damaged.
    static std::optional<TFileOutline> FromValue(std::string value);

    const std::string& Value() const { return m_value; }
    // The value, taken from an outline that is no longer needed.
    std::string TakeValue() && { return std::move(m_value); }
    std::size_t EntryCount() const { return m_entryCount; }

    // Calls visit with each title line in order, and its position from 0, until it
    // returns false.
    void VisitTitle(const std::function<bool(std::size_t, std::string_view)>& visit) const;
    // Calls visit with each entry in order until it returns false.
    void VisitEntries(const std::function<bool(const TEntry&)>& visit) const;

    bool operator==(const TFileOutline& other) const { return m_value == other.m_value; }

private:
    explicit TFileOutline(std::string value) : m_value(std::move(value)) {}
    // Reads the parts of m_value; false when it is damaged.
    bool Index();

    // A format byte, then the distinct types, the title lines and the entries, each part
    // a count followed by its items; texts are a length and their bytes, counts and
    // lengths unsigned LEB128 numbers; an entry is its line, its level, the index of its
    // type, its declaration and its comment.
    std::string m_value;
    // Offset and length of each distinct type in m_value (offsets, not views: a short
    // string's bytes move with the object).
    std::vector<std::pair<std::uint32_t, std::uint32_t>> m_types;
    std::size_t m_titleAt = 0;
    std::size_t m_entriesAt = 0;
    std::size_t m_entryCount = 0;
};
