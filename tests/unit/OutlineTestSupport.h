#pragma once
// Outline entries for the browser tests, written as (line, icon, level, declaration).

#include "scan/OutlineRecord.h"
#include "scan/TextFields.h"

#include <initializer_list>
#include <string>

struct TE {
    int line;
    int icon;
    int level;
    const char* declaration;
};

// The scanner's result lines for the entries: header, type, declaration, comment.
inline TLines MakeEntries(std::initializer_list<TE> entries)
{
    TLines lines;
    for (const TE& e : entries) {
        lines.push_back("[LINE]" + std::to_string(e.line) + "[ICON]" + std::to_string(e.icon) +
                        "[LEVEL]" + std::to_string(e.level));
        lines.push_back("type");
        lines.push_back(e.declaration);
        lines.push_back("comment of " + std::string(e.declaration));
    }
    return lines;
}

// The index of the first entry on the line (as the list's Line column shows it); -1: none.
inline int EntryOnLine(const TOutlineStore& entries, int line)
{
    for (int i = 0; HasRecordAt(entries, i); i += 4)
        if (entries.LineNumber(i) == line)
            return i;
    return -1;
}

// A (1) at 0, A1 (2) at 4, A1a (3) at 8, A1b (3) at 12, A2 (2) at 16, B (1) at 20; A and
// A1 are containers.
inline TLines WorkedExample()
{
    return MakeEntries({{1, 3, 1, "A"},
                        {2, 3, 2, "A1"},
                        {3, 1, 3, "A1a"},
                        {4, 1, 3, "A1b"},
                        {5, 1, 2, "A2"},
                        {6, 1, 1, "B"}});
}
