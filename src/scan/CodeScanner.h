#pragma once
// Turns the lines of one source file into result records by running the cycles
// of one rule block over them (the rule language is described in docs/rules.md).
// A scanner is used by one thread at a time; it shares only the read-only rule
// file and what its owner hands in for its messages.
//
// A source is untrusted input and a rule file may be a user's first try: the engine's
// work on one line is linear in the line's length, every text it builds has a size
// limit, and faults of the rules are collected (once per scan for each rule line, with
// the rule file's line and the matcher's message) for the caller to report.
//
// The scanner is the interpreter of the rules; its state lives in pieces of their own:
// the parsed rules (RuleSet.h), the buffer (ScanBuffer.h), the source lines and their
// reading (SourceLines.h), the macros and picked-up texts (Macros.h), the caps
// (ScanBudget.h), the faults (RuleFault.h) and the trace (ScanMessages.h).

#include "scan/Macros.h"
#include "scan/Regex.h"
#include "scan/RuleFault.h"
#include "scan/RuleSet.h"
#include "scan/ScanBudget.h"
#include "scan/ScanBuffer.h"
#include "scan/ScanMessages.h"
#include "scan/SourceLines.h"
#include "scan/SourceMap.h"
#include "scan/SourceText.h"
#include "scan/StructureTexts.h"

#include <functional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

class TCodeScanner {
public:
    // The comment indicator shifts the comment line a record takes (the setting
    // CMT_INDICATOR); messages takes the trace lines and the messages for the user.
    TCodeScanner(const TStructureTexts& sharedRules, IScanMessages& messages, int commentIndicator = 0);

    // True when the rule file's VAR section lists the file-type key (letter case ignored).
    bool IsKnownType(std::string_view key) const { return m_block.IsKnownType(key); }
    // Loads the source file and runs the rule block that VAR names for the key. A file
    // that cannot be read (LoadProblem says why) is logged and leaves Results and Codes
    // empty; errors escaping the cycles reach the caller (and a fault of the rules among
    // them is in RuleFaults).
    void ScanFile(const std::string& path, std::string_view key);
    // The same over a source already read (LoadSourceText) from path. With a map, its lines
    // come from several files (a source with its include files put in place, see
    // IncludeFlattener.h): each record's LINE is then the line in the file its text comes
    // from, and a record from a file other than the first ends its header with "[FILE]" and
    // that file's path (OutlineRecord.h). Each note of the map becomes a record of type
    // "include" (its name as the declaration, its reason as the comment, icon 2) at the
    // level in force when reading reaches its line. Comments and Codes stay by scanned line.
    void ScanText(const std::string& path, TSourceText source, std::string_view key, TSourceMap map = {});
    // The size limit of the sources ScanFile reads (the setting MAX_SOURCE_MB, see
    // SourceLimitBytes); kDefaultMaxSourceBytes until set.
    void SetSourceLimit(std::size_t bytes) { m_maxSourceBytes = bytes; }
    std::size_t SourceLimit() const { return m_maxSourceBytes; }
    // Why the last ScanFile could not read its source (a special file, one over the size
    // limit, the system's reason); empty when it was read.
    const std::string& LoadProblem() const { return m_loadProblem; }
    // The line (from 1) at which a NUL character ended the last ScanFile's text; 0: none.
    std::size_t NulLine() const { return m_nulLine; }
    // The same scan over lines already decoded (UTF-8 text without line breaks).
    void ScanLines(TLines codes, std::string_view key);

    const TLines& Results() const { return m_results; }
    const TLines& Codes() const { return m_source.Codes(); }
    const TLines& Comments() const { return m_source.Comments(); }
    // Fills CommentBlock with the comments of the run of code-less lines at line n
    // (from n forward when n is 0, backward otherwise).
    const TLines& CommentBlockAt(int n);
    const TLines& CommentBlock() const { return m_commentBlock; }
    int CommentIndicator() const { return m_commentIndicator; }
    // The faults of the rules met by the last scan, in the order met.
    const std::vector<TRuleFault>& RuleFaults() const { return m_faults.List(); }
    // Whether consecutive rules of a set may be searched as one pattern (on by default).
    // The outcome is the same either way; off, every rule is searched on its own.
    void SetRuleRuns(bool on) { m_ruleRuns = on; }

