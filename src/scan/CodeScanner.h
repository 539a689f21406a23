#pragma once
// Turns the lines of one source file into result records by running the cycles
// of one rule block over them (the rule language is described in docs/rules.md).
// A scanner is used by one thread at a time; it shares only the read-only rule
// file, the settings store (read once, at creation) and the trace log.
//
// A source is untrusted input and a rule file may be a user's first try: the engine's
// work on one line is linear in the line's length, every text it builds has a size
// limit, and faults of the rules are collected (once per scan for each rule line, with
// the rule file's line and the matcher's message) for the caller to report.

#include "scan/Regex.h"
#include "scan/StructureTexts.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <vector>

class TConfig;
class TDebug;

class TScanError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A scan ended by a stop request.
class TScanStopped : public TScanError {
public:
    TScanStopped() : TScanError("scan stopped") {}
};

// A fault of the rules met during a scan: a pattern the matcher rejects or gives up on,
// a command that fails, rules that make no progress, a limit reached, a block without
// rules. The scan goes on past it (unless it happened outside a rule attempt).
struct TRuleFault {
    int sourceLine = -1;   // index (from 0) of the source line the scan was at; -1 none
    std::string ruleFile;  // the rule file's path; empty for rules given as a list
    int ruleLine = 0;      // the faulty line's number in the rule file; 0 when no one line
    std::string set;       // the rule set it belongs to
    std::string rule;      // the faulty line as the rule file has it
    std::string message;   // what went wrong, in the matcher's own words where it has them

    // One line for the user: "There may be an exception at N: MESSAGE (CodeScan.dll
    // line L, set S: RULE)".
    std::string Text() const;
};

// Hands a scan's rule faults on: each to the trace log and, when show is set, the first
// as a message to the user that tells how many more the log holds. Nothing when empty.
void ReportRuleFaults(const std::vector<TRuleFault>& faults, TDebug& log, bool show);

class TCodeScanner {
public:
    // Reads CMT_INDICATOR from the settings store (0 when absent).
    TCodeScanner(const TStructureTexts& sharedRules, const TConfig& config, TDebug& log);
    ~TCodeScanner();

    // True when the rule file's VAR section lists the file-type key (letter case ignored).
    bool IsKnownType(std::string_view key) const;
    // Loads the source file and runs the rule block that VAR names for the key. A file
    // that cannot be read (LoadProblem says why) is logged and leaves Results and Codes
    // empty; errors escaping the cycles reach the caller (and a fault of the rules among
    // them is in RuleFaults).
    void ScanFile(const std::string& path, std::string_view key);
    // The same scan over lines already decoded (UTF-8 text without line breaks).
    void ScanLines(TLines codes, std::string_view key);

    const TLines& Results() const { return m_results; }
    const TLines& Codes() const { return m_codes; }
    const TLines& Comments() const { return m_comments; }
    // Fills CommentBlock with the comments of the run of code-less lines at line n
    // (from n forward when n is 0, backward otherwise).
    const TLines& CommentBlockAt(int n);
    const TLines& CommentBlock() const { return m_commentBlock; }
    int CommentIndicator() const { return m_commentIndicator; }
    // Why the last ScanFile could not read its source (a special file, one over the size
    // limit of MAX_SOURCE_MB, the system's reason); empty when it was read.
    const std::string& LoadProblem() const { return m_loadProblem; }
    // The line (from 1) at which a NUL character ended the last ScanFile's text; 0: none.
    std::size_t NulLine() const { return m_nulLine; }
    // The faults of the rules met by the last scan, in the order met.
    const std::vector<TRuleFault>& RuleFaults() const { return m_faults; }
    // Whether consecutive rules of a set may be searched as one pattern (on by default).
    // The outcome is the same either way; off, every rule is searched on its own.
    void SetRuleRuns(bool on) { m_ruleRuns = on; }

    // Called before the trace text is shown in trace mode (the window minimizes itself).
    void SetMinimizeCallback(std::function<void()> callback) { m_minimize = std::move(callback); }
    // A stop request makes a running scan end soon with TScanStopped, so a search can be
    // stopped inside one long scan.
    void SetStopToken(std::stop_token stop) { m_stop = std::move(stop); }

    // Cap on rule attempts (IF jumps included) on one buffer without progress: no new
    // source line read and the buffer no shorter than it has been.
    // Rules that never make progress are cut off there, their records since the last
    // progress are dropped, and the next line is read. Once rules of a scan have been cut
    // off, the cap is lower for the rest of the scan.
    static constexpr int kMaxAttemptsPerBuffer = 10000;
    static constexpr int kMaxAttemptsAfterStall = 1000;
    // Caps on what the rules build: the buffer, a macro, a source or comment line, a
    // result line; and on everything one scan writes (records, written-back code,
    // comments, picked-up texts): 64 MB and four times the source.
    static constexpr std::size_t kMaxTextSize = 32u << 20;
    static constexpr std::size_t kScanOutputBase = 64u << 20;
    static constexpr std::size_t kScanOutputPerSourceByte = 4;
    static constexpr std::size_t kMaxPickups = 1u << 20;
    // Caps on the rule-set stack and on sets entered inside the entering of a set.
    static constexpr std::size_t kMaxSetDepth = 1000;
    static constexpr int kMaxNesting = 64;

private:
    struct TRuleSet;
    struct TRuleRun;
    // Where the text after the last match (#2) stands: its own copy, or a range of the
    // buffer's storage (live) or of the storage the buffer last replaced (retired).
    struct TTail {
        enum class TWhere { Own, Live, Retired } where = TWhere::Own;
        std::size_t pos = 0;
        std::size_t len = 0;
        std::string own;
    };

