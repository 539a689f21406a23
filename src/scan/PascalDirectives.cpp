#include "scan/PascalDirectives.h"

#include <array>
#include <cstring>

namespace {

bool IsIdentChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\f' || c == '\v'; }

std::string_view TrimBlanks(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// The identifier at the start of s (after blanks), and what follows it in rest.
std::string_view Word(std::string_view s, std::string_view* rest = nullptr)
{
    std::size_t i = 0;
    while (i < s.size() && IsBlank(s[i]))
        ++i;
    const std::size_t start = i;
    while (i < s.size() && IsIdentChar(s[i]))
        ++i;
    if (rest)
        *rest = s.substr(i);
    return s.substr(start, i - start);
}

// The characters at which something may start in code.
constexpr std::array<bool, 256> kCodeStops = [] {
    std::array<bool, 256> stops{};
    for (unsigned char c : std::string_view("{(/'."))
        stops[c] = true;
    return stops;
}();

// The file name of an include directive's text after its word ("I" or "INCLUDE"), or
// empty when the directive is a switch ({$I+}, {$I-}) or names a compiler text ({$I %DATE%}).
std::string_view IncludeName(std::string_view rest)
{
    if (!rest.empty() && (rest.front() == '+' || rest.front() == '-'))
        return {};
    rest = TrimBlanks(rest);
    if (rest.empty() || rest.front() == '%')
        return {};
    if (rest.front() == '\'') {
        rest.remove_prefix(1);
        return rest.substr(0, rest.find('\''));
    }
    return rest;
}

// The length of the heading "unit Name;" (or program, library; a dotted name) at the start
// of the line, after blanks; 0 when the line starts otherwise.
std::size_t HeadingLength(std::string_view line)
{
    std::string_view rest;
    const std::string_view word = Word(line, &rest);
    if (!SameText(word, "unit") && !SameText(word, "program") && !SameText(word, "library"))
        return 0;
    if (rest.empty() || !IsBlank(rest.front()))
        return 0;
    std::size_t i = 0;
    while (i < rest.size() && IsBlank(rest[i]))
        ++i;
    const std::size_t name = i;
    while (i < rest.size() && (IsIdentChar(rest[i]) || rest[i] == '.'))
        ++i;
    if (i == name)
        return 0;
    while (i < rest.size() && IsBlank(rest[i]))
        ++i;
    if (i >= rest.size() || rest[i] != ';')
        return 0;
    return line.size() - rest.size() + i + 1;
}

} // namespace

const std::vector<TDirectiveEvent>& TDirectiveLexer::Line(std::string_view line)
{
    m_events.clear();
    std::size_t i = 0;
    if (m_state == TState::Code)
        if (const std::size_t heading = HeadingLength(line); heading > 0) {
            m_events.push_back({TDirectiveKind::UnitStart, 0, heading, {}});
            i = heading;
        }
    while (i < line.size()) {
        switch (m_state) {
        case TState::Code:
            i = InCode(line, i);
            break;
        case TState::Brace: {
            const std::size_t at = line.find_first_of(m_nest ? "{}" : "}", i);
            if (at == std::string_view::npos) {
                i = line.size();
            } else {
                if (line[at] == '{')
                    ++m_depth;
                else if (--m_depth == 0)
                    m_state = TState::Code;
                i = at + 1;
            }
            break;
        }
        case TState::ParStar: {
            const std::size_t at = line.find("*)", i);
            i = at == std::string_view::npos ? line.size() : at + 2;
            if (at != std::string_view::npos)
                m_state = TState::Code;
            break;
        }
        }
    }
    return m_events;
}

// Reads code from i up to a comment that goes on past the line, or to the line's end.
std::size_t TDirectiveLexer::InCode(std::string_view line, std::size_t i)
{
    while (i < line.size()) {
        while (i < line.size() && !kCodeStops[static_cast<unsigned char>(line[i])])
            ++i;
        if (i >= line.size())
            break;
        const char c = line[i];
        const char next = i + 1 < line.size() ? line[i + 1] : '\0';
        if (c == '{') {
            const std::size_t close = line.find('}', i + 1);
            if (next == '$' && close != std::string_view::npos) {
                Directive(line.substr(i + 2, close - i - 2), i, close + 1);
                i = close + 1;
                continue;
            }
            m_state = TState::Brace;
            m_depth = 1;
            return i + 1;
        }
        if (c == '(' && next == '*') {
            const std::size_t close = line.find("*)", i + 2);
            if (i + 2 < line.size() && line[i + 2] == '$' && close != std::string_view::npos) {
                Directive(line.substr(i + 3, close - i - 3), i, close + 2);
                i = close + 2;
                continue;
            }
            m_state = TState::ParStar;
            return i + 2;
        }
        if (c == '/' && next == '/')
            return line.size();
        if (c == '\'') {
            const std::size_t close = line.find('\'', i + 1);
            if (close == std::string_view::npos)
                return line.size();
            i = close + 1;
            continue;
        }
        if (c == '.' && next != '.') {
            // "end" before the dot, as a word of its own, blanks between allowed.
            std::size_t j = i;
            while (j > 0 && IsBlank(line[j - 1]))
                --j;
            if (j >= 3 && SameText(line.substr(j - 3, 3), "end") && (j == 3 || !IsIdentChar(line[j - 4])))
                m_events.push_back({TDirectiveKind::UnitEnd, j - 3, i + 1, {}});
        }
        ++i;
    }
    return line.size();
}

void TDirectiveLexer::Directive(std::string_view body, std::size_t begin, std::size_t end)
{
    std::string_view rest;
    const std::string_view word = Word(body, &rest);
    if (!body.empty() && IsBlank(body.front()))
        return; // "{$ I x}" is no directive
    TDirectiveEvent event{TDirectiveKind::If, begin, end, {}};
    if (SameText(word, "I") || SameText(word, "INCLUDE")) {
        event.argument = IncludeName(rest);
        if (event.argument.empty())
            return;
        event.kind = TDirectiveKind::Include;
    } else if (SameText(word, "MODE")) {
        const std::string_view mode = Word(rest);
        if (SameText(mode, "delphi") || SameText(mode, "delphiunicode") || SameText(mode, "tp") ||
            SameText(mode, "macpas"))
            m_nest = false;
        else if (SameText(mode, "fpc") || SameText(mode, "objfpc"))
            m_nest = true;
        return;
    } else {
        struct TWord {
            const char* text;
            TDirectiveKind kind;
        };
        static constexpr TWord kWords[] = {
            {"DEFINE", TDirectiveKind::Define}, {"UNDEF", TDirectiveKind::Undef}, {"IFDEF", TDirectiveKind::IfDef},
            {"IFNDEF", TDirectiveKind::IfNDef}, {"IF", TDirectiveKind::If},       {"IFOPT", TDirectiveKind::If},
            {"ELSEIF", TDirectiveKind::ElseIf}, {"ELSE", TDirectiveKind::Else},   {"ENDIF", TDirectiveKind::EndIf},
            {"IFEND", TDirectiveKind::EndIf}};
        const TWord* found = nullptr;
        for (const auto& w : kWords)
            if (SameText(word, w.text))
                found = &w;
        if (!found)
            return;
        event.kind = found->kind;
        if (event.kind == TDirectiveKind::Define || event.kind == TDirectiveKind::Undef ||
            event.kind == TDirectiveKind::IfDef || event.kind == TDirectiveKind::IfNDef)
            event.argument = Word(rest);
    }
    m_events.push_back(event);
}

std::string TDirectiveLexer::CloseComments()
{
    std::string closing;
    if (m_state == TState::Brace)
        closing.assign(static_cast<std::size_t>(m_depth), '}');
    else if (m_state == TState::ParStar)
        closing = "*)";
    m_state = TState::Code;
    m_depth = 0;
    return closing;
}

bool MayHoldInclude(const TLines& lines)
{
    for (const auto& line : lines) {
        const char* p = line.data();
        const char* end = p + line.size();
        while ((p = static_cast<const char*>(std::memchr(p, '$', static_cast<std::size_t>(end - p)))) != nullptr) {
            const std::size_t at = static_cast<std::size_t>(p - line.data());
            ++p;
            if (at == 0 || (line[at - 1] != '{' && line[at - 1] != '*') || p == end || IsBlank(*p))
                continue;
            std::string_view rest;
            const std::string_view word = Word(std::string_view(line).substr(at + 1), &rest);
            if ((SameText(word, "INCLUDE") || SameText(word, "I")) && !IncludeName(rest).empty())
                return true;
        }
    }
    return false;
}