    // Called before the trace text is shown in trace mode (the window minimizes itself).
    void SetMinimizeCallback(std::function<void()> callback) { m_minimize = std::move(callback); }
    // A stop request makes a running scan end soon with TScanStopped, so a search can be
    // stopped inside one long scan.
    void SetStopToken(std::stop_token stop) { m_stop = std::move(stop); }

    // Caps on the rule-set stack and on sets entered inside the entering of a set.
    static constexpr std::size_t kMaxSetDepth = 1000;
    static constexpr int kMaxNesting = 64;

private:
    // What one rule attempt came to: the set has no rule of that number, the rule's
    // pattern does not match the buffer, or it matches (its commands run next).
    enum class TAttempt { NoRule, Failed, Matched };
    // m_commandIndex when no command line is to run.
    static constexpr int kStop = -8;

    void ResetForScan();
    // The scan after the reset: the lines, the block that VAR names for the key, the cycles.
    void RunOnLines(TLines codes, std::string_view key);
    void Run();
    void EnterCycle(int cycle);
    void RunRules();
    void ReadNextLine();
    TAttempt TryRuleNumber(int number);
    TAttempt TryRuleAt(int index, std::string_view name);
    void TakeMatch(int index, std::string_view name);
    int SearchRun(int first, int& matching);
    void AttemptOfRun(int number);
    void RunCommands(int start);
    void PushSet(const std::string& name);
    void PopSet();
    void SwitchSet(const std::string& name);
    int Level() const { return static_cast<int>(m_setStack.size()); }
    void SetMacrosFromLastSearch();
    void CheckStop() const;
    // The commands (ScanCommands.cpp).
    void RunCommand(const TRuleSet& set, std::size_t index);
    void SetBuffer(const std::string& value);
    void JumpTo(int target, const std::string& name);
    void Rematch(int patternId);
    void PickUpMatch(char marker);
    void EmitRecord();
    // The records of the notes whose lines reading has reached (through: the last line).
    void EmitNotes(int through);
    // Each record's scanned line turned into its file's line (and [FILE]), by the map.
    void MapRecordLines();
    std::string_view Buf() const { return m_buffer.Text(); }
    // Records a fault of the line being tried or run (once per scan) and returns its text.
    std::string NoteFault(const std::string& message, int sourceLine);
    [[noreturn]] void FailScan(const std::exception& error);
    bool Stalled(int attempts) { return m_guard.Stalled(attempts, Buf().size(), m_results.size()); }

    TRuleBlock m_block;
    IScanMessages& m_messages;
    const int m_commentIndicator;
    std::size_t m_maxSourceBytes = kDefaultMaxSourceBytes;
    std::string m_loadProblem;
    std::size_t m_nulLine = 0;
    bool m_ruleRuns = true;
    std::function<void()> m_minimize;
    std::stop_token m_stop;

    TRegex m_regex;
    TScanBudget m_budget;
    TAttemptGuard m_guard;
    TScanBuffer m_buffer;
    TSourceLines m_source{m_buffer, m_guard};
    TMacros m_macros{m_buffer, m_budget};
    TPickups m_pickups{m_budget};
    TScanTrace m_trace;
    TRuleFaults m_faults;

    // Where the rules stand: the set stack (top at the back) and the set in force, one of
    // m_block's sets, which stay for a whole scan; the command line to run next (negative:
    // none); RunCommands calls in progress; whether the cycle ends.
    TLines m_setStack;
    const TRuleSet* m_ruleSet = nullptr;
    int m_commandIndex = 0;
    int m_nesting = 0;
    bool m_nextCycle = false;
    // The rule line being tried or run, for the fault it may raise.
    const TRuleSet* m_atSet = nullptr;
    int m_atIndex = -1;

    // The fields of the next record (they stay from one scan to the next), and the records.
    std::string m_icon;
    std::string m_declaration;
    std::string m_type;
    int m_savedLine = -1;
    TLines m_results;
    TLines m_commentBlock;
    // Where the scanned lines come from (empty: all from one file), and its next note.
    TSourceMap m_map;
    std::size_t m_nextNote = 0;
};
