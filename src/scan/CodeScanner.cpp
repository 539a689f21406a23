#include "scan/CodeScanner.h"

#include "config/Config.h"
#include "config/Debug.h"
#include "config/SettingsKeys.h"
#include "scan/SourceText.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>
#include <tuple>
#include <unordered_map>
#include <utility>

// Consecutive rules of a set searched as one pattern of alternatives.
struct TCodeScanner::TRuleRun {
    int pattern = -1;     // the pattern of the rules' patterns as alternatives
    std::vector<int> ids; // the rules' own patterns, in rule order
};

// One rule set with each line's name and value taken apart once.
struct TCodeScanner::TRuleSet {
    std::string name;
    TLines lines;
    TLines values;
    std::vector<int> lineNumbers;                           // of each line in the rule file
    std::unordered_map<std::string, int> firstIndexByName; // upper-cased name -> line index
    std::vector<int> ruleIndexByNumber;                     // n -> line index of "Sn", or -1
    // A "[WORD]argument" line taken apart: its word and argument, and for "[IF#nTHEN]RULE"
    // the macro n and the index of the rule it jumps to (-1 when the set has none of that
    // name).
    enum class TWord { None, Push, Switch, Pop, If, NextCycle, LineSeparator, ScanDebug, Modifier, Msg, ClearMacros };
    struct TCommand {
        TWord word = TWord::None;
        int macro = 0;
        int jumpTarget = -1;
        std::string arg;
    };
    std::vector<TCommand> commands;
    // Pattern ids in the scanner's matcher of the lines' values (rules, R and S commands),
    // filled as they are first used.
    mutable std::vector<int> patternIds;
    // Runs of rules S<first>, S<first + 1>, ... that the matcher tries in one call (see
    // TCodeScanner::SearchRun), worked out for the modifiers in force when first needed.
    mutable std::optional<std::uint32_t> runModifiers;
    mutable std::vector<std::optional<TRuleRun>> runsByFirst; // by the number of the run's first rule

    TRuleSet(std::string setName, TLines setLines, std::vector<int> numbers)
        : name(std::move(setName)), lines(std::move(setLines)), lineNumbers(std::move(numbers))
    {
        lineNumbers.resize(lines.size(), 0);
        values.reserve(lines.size());
        patternIds.assign(lines.size(), -1);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::string& line = lines[i];
            const auto eq = line.find('=');
            if (eq == std::string::npos) {
                values.push_back(line.empty() ? std::string() : line.substr(1));
            } else {
                values.push_back(line.substr(eq + 1));
                const std::string upper = UpperCase(std::string_view(line).substr(0, eq));
                if (!firstIndexByName.emplace(upper, static_cast<int>(i)).second)
                    continue;
                // The rule loop asks for "S0", "S1", ... by number; keep those at hand.
                if (upper.size() > 1 && upper.size() < 8 && upper[0] == 'S' &&
                    upper.find_first_not_of("0123456789", 1) == std::string::npos) {
                    const int n = std::stoi(upper.substr(1));
                    if (upper == "S" + std::to_string(n)) {
                        if (ruleIndexByNumber.size() <= static_cast<std::size_t>(n))
                            ruleIndexByNumber.resize(static_cast<std::size_t>(n) + 1, -1);
                        ruleIndexByNumber[static_cast<std::size_t>(n)] = static_cast<int>(i);
                    }
                }
            }
        }
        commands.resize(lines.size());
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (!lines[i].empty() && lines[i][0] == '[')
                commands[i] = ParseCommand(lines[i]);
    }

    TCommand ParseCommand(const std::string& line) const
    {
        static const std::pair<const char*, TWord> kWords[] = {
            {"PUSH", TWord::Push},
            {"SWITCH", TWord::Switch},
            {"POP", TWord::Pop},
            {"NEXTCYC", TWord::NextCycle},
            {"LINESEPARATER", TWord::LineSeparator},
            {"SCANDEBUG", TWord::ScanDebug},
            {"MODIFIER", TWord::Modifier},
            {"MSG", TWord::Msg},
            {"CLRMACRO", TWord::ClearMacros}};
        TCommand command;
        const std::string word = TagText(line, 0);
        command.arg = TagTail(line, 1);
        for (const auto& [text, value] : kWords)
            if (word == text)
                command.word = value;
        if (word.size() == 8 && word.compare(0, 3, "IF#") == 0 && word.compare(4, 4, "THEN") == 0 &&
            word[3] >= '0' && word[3] <= '3') {
            command.word = TWord::If;
            command.macro = word[3] - '0';
            if (const auto it = firstIndexByName.find(UpperCase(Trim(command.arg))); it != firstIndexByName.end())
                command.jumpTarget = it->second;
        }
        return command;
    }

    int RuleIndex(int number) const
    {
        return number >= 0 && static_cast<std::size_t>(number) < ruleIndexByNumber.size()
                   ? ruleIndexByNumber[static_cast<std::size_t>(number)]
                   : -1;
    }
};

