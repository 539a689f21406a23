#include "widgets/core/ListCompare.h"

#include "scan/TextFields.h"

#include <algorithm>

namespace {

int Sign(long long v)
{
    return (v > 0) - (v < 0);
}

int Direction(TSortOption order)
{
    return order == TSortOption::soAscending ? 1 : -1;
}

const std::string& SubText(const TListRow& row, int index)
{
    static const std::string empty;
    return index >= 0 && static_cast<std::size_t>(index) < row.subTexts.size()
               ? row.subTexts[static_cast<std::size_t>(index)]
               : empty;
}

// The two texts with their ASCII letters folded by fold (to upper or lower case), compared
// by character code, the bytes taken as unsigned; without copying, as sorting compares often.
template <typename TFold>
int CompareFolded(const std::string& a, const std::string& b, TFold fold)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(fold(a[i]));
        const auto cb = static_cast<unsigned char>(fold(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return Sign(static_cast<long long>(a.size()) - static_cast<long long>(b.size()));
}

char ToUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

char ToLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// A Line cell: the line alone for the source's own entries, "file.inc:123" for an entry of
// an included file. Lines compare as numbers within a file; the source's own come first.
int CompareLineCells(const std::string& a, const std::string& b)
{
    const auto split = [](const std::string& text) {
        const std::size_t colon = text.rfind(':');
        return colon == std::string::npos ? std::pair<std::string_view, int>({}, IntOrZero(text))
                                          : std::pair<std::string_view, int>(std::string_view(text).substr(0, colon),
                                                                             IntOrZero(text.substr(colon + 1)));
    };
    const auto [fileA, lineA] = split(a);
    const auto [fileB, lineB] = split(b);
    if (fileA != fileB)
        return CompareFolded(std::string(fileA), std::string(fileB), ToLower);
    return Sign(static_cast<long long>(lineA) - lineB);
}

} // namespace

int DefaultCompare(const TListRow& a, const TListRow& b, int sortColumn, TSortOption order)
{
    const std::string& ta = sortColumn == 0 ? a.caption : SubText(a, sortColumn - 1);
    const std::string& tb = sortColumn == 0 ? b.caption : SubText(b, sortColumn - 1);
    const int result = CompareFolded(ta, tb, ToUpper);
    return order == TSortOption::soDescending ? -result : result;
}

int ListViewCompare(const TListRow& a, const TListRow& b, std::string_view layout, int sortColumn,
                    TSortOption order)
{
    const bool aParent = a.caption.rfind("..", 0) == 0;
    const bool bParent = b.caption.rfind("..", 0) == 0;
    if (aParent || bParent)
        return aParent == bParent ? 0 : (aParent ? -1 : 1);
    if (a.subTexts.size() < 2 || b.subTexts.size() < 2)
        return 0;
    if (sortColumn < 0 || static_cast<std::size_t>(sortColumn) >= layout.size())
        return 0;
    const int dir = Direction(order);
    switch (layout[static_cast<std::size_t>(sortColumn)]) {
    case ' ': return Sign(static_cast<long long>(a.image) - b.image) * dir;
    case 'C':
    case 'D':
    case 'T':
        return CompareFolded(SubText(a, sortColumn - 1), SubText(b, sortColumn - 1), ToLower) * dir;
    case 'L': return CompareLineCells(SubText(a, sortColumn - 1), SubText(b, sortColumn - 1)) * dir;
    default: return 0;
    }
}
