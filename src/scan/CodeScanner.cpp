#include "scan/CodeScanner.h"

#include "scan/SourceText.h"

#include <algorithm>
#include <new>
#include <optional>
#include <tuple>
#include <utility>

namespace {

// Fault keys for faults that belong to a set rather than to one of its lines.
constexpr int kNoProgress = -1;
constexpr int kBufferFull = -2;
constexpr int kNoRules = -3;

} // namespace

TCodeScanner::TCodeScanner(const TStructureTexts& sharedRules, IScanMessages& messages, int commentIndicator)
    : m_block(sharedRules), m_messages(messages), m_commentIndicator(commentIndicator)
{
    m_icon.reserve(3);
    m_declaration.reserve(1024);
    m_type.reserve(256);
}

void TCodeScanner::ResetForScan()
{
    m_regex.SetModifiers("isg-mxr");
    m_nextCycle = false;
    m_trace.SetOn(false);
    m_commandIndex = 0;
    m_buffer.Clear();
    m_commentBlock.clear();
    m_results.clear();
    m_macros.Clear();
    m_guard.StartScan();
    m_faults.Clear();
    m_atSet = nullptr;
    m_atIndex = -1;
    m_map = {};
}

void TCodeScanner::ScanFile(const std::string& path, std::string_view key)
{
    ScanText(path, LoadSourceText(path, m_maxSourceBytes), key);
}

void TCodeScanner::ScanText(const std::string& path, TSourceText source, std::string_view key, TSourceMap map)
{
    ResetForScan();
    m_loadProblem = std::move(source.problem);
    m_nulLine = source.nulLine;
    if (!source.lines) {
        m_source.Clear();
        m_messages.AddLine("error:Codes.LoadFromFile;" + path);
        return;
    }
    m_map = std::move(map);
    RunOnLines(std::move(*source.lines), key);
    MapRecordLines();
}

void TCodeScanner::ScanLines(TLines codes, std::string_view key)
{
    ResetForScan();
    m_loadProblem.clear();
    m_nulLine = 0;
    RunOnLines(std::move(codes), key);
}

void TCodeScanner::RunOnLines(TLines codes, std::string_view key)
{
    std::size_t sourceBytes = 0;
    for (auto& line : codes) {
        EscapePlaceholders(line);
        sourceBytes += line.size();
    }
    m_budget.Start(sourceBytes);
    m_source.Start(std::move(codes));
    if (auto fault = m_block.Choose(key))
        m_faults.Add(std::move(*fault), kNoRules);
    Run();
}

void TCodeScanner::Run()
{
    m_pickups.Clear();
    int cycle = 0;
    EnterCycle(cycle);
    while (m_ruleSet && !m_ruleSet->lines.empty()) {
        m_results.clear();
        m_nextCycle = false;
        m_guard.StartCycle();
        m_source.StartCycle();
        m_nextNote = 0;
        EmitNotes(0);
        while (!m_source.AtEnd()) {
            CheckStop();
            RunRules();
            if (m_nextCycle)
                break;
            ReadNextLine();
        }
        EmitNotes(static_cast<int>(m_source.Codes().size()));
        EnterCycle(++cycle);
    }
    m_pickups.ExpandAll(m_results, [this](const TScanLimit& limit) {
        m_atSet = nullptr;
        m_atIndex = kNoProgress;
        NoteFault(limit.what(), -1);
    });
    for (TLines* lines : {&m_results, &m_source.Comments(), &m_source.Codes()})
        for (auto& line : *lines)
            UnescapePlaceholders(line);
}

void TCodeScanner::CheckStop() const
{
    if (m_stop.stop_requested())
        throw TScanStopped();
}

void TCodeScanner::EnterCycle(int cycle)
{
    m_setStack.clear();
    m_ruleSet = nullptr;
    // The cycle's prologue runs outside any rule attempt: a fault there ends the scan.
    try {
        PushSet("CYC" + std::to_string(cycle));
    } catch (const TScanStopped&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& error) {
        FailScan(error);
    }
}

void TCodeScanner::FailScan(const std::exception& error)
{
    throw TScanError(NoteFault(error.what(), m_source.Index()));
}