namespace {

constexpr const char* kTraceBreak = "\n\r";
constexpr int kStop = -8;
// Fault keys for faults that belong to a set rather than to one of its lines.
constexpr int kNoProgress = -1;
constexpr int kBufferFull = -2;
constexpr int kNoRules = -3;

// U+FFFF, which no decoded source holds (the scan replaces it there by U+FFFD): it follows
// every "_" of the source that a placeholder marker follows, so that no source text reads
// as a placeholder, and it is taken out of everything the scan hands back.
constexpr std::string_view kEscape = "\xEF\xBF\xBF";
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

bool IsMarker(char c) { return c == '!' || c == '@' || c == '%' || c == '&'; }
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

std::string Megabytes(std::size_t bytes) { return std::to_string(bytes >> 20) + " MB"; }

bool NeedsEscape(std::string_view line)
{
    for (auto at = line.find('_'); at != std::string_view::npos && at + 1 < line.size(); at = line.find('_', at + 1))
        if (IsMarker(line[at + 1]))
            return true;
    return line.find(kEscape) != std::string_view::npos;
}

void EscapeSourceLine(std::string& line)
{
    if (!NeedsEscape(line))
        return;
    std::string out;
    out.reserve(line.size() + 6);
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == kEscape[0] && line.compare(i, kEscape.size(), kEscape) == 0) {
            out += kReplacement;
            i += kEscape.size() - 1;
            continue;
        }
        out += line[i];
        if (line[i] == '_' && i + 1 < line.size() && IsMarker(line[i + 1]))
            out += kEscape;
    }
    line = std::move(out);
}

std::string Unescaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t from = 0;;) {
        const std::size_t at = text.find(kEscape, from);
        out.append(text.substr(from, at - from));
        if (at == std::string_view::npos)
            return out;
        from = at + kEscape.size();
    }
}

void Unescape(std::string& line)
{
    if (line.find(kEscape) != std::string::npos)
        line = Unescaped(line);
}

// The digits d from first to 9 for which "#d" occurs in text, as bits 1 << d.
unsigned TagsIn(std::string_view text, int first)
{
    unsigned tags = 0;
    for (std::size_t at = text.find('#'); at != std::string_view::npos && at + 1 < text.size();
         at = text.find('#', at + 1)) {
        const char d = text[at + 1];
        if (d >= '0' + first && d <= '9')
            tags |= 1u << (d - '0');
    }
    return tags;
}

} // namespace

std::string TRuleFault::Text() const
{
    std::string text;
    if (sourceLine >= 0)
        text = "There may be an exception at " + std::to_string(sourceLine) + ": ";
    text += message;
    if (ruleLine > 0 || !set.empty()) {
        text += " (";
        if (ruleLine > 0)
            text += (ruleFile.empty() ? std::string("rule file") : FileNameOf(ruleFile)) + " line " +
                    std::to_string(ruleLine) + ", ";
        text += "set " + set;
        if (!rule.empty())
            text += ": " + rule;
        text += ")";
    }
    return text;
}

void ReportRuleFaults(const std::vector<TRuleFault>& faults, TDebug& log, bool show)
{
    for (const auto& fault : faults)
        log.AddLine(fault.Text());
    if (!show || faults.empty())
        return;
    std::string text = faults.front().Text();
    if (faults.size() > 1)
        text += "\n\n" + std::to_string(faults.size() - 1) + " more in the trace log " + log.FileName();
    log.ShowString(text);
}

TCodeScanner::TCodeScanner(const TStructureTexts& sharedRules, const TConfig& config, TDebug& log)
    : m_sharedRules(sharedRules), m_log(log), m_commentIndicator(config.ReadInteger(kCmtIndicator)),
      m_maxSourceBytes(SourceLimitBytes(config.ReadInteger(kMaxSourceMb)))
{
    m_icon.reserve(3);
    m_declaration.reserve(1024);
    m_type.reserve(256);
    m_bufText.reserve(2048);
    for (auto& macro : m_macros)
        macro.reserve(1024);
}

TCodeScanner::~TCodeScanner() = default;

bool TCodeScanner::IsKnownType(std::string_view key) const
{
    return m_sharedRules.BlockNameFor(key).has_value();
}

void TCodeScanner::ResetForScan()
{
    m_regex.SetModifiers("isg-mxr");
    m_nextCycle = false;
    m_debug = false;
    m_lineIndex = 0;
    m_commandIndex = 0;
    m_bufText.clear();
    m_bufBegin = 0;
    m_bufRetired.clear();
    ++m_bufVersion;
    m_tagClearFrom = m_tagClearTo = 0;
    m_tail.where = TTail::TWhere::Own;
    m_tail.own.clear();
    m_atEnd = false;
    m_codes.clear();
    m_commentBlock.clear();
    m_results.clear();
    m_lineSeparator = " ";
    for (auto& macro : m_macros)
        macro.clear();
    m_linesRead = 0;
    m_attemptCap = kMaxAttemptsPerBuffer;
    m_written = 0;
    m_macroBytes = 0;
    m_faults.clear();
    m_faultKeys.clear();
    m_atSet = nullptr;
    m_atIndex = -1;
}

