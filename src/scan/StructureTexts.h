#pragma once
// A rule file held as trimmed, non-empty lines, answering the Section and Block
// queries. Each line remembers its number in the file, for messages about rules. The shared instance is loaded once at start and read-only afterwards:
// every query keeps its walk state to itself, so both threads may query it
// without a lock.

#include "scan/TextFields.h"

#include <optional>
#include <string>
#include <vector>

class TStructureTexts {
public:
    // Reads the named file (a name of one character or less keeps the stored name); any
    // read error leaves the rule set empty, and LoadProblem then says why. Only a regular
    // file of at most kMaxFileBytes is read.
    void LoadFromFile(const std::string& fileName);
    const std::string& LoadProblem() const { return m_loadProblem; }
    static constexpr std::size_t kMaxFileBytes = std::size_t{16} << 20;
    // The text of a rule file, as LoadFromFile reads it.
    void LoadFromText(std::string_view text);
    // The lines of a list; lineNumbers gives their numbers in the file they come from
    // (1, 2, ... when empty).
    void LoadFromList(const TLines& lines, const std::vector<int>& lineNumbers = {});
    void Prepare();

    // The lines of section NAME at depth 1, without its marker lines; their numbers in
    // the file go to lineNumbers when given.
    TLines Section(std::string_view name, std::vector<int>* lineNumbers = nullptr) const;
    // The lines of every rule block at depth 2 named NAME, begin and end lines included.
    TLines Block(std::string_view name, std::vector<int>* lineNumbers = nullptr) const;
    // The rule block the VAR section names for a file-type key (letter case ignored); none
    // when the section does not list the key.
    std::optional<std::string> BlockNameFor(std::string_view key) const;
    // The file-type keys the VAR section lists, upper-cased, each once, in the order listed.
    TLines TypeKeys() const;
    // The same as name patterns for a file list: "*.pas", "*.pp", ...
    TLines TypePatterns() const;

    const TLines& Lines() const { return m_lines; }
    const std::vector<int>& LineNumbers() const { return m_lineNumbers; }
    const std::string& FileName() const { return m_fileName; }

private:
    template <typename Visit>
    void Walk(Visit visit) const;

    TLines m_lines;
    std::vector<int> m_lineNumbers; // of each line in the file, from 1
    std::string m_fileName;
    std::string m_loadProblem;
};
