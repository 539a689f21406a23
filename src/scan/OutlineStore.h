#pragma once
// The scanner's result records as the window keeps them: a million entries are four million
// lines, which as separate strings would cost a string object each and most a heap block
// besides. Here a record costs its declaration's and comment's bytes and 18 to 20 bytes
// more: its header as numbers, its type as a number in a table of the types met, and two
// offsets.
// Included files are kept once each, with the runs of records that come from them. A header
// that its numbers would not write again exactly is kept as written. Records are read by
// the index of their header, as in the result lines. Any one thread at a time; const
// readers on several threads.

#include "scan/TextFields.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

class TOutlineStore {
public:
    TOutlineStore() = default;
    // The whole records of the result lines; lines after the last whole record make none.
    // Implicit, so that result lines read as a store. Throws std::length_error when the
    // texts pass 4 GB.
    TOutlineStore(const TLines& results); // NOLINT(google-explicit-constructor)

    // The lines of the whole records, four a record.
    std::size_t size() const { return 4 * m_heads.size(); }
    bool empty() const { return m_heads.empty(); }

    // The fields of the record whose header is at index (a multiple of four below size()).
    std::string Line(int index) const;
    int LineNumber(int index) const; // LINE as a number: 0 when it holds none
    int Icon(int index) const;
    int Level(int index) const;
    std::string_view File(int index) const; // empty: the scanned source
    std::string_view Type(int index) const;
    std::string_view Declaration(int index) const;
    std::string_view Comment(int index) const;
    // Every declaration, one after the other with nothing between; record r's ends at
    // DeclarationEnds()[r].
    std::string_view Declarations() const { return m_declarations; }
    const std::vector<std::uint32_t>& DeclarationEnds() const { return m_declarationEnds; }

    // The result lines again, as the scanner wrote them.
    TLines Lines() const;
    // Tells stores apart: the same for a store moved from this one, different for any other
    // store with records that lives at the same time.
    const void* Identity() const { return m_heads.data(); }

    friend bool operator==(const TOutlineStore&, const TOutlineStore&) = default;

private:
    struct THead {
        std::uint32_t line;
        std::int16_t icon;
        std::int16_t level;
        friend bool operator==(const THead&, const THead&) = default;
    };
    struct TFileRun {
        std::uint32_t firstRecord; // the records from here to the next run's come from file
        std::uint32_t file;        // in m_files; 0: the scanned source
        friend bool operator==(const TFileRun&, const TFileRun&) = default;
    };
    static std::size_t RecordOf(int index) { return static_cast<std::size_t>(index) / 4; }
    const std::string* OddHeader(std::size_t record) const;

    std::vector<THead> m_heads;
    // Per record, its type in m_typeNames: in m_types16 while there are at most 65536
    // types, in m_types32 from then on (the other is empty).
    std::vector<std::uint16_t> m_types16;
    std::vector<std::uint32_t> m_types32;
    std::vector<std::string> m_typeNames;
    std::vector<TFileRun> m_fileRuns;
    std::vector<std::string> m_files{std::string()};
    // The declarations and the comments, each one after the other, with the offset after
    // each record's.
    std::string m_declarations;
    std::vector<std::uint32_t> m_declarationEnds;
    std::string m_comments;
    std::vector<std::uint32_t> m_commentEnds;
    std::map<std::size_t, std::string> m_oddHeaders; // by record
};

// Hands memory the process freed back to the system where the C library keeps it, as it
// does after a big file's scanner is gone; otherwise the window would hold its peak.
void ReleaseFreedMemory();
