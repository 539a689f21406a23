#include "widgets/WindowState.h"

#include "widgets/ListViewEx.h"

#include <QWidget>

#include <algorithm>

namespace {

std::string WidthKey(const TColumnKeys& keys, int place)
{
    return std::string(keys.widthPrefix) + std::to_string(place);
}

char LetterOf(const std::string& caption)
{
    return caption.empty() ? ' ' : UpperCase(caption.substr(0, 1))[0];
}

} // namespace

TStoredBounds ReadBounds(const TConfig& config, const TBoundsKeys& keys)
{
    return {config.ReadInteger(keys.left), config.ReadInteger(keys.top), config.ReadInteger(keys.width),
            config.ReadInteger(keys.height), config.ReadBool(keys.maximized)};
}

void StoreBounds(TConfig& config, const TBoundsKeys& keys, const QWidget& window, TMaximizedBounds which)
{
    const bool maximized = window.isMaximized();
    const QRect bounds = maximized && which == TMaximizedBounds::Normal ? window.normalGeometry()
                                                                        : QRect(window.pos(), window.size());
    config.WriteInteger(keys.left, bounds.left());
    config.WriteInteger(keys.top, bounds.top());
    config.WriteInteger(keys.width, bounds.width());
    config.WriteInteger(keys.height, bounds.height());
    config.WriteBool(keys.maximized, maximized);
}

TStoredColumns ReadColumns(const TConfig& config, const TColumnKeys& keys, int count)
{
    TStoredColumns stored;
    stored.letters = config.ReadString(keys.letters);
    for (int place = 0; place < count; ++place) {
        const std::string text = config.ReadString(WidthKey(keys, place));
        stored.widths.push_back(Trim(text).empty() ? std::nullopt : std::optional<int>(IntOrZero(text)));
    }
    stored.sortColumn = config.ReadInteger(keys.sortColumn);
    stored.ascending = config.ReadBool(keys.sortOrder);
    return stored;
}

std::string StoreColumns(TConfig& config, const TColumnKeys& keys, const TListViewEx& list,
                         const std::vector<int>& places, const std::function<int(int)>& widthOf)
{
    const QHeaderView* header = list.header();
    const int count = header->count();
    auto placeOf = [&places](int visual) {
        return places.empty() ? visual : places[static_cast<std::size_t>(visual)];
    };
    const std::vector<std::string> captions = list.CaptionsOnScreen();
    std::string letters(static_cast<std::size_t>(count), ' ');
    for (int visual = 0; visual < count; ++visual) {
        const int logical = header->logicalIndex(visual);
        const int place = placeOf(visual);
        letters[static_cast<std::size_t>(place)] = LetterOf(captions[static_cast<std::size_t>(visual)]);
        config.WriteInteger(WidthKey(keys, place), list.isColumnHidden(logical) ? 0 : widthOf(logical));
    }
    config.WriteString(keys.letters, letters);

    int sortColumn = list.SortColumn();
    if (sortColumn >= 0 && sortColumn < count)
        sortColumn = placeOf(header->visualIndex(sortColumn));
    config.WriteInteger(keys.sortColumn, sortColumn);
    config.WriteBool(keys.sortOrder, list.SortOrder() == TSortOption::soAscending);
    return letters;
}

void ApplyStoredWidth(TListViewEx& list, int column, std::optional<int> stored, int builtIn, int minimum)
{
    if (!stored || *stored < -2)
        list.setColumnWidth(column, builtIn);
    else if (*stored == -1)
        list.resizeColumnToContents(column);
    else if (*stored == -2)
        list.setColumnWidth(column, std::max(minimum, list.header()->sectionSizeHint(column)));
    else
        list.setColumnWidth(column, std::max(minimum, *stored));
}
