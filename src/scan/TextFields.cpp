#include "scan/TextFields.h"

#include <climits>
#include <cstdint>

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string SeparatedField(std::string_view s, int n, char sep)
{
    std::string result;
    int count = 0;
    for (char c : s) {
        if (c == sep)
            ++count;
        else if (count == n)
            result += c;
    }
    return result;
}

} // namespace

std::string Trim(std::string_view s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return std::string(s.substr(b, e - b));
}

std::string UpperCase(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        c = Upper(c);
    return r;
}

std::string LowerCase(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        c = Lower(c);
    return r;
}

bool SameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != Upper(b[i]))
            return false;
    return true;
}

int TagCount(std::string_view s)
{
    int count = 0;
    bool open = false;
    for (char c : s) {
        if (c == '[')
            open = true;
        else if (c == ']' && open) {
            ++count;
            open = false;
        }
    }
    return count;
}

bool HasTags(std::string_view s) { return TagCount(s) > 0; }

std::string TagText(std::string_view s, int n)
{
    const std::string u = UpperCase(Trim(s));
    const int count = TagCount(u);
    if (count == 0 || count < n)
        return {};
    std::string result;
    bool open = false;
    int groups = 0;
    for (char c : u) {
        if (c == '[' && !open) {
            open = true;
            ++groups;
        } else if (c == ']' && open) {
            open = false;
        }
        if (groups == n + 1 && open && c != '[' && c != ']')
            result += c;
    }
    return Trim(result);
}

std::string TagTail(std::string_view s, int n)
{
    std::string result;
    bool open = false;
    int closed = 0;
    for (char c : s) {
        if (c == '[' && !open) {
            open = true;
        } else if (c == ']' && open) {
            open = false;
            ++closed;
        }
        if (closed == n && !open && c != '[' && c != ']')
            result += c;
    }
    return Trim(result);
}

std::string TagValue(std::string_view s, std::string_view tag)
{
    const std::string key = UpperCase(tag);
    // The accumulated group text starts out matching nothing, not even an empty tag.
    std::string group;
    bool groupValid = false;
    bool open = false;
    std::size_t i = 0;
    for (;;) {
        if (i >= s.size())
            return {};
        const char c = s[i];
        if (c == '[' && !open) {
            open = true;
            group.clear();
            groupValid = true;
        } else if (c == ']') {
            open = false;
        } else if (c != '[' && open) {
            group += Upper(c);
        }
        ++i;
        if (i >= s.size())
            return {};
        if (groupValid && group == key)
            break;
    }
    // The collect phase starts with the flag as the find phase left it: still inside the
    // group when the tag only matched the beginning of a longer group text.
    std::string result;
    while (i < s.size()) {
        const char c = s[i];
        if (c == '[')
            open = true;
        else if (c == ']')
            open = false;
        else if (!open)
            result += c;
        ++i;
        if (open)
            break;
    }
    return Trim(result);
}

std::string CommaField(std::string_view s, int n) { return SeparatedField(s, n, ','); }

int SemicolonCount(std::string_view s)
{
    int count = 0;
    for (char c : s)
        count += (c == ';');
    return count;
}

std::string SemicolonField(std::string_view s, int n) { return SeparatedField(s, n, ';'); }

std::string PairName(std::string_view s)
{
    const auto eq = s.find('=');
    return eq == std::string_view::npos ? std::string() : std::string(s.substr(0, eq));
}

std::string PairValue(std::string_view s, std::string_view name)
{
    TLines fields;
    const int count = SemicolonCount(s) + 1;
    for (int i = 0; i < count; ++i)
        fields.push_back(SemicolonField(s, i));
    TrimLines(fields);
    for (const auto& f : fields) {
        const auto eq = f.find('=');
        if (eq != std::string::npos && SameText(std::string_view(f).substr(0, eq), name))
            return f.substr(eq + 1);
    }
    return {};
}

std::string FolderOf(std::string_view path)
{
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string FileNameOf(std::string_view path)
{
    const auto slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string FileTypeKey(std::string_view path)
{
    const auto dot = path.rfind('.');
    return UpperCase(dot == std::string_view::npos ? path : path.substr(dot + 1));
}

void TrimLines(TLines& lines)
{
    std::size_t out = 0;
    for (auto& line : lines) {
        std::string t = Trim(line);
        if (!t.empty())
            lines[out++] = std::move(t);
    }
    lines.resize(out);
}

int IntOrZero(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= s.size())
        return 0;
    std::int64_t value = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return 0;
        value = value * base + digit;
        if (value > std::int64_t(INT_MAX) + 1)
            return 0;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX || value < INT_MIN)
        return 0;
    return static_cast<int>(value);
}

TLines SplitLines(std::string_view text)
{
    TLines lines;
    std::string current;
    std::size_t i = 0;
    bool pending = false;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(std::move(current));
            current.clear();
            pending = false;
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            current += c;
            pending = true;
        }
        ++i;
    }
    if (pending)
        lines.push_back(std::move(current));
    return lines;
}
