#include "scan/CodeScanner.h"

#include "config/Config.h"
#include "config/Debug.h"
#include "config/SettingsKeys.h"
#include "scan/SourceText.h"

#include <optional>
#include <tuple>
#include <unordered_map>
#include <vector>
#include <utility>

// One rule set with each line's name and value taken apart once.
struct TCodeScanner::TRuleSet {
    TLines lines;
    TLines values;
    std::unordered_map<std::string, int> firstIndexByName; // upper-cased name -> line index
    std::vector<int> ruleIndexByNumber;                     // n -> line index of "Sn", or -1
    // Pattern ids of the rule lines in the scanner's matcher, filled as rules are tried.
    mutable std::vector<int> patternIds;

    explicit TRuleSet(TLines setLines) : lines(std::move(setLines))
    {
        values.reserve(lines.size());
        patternIds.assign(lines.size(), -1);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::string& line = lines[i];
            const auto eq = line.find('=');
            if (eq == std::string::npos) {
                values.push_back(line.empty() ? std::string() : line.substr(1));
            } else {
                values.push_back(line.substr(eq + 1));
                const std::string name = UpperCase(std::string_view(line).substr(0, eq));
                if (!firstIndexByName.emplace(name, static_cast<int>(i)).second)
                    continue;
                // The rule loop asks for "S0", "S1", ... by number; keep those at hand.
                if (name.size() > 1 && name.size() < 8 && name[0] == 'S' &&
                    name.find_first_not_of("0123456789", 1) == std::string::npos) {
                    const int n = std::stoi(name.substr(1));
                    if (name == "S" + std::to_string(n)) {
                        if (ruleIndexByNumber.size() <= static_cast<std::size_t>(n))
                            ruleIndexByNumber.resize(static_cast<std::size_t>(n) + 1, -1);
                        ruleIndexByNumber[static_cast<std::size_t>(n)] = static_cast<int>(i);
                    }
                }
            }
        }
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

} // namespace

TCodeScanner::TCodeScanner(const TStructureTexts& sharedRules, const TConfig& config, TDebug& log)
    : m_sharedRules(sharedRules), m_log(log), m_commentIndicator(config.ReadInteger(kCmtIndicator))
{
    m_icon.reserve(3);
    m_declaration.reserve(1024);
    m_type.reserve(256);
    m_buf.reserve(2048);
    for (auto& macro : m_macros)
        macro.reserve(1024);
}

TCodeScanner::~TCodeScanner() = default;

bool TCodeScanner::IsKnownType(std::string_view key) const
{
    for (const auto& line : m_sharedRules.Section("VAR"))
        if (line.find('=') != std::string::npos && SameText(PairName(line), key))
            return true;
    return false;
}

void TCodeScanner::ResetForScan()
{
    m_regex.SetModifiers("isg-mxr");
    m_nextCycle = false;
    m_debug = false;
    m_lineIndex = 0;
    m_commandIndex = 0;
    m_buf.clear();
    m_atEnd = false;
    m_codes.clear();
    m_commentBlock.clear();
    m_results.clear();
    m_lineSeparator = " ";
    for (auto& macro : m_macros)
        macro.clear();
}