void TCodeScanner::ScanFile(const std::string& path, std::string_view key)
{
    ResetForScan();
    TSourceText source = LoadSourceText(path, m_maxSourceBytes);
    m_loadProblem = std::move(source.problem);
    m_nulLine = source.nulLine;
    if (!source.lines) {
        m_comments.clear();
        m_log.AddLine("error:Codes.LoadFromFile;" + path);
        return;
    }
    RunOnLines(std::move(*source.lines), key);
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
    m_codes = std::move(codes);
    m_writeLimit = kScanOutputBase;
    for (auto& line : m_codes) {
        EscapeSourceLine(line);
        m_writeLimit += kScanOutputPerSourceByte * line.size();
    }
    m_comments.assign(m_codes.size(), std::string());
    // The block the VAR section names for the key, looked up once per key.
    auto known = m_blockNamesByKey.find(key);
    if (known == m_blockNamesByKey.end())
        known = m_blockNamesByKey.emplace(std::string(key), m_sharedRules.BlockNameFor(key).value_or("")).first;
    const std::string& blockName = known->second;
    // The shared rule file never changes, so a scanner that scans many files of one type
    // (the search) copies the block and parses its sets once.
    if (!m_blockName || *m_blockName != blockName) {
        std::vector<int> numbers;
        const TLines block = m_sharedRules.Block(blockName, &numbers);
        m_blockRules.LoadFromList(block, numbers);
        m_sections.clear();
        m_blockName = blockName;
    }
    if (!blockName.empty() && SectionOf("CYC0")->lines.empty()) {
        // A rule file cut short, or a block without its first cycle: say so rather than
        // give an empty outline without a word.
        TRuleFault fault;
        fault.ruleFile = m_sharedRules.FileName();
        fault.set = blockName;
        if (m_blockRules.Lines().empty()) {
            fault.message = "the rule file has no rule block " + blockName + " for the file type " + std::string(key);
        } else {
            fault.message = "the rule block " + blockName + " has no rules: its set CYC0 is missing or empty";
            fault.ruleLine = m_blockRules.LineNumbers().front();
            fault.rule = m_blockRules.Lines().front();
        }
        m_faultKeys.emplace(blockName, kNoRules);
        m_faults.push_back(std::move(fault));
    }
    Run();
}

const TCodeScanner::TRuleSet* TCodeScanner::SectionOf(const std::string& name)
{
    if (auto it = m_sections.find(name); it != m_sections.end())
        return it->second.get();
    std::vector<int> numbers;
    TLines lines = m_blockRules.Section(name, &numbers);
    auto set = std::make_unique<const TRuleSet>(name, std::move(lines), std::move(numbers));
    return m_sections.emplace(name, std::move(set)).first->second.get();
}

void TCodeScanner::Run()
{
    m_pickups.clear();
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
    ExpandResults();
    for (auto& line : m_comments)
        Unescape(line);
    for (auto& line : m_codes)
        Unescape(line);
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
            auto state = std::make_tuple(rule, m_lineIndex, m_bufVersion, m_setStack);
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
        if (Stalled(attempts)) {
            // Rules that keep matching without consuming anything: their records since the
            // last progress are noise; give the buffer up to the next line.
            if (rule <= matching && matching < told)
                m_regex.Forget(); // the last attempt made failed
            m_atSet = m_ruleSet;
            m_atIndex = kNoProgress;
            NoteFault("the rules make no progress: " + std::to_string(kMaxAttemptsPerBuffer) +
                          " attempts without consuming the buffer",
                      m_lineIndex);
            m_results.resize(std::min(m_results.size(), m_progressResults));
            m_attemptCap = kMaxAttemptsAfterStall;
            break;
        }
    }
}

// Counts attempts that failed or matched; true when too many were made without progress, which
// is a new source line read or a buffer shorter than it has been since.
bool TCodeScanner::Stalled(int attempts)
{
    const std::size_t size = Buf().size();
    if (m_linesRead != m_progressLines || size < m_progressSize) {
        m_progressLines = m_linesRead;
        m_progressSize = size;
        m_progressResults = m_results.size();
        m_attempts = 0;
        --attempts; // the one that made the progress
    }
    m_attempts += attempts;
    return m_attempts >= m_attemptCap;
}

