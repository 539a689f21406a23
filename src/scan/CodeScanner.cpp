#include "scan/CodeScanner.h"

#include "scan/SourceText.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>
#include <tuple>
#include <utility>

namespace {

constexpr const char* kTraceBreak = "\n\r";
constexpr int kStop = -8;
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

TCodeScanner::~TCodeScanner() = default;

bool TCodeScanner::IsKnownType(std::string_view key) const
{
    return m_block.IsKnownType(key);
}

void TCodeScanner::ResetForScan()
{
    m_regex.SetModifiers("isg-mxr");
    m_nextCycle = false;
    m_debug = false;
    m_lineIndex = 0;
    m_commandIndex = 0;
    m_buffer.Clear();
    m_atEnd = false;
    m_codes.clear();
    m_commentBlock.clear();
    m_results.clear();
    m_lineSeparator = " ";
    m_macros.Clear();
    m_guard.StartScan();
    m_faults.Clear();
    m_atSet = nullptr;
    m_atIndex = -1;
}

void TCodeScanner::ScanFile(const std::string& path, std::string_view key)
{
    ResetForScan();
    auto lines = LoadSourceLines(path);
    if (!lines) {
        m_comments.clear();
        m_messages.AddLine("error:Codes.LoadFromFile;" + path);
        return;
    }
    RunOnLines(std::move(*lines), key);
}

void TCodeScanner::ScanLines(TLines codes, std::string_view key)
{
    ResetForScan();
    RunOnLines(std::move(codes), key);
}

void TCodeScanner::RunOnLines(TLines codes, std::string_view key)
{
    m_codes = std::move(codes);
    std::size_t sourceBytes = 0;
    for (auto& line : m_codes) {
        EscapePlaceholders(line);
        sourceBytes += line.size();
    }
    m_budget.Start(sourceBytes);
    m_comments.assign(m_codes.size(), std::string());
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
        StartCycle();
        while (!m_atEnd) {
            CheckStop();
            RunRules();
            if (m_nextCycle)
                break;
            ReadNextLine();
        }
        EnterCycle(++cycle);
    }
    m_pickups.ExpandAll(m_results, [this](const TScanLimit& limit) {
        m_atSet = nullptr;
        m_atIndex = kNoProgress;
        NoteFault(limit.what(), -1);
    });
    for (auto& line : m_results)
        UnescapePlaceholders(line);
    for (auto& line : m_comments)
        UnescapePlaceholders(line);
    for (auto& line : m_codes)
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
    throw TScanError(NoteFault(error.what(), m_lineIndex));
}

// The rules S0, S1, ... on the buffer until none matches or the buffer is empty.
void TCodeScanner::RunRules()
{
    int rule = 0;
    int outcome = -2;
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
                outcome = FailedInRun(rule);
            } else {
                outcome = MatchedInRun(rule);
                told = -1;
            }
            RunCommands(kStop);
        } catch (const TScanStopped&) {
            throw;
        } catch (const std::bad_alloc&) {
            throw;
        } catch (const std::exception& error) {
            told = -1;
            auto state = std::make_tuple(rule, m_lineIndex, m_buffer.Version(), m_setStack);
            if (lastFailure == state)
                break;
            NoteFault(error.what(), m_lineIndex);
            lastFailure = std::move(state);
        }
        if (m_nextCycle)
            break;
        rule = outcome == -1 ? rule + 1 : 0;
        if (outcome == -2)
            break;
        if (m_guard.Stalled(attempts, Buf().size(), m_results.size())) {
            // Rules that keep matching without consuming anything: their records since the
            // last progress are noise; give the buffer up to the next line.
            if (rule <= matching && matching < told)
                m_regex.Forget(); // the last attempt made failed
            m_atSet = m_ruleSet;
            m_atIndex = kNoProgress;
            NoteFault("the rules make no progress: " + std::to_string(TAttemptGuard::kMaxAttemptsPerBuffer) +
                          " attempts without consuming the buffer",
                      m_lineIndex);
            m_results.resize(std::min(m_results.size(), m_guard.CutOff()));
            break;
        }
    }
}

void TCodeScanner::StartCycle()
{
    m_results.clear();
    m_nextCycle = false;
    m_lineIndex = 0;
    m_atEnd = false;
    m_guard.StartCycle();
    if (m_codes.empty())
        throw TScanError("the source has no lines");
    m_buffer.Set(std::move(m_codes[0]));
    m_codes[0].clear();
}