    void ResetForScan();
    // The scan after the reset: the lines, the block that VAR names for the key, the cycles.
    void RunOnLines(TLines codes, std::string_view key);
    void Run();
    void EnterCycle(int cycle);
    void RunRules();
    bool Stalled(int attempts = 1);
    void StartCycle();
    void ReadNextLine();
    void JoinLine(std::size_t index);
    int TryRuleNumber(int number);
    int TryRuleAt(int index, std::string_view name);
    int TakeMatch(int index, std::string_view name);
    const TRuleRun* RunAt(int first);
    int SearchRun(int first, int& matching);
    int FailedInRun(int number);
    int MatchedInRun(int number);
    void RunCommands(int start);
    int PushSet(const std::string& name);
    int PopSet();
    int SwitchSet(const std::string& name);
    int Level() const { return static_cast<int>(m_setStack.size()); }
    const TRuleSet* SectionOf(const std::string& name);
    void SetMacrosFromLastSearch();
    void RunCommand(const TRuleSet& set, std::size_t index);
    void DoCommand(const TRuleSet& set, std::size_t index);
    int PatternIdOf(const TRuleSet& set, std::size_t index);
    void Rematch(int patternId);
    void PickUpMatch(char marker);
    void EmitRecord();
    void CheckStop() const;

    // The buffer.
    std::string_view Buf() const { return std::string_view(m_bufText).substr(m_bufBegin); }
    void SetBuf(std::string text, std::size_t begin = 0);
    void TrimBuf();
    void TruncateStorage(std::size_t size);
    void MaterializeTail();
    bool TailNeedsExpansion();
    bool TailHasTag(std::size_t from, std::size_t to);

    // Macros and texts.
    std::string_view MacroText(int n) const;
    std::string ExpandMacros(std::string_view text);
    void AppendExpandedPickups(std::string& out, std::string_view text, int depth);
    void ExpandResults();
    void CheckSize(std::size_t size, const char* what) const;
    // Adds bytes to a scan's total (what it writes, what its expansions make); past the
    // limit the scan ends.
    void CountAgainstLimit(std::size_t& total, std::size_t bytes, const char* what) const;
    void Written(std::size_t bytes);

    // Faults.
    // Records a fault of the line being tried or run (once per scan) and returns its text.
    std::string NoteFault(const std::string& message, int lineIndex);
    [[noreturn]] void FailScan(const std::exception& error);

    void Trace(std::string_view label, std::string_view value = {});
    std::string& CodeLineAt(TLines& lines, const char* what);
    void ShowTrace();

    const TStructureTexts& m_sharedRules;
    TDebug& m_log;

    TRegex m_regex;
    bool m_nextCycle = false;
    bool m_debug = false;
    bool m_ruleRuns = true;
    std::string m_lineSeparator = " ";
    std::string m_icon;
    std::string m_declaration;
    std::string m_type;
    int m_savedLine = -1;
    int m_lineIndex = 0;
    int m_commandIndex = 0;
    bool m_atEnd = false;

    // Buf is m_bufText from m_bufBegin: taking text off the front moves only the offset.
    std::string m_bufText;
    std::size_t m_bufBegin = 0;
    std::string m_bufRetired;
    std::uint64_t m_bufVersion = 0;   // counts every change of Buf
    std::uint64_t m_matchVersion = 0; // Buf's version when the last match set #0 #1 #2
    std::size_t m_tagClearFrom = 0;   // no "#3".."#9" starts in the storage between these
    std::size_t m_tagClearTo = 0;

    // Progress on the buffer, for the attempt cap.
    long m_linesRead = 0;
    long m_progressLines = -1;
    int m_attemptCap = kMaxAttemptsPerBuffer;
    std::size_t m_progressSize = 0;
    std::size_t m_progressResults = 0;
    int m_attempts = 0;

    std::map<std::string, std::string, std::less<>> m_blockNamesByKey;
    TStructureTexts m_blockRules;
    std::optional<std::string> m_blockName; // the block m_blockRules holds
    const TRuleSet* m_ruleSet = nullptr; // one of m_sections
    TLines m_setStack; // top at the back
    int m_nesting = 0; // RunCommands calls in progress
    TLines m_pickups;
    std::size_t m_written = 0;      // by this scan's commands
    std::size_t m_macroBytes = 0;   // made by this scan's macro expansions
    std::size_t m_writeLimit = 0;
    TLines m_codes;
    TLines m_comments;
    int m_commentIndicator = 0;
    std::size_t m_maxSourceBytes;
    std::string m_loadProblem;
    std::size_t m_nulLine = 0;
    TLines m_commentBlock;
    TLines m_results;
    std::array<std::string, 10> m_macros; // #2 lives in m_tail
    TTail m_tail;
    std::string m_trace;
    std::function<void()> m_minimize;
    std::stop_token m_stop;
    // Sections of m_blockRules by name, parsed once per block; they stay until the block
    // changes, so plain pointers to them hold for a whole scan.
    std::map<std::string, std::unique_ptr<const TRuleSet>, std::less<>> m_sections;

    // The rule line being tried or run, for the fault it may raise.
    const TRuleSet* m_atSet = nullptr;
    int m_atIndex = -1;
    std::vector<TRuleFault> m_faults;
    std::set<std::pair<std::string, int>> m_faultKeys; // set name and line index
    // Picked-up texts expanded so far at the end of a scan, by index.
    std::vector<std::optional<std::string>> m_expanded;
    std::vector<bool> m_expanding;
};