void TCodeScanner::StartCycle()
{
    m_results.clear();
    m_nextCycle = false;
    m_lineIndex = 0;
    m_atEnd = false;
    m_progressLines = -1;
    if (m_codes.empty())
        throw TScanError("the source has no lines");
    SetBuf(std::move(m_codes[0]));
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
    if (Buf().size() + m_lineSeparator.size() + m_codes[index].size() > kMaxTextSize) {
        m_atSet = m_ruleSet;
        m_atIndex = kBufferFull;
        NoteFault("the buffer grows past " + Megabytes(kMaxTextSize) +
                      ": the rules do not consume it; it is dropped and the scan goes on",
                  m_lineIndex);
        SetBuf({});
    }
    // Text taken off the front is dropped once it outweighs the rest: each byte moves once.
    std::size_t drop = m_bufBegin;
    if (m_tail.where == TTail::TWhere::Live)
        drop = std::min(drop, m_tail.pos);
    if (drop > 4096 && drop > m_bufText.size() - drop) {
        m_bufText.erase(0, drop);
        m_bufBegin -= drop;
        if (m_tail.where == TTail::TWhere::Live)
            m_tail.pos -= drop;
        m_tagClearFrom = m_tagClearFrom > drop ? m_tagClearFrom - drop : 0;
        m_tagClearTo = std::max(m_tagClearFrom, m_tagClearTo > drop ? m_tagClearTo - drop : 0);
        ++m_bufVersion;
    }
    JoinLine(index);
    m_codes[index].clear();
    ++m_linesRead;
}

// Buf becomes Buf, the separator and the line, trimmed; the source line is left as it is.
void TCodeScanner::JoinLine(std::size_t index)
{
    m_bufText.append(m_lineSeparator).append(m_codes[index]);
    ++m_bufVersion;
    TrimBuf();
}

void TCodeScanner::SetBuf(std::string text, std::size_t begin)
{
    // #2 may still stand in the storage being replaced: that storage is kept for it.
    if (m_tail.where == TTail::TWhere::Live) {
        m_bufRetired.swap(m_bufText);
        m_tail.where = TTail::TWhere::Retired;
    }
    m_bufText = std::move(text);
    m_bufBegin = begin;
    m_tagClearFrom = m_tagClearTo = 0;
    ++m_bufVersion;
}

void TCodeScanner::TrimBuf()
{
    std::size_t end = m_bufText.size();
    while (end > m_bufBegin && IsBlank(m_bufText[end - 1]))
        --end;
    std::size_t begin = m_bufBegin;
    while (begin < end && IsBlank(m_bufText[begin]))
        ++begin;
    if (end < m_bufText.size())
        TruncateStorage(end);
    if (begin != m_bufBegin) {
        m_bufBegin = begin;
        ++m_bufVersion;
    }
}

void TCodeScanner::TruncateStorage(std::size_t size)
{
    if (m_tail.where == TTail::TWhere::Live && m_tail.pos + m_tail.len > size)
        MaterializeTail();
    m_bufText.resize(size);
    // A "#" at the new end may pair with a digit appended later.
    m_tagClearTo = std::min(m_tagClearTo, size > 0 ? size - 1 : 0);
    m_tagClearFrom = std::min(m_tagClearFrom, m_tagClearTo);
    ++m_bufVersion;
}

void TCodeScanner::MaterializeTail()
{
    if (m_tail.where == TTail::TWhere::Own)
        return;
    m_tail.own.assign(MacroText(2));
    m_tail.where = TTail::TWhere::Own;
}

// Whether expanding #2 would change it: whether a macro #3 to #9 that holds more than
// its own name occurs in it.
bool TCodeScanner::TailNeedsExpansion()
{
    for (std::size_t d = 3; d <= 9; ++d) {
        const std::string& macro = m_macros[d];
        if (macro.size() != 2 || macro[0] != '#' || macro[1] != static_cast<char>('0' + d))
            return TailHasTag(m_tail.pos, m_tail.pos + m_tail.len);
    }
    return false;
}

// Whether a "#3" to "#9" starts in the storage between from and to - 1. Known clear ranges
// are remembered, so consuming a long buffer piece by piece reads it once.
bool TCodeScanner::TailHasTag(std::size_t from, std::size_t to)
{
    if (to < from + 2)
        return false;
    const std::size_t last = to - 1; // a tag starts before this
    if (from < m_tagClearFrom || from > m_tagClearTo)
        m_tagClearFrom = m_tagClearTo = from;
    while (m_tagClearTo < last) {
        const auto* hit = static_cast<const char*>(
            std::memchr(m_bufText.data() + m_tagClearTo, '#', last - m_tagClearTo));
        if (!hit) {
            m_tagClearTo = last;
            break;
        }
        const auto at = static_cast<std::size_t>(hit - m_bufText.data());
        if (m_bufText[at + 1] >= '3' && m_bufText[at + 1] <= '9') {
            m_tagClearTo = at;
            return true;
        }
        m_tagClearTo = at + 1;
    }
    return false;
}

std::string_view TCodeScanner::MacroText(int n) const
{
    if (n != 2)
        return m_macros[static_cast<std::size_t>(n)];
    switch (m_tail.where) {
    case TTail::TWhere::Live:
        return std::string_view(m_bufText).substr(m_tail.pos, m_tail.len);
    case TTail::TWhere::Retired:
        return std::string_view(m_bufRetired).substr(m_tail.pos, m_tail.len);
    case TTail::TWhere::Own:
        break;
    }
    return m_tail.own;
}

