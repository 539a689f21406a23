#pragma once
// The compare rules of the report lists, over plain row data so that they can be
// checked without a widget: the list's own case-insensitive text compare and the
// outline list's compare, which keeps the parent row on top and sorts lines as
// numbers. Both answer <0, 0 or >0, direction included.

#include <string>
#include <string_view>
#include <vector>

enum class TSortOption { soNone = 0, soAscending = 1, soDescending = 2 };

// One list row as the compare rules see it: column 0's caption, the image index and the
// texts of columns 1, 2, ...
struct TListRow {
    std::string caption;
    int image = 0;
    std::vector<std::string> subTexts;
    int key = -1; // a number the list's owner gives the row; not compared
};

// Caption (sortColumn 0) or sub-text sortColumn - 1, compared ignoring the case of ASCII
// letters; negated when descending.
int DefaultCompare(const TListRow& a, const TListRow& b, int sortColumn, TSortOption order);

// The outline list's rule. A row whose caption begins with ".." (the parent row) comes
// first in either order. Otherwise the field that the sorted column shows, by the layout
// letter at that column: the icon column by image number, C/D/T by their ASCII-lower-cased
// texts compared by character code, L by IntOrZero within a file ("name.inc:12": an
// included file's entries follow the source's own, by file name). Equal texts, rows with fewer than two
// sub-texts and a letter that names no field compare as equal, so a stable sort keeps
// their earlier order.
int ListViewCompare(const TListRow& a, const TListRow& b, std::string_view layout, int sortColumn,
                    TSortOption order);
