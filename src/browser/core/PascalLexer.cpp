#include "browser/core/PascalLexer.h"

#include <algorithm>
#include <iterator>
#include <string>

namespace {

// The reserved words, and the directive words that are read as keywords where they stand,
// in alphabetical order.
constexpr std::string_view kKeywords[] = {
    "absolute", "abstract", "and", "array", "as", "asm", "begin", "case", "class", "const",
    "constructor", "destructor", "dispinterface", "div", "do", "downto", "else", "end",
    "except", "exports", "external", "file", "finalization", "finally", "for", "forward",
    "function", "generic", "goto", "if", "implementation", "in", "inherited", "initialization",
    "inline", "interface", "is", "label", "library", "mod", "nil", "not", "object", "of", "on",
    "operator", "or", "out", "overload", "override", "packed", "private", "procedure",
    "program", "property", "protected", "public", "published", "raise", "record", "reintroduce",
    "repeat", "resourcestring", "set", "shl", "shr", "specialize", "strict", "string", "then",
    "threadvar", "to", "try", "type", "unit", "until", "uses", "var", "virtual", "while",
    "with", "xor",
};

char16_t Lower(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool IsIdentStart(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_';
}

bool IsDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

bool IsIdentPart(char16_t c)
{
    return IsIdentStart(c) || IsDigit(c);
}

bool IsHexDigit(char16_t c)
{
    return IsDigit(c) || (Lower(c) >= u'a' && Lower(c) <= u'f');
}

} // namespace

bool IsPascalKeyword(std::u16string_view word)
{
    if (word.size() > 16)
        return false;
    std::string lower;
    for (char16_t c : word) {
        if (c > 0x7F)
            return false;
        lower += static_cast<char>(Lower(c));
    }
    return std::binary_search(std::begin(kKeywords), std::end(kKeywords), std::string_view(lower));
}

TPascalState LexPascalLine(std::u16string_view line, TPascalState state, std::vector<TPascalSpan>& spans)
{
    const std::size_t n = line.size();
    std::size_t pos = 0;
    auto add = [&spans](std::size_t start, std::size_t end, TPascalToken kind) {
        if (end > start)
            spans.push_back({static_cast<int>(start), static_cast<int>(end - start), kind});
    };
    // A comment or directive left open by the line before.
    auto closeOpen = [&](std::u16string_view close, TPascalToken kind) {
        const std::size_t end = line.find(close, pos);
        if (end == std::u16string_view::npos) {
            add(pos, n, kind);
            pos = n;
            return false;
        }
        add(pos, end + close.size(), kind);
        pos = end + close.size();
        return true;
    };
    if (state != TPascalState::Code) {
        const bool brace = state == TPascalState::BraceComment || state == TPascalState::BraceDirective;
        const bool directive = state == TPascalState::BraceDirective || state == TPascalState::ParenDirective;
        if (!closeOpen(brace ? u"}" : u"*)", directive ? TPascalToken::Directive : TPascalToken::Comment))
            return state;
    }
    while (pos < n) {
        const char16_t c = line[pos];
        const char16_t next = pos + 1 < n ? line[pos + 1] : u'\0';
        if (c == u'/' && next == u'/') {
            add(pos, n, TPascalToken::Comment);
            return TPascalState::Code;
        }
        if (c == u'{' || (c == u'(' && next == u'*')) {
            const bool brace = c == u'{';
            const std::size_t open = brace ? 1 : 2;
            const bool directive = pos + open < n && line[pos + open] == u'$';
            const TPascalToken kind = directive ? TPascalToken::Directive : TPascalToken::Comment;
            const std::u16string_view close = brace ? u"}" : u"*)";
            const std::size_t start = pos;
            const std::size_t end = line.find(close, pos + open);
            if (end == std::u16string_view::npos) {
                add(start, n, kind);
                if (brace)
                    return directive ? TPascalState::BraceDirective : TPascalState::BraceComment;
                return directive ? TPascalState::ParenDirective : TPascalState::ParenComment;
            }
            pos = end + close.size();
            add(start, pos, kind);
            continue;
        }
        if (c == u'\'' || (c == u'#' && (IsDigit(next) || next == u'$'))) {
            // A string: quoted parts ('' stands for one quote) and #13-style characters.
            const std::size_t start = pos;
            while (pos < n && (line[pos] == u'\'' || line[pos] == u'#')) {
                if (line[pos] == u'\'') {
                    ++pos;
                    while (pos < n && !(line[pos] == u'\'' && !(pos + 1 < n && line[pos + 1] == u'\'')))
                        pos += line[pos] == u'\'' ? 2 : 1;
                    pos = std::min(n, pos + 1);
                } else {
                    ++pos;
                    if (pos < n && line[pos] == u'$')
                        ++pos;
                    while (pos < n && IsHexDigit(line[pos]))
                        ++pos;
                }
            }
            add(start, pos, TPascalToken::String);
            continue;
        }
        if (IsDigit(c) || (c == u'$' && IsHexDigit(next))) {
            const std::size_t start = pos;
            ++pos;
            while (pos < n && (IsHexDigit(line[pos]) || line[pos] == u'_' ||
                               (line[pos] == u'.' && pos + 1 < n && IsDigit(line[pos + 1]))))
                ++pos;
            add(start, pos, TPascalToken::Number);
            continue;
        }
        if (IsIdentStart(c) || c == u'&') {
            // "&begin" is an identifier that happens to be spelt like a keyword.
            const std::size_t start = pos;
            pos += c == u'&' ? 1 : 0;
            while (pos < n && IsIdentPart(line[pos]))
                ++pos;
            if (c != u'&' && IsPascalKeyword(line.substr(start, pos - start)))
                add(start, pos, TPascalToken::Keyword);
            if (pos == start)
                ++pos;
            continue;
        }
        ++pos;
    }
    return TPascalState::Code;
}