void TCodeScanner::SetMacrosFromLastSearch()
{
    const std::string_view buf = Buf();
    std::size_t end = 0;
    if (m_regex.Matched()) {
        const std::size_t pos = m_regex.MatchPos(0);
        const std::size_t len = m_regex.MatchLen(0);
        m_macros[0].assign(buf.substr(0, pos));
        m_macros[1].assign(buf.substr(pos, len));
        end = pos + len;
    } else {
        m_macros[0].clear();
        m_macros[1].clear();
    }
    // #2 stays in the buffer's storage until the storage changes under it.
    m_tail.where = TTail::TWhere::Live;
    m_tail.pos = m_bufBegin + end;
    m_tail.len = buf.size() - end;
    m_matchVersion = m_bufVersion;
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

int TCodeScanner::PatternIdOf(const TRuleSet& set, std::size_t index)
{
    int& patternId = set.patternIds[index];
    if (patternId < 0)
        patternId = m_regex.PatternId(set.values[index]);
    return patternId;
}

// The run of rules of the set in force that starts at "S<first>", made for the modifiers in
// force: consecutive rules whose patterns the matcher can try as alternatives of one
// pattern, two or more of them; null when no run starts there.
const TCodeScanner::TRuleRun* TCodeScanner::RunAt(int first)
{
    const TRuleSet& set = *m_ruleSet;
    if (set.runModifiers != m_regex.Modifiers()) {
        set.runsByFirst.clear();
        std::vector<int> ids;
        int start = 0;
        const auto close = [&] {
            const int pattern = ids.size() >= 2 ? m_regex.Alternatives(ids) : -1;
            if (pattern >= 0) {
                set.runsByFirst.resize(static_cast<std::size_t>(start) + 1);
                set.runsByFirst.back() = TRuleRun{pattern, std::move(ids)};
            }
            ids.clear();
        };
        for (int n = 0, index = 0; (index = set.RuleIndex(n)) >= 0; ++n) {
            const int id = PatternIdOf(set, static_cast<std::size_t>(index));
            if (!m_regex.CanAlternate(id)) {
                close();
                continue;
            }
            if (ids.empty())
                start = n;
            ids.push_back(id);
        }
        close();
        set.runModifiers = m_regex.Modifiers();
    }
    const auto at = static_cast<std::size_t>(first);
    return at < set.runsByFirst.size() && set.runsByFirst[at] ? &*set.runsByFirst[at] : nullptr;
}

// Most attempts fail, most of them in sets of many rules; a run of rules searched as one
// pattern tells at once which of them matches first. Returns the number after the run's
// last rule, with the rule that matches in `matching` (-1: none), or -1 when no run starts
// at "S<first>" or the engine gave up on the run as a whole (its limits count for all its
// rules together): then the rules are tried one by one. (The trace shows every attempt.)
int TCodeScanner::SearchRun(int first, int& matching)
{
    const TRuleRun* run = m_debug || !m_ruleRuns || !m_ruleSet ? nullptr : RunAt(first);
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
    m_regex.SetPatternId(PatternIdOf(*m_ruleSet, static_cast<std::size_t>(m_atIndex)));
    m_commandIndex = kStop;
    return -1;
}

// The rule the search of its run found matching: that search is the rule's own.
int TCodeScanner::MatchedInRun(int number)
{
    m_atSet = m_ruleSet;
    m_atIndex = m_ruleSet->RuleIndex(number);
    m_regex.SetPatternId(PatternIdOf(*m_ruleSet, static_cast<std::size_t>(m_atIndex)));
    return TakeMatch(m_atIndex, {});
}

int TCodeScanner::TryRuleAt(int index, std::string_view name)
{
    const TRuleSet* set = m_ruleSet;
    m_atSet = set;
    m_atIndex = index;
    m_regex.SetPatternId(PatternIdOf(*set, static_cast<std::size_t>(index)));
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
        m_trace.append(kTraceBreak).append("[Buf:]").append(m_macros[0]).append("|").append(m_macros[1]);
        m_trace.append("|").append(MacroText(2)).append(kTraceBreak).append(kTraceBreak);
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
        if (line.empty())
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
    m_log.ShowString(Unescaped(m_trace));
    m_trace.clear();
}

void TCodeScanner::Trace(std::string_view label, std::string_view value)
{
    if (m_debug && m_trace.size() < kMaxTextSize)
        m_trace.append(kTraceBreak).append(label).append(value.substr(0, kMaxTextSize));
}

std::string& TCodeScanner::CodeLineAt(TLines& lines, const char* what)
{
    if (m_lineIndex < 0 || static_cast<std::size_t>(m_lineIndex) >= lines.size())
        throw TScanError(std::string("no ") + what + " line " + std::to_string(m_lineIndex));
    return lines[static_cast<std::size_t>(m_lineIndex)];
}

void TCodeScanner::CheckSize(std::size_t size, const char* what) const
{
    if (size > kMaxTextSize)
        throw TScanError(std::string(what) + " grows past " + Megabytes(kMaxTextSize));
}

// What the scan writes and what its macro expansions make are each bounded by the source's
// size: rules that expand large macros on every attempt would otherwise take minutes while
// each attempt stays within the caps.
void TCodeScanner::CountAgainstLimit(std::size_t& total, std::size_t bytes, const char* what) const
{
    total += bytes;
    if (total > m_writeLimit)
        throw TScanError(std::string(what) + " past " + Megabytes(m_writeLimit) +
                         ", four times the source and 64 MB");
}

void TCodeScanner::Written(std::size_t bytes)
{
    CountAgainstLimit(m_written, bytes, "what the scan writes grows");
}

void TCodeScanner::RunCommand(const TRuleSet& set, std::size_t index)
{
    const std::string& line = set.lines[index];
    const std::string& value = set.values[index];
    const char command = line[0];
    switch (command) {
    case '*':
    case '<': {
        std::string& text = command == '*' ? CodeLineAt(m_comments, "comment") : CodeLineAt(m_codes, "source");
        const std::string more = ExpandMacros(value);
        CheckSize(text.size() + more.size(), command == '*' ? "a comment line" : "a source line");
        Written(more.size());
        text += more;
        Trace(command == '*' ? "[Comments<-]" : "[Codes<-]", text);
        break;
    }
    case '3': case '4': case '5': case '6': case '7': case '8': case '9':
        m_macros[static_cast<std::size_t>(command - '0')] = ExpandMacros(value);
        break;
    case ';':
        break;
    case '?':
        EmitRecord();
        break;
    case 'B':
        if (value == "#2" && m_tail.where == TTail::TWhere::Live && !TailNeedsExpansion()) {
            // The text after the match still stands in the storage, and no macro would be
            // expanded in it: it becomes the buffer where it stands.
            if (m_bufText.size() > m_tail.pos + m_tail.len)
                TruncateStorage(m_tail.pos + m_tail.len);
            m_bufBegin = m_tail.pos;
            ++m_bufVersion;
            TrimBuf();
        } else {
            std::string text = Trim(ExpandMacros(value));
            CheckSize(text.size(), "the buffer");
            SetBuf(std::move(text));
        }
        Trace("[Buf=]", Buf());
        break;
    case 'D':
        m_declaration = Trim(m_regex.Substitute(value, kMaxTextSize));
        Trace("[Declaration<-]", m_declaration);
        break;
    case 'I':
        m_icon = ExpandMacros(value);
        Trace("[Icon<-]", m_icon);
        break;
    case 'L':
        m_savedLine = m_lineIndex;
        break;
    case 'M':
        if (line.size() < 3)
            throw TScanError("pick-up command without a marker");
        PickUpMatch(line[2]);
        Trace("[MacroPickUp Buf=]", Buf());
        break;
    case 'R':
        m_regex.SetPatternId(PatternIdOf(set, index));
        break;
    case 'S':
        Rematch(PatternIdOf(set, index));
        if (m_debug)
            Trace("[Rematch Buf=]", m_macros[0] + "|" + m_macros[1] + "|" + std::string(MacroText(2)));
        break;
    case 'T':
        m_type = Trim(m_regex.Substitute(ExpandMacros(value), kMaxTextSize));
        Trace("[Type<-]", m_type);
        break;
    case '[':
        DoCommand(set, index);
        break;
    default: // '.', and every character that is no command, stops
        m_commandIndex = kStop;
        break;
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
    const std::size_t keptBegin = m_bufBegin;
    const std::size_t keptSize = m_bufText.size();
    const int keptLine = m_lineIndex;
    // Joining trims the end of the buffer, blanks it ends with included.
    std::optional<std::string> keptText;
    if (!Buf().empty() && IsBlank(m_bufText.back()))
        keptText.emplace(Buf());
    const int last = static_cast<int>(m_codes.size()) - 1;
    struct TJoin {
        int line;
        std::size_t size; // of the storage after the join
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
            if (size > kMaxTextSize)
                break;
            m_lineIndex = next;
            JoinLine(static_cast<std::size_t>(next));
            joins.push_back({next, m_bufText.size()});
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
            const std::string_view prefix =
                std::string_view(m_bufText).substr(m_bufBegin, joins[mid - 1].size - m_bufBegin);
            (m_regex.Search(prefix, from) ? matches : fails) = mid;
        }
        TruncateStorage(joins[matches - 1].size);
        joins.resize(matches);
        m_lineIndex = joins.back().line;
        m_regex.Search(Buf(), from);
    }
    for (const auto& join : joins)
        m_codes[static_cast<std::size_t>(join.line)].clear();
    m_linesRead += static_cast<long>(joins.size());
    if (!found) {
        // Give up: the buffer as it was; the lines read stay consumed, and reading goes on
        // after the kept line, within the source.
        if (keptText) {
            SetBuf(std::move(*keptText));
        } else {
            TruncateStorage(keptSize);
            m_bufBegin = keptBegin;
            ++m_bufVersion;
        }
        m_lineIndex = std::max(0, std::min(keptLine + 1, last));
    }
    SetMacrosFromLastSearch();
}

void TCodeScanner::DoCommand(const TRuleSet& set, std::size_t index)
{
    using TWord = TRuleSet::TWord;
    const TRuleSet::TCommand& command = set.commands[index];
    const std::string& arg = command.arg;
    switch (command.word) {
    case TWord::Push:
        Trace("[Push]", arg);
        PushSet(arg);
        m_commandIndex = kStop;
        break;
    case TWord::Switch:
        Trace("[SWITCH]", arg);
        SwitchSet(arg);
        m_commandIndex = kStop;
        break;
    case TWord::Pop:
        PopSet();
        Trace("[PopTo]", m_setStack.empty() ? std::string() : m_setStack.back());
        m_commandIndex = kStop;
        break;
    case TWord::If:
        if (m_regex.Search(MacroText(command.macro))) {
            // A jump is an attempt: a jump back to a rule that runs it again is cut off like
            // rules that make no progress, and a stop request ends it.
            CheckStop();
            if (Stalled()) {
                m_commandIndex = kStop;
                return;
            }
            // A rule the set lacks: go on with the next line rather than retrying forever.
            if (command.jumpTarget >= 0 && m_ruleSet) {
                TryRuleAt(command.jumpTarget, m_debug ? Trim(arg) : std::string());
                --m_commandIndex;
            }
        }
        break;
    case TWord::NextCycle:
        m_nextCycle = true;
        Trace("[Next CYC!]");
        break;
    case TWord::LineSeparator:
        m_lineSeparator = arg;
        break;
    case TWord::ScanDebug:
        m_debug = !arg.empty() && (arg[0] == 'T' || arg[0] == 'Y' || arg[0] == 't' || arg[0] == 'y');
        break;
    case TWord::Modifier:
        m_regex.SetModifiers(arg);
        break;
    case TWord::Msg:
        m_log.ShowString(Unescaped(ExpandMacros(arg)));
        break;
    case TWord::ClearMacros:
        m_pickups.clear();
        break;
    case TWord::None:
        break;
    }
}

int TCodeScanner::PushSet(const std::string& name)
{
    if (m_setStack.size() >= kMaxSetDepth)
        throw TScanError("more than " + std::to_string(kMaxSetDepth) + " rule sets on the stack: [PUSH] " + name);
    m_ruleSet = SectionOf(name);
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
        m_ruleSet = SectionOf(m_setStack.back());
        RunCommands(0);
    } else {
        m_ruleSet = nullptr;
    }
    return Level();
}

