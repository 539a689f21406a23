#pragma once
// What a window keeps of itself in the settings store between runs: its bounds, and the
// columns of a report list (their order by layout letters, their widths, the sorted column
// and the order). Each window names its keys and makes its own choices; the reading and
// writing is done here. User-interface thread only.

#include "config/Config.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QWidget;
class TListViewEx;

// The keys of a window's bounds.
struct TBoundsKeys {
    std::string_view left, top, width, height, maximized;
};

// The bounds a maximized window stores: the ones it returns to, or the ones it has.
enum class TMaximizedBounds { Normal, Current };

struct TStoredBounds {
    int left = 0;
    int top = 0;
    int width = 0; // 0 when none is stored
    int height = 0;
    bool maximized = false;
};

TStoredBounds ReadBounds(const TConfig& config, const TBoundsKeys& keys);
void StoreBounds(TConfig& config, const TBoundsKeys& keys, const QWidget& window, TMaximizedBounds which);

// The keys of a list's columns; a column's width is stored under widthPrefix followed by
// its place in the stored layout, in decimal.
struct TColumnKeys {
    std::string_view letters, widthPrefix, sortColumn, sortOrder;
};

struct TStoredColumns {
    std::string letters;
    std::vector<std::optional<int>> widths; // by place; none where none is stored
    int sortColumn = 0;
    bool ascending = false;
};

// What is stored of the first count columns.
TStoredColumns ReadColumns(const TConfig& config, const TColumnKeys& keys, int count);

// Stores the columns as the list shows them and returns the layout stored: the first
// letter of each caption (upper-cased; a blank for none), each width (widthOf the logical
// column; 0 for a hidden one), the sorted column's place and the order. places[v] is the
// place on-screen column v takes in what is stored; empty: its on-screen place.
std::string StoreColumns(TConfig& config, const TColumnKeys& keys, const TListViewEx& list,
                         const std::vector<int>& places, const std::function<int(int)>& widthOf);

// Sizes a column by its stored width: -1 fits its contents, -2 its caption, a width of
// its own is kept at or above minimum; none stored, or another negative number, gives it
// builtIn.
void ApplyStoredWidth(TListViewEx& list, int column, std::optional<int> stored, int builtIn, int minimum);