void TCodeScanner::ScanFile(const std::string& path, std::string_view key)
{
    ResetForScan();
    auto lines = LoadSourceLines(path);
    if (!lines) {
        m_comments.clear();
        m_log.AddLine("error:Codes.LoadFromFile;" + path);
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
    m_comments.assign(m_codes.size(), std::string());
    std::string blockName;
    for (const auto& line : m_sharedRules.Section("VAR")) {
        if (line.find('=') != std::string::npos && SameText(PairName(line), key)) {
            blockName = line.substr(line.find('=') + 1);
            break;
        }
    }
    // The shared rule file never changes, so a scanner that scans many files of one type
    // (the search) copies the block and parses its sets once.
    if (!m_blockName || *m_blockName != blockName) {
        m_blockRules.LoadFromList(m_sharedRules.Block(blockName));
        m_sections.clear();
        m_blockName = blockName;
    }
    Run();
}

std::shared_ptr<const TCodeScanner::TRuleSet> TCodeScanner::SectionOf(const std::string& name)
{
    if (auto it = m_sections.find(name); it != m_sections.end())
        return it->second;
    auto set = std::make_shared<const TRuleSet>(m_blockRules.Section(name));
    m_sections.emplace(name, set);
    return set;
}

void TCodeScanner::SetRuleSet(std::shared_ptr<const TRuleSet> set) { m_ruleSet = std::move(set); }

void TCodeScanner::Run()
{
    m_pickups.clear();
    int cycle = 0;
    m_setStack.clear();
    m_ruleSet.reset();
    PushSet("CYC0");
    while (m_ruleSet && !m_ruleSet->lines.empty()) {
        StartCycle();
        while (!m_atEnd) {
            if (m_stop.stop_requested())
                throw TScanError("scan stopped");
            int rule = 0;
            int outcome = -2;
            int attempts = 0;
            long attemptsRead = m_linesRead;
            // The state after the last failed attempt on this buffer: the same rule failing
            // again with nothing changed would fail the same way forever.
            std::optional<std::tuple<int, int, std::string, TLines>> lastFailure;
            while (!m_buf.empty()) {
                if (m_stop.stop_requested())
                    throw TScanError("scan stopped");
                try {
                    outcome = TryRuleNumber(rule); // the rule named "S<rule>"
                    RunCommands(kStop);
                } catch (const std::exception&) {
                    auto state = std::make_tuple(rule, m_lineIndex, m_buf, m_setStack);
                    if (lastFailure == state)
                        break;
                    m_log.ShowString("There may be an exception at " + std::to_string(m_lineIndex));
                    lastFailure = std::move(state);
                }
                if (m_nextCycle)
                    break;
                rule = outcome == -1 ? rule + 1 : 0;
                if (outcome == -2)
                    break;
                if (m_linesRead != attemptsRead) {
                    attempts = 0;
                    attemptsRead = m_linesRead;
                } else if (++attempts >= kMaxAttemptsPerBuffer) {
                    // Rules that keep matching without consuming anything: give the buffer up.
                    m_log.ShowString("There may be an exception at " + std::to_string(m_lineIndex));
                    break;
                }
            }
            if (m_nextCycle)
                break;
            ReadNextLine();
        }
        ++cycle;
        m_setStack.clear();
        m_ruleSet.reset();
        PushSet("CYC" + std::to_string(cycle));
    }
    for (auto& line : m_results)
        line = ExpandPickups(line);
}

void TCodeScanner::StartCycle()
{
    m_results.clear();
    m_nextCycle = false;
    m_lineIndex = 0;
    m_atEnd = false;
    if (m_codes.empty())
        throw TScanError("the source has no lines");
    m_buf = m_codes[0];
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
    std::string& line = m_codes[static_cast<std::size_t>(m_lineIndex)];
    m_buf.append(m_lineSeparator).append(line);
    line.clear();
    ++m_linesRead;
    // Trim in place: one move of the buffer at most.
    std::size_t end = m_buf.size();
    while (end > 0 && static_cast<unsigned char>(m_buf[end - 1]) <= 32)
        --end;
    m_buf.resize(end);
    std::size_t begin = 0;
    while (begin < m_buf.size() && static_cast<unsigned char>(m_buf[begin]) <= 32)
        ++begin;
    if (begin > 0)
        m_buf.erase(0, begin);
}

void TCodeScanner::SetMacrosFromLastSearch(const std::string& subject)
{
    if (m_regex.Matched()) {
        const std::size_t pos = m_regex.MatchPos(0);
        const std::size_t len = m_regex.MatchLen(0);
        m_macros[0].assign(subject, 0, pos);
        m_macros[1].assign(subject, pos, len);
        m_macros[2].assign(subject, pos + len);
    } else {
        m_macros[0].clear();
        m_macros[1].clear();
        m_macros[2] = subject;
    }
}

int TCodeScanner::TryRule(std::string_view name)
{
    if (!m_ruleSet)
        return -2;
    const auto it = m_ruleSet->firstIndexByName.find(UpperCase(name));
    if (it == m_ruleSet->firstIndexByName.end())
        return -2;
    return TryRuleAt(it->second, name);
}

int TCodeScanner::TryRuleNumber(int number)
{
    const int index = m_ruleSet ? m_ruleSet->RuleIndex(number) : -1;
    if (index < 0)
        return -2;
    return TryRuleAt(index, m_debug ? "S" + std::to_string(number) : std::string());
}

int TCodeScanner::TryRuleAt(int index, std::string_view name)
{
    const auto set = m_ruleSet;
    int& patternId = set->patternIds[static_cast<std::size_t>(index)];
    if (patternId < 0)
        patternId = m_regex.PatternId(set->values[static_cast<std::size_t>(index)]);
    m_regex.SetPatternId(patternId);
    if (m_regex.Search(m_buf) && !m_buf.empty()) {
        SetMacrosFromLastSearch(m_buf);
        m_commandIndex = index + 1;
        if (m_debug) {
            m_trace.append(kTraceBreak).append(kTraceBreak).append("--------------------------------");
            m_trace.append(kTraceBreak).append("[").append(std::to_string(m_lineIndex)).append("]");
            m_trace.append(kTraceBreak).append("[Match <").append(m_setStack.empty() ? "" : m_setStack[0]);
            m_trace.append(",").append(name).append(">] ").append(set->lines[static_cast<std::size_t>(index)]);
            m_trace.append(kTraceBreak).append("[Buf:]").append(m_macros[0]).append("|").append(m_macros[1]);
            m_trace.append("|").append(m_macros[2]).append(kTraceBreak).append(kTraceBreak);
        }
        return static_cast<int>(m_regex.MatchPos(0) + m_regex.MatchLen(0));
    }
    m_commandIndex = kStop;
    return -1;
}

void TCodeScanner::RunCommands(int start)
{
    if (start >= 0)
        m_commandIndex = start;
    while (m_commandIndex >= 0) {
        // Hold the set: a command may replace the set in force while its line runs.
        const auto set = m_ruleSet;
        const auto index = static_cast<std::size_t>(m_commandIndex);
        if (!set || index >= set->lines.size())
            throw TScanError("command index " + std::to_string(m_commandIndex) + " past the end of the rule set");
        const std::string& line = set->lines[index];
        if (m_debug)
            Trace("[Program] ", line);
        if (line.empty())
            break;
        RunCommand(line, set->values[index]);
        ++m_commandIndex;
    }
    if (m_debug && m_trace.size() > 1)
        ShowTrace();
}

void TCodeScanner::ShowTrace()
{
    if (m_minimize)
        m_minimize();
    m_log.ShowString(m_trace);
    m_trace.clear();
}

void TCodeScanner::Trace(std::string_view label, std::string_view value)
{
    if (m_debug)
        m_trace.append(kTraceBreak).append(label).append(value);
}

std::string& TCodeScanner::CodeLineAt(TLines& lines, const char* what)
{
    if (m_lineIndex < 0 || static_cast<std::size_t>(m_lineIndex) >= lines.size())
        throw TScanError(std::string("no ") + what + " line " + std::to_string(m_lineIndex));
    return lines[static_cast<std::size_t>(m_lineIndex)];
}

void TCodeScanner::RunCommand(const std::string& line, const std::string& value)
{
    const char command = line[0];
    switch (command) {
    case '*': {
        std::string& comment = CodeLineAt(m_comments, "comment");
        comment += ExpandMacros(value);
        Trace("[Comments<-]", comment);
        break;
    }
    case '3': case '4': case '5': case '6': case '7': case '8': case '9':
        m_macros[static_cast<std::size_t>(command - '0')] = ExpandMacros(value);
        break;
    case ';':
        break;
    case '<': {
        std::string& code = CodeLineAt(m_codes, "source");
        code += ExpandMacros(value);
        Trace("[Codes<-]", code);
        break;
    }
    case '?':
        EmitRecord();
        break;
    case 'B':
        m_buf = Trim(ExpandMacros(value));
        Trace("[Buf=]", m_buf);
        break;
    case 'D':
        m_declaration = Trim(m_regex.Substitute(value));
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
            throw TScanError("pick-up command without a marker: " + line);
        PickUpMatch(line[2]);
        Trace("[MacroPickUp Buf=]", m_buf);
        break;
    case 'R':
        m_regex.SetPattern(value);
        break;
    case 'S':
        Rematch(value);
        if (m_debug)
            Trace("[Rematch Buf=]", m_macros[0] + "|" + m_macros[1] + "|" + m_macros[2]);
        break;
    case 'T':
        m_type = Trim(m_regex.Substitute(ExpandMacros(value)));
        Trace("[Type<-]", m_type);
        break;
    case '[':
        DoCommand(line);
        break;
    default: // '.', and every character that is no command, stops
        m_commandIndex = kStop;
        break;
    }
}

void TCodeScanner::Rematch(const std::string& pattern)
{
    const std::string keptBuf = m_buf;
    const int keptLine = m_lineIndex;
    m_regex.SetPattern(pattern);
    const int last = static_cast<int>(m_codes.size()) - 1;
    while (!m_regex.Search(m_buf)) {
        if (m_lineIndex >= last) {
            m_buf = keptBuf;
            m_lineIndex = keptLine + 1;
            break;
        }
        ReadNextLine();
    }
    SetMacrosFromLastSearch(m_buf);
}

void TCodeScanner::DoCommand(const std::string& line)
{
    const std::string word = TagText(line, 0);
    const std::string arg = TagTail(line, 1);
    if (word == "PUSH") {
        Trace("[Push]", arg);
        PushSet(arg);
        m_commandIndex = kStop;
    } else if (word == "SWITCH") {
        Trace("[SWITCH]", arg);
        SwitchSet(arg);
        m_commandIndex = kStop;
    } else if (word == "POP") {
        PopSet();
        Trace("[PopTo]", m_setStack.empty() ? std::string() : m_setStack[0]);
        m_commandIndex = kStop;
    } else if (word.size() == 8 && word.compare(0, 3, "IF#") == 0 && word.compare(4, 4, "THEN") == 0 &&
               word[3] >= '0' && word[3] <= '3') {
        if (m_regex.Search(m_macros[static_cast<std::size_t>(word[3] - '0')])) {
            // A rule the set lacks: go on with the next line rather than retrying forever.
            if (TryRule(Trim(arg)) != -2)
                --m_commandIndex;
        }
    } else if (word == "NEXTCYC") {
        m_nextCycle = true;
        Trace("[Next CYC!]");
    } else if (word == "LINESEPARATER") {
        m_lineSeparator = arg;
    } else if (word == "SCANDEBUG") {
        m_debug = !arg.empty() && (arg[0] == 'T' || arg[0] == 'Y' || arg[0] == 't' || arg[0] == 'y');
    } else if (word == "MODIFIER") {
        m_regex.SetModifiers(arg);
    } else if (word == "MSG") {
        m_log.ShowString(ExpandMacros(arg));
    } else if (word == "CLRMACRO") {
        m_pickups.clear();
    }
}

int TCodeScanner::PushSet(const std::string& name)
{
    SetRuleSet(SectionOf(name));
    if (!m_ruleSet->lines.empty())
        RunCommands(0);
    m_setStack.insert(m_setStack.begin(), name);
    return Level();
}

int TCodeScanner::PopSet()
{
    if (m_setStack.empty()) {
        m_ruleSet.reset();
        return -1;
    }
    m_setStack.erase(m_setStack.begin());
    if (!m_setStack.empty()) {
        SetRuleSet(SectionOf(m_setStack[0]));
        RunCommands(0);
    } else {
        m_ruleSet.reset();
    }
    return Level();
}

int TCodeScanner::SwitchSet(const std::string& name)
{
    SetRuleSet(SectionOf(name));
    if (m_setStack.empty())
        throw TScanError("SWITCH with an empty set stack");
    m_setStack[0] = name;
    RunCommands(0);
    return Level();
}

std::string TCodeScanner::ExpandMacros(std::string_view text) const
{
    std::string result(text);
    if (result.find('#') == std::string::npos)
        return result;
    for (int n = 0; n <= 9; ++n) {
        const char tag[3] = {'#', static_cast<char>('0' + n), '\0'};
        const std::string& macro = m_macros[static_cast<std::size_t>(n)];
        std::size_t pos = 0;
        while ((pos = result.find(tag, pos)) != std::string::npos) {
            result.replace(pos, 2, macro);
            pos += macro.size();
        }
    }
    return result;
}

void TCodeScanner::PickUpMatch(char marker)
{
    m_pickups.push_back(m_macros[1]);
    m_macros[1] = "_" + std::string(1, marker) + std::to_string(m_pickups.size() - 1) + "_";
    m_buf = m_macros[0] + m_macros[1] + m_macros[2];
}

std::string TCodeScanner::ExpandPickups(std::string_view input)
{
    std::string text(input);
    if (text.find('_') == std::string::npos)
        return text;
    m_regex.SetPattern("_[!@%&](\\d+)_");
    for (int replaced = 0; replaced < kMaxPickupExpansions && m_regex.Search(text); ++replaced) {
        const int n = IntOrZero(m_regex.MatchText(1));
        if (n < 0 || static_cast<std::size_t>(n) >= m_pickups.size())
            throw TScanError("placeholder " + m_regex.MatchText(0) + " has no picked-up text");
        text.replace(m_regex.MatchPos(0), m_regex.MatchLen(0), m_pickups[static_cast<std::size_t>(n)]);
    }
    return text;
}

void TCodeScanner::EmitRecord()
{
    const int k = m_savedLine >= 0 ? m_savedLine : m_lineIndex;
    m_results.push_back("[LINE]" + std::to_string(k + 1) + "[ICON]" + m_icon + "[LEVEL]" +
                        std::to_string(Level()));
    m_results.push_back(m_type);
    m_results.push_back(m_declaration);
    const long commentIndex = static_cast<long>(k) + m_commentIndicator;
    // Near the ends of the file the shifted comment line may not exist: the record
    // still has its four lines, with an empty comment.
    if (commentIndex >= 0 && static_cast<std::size_t>(commentIndex) < m_comments.size())
        m_results.push_back(m_comments[static_cast<std::size_t>(commentIndex)]);
    else
        m_results.emplace_back();
    Trace("[Do OutPut!]");
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
            m_commentBlock.insert(m_commentBlock.begin(), m_comments[static_cast<std::size_t>(i)]);
    }
    return m_commentBlock;
}