int TCodeScanner::SwitchSet(const std::string& name)
{
    m_ruleSet = SectionOf(name);
    if (m_setStack.empty())
        throw TScanError("SWITCH with an empty set stack");
    m_setStack.back() = name;
    RunCommands(0);
    return Level();
}

// Replaces "#0" to "#9", in that order, each over the text the earlier ones made: one
// pass over the text for each macro that occurs in it, and one after each replacement to
// find the tags left (a macro's text may hold tags, or make one with the text around it).
std::string TCodeScanner::ExpandMacros(std::string_view text)
{
    std::string result(text);
    std::string next;
    for (unsigned tags = TagsIn(result, 0); tags != 0;) {
        const int n = std::countr_zero(tags);
        const char tagText[2] = {'#', static_cast<char>('0' + n)};
        const std::string_view tag(tagText, 2);
        std::size_t count = 0;
        for (auto pos = result.find(tag); pos != std::string::npos; pos = result.find(tag, pos + 2))
            ++count;
        const std::string_view macro = MacroText(n);
        CheckSize(result.size() - 2 * count + count * macro.size(), "a macro expansion");
        next.clear();
        next.reserve(result.size() - 2 * count + count * macro.size());
        std::size_t from = 0;
        for (auto pos = result.find(tag); pos != std::string::npos; pos = result.find(tag, pos + 2)) {
            next.append(result, from, pos - from).append(macro);
            from = pos + 2;
        }
        next.append(result, from);
        CountAgainstLimit(m_macroBytes, next.size(), "macro expansions grow");
        result.swap(next);
        tags = TagsIn(result, n + 1);
    }
    return result;
}