// The rules S0, S1, ... on the buffer until none matches or the buffer is empty.
void TCodeScanner::RunRules()
{
    int rule = 0;
    // An attempt that fails with an error leaves the outcome of the one before in force.
    TAttempt outcome = TAttempt::NoRule;
    // The state after the last failed attempt: the same rule failing again with nothing
    // changed would fail the same way forever.
    std::optional<std::tuple<int, int, std::uint64_t, TLines>> lastFailure;
    // A search of a run of rules tells, for the buffer as it stands, the outcome of each
    // rule before `told`: the rule `matching` matches (-1: none does), the others fail.
    int told = -1;
    int matching = -1;
    while (!Buf().empty()) {
        CheckStop();
        int attempts = 1;
        try {
            if (rule >= told)
                told = SearchRun(rule, matching);
            if (rule >= told) {
                outcome = TryRuleNumber(rule); // the rule named "S<rule>"
            } else if (rule != matching) {
                // The rules up to the one that matches, or to the run's end, fail.
                const int last = (matching > rule ? matching : told) - 1;
                attempts = last - rule + 1;
                rule = last;
                AttemptOfRun(rule);
                m_commandIndex = kStop;
                outcome = TAttempt::Failed;
            } else {
                AttemptOfRun(rule);
                TakeMatch(m_atIndex, {});
                outcome = TAttempt::Matched;
                told = -1;
            }
            RunCommands(kStop);
        } catch (const TScanStopped&) {
            throw;
        } catch (const std::bad_alloc&) {
            throw;
        } catch (const std::exception& error) {
            told = -1;
            auto state = std::make_tuple(rule, m_source.Index(), m_buffer.Version(), m_setStack);
            if (lastFailure == state)
                break;
            NoteFault(error.what(), m_source.Index());
            lastFailure = std::move(state);
        }
        if (m_nextCycle || outcome == TAttempt::NoRule)
            break;
        rule = outcome == TAttempt::Failed ? rule + 1 : 0;
        if (Stalled(attempts)) {
            // Rules that keep matching without consuming anything: their records since the
            // last progress are noise; give the buffer up to the next line.
            if (rule <= matching && matching < told)
                m_regex.Forget(); // the last attempt made failed
            m_atSet = m_ruleSet;
            m_atIndex = kNoProgress;
            NoteFault("the rules make no progress: " + std::to_string(TAttemptGuard::kMaxAttemptsPerBuffer) +
                          " attempts without consuming the buffer",
                      m_source.Index());
            m_results.resize(std::min(m_results.size(), m_guard.CutOff()));
            break;
        }
    }
}

void TCodeScanner::ReadNextLine()
{
    const bool room = m_source.ReadNext();
    EmitNotes(m_source.ReadThrough());
    if (room)
        return;
    m_atSet = m_ruleSet;
    m_atIndex = kBufferFull;
    NoteFault("the buffer grows past " + TScanBudget::Megabytes(TScanBudget::kMaxTextSize) +
                  ": the rules do not consume it; it is dropped and the scan goes on",
              m_source.Index());
}

TCodeScanner::TAttempt TCodeScanner::TryRuleNumber(int number)
{
    const int index = m_ruleSet ? m_ruleSet->RuleIndex(number) : -1;
    if (index < 0)
        return TAttempt::NoRule;
    if (m_trace.On())
        return TryRuleAt(index, "S" + std::to_string(number));
    return TryRuleAt(index, {});
}

TCodeScanner::TAttempt TCodeScanner::TryRuleAt(int index, std::string_view name)
{
    m_atSet = m_ruleSet;
    m_atIndex = index;
    m_regex.SetPatternId(m_ruleSet->PatternId(m_regex, static_cast<std::size_t>(index)));
    if (m_regex.Search(Buf()) && !Buf().empty()) {
        TakeMatch(index, name);
        return TAttempt::Matched;
    }
    m_commandIndex = kStop;
    return TAttempt::Failed;
}

// Most attempts fail, most of them in sets of many rules; a run of rules searched as one
// pattern tells at once which of them matches first. Returns the number after the run's
// last rule, with the rule that matches in `matching` (-1: none), or -1 when no run starts
// at "S<first>" or the engine gave up on the run as a whole (its limits count for all its
// rules together): then the rules are tried one by one. (The trace shows every attempt.)
int TCodeScanner::SearchRun(int first, int& matching)
{
    const TRuleRun* run = m_trace.On() || !m_ruleRuns || !m_ruleSet ? nullptr : m_ruleSet->RunAt(m_regex, first);
    if (!run)
        return -1;
    try {
        const int branch = m_regex.SearchAlternatives(run->pattern, run->ids, Buf());
        matching = branch < 0 ? -1 : first + branch;
    } catch (const TRegexError&) {
        return -1;
    }
    return first + static_cast<int>(run->ids.size());
}

// A rule whose outcome the search of its run told: the attempt as TryRuleAt makes it, whose
// pattern stays in force as after a search of its own (which that search is, for the rule
// that matched).
void TCodeScanner::AttemptOfRun(int number)
{
    m_atSet = m_ruleSet;
    m_atIndex = m_ruleSet->RuleIndex(number);
    m_regex.SetPatternId(m_ruleSet->PatternId(m_regex, static_cast<std::size_t>(m_atIndex)));
}

