#pragma once
// The scanner's result records as every reader takes them: four lines each, a header
// "[LINE]n[ICON]i[LEVEL]l", then the type, the declaration and the comment. A record whose
// text came from an included file ends its header with "[FILE]" and that file's absolute
// path (the rest of the line, since a path may hold brackets); its LINE is then the line in
// that file. Stateless; safe from any thread.

#include "scan/OutlineStore.h"
#include "scan/TextFields.h"

#include <cstddef>
#include <string>
#include <string_view>

// Lines of one record; a record's index is the position of its header in the results.
inline constexpr int kRecordLines = 4;
// Icon number of an entry that can be stepped into; the parent row of a level carries it too.
inline constexpr int kContainerIcon = 3;

// One record read in place: its header's fields, and its texts as views of the results.
struct TOutlineRecord {
    std::string line; // LINE as the scanner wrote it: the source line, from 1
    int icon = 0;
    int level = 0;
    std::string file; // the included file the text came from; empty: the scanned source
    std::string_view type;
    std::string_view declaration;
    std::string_view comment;
};

// The whole records of results; lines after the last whole record make none.
std::size_t RecordCount(const TLines& results);
std::size_t RecordCount(const TOutlineStore& results);
// True when index is the header of a whole record of results.
bool HasRecordAt(const TLines& results, int index);
bool HasRecordAt(const TOutlineStore& results, int index);
// The record whose header is results[index]; call only when HasRecordAt.
TOutlineRecord ReadRecord(const TLines& results, int index);
TOutlineRecord ReadRecord(const TOutlineStore& results, int index);
// One field of a header, for walks that need no more: LEVEL and ICON as numbers (0 when
// they hold none), LINE as written, and the included file (empty when there is none).
int RecordLevel(std::string_view header);
int RecordIcon(std::string_view header);
std::string RecordLine(std::string_view header);
std::string_view RecordFile(std::string_view header);
