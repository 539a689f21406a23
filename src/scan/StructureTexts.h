#pragma once
// A rule file held as trimmed, non-empty lines, answering the Section and Block
// queries. The shared instance is loaded once at start and read-only afterwards:
// every query keeps its walk state to itself, so both threads may query it
// without a lock.

#include "scan/TextFields.h"

#include <string>

class TStructureTexts {
public:
    // Reads the named file (a name of one character or less keeps the stored name);
    // any read error leaves the rule set empty and is not reported.
    void LoadFromFile(const std::string& fileName);
    void LoadFromList(const TLines& lines);
    void Prepare();

    // The lines of section NAME at depth 1, without its marker lines.
    TLines Section(std::string_view name) const;
    // The lines of every rule block at depth 2 named NAME, begin and end lines included.
    TLines Block(std::string_view name) const;

    const TLines& Lines() const { return m_lines; }
    const std::string& FileName() const { return m_fileName; }

private:
    template <typename Visit>
    void Walk(Visit visit) const;

    TLines m_lines;
    std::string m_fileName;
};