void TCodeScanner::PickUpMatch(char marker)
{
    if (m_pickups.size() >= kMaxPickups)
        throw TScanError("more than " + std::to_string(kMaxPickups) + " picked-up texts");
    Written(m_macros[1].size() + sizeof(std::string));
    m_pickups.push_back(m_macros[1]);
    std::string placeholder = "_" + std::string(1, marker) + std::to_string(m_pickups.size() - 1) + "_";
    const std::string& head = m_macros[0];
    if (m_matchVersion == m_bufVersion && m_tail.where == TTail::TWhere::Live &&
        m_tail.pos >= head.size() + placeholder.size()) {
        // Buf still is #0 #1 #2 as the match left it: the placeholder takes the match's
        // place, #0 moves up to it over text already consumed, and #2 stays where it is.
        const std::size_t begin = m_tail.pos - head.size() - placeholder.size();
        std::copy(head.begin(), head.end(), m_bufText.begin() + static_cast<std::ptrdiff_t>(begin));
        std::copy(placeholder.begin(), placeholder.end(),
                  m_bufText.begin() + static_cast<std::ptrdiff_t>(begin + head.size()));
        m_bufBegin = begin;
        if (m_tagClearTo + 1 >= begin && m_tagClearFrom < m_tail.pos)
            m_tagClearFrom = m_tagClearTo = m_tail.pos;
        ++m_bufVersion;
    } else {
        // Room in front, half the text, so that the next placeholders go in place: a buffer
        // that grows at its front by placeholders is copied a bounded number of times.
        const std::string_view tail = MacroText(2);
        const std::size_t room = 64 + (head.size() + placeholder.size() + tail.size()) / 2;
        std::string text(room, ' ');
        text.append(head).append(placeholder).append(tail);
        const std::size_t tailLen = tail.size();
        SetBuf(std::move(text), room);
        m_tail.where = TTail::TWhere::Live;
        m_tail.pos = m_bufText.size() - tailLen;
        m_tail.len = tailLen;
    }
    m_macros[1] = std::move(placeholder);
    m_matchVersion = m_bufVersion;
}