void TCodeScanner::ReadNextLine()
{
    const int last = static_cast<int>(m_codes.size()) - 1;
    if (m_lineIndex >= last) {
        m_atEnd = true;
        return;
    }
    ++m_lineIndex;
    while (m_codes[static_cast<std::size_t>(m_lineIndex)].empty() && m_lineIndex < last)
        ++m_lineIndex;
    const auto index = static_cast<std::size_t>(m_lineIndex);
    if (Buf().size() + m_lineSeparator.size() + m_codes[index].size() > TScanBudget::kMaxTextSize) {
        m_atSet = m_ruleSet;
        m_atIndex = kBufferFull;
        NoteFault("the buffer grows past " + TScanBudget::Megabytes(TScanBudget::kMaxTextSize) +
                      ": the rules do not consume it; it is dropped and the scan goes on",
                  m_lineIndex);
        m_buffer.Set({});
    }
    m_buffer.DropConsumed();
    m_buffer.Join(m_lineSeparator, m_codes[index]);
    m_codes[index].clear();
    m_guard.LinesRead(1);
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

int TCodeScanner::TryRuleNumber(int number)
{
    const int index = m_ruleSet ? m_ruleSet->RuleIndex(number) : -1;
    if (index < 0)
        return -2;
    if (m_debug)
        return TryRuleAt(index, "S" + std::to_string(number));
    return TryRuleAt(index, {});
}

// Most attempts fail, most of them in sets of many rules; a run of rules searched as one
// pattern tells at once which of them matches first. Returns the number after the run's
// last rule, with the rule that matches in `matching` (-1: none), or -1 when no run starts
// at "S<first>" or the engine gave up on the run as a whole (its limits count for all its
// rules together): then the rules are tried one by one. (The trace shows every attempt.)
int TCodeScanner::SearchRun(int first, int& matching)
{
    const TRuleRun* run = m_debug || !m_ruleRuns || !m_ruleSet ? nullptr : m_ruleSet->RunAt(m_regex, first);
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

// A rule the search of its run found failing: the attempt, as TryRuleAt makes it; its
// pattern stays in force, as after a search of its own.
int TCodeScanner::FailedInRun(int number)
{
    m_atSet = m_ruleSet;
    m_atIndex = m_ruleSet->RuleIndex(number);
    m_regex.SetPatternId(m_ruleSet->PatternId(m_regex, static_cast<std::size_t>(m_atIndex)));
    m_commandIndex = kStop;
    return -1;
}

// The rule the search of its run found matching: that search is the rule's own.
int TCodeScanner::MatchedInRun(int number)
{
    m_atSet = m_ruleSet;
    m_atIndex = m_ruleSet->RuleIndex(number);
    m_regex.SetPatternId(m_ruleSet->PatternId(m_regex, static_cast<std::size_t>(m_atIndex)));
    return TakeMatch(m_atIndex, {});
}

int TCodeScanner::TryRuleAt(int index, std::string_view name)
{
    const TRuleSet* set = m_ruleSet;
    m_atSet = set;
    m_atIndex = index;
    m_regex.SetPatternId(set->PatternId(m_regex, static_cast<std::size_t>(index)));
    if (m_regex.Search(Buf()) && !Buf().empty())
        return TakeMatch(index, name);
    m_commandIndex = kStop;
    return -1;
}

// After a match of rule line index on the buffer: #0, #1 and #2 from it, its commands next;
// returns where the match ends.
int TCodeScanner::TakeMatch(int index, std::string_view name)
{
    SetMacrosFromLastSearch();
    m_commandIndex = index + 1;
    if (m_debug) {
        m_trace.append(kTraceBreak).append(kTraceBreak).append("--------------------------------");
        m_trace.append(kTraceBreak).append("[").append(std::to_string(m_lineIndex)).append("]");
        m_trace.append(kTraceBreak).append("[Match <").append(m_setStack.empty() ? "" : m_setStack.back());
        m_trace.append(",").append(name).append(">] ").append(m_ruleSet->lines[static_cast<std::size_t>(index)]);
        m_trace.append(kTraceBreak).append("[Buf:]").append(m_macros.Text(0)).append("|").append(m_macros.Text(1));
        m_trace.append("|").append(m_macros.Text(2)).append(kTraceBreak).append(kTraceBreak);
    }
    return static_cast<int>(m_regex.MatchPos(0) + m_regex.MatchLen(0));
}

void TCodeScanner::RunCommands(int start)
{
    // After an attempt that failed there is nothing to run (and no trace to show).
    if (start < 0 && m_commandIndex < 0 && m_nesting < kMaxNesting && !m_debug)
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
        const std::string& line = set->lines[index];
        if (m_debug)
            Trace("[Program] ", line);
        if (set->commands[index].op == TOp::End)
            break;
        RunCommand(*set, index);
        ++m_commandIndex;
    }
    if (m_debug && m_trace.size() > 1)
        ShowTrace();
    m_atSet = outerSet;
    m_atIndex = outerIndex;
}

void TCodeScanner::ShowTrace()
{
    if (m_minimize)
        m_minimize();
    m_messages.ShowString(PlaceholdersUnescaped(m_trace));
    m_trace.clear();
}

void TCodeScanner::Trace(std::string_view label, std::string_view value)
{
    if (m_debug && m_trace.size() < TScanBudget::kMaxTextSize)
        m_trace.append(kTraceBreak).append(label).append(value.substr(0, TScanBudget::kMaxTextSize));
}

std::string& TCodeScanner::CodeLineAt(TLines& lines, const char* what)
{
    if (m_lineIndex < 0 || static_cast<std::size_t>(m_lineIndex) >= lines.size())
        throw TScanError(std::string("no ") + what + " line " + std::to_string(m_lineIndex));
    return lines[static_cast<std::size_t>(m_lineIndex)];
}

void TCodeScanner::RunCommand(const TRuleSet& set, std::size_t index)
{
    const TCommand& command = set.commands[index];
    const std::string& value = set.values[index];
    const std::string& arg = command.arg;
    switch (command.op) {
    case TOp::Comment:
    case TOp::Code: {
        const bool comment = command.op == TOp::Comment;
        std::string& text = comment ? CodeLineAt(m_comments, "comment") : CodeLineAt(m_codes, "source");
        const std::string more = m_macros.Expand(value);
        TScanBudget::CheckSize(text.size() + more.size(), comment ? "a comment line" : "a source line");
        m_budget.Written(more.size());
        text += more;
        Trace(comment ? "[Comments<-]" : "[Codes<-]", text);
        break;
    }
    case TOp::SetMacro:
        m_macros.Set(command.digit, m_macros.Expand(value));
        break;
    case TOp::Emit:
        EmitRecord();
        break;
    case TOp::Buffer:
        if (value == "#2" && m_buffer.TailIsLive() &&
            (m_macros.TagsStandForThemselves() || !m_buffer.TailHasTag())) {
            // The text after the match still stands in the storage, and no macro would be
            // expanded in it: it becomes the buffer where it stands.
            m_buffer.TakeTail();
        } else {
            std::string text = Trim(m_macros.Expand(value));
            TScanBudget::CheckSize(text.size(), "the buffer");
            m_buffer.Set(std::move(text));
        }
        Trace("[Buf=]", Buf());
        break;
    case TOp::Declaration:
        m_declaration = Trim(m_regex.Substitute(value, TScanBudget::kMaxTextSize));
        Trace("[Declaration<-]", m_declaration);
        break;
    case TOp::Icon:
        m_icon = m_macros.Expand(value);
        Trace("[Icon<-]", m_icon);
        break;
    case TOp::SaveLine:
        m_savedLine = m_lineIndex;
        break;
    case TOp::PickUp:
        if (command.marker < 0)
            throw TScanError("pick-up command without a marker");
        PickUpMatch(static_cast<char>(command.marker));
        Trace("[MacroPickUp Buf=]", Buf());
        break;
    case TOp::Pattern:
        m_regex.SetPatternId(set.PatternId(m_regex, index));
        break;
    case TOp::Rematch:
        Rematch(set.PatternId(m_regex, index));
        if (m_debug)
            Trace("[Rematch Buf=]", std::string(m_macros.Text(0)) + "|" + std::string(m_macros.Text(1)) + "|" +
                                        std::string(m_macros.Text(2)));
        break;
    case TOp::Type:
        m_type = Trim(m_regex.Substitute(m_macros.Expand(value), TScanBudget::kMaxTextSize));
        Trace("[Type<-]", m_type);
        break;
    case TOp::Push:
        Trace("[Push]", arg);
        PushSet(arg);
        m_commandIndex = kStop;
        break;
    case TOp::Switch:
        Trace("[SWITCH]", arg);
        SwitchSet(arg);
        m_commandIndex = kStop;
        break;
    case TOp::Pop:
        PopSet();
        Trace("[PopTo]", m_setStack.empty() ? std::string() : m_setStack.back());
        m_commandIndex = kStop;
        break;
    case TOp::If:
        if (m_regex.Search(m_macros.Text(command.digit)))
            JumpTo(command.jumpTarget, arg);
        break;
    case TOp::NextCycle:
        m_nextCycle = true;
        Trace("[Next CYC!]");
        break;
    case TOp::LineSeparator:
        m_lineSeparator = arg;
        break;
    case TOp::ScanDebug:
        m_debug = !arg.empty() && (arg[0] == 'T' || arg[0] == 'Y' || arg[0] == 't' || arg[0] == 'y');
        break;
    case TOp::Modifier:
        m_regex.SetModifiers(arg);
        break;
    case TOp::Msg:
        m_messages.ShowString(PlaceholdersUnescaped(m_macros.Expand(arg)));
        break;
    case TOp::ClearMacros:
        m_pickups.Clear();
        break;
    case TOp::Remark:
    case TOp::OtherWord:
        break;
    case TOp::End: // RunCommands ends at an empty line
    case TOp::Stop:
        m_commandIndex = kStop;
        break;
    }
}

// An IF test that matched: the commands of the rule named go on, when it matches.
void TCodeScanner::JumpTo(int target, const std::string& name)
{
    // A jump is an attempt: a jump back to a rule that runs it again is cut off like rules
    // that make no progress, and a stop request ends it.
    CheckStop();
    if (m_guard.Stalled(1, Buf().size(), m_results.size())) {
        m_commandIndex = kStop;
        return;
    }
    // A rule the set lacks: go on with the next line rather than retrying forever.
    if (target >= 0 && m_ruleSet) {
        TryRuleAt(target, m_debug ? Trim(name) : std::string());
        --m_commandIndex;
    }
}

// Joins lines until the pattern matches Buf, or gives up at the end of the source.
//
// Each search starts where a match can start at the earliest: the matcher tells from
// which point the pattern still reached the end of the buffer, and no match can start
// before it however many lines follow. A pattern that has to read the buffer from its
// start every time would still take time in the square of the lines joined; when the
// searching outgrows the buffer by far, lines are joined in runs that double, and the
// first line at which the pattern matches is found by halving the last run.
void TCodeScanner::Rematch(int patternId)
{
    m_regex.SetPatternId(patternId);
    TScanBuffer::TSaved kept = m_buffer.Save();
    const int keptLine = m_lineIndex;
    const int last = static_cast<int>(m_codes.size()) - 1;
    struct TJoin {
        int line;
        std::size_t end; // the buffer's end mark after the join
    };
    std::vector<TJoin> joins;
    std::size_t from = 0;     // in Buf: where a match can start at the earliest
    std::size_t searched = 0; // bytes searched so far
    std::size_t run = 1;      // lines joined between two searches
    std::size_t probed = 0;   // joins before the last search that failed
    bool found = false;
    for (;;) {
        CheckStop();
        const std::string_view buf = Buf();
        if (m_regex.Search(buf, from)) {
            found = true;
            break;
        }
        searched += buf.size() - std::min(from, buf.size());
        from = m_regex.EarliestStart(buf, from);
        probed = joins.size();
        if (!joins.empty() && !buf.empty() && searched > 8 * buf.size() + (1u << 20))
            run = std::min<std::size_t>(run * 2, 1u << 16);
        for (std::size_t n = 0; n < run; ++n) {
            if (m_lineIndex >= last)
                break;
            int next = m_lineIndex + 1;
            while (m_codes[static_cast<std::size_t>(next)].empty() && next < last)
                ++next;
            const std::size_t size = Buf().size() + m_lineSeparator.size() + m_codes[static_cast<std::size_t>(next)].size();
            if (size > TScanBudget::kMaxTextSize)
                break;
            m_lineIndex = next;
            m_buffer.Join(m_lineSeparator, m_codes[static_cast<std::size_t>(next)]);
            joins.push_back({next, m_buffer.EndMark()});
        }
        if (joins.size() == probed)
            break; // nothing more to read
    }
    if (found && joins.size() > probed + 1) {
        // The first join of the last run at which the pattern matches (a later join only
        // adds text, so the matches continue from there).
        std::size_t fails = probed, matches = joins.size();
        while (matches - fails > 1) {
            const std::size_t mid = fails + (matches - fails) / 2;
            (m_regex.Search(m_buffer.TextUpTo(joins[mid - 1].end), from) ? matches : fails) = mid;
        }
        m_buffer.CutBackTo(joins[matches - 1].end);
        joins.resize(matches);
        m_lineIndex = joins.back().line;
        m_regex.Search(Buf(), from);
    }
    for (const auto& join : joins)
        m_codes[static_cast<std::size_t>(join.line)].clear();
    m_guard.LinesRead(static_cast<long>(joins.size()));
    if (!found) {
        // Give up: the buffer as it was; the lines read stay consumed, and reading goes on
        // after the kept line, within the source.
        m_buffer.Restore(std::move(kept));
        m_lineIndex = std::max(0, std::min(keptLine + 1, last));
    }
    SetMacrosFromLastSearch();
}

int TCodeScanner::PushSet(const std::string& name)
{
    if (m_setStack.size() >= kMaxSetDepth)
        throw TScanError("more than " + std::to_string(kMaxSetDepth) + " rule sets on the stack: [PUSH] " + name);
    m_ruleSet = m_block.Set(name);
    if (!m_ruleSet->lines.empty())
        RunCommands(0);
    m_setStack.push_back(name);
    return Level();
}

int TCodeScanner::PopSet()
{
    if (m_setStack.empty()) {
        m_ruleSet = nullptr;
        return -1;
    }
    m_setStack.pop_back();
    if (!m_setStack.empty()) {
        m_ruleSet = m_block.Set(m_setStack.back());
        RunCommands(0);
    } else {
        m_ruleSet = nullptr;
    }
    return Level();
}

int TCodeScanner::SwitchSet(const std::string& name)
{
    m_ruleSet = m_block.Set(name);
    if (m_setStack.empty())
        throw TScanError("SWITCH with an empty set stack");
    m_setStack.back() = name;
    RunCommands(0);
    return Level();
}

void TCodeScanner::PickUpMatch(char marker)
{
    std::string placeholder = m_pickups.Add(m_macros.Text(1), marker);
    m_buffer.Rebuild(m_macros.Text(0), placeholder);
    m_macros.Set(1, std::move(placeholder));
}

void TCodeScanner::EmitRecord()
{
    const int k = m_savedLine >= 0 ? m_savedLine : m_lineIndex;
    std::string header = "[LINE]" + std::to_string(k + 1) + "[ICON]" + m_icon + "[LEVEL]" + std::to_string(Level());
    const long commentIndex = static_cast<long>(k) + m_commentIndicator;
    // Near the ends of the file the shifted comment line may not exist: the record
    // still has its four lines, with an empty comment.
    const bool hasComment = commentIndex >= 0 && static_cast<std::size_t>(commentIndex) < m_comments.size();
    const std::string& comment = hasComment ? m_comments[static_cast<std::size_t>(commentIndex)] : std::string();
    m_budget.Written(header.size() + m_type.size() + m_declaration.size() + comment.size());
    m_results.push_back(std::move(header));
    m_results.push_back(m_type);
    m_results.push_back(m_declaration);
    m_results.push_back(comment);
    Trace("[Do OutPut!]");
}

std::string TCodeScanner::NoteFault(const std::string& message, int lineIndex)
{
    TRuleFault fault;
    fault.sourceLine = lineIndex;
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
    m_commentBlock.clear();
    if (m_codes.empty() || n < 0 || static_cast<std::size_t>(n) >= m_codes.size())
        return m_commentBlock;
    if (n == 0) {
        for (std::size_t i = 0; i < m_codes.size() && m_codes[i].empty(); ++i)
            m_commentBlock.push_back(m_comments[i]);
    } else {
        for (int i = n; i >= 0 && m_codes[static_cast<std::size_t>(i)].empty(); --i)
            m_commentBlock.push_back(m_comments[static_cast<std::size_t>(i)]);
        std::reverse(m_commentBlock.begin(), m_commentBlock.end());
    }
    return m_commentBlock;
}