// After a match of rule line index on the buffer: #0, #1 and #2 from it, its commands next.
void TCodeScanner::TakeMatch(int index, std::string_view name)
{
    SetMacrosFromLastSearch();
    m_commandIndex = index + 1;
    if (m_trace.On())
        m_trace.AddMatch(m_source.Index(), m_setStack.empty() ? "" : m_setStack.back(), name,
                         m_ruleSet->lines[static_cast<std::size_t>(index)], m_macros.Text(0), m_macros.Text(1),
                         m_macros.Text(2));
}

void TCodeScanner::SetMacrosFromLastSearch()
{
    const std::string_view buf = Buf();
    std::size_t end = 0;
    if (m_regex.Matched()) {
        const std::size_t pos = m_regex.MatchPos(0);
        const std::size_t len = m_regex.MatchLen(0);
        m_macros.SetMatch(buf.substr(0, pos), buf.substr(pos, len));
        end = pos + len;
    } else {
        m_macros.SetMatch({}, {});
    }
    m_buffer.SetTailAfterMatch(end);
}

void TCodeScanner::RunCommands(int start)
{
    // After an attempt that failed there is nothing to run (and no trace to show).
    if (start < 0 && m_commandIndex < 0 && m_nesting < kMaxNesting && !m_trace.On())
        return;
    if (m_nesting >= kMaxNesting)
        throw TScanError("sets entered while entering a set, more than " + std::to_string(kMaxNesting) +
                         " deep: set prologues enter sets without end");
    struct TNesting {
        int& depth;
        explicit TNesting(int& d) : depth(++d) {}
        ~TNesting() { --depth; }
    } nesting(m_nesting);
    // The line that ran this one, for faults after a nested run returned.
    const TRuleSet* outerSet = m_atSet;
    const int outerIndex = m_atIndex;
    if (start >= 0)
        m_commandIndex = start;
    while (m_commandIndex >= 0) {
        // A command may replace the set in force while its line runs; the set itself stays.
        const TRuleSet* set = m_ruleSet;
        const auto index = static_cast<std::size_t>(m_commandIndex);
        if (!set || index >= set->lines.size())
            throw TScanError("the commands run past the end of the set");
        m_atSet = set;
        m_atIndex = m_commandIndex;
        m_trace.Add("[Program] ", set->lines[index]);
        if (set->commands[index].op == TOp::End)
            break;
        RunCommand(*set, index);
        ++m_commandIndex;
    }
    m_trace.Show(m_messages, m_minimize);
    m_atSet = outerSet;
    m_atIndex = outerIndex;
}

void TCodeScanner::PushSet(const std::string& name)
{
    if (m_setStack.size() >= kMaxSetDepth)
        throw TScanError("more than " + std::to_string(kMaxSetDepth) + " rule sets on the stack: [PUSH] " + name);
    m_ruleSet = m_block.Set(name);
    if (!m_ruleSet->lines.empty())
        RunCommands(0);
    m_setStack.push_back(name);
}

void TCodeScanner::PopSet()
{
    if (m_setStack.empty()) {
        m_ruleSet = nullptr;
        return;
    }
    m_setStack.pop_back();
    if (!m_setStack.empty()) {
        m_ruleSet = m_block.Set(m_setStack.back());
        RunCommands(0);
    } else {
        m_ruleSet = nullptr;
    }
}

void TCodeScanner::SwitchSet(const std::string& name)
{
    m_ruleSet = m_block.Set(name);
    if (m_setStack.empty())
        throw TScanError("SWITCH with an empty set stack");
    m_setStack.back() = name;
    RunCommands(0);
}

std::string TCodeScanner::NoteFault(const std::string& message, int sourceLine)
{
    TRuleFault fault;
    fault.sourceLine = sourceLine;
    fault.ruleFile = m_block.Rules().FileName();
    fault.message = PlaceholdersUnescaped(message);
    if (m_atSet) {
        fault.set = m_atSet->name;
        if (m_atIndex >= 0 && static_cast<std::size_t>(m_atIndex) < m_atSet->lines.size()) {
            fault.ruleLine = m_atSet->lineNumbers[static_cast<std::size_t>(m_atIndex)];
            fault.rule = m_atSet->lines[static_cast<std::size_t>(m_atIndex)];
        }
    }
    return m_faults.Add(std::move(fault), m_atIndex);
}

const TLines& TCodeScanner::CommentBlockAt(int n)
{
    m_commentBlock = m_source.CommentBlockAt(n);
    return m_commentBlock;
}
