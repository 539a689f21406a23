#pragma once
// Turns the lines of one source file into result records by running the cycles
// of one rule block over them (the rule language is described in docs/rules.md).
// A scanner is used by one thread at a time; it shares only the read-only rule
// file, the settings store (read once, at creation) and the trace log.

#include "scan/Regex.h"
#include "scan/StructureTexts.h"

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <stop_token>
#include <string>

class TConfig;
class TDebug;

class TScanError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TCodeScanner {
public:
    // Reads CMT_INDICATOR from the settings store (0 when absent).
    TCodeScanner(const TStructureTexts& sharedRules, const TConfig& config, TDebug& log);
    ~TCodeScanner();

    // True when the rule file's VAR section lists the file-type key (letter case ignored).
    bool IsKnownType(std::string_view key) const;
    // Loads the source file and runs the rule block that VAR names for the key. A file
    // that cannot be read is logged and leaves Results and Codes empty; errors escaping
    // the cycles reach the caller.
    void ScanFile(const std::string& path, std::string_view key);
    // The same scan over lines already in memory.
    void ScanLines(TLines codes, std::string_view key);

    const TLines& Results() const { return m_results; }
    const TLines& Codes() const { return m_codes; }
    const TLines& Comments() const { return m_comments; }
    // Fills CommentBlock with the comments of the run of code-less lines at line n
    // (from n forward when n is 0, backward otherwise).
    const TLines& CommentBlockAt(int n);
    const TLines& CommentBlock() const { return m_commentBlock; }
    int CommentIndicator() const { return m_commentIndicator; }

    // Called before the trace text is shown in trace mode (the window minimizes itself).
    void SetMinimizeCallback(std::function<void()> callback) { m_minimize = std::move(callback); }
    // A stop request makes a running scan end at its next rule attempt or line read with
    // TScanError, so a search can be stopped inside one long scan.
    void SetStopToken(std::stop_token stop) { m_stop = std::move(stop); }

    // Cap on rule attempts on one buffer without a new source line read; rules that
    // never make progress are cut off there, reported once, and the next line is read.
    static constexpr int kMaxAttemptsPerBuffer = 100000;
    // Cap on placeholder replacements in one result line.
    static constexpr int kMaxPickupExpansions = 4096;

    // The operations below are the engine's steps, public so the rule language can be
    // tested one step at a time.
    void Run();
    void StartCycle();
    void ReadNextLine();
    int TryRule(std::string_view name);
    void RunCommands(int start);
    int PushSet(const std::string& name);
    int PopSet();
    int SwitchSet(const std::string& name);
    int Level() const { return static_cast<int>(m_setStack.size()); }
    std::string ExpandMacros(std::string_view text) const;
    void PickUpMatch(char marker);
    std::string ExpandPickups(std::string_view text);

    const std::string& Buf() const { return m_buf; }
    int LineIndex() const { return m_lineIndex; }
    const std::string& Macro(int n) const { return m_macros[static_cast<std::size_t>(n)]; }
    const TLines& Pickups() const { return m_pickups; }

private:
    struct TRuleSet;

    void ResetForScan();
    // The scan after the reset: the lines, the block that VAR names for the key, the cycles.
    void RunOnLines(TLines codes, std::string_view key);
    int TryRuleNumber(int number);
    int TryRuleAt(int index, std::string_view name);
    std::shared_ptr<const TRuleSet> SectionOf(const std::string& name);
    void SetRuleSet(std::shared_ptr<const TRuleSet> set);
    void SetMacrosFromLastSearch(const std::string& subject);
    void RunCommand(const std::string& line, const std::string& value);
    void DoCommand(const std::string& line);
    void Rematch(const std::string& pattern);
    void EmitRecord();
    void Trace(std::string_view label, std::string_view value = {});
    std::string& CodeLineAt(TLines& lines, const char* what);
    void ShowTrace();

    const TStructureTexts& m_sharedRules;
    TDebug& m_log;

    TRegex m_regex;
    bool m_nextCycle = false;
    bool m_debug = false;
    std::string m_lineSeparator = " ";
    std::string m_icon;
    std::string m_declaration;
    std::string m_type;
    int m_savedLine = -1;
    int m_lineIndex = 0;
    long m_linesRead = 0; // lines joined to Buf in this scan: the progress the attempt cap watches
    int m_commandIndex = 0;
    std::string m_buf;
    bool m_atEnd = false;
    TStructureTexts m_blockRules;
    std::optional<std::string> m_blockName; // the block m_blockRules holds
    std::shared_ptr<const TRuleSet> m_ruleSet;
    TLines m_setStack; // top at index 0
    TLines m_pickups;
    TLines m_codes;
    TLines m_comments;
    int m_commentIndicator = 0;
    TLines m_commentBlock;
    TLines m_results;
    std::array<std::string, 10> m_macros;
    std::string m_trace;
    std::function<void()> m_minimize;
    std::stop_token m_stop;
    // Sections of m_blockRules by name, parsed once per scan.
    std::map<std::string, std::shared_ptr<const TRuleSet>, std::less<>> m_sections;
};