// Appends text with every placeholder replaced by its picked-up text, itself expanded.
// Each picked-up text is expanded once; one that holds itself (possible after CLRMACRO) or
// lies too deep is left as it stands, and so is a placeholder without a stored text.
void TCodeScanner::AppendExpandedPickups(std::string& out, std::string_view text, int depth)
{
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = text.find('_', from);
        if (at == std::string_view::npos)
            break;
        std::size_t end = at + 1; // past the placeholder's digits
        std::size_t index = 0;
        bool known = end < text.size() && IsMarker(text[end]);
        if (known) {
            ++end;
            while (end < text.size() && text[end] >= '0' && text[end] <= '9') {
                index = std::min<std::size_t>(index * 10 + static_cast<std::size_t>(text[end] - '0'), SIZE_MAX / 20);
                ++end;
            }
            known = end > at + 2 && end < text.size() && text[end] == '_' && index < m_pickups.size();
        }
        if (!known || m_expanding[index] || (!m_expanded[index] && depth >= kMaxNesting)) {
            out.append(text.substr(from, at + 1 - from));
            from = at + 1;
            continue;
        }
        out.append(text.substr(from, at - from));
        if (!m_expanded[index]) {
            struct TExpanding {
                std::vector<bool>::reference flag;
                explicit TExpanding(std::vector<bool>::reference f) : flag(f) { flag = true; }
                ~TExpanding() { flag = false; }
            } expanding(m_expanding[index]);
            std::string expanded;
            AppendExpandedPickups(expanded, m_pickups[index], depth + 1);
            m_expanded[index] = std::move(expanded);
        }
        out += *m_expanded[index];
        CheckSize(out.size(), "a result line");
        from = end + 1;
    }
    out.append(text.substr(from));
}

void TCodeScanner::ExpandResults()
{
    m_expanded.assign(m_pickups.size(), std::nullopt);
    m_expanding.assign(m_pickups.size(), false);
    for (auto& line : m_results) {
        if (line.find('_') != std::string::npos) {
            std::string out;
            try {
                AppendExpandedPickups(out, line, 0);
                line = std::move(out);
            } catch (const TScanError& error) {
                m_atSet = nullptr;
                m_atIndex = kNoProgress;
                NoteFault(error.what(), -1);
            }
        }
        Unescape(line);
    }
    m_expanded.clear();
    m_expanding.clear();
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
    Written(header.size() + m_type.size() + m_declaration.size() + comment.size());
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
    fault.ruleFile = m_sharedRules.FileName();
    fault.message = Unescaped(message);
    if (m_atSet) {
        fault.set = m_atSet->name;
        if (m_atIndex >= 0 && static_cast<std::size_t>(m_atIndex) < m_atSet->lines.size()) {
            fault.ruleLine = m_atSet->lineNumbers[static_cast<std::size_t>(m_atIndex)];
            fault.rule = m_atSet->lines[static_cast<std::size_t>(m_atIndex)];
        }
    }
    std::string text = fault.Text();
    if (m_faultKeys.emplace(fault.set, m_atIndex).second)
        m_faults.push_back(std::move(fault));
    return text;
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
