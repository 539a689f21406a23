#pragma once
// The outline document's plain parts: the location text, the outline entries as
// the browser reads them from the scanner's result lines, the walks over levels,
// the Shell page's folder paths and the history of visited locations. Used by
// TOutlineBrowser; stateless apart from THistory.

#include "scan/OutlineRecord.h"
#include "scan/TextFields.h"

#include <string>
#include <vector>

// A location split into its path and what follows its last "?": an entry index
// ("path?12"; missing reads as 0, the top level; -1 when too large for a number) or a
// declaration path ("path?TStockItem.Create": names of nested entries joined by ".").
struct TLocation {
    std::string path;
    int levelStart = 0;
    std::string declaration; // the declaration path; empty when none
};

TLocation ParseLocation(const std::string& location);
// The upper-cased text after the path's last "." when that text holds no ".", "\" or "/";
// empty otherwise (a folder, or a name without an extension).
std::string SourceTypeOf(const std::string& path);
// True for a path that begins with "FTP:" in any letter case.
bool IsFtpPath(const std::string& path);
// "path?index"
std::string MakeLocation(const std::string& path, int entryIndex);
// A folder path as the Shell page shows it: "." and ".." resolved, no trailing "/" (the
// root stays "/"); an empty path is the root.
std::string CleanFolder(const std::string& folder);
// The folder that holds a folder; the root holds itself.
std::string ParentFolder(const std::string& folder);
// The item of folder that is, or holds, the path from: the item a user came from who went
// up from there to folder. Empty when from does not lie inside folder.
std::string ItemToward(const std::string& folder, const std::string& from);
// A folder path with its trailing "/", as a folder location is written.
std::string WithTrailingSlash(std::string folder);

// One result record of the scanner, as the browser keeps it: its own copy, with the index
// of its header in Entries.
struct TOutlineEntry {
    int index = 0;    // its entry index: the position of its first line in Entries
    std::string line; // the source line as the scanner wrote it, from 1
    int icon = 0;
    int level = 0;
    std::string type;
    std::string declaration;
    std::string comment;
    std::string file; // the included file the text comes from (absolute); empty: the source
};

// The entry whose header is entries[index]; call only when HasRecordAt.
TOutlineEntry EntryAt(const TOutlineStore& entries, int index);
// What the Line column shows: the line, after the included file's name for an entry from
// an include ("classesh.inc:123").
std::string LineCellText(const TOutlineEntry& entry);

// The entry indexes of the level that starts at start: the entry there and every later
// one of the same Level up to the first later entry of a smaller Level.
std::vector<int> LevelIndexes(const TOutlineStore& entries, int start);
// True when a level starts at entry index s: the top level (0), the level right after a
// container entry (what stepping into it shows), or the first of the children that follow
// their entry.
bool IsLevelStart(const TOutlineStore& entries, int s);
// The first entry, in document order, that a declaration path names: its last names match
// the entry's name (the declaration up to its first character that is not a letter, digit,
// "_" or "."), the names before them entries that hold it, outermost first, with entries in
// between left out ("TStockItem.Create" is Create inside TStockItem, or an entry named
// TStockItem.Create). Letter case is ignored. -1 when none.
int FindDeclarationPath(const TOutlineStore& entries, const std::string& path);
// The index of the first entry on the line of file (an included file; empty: the source's
// own text) whose Declaration is declaration; -1 when none.
int FindEntry(const TOutlineStore& entries, int line, const std::string& declaration, std::string_view file = {});
// The entry of the level starting at levelStart that is, or holds in its subtree, the entry
// at index: the one a user came from who left that level for a deeper one. -1 when none.
int LevelEntryLeadingTo(const TOutlineStore& entries, int levelStart, int index);
// The start of the level that shows the entry at index: the index right after the nearest
// earlier entry of a smaller Level (the entry that holds it), or 0 on the top level. When
// that level does not show the entry (rules that give the entries below one entry differing
// Levels), the entry's own index. 0 when there is no entry at index.
int LevelStartOf(const TOutlineStore& entries, int index);
// The start of the level that holds the parent entry of the level starting at
// levelStart: the index right after the nearest earlier entry whose Level is below the
// parent's, or 0 when there is none.
int UpperLevelStart(const TOutlineStore& entries, int levelStart);

// The visited locations, newest first, and the position of the one shown.
class THistory {
public:
    static constexpr std::size_t kMaxEntries = 100;

    // Makes location the newest, current entry: the entries ahead of the position are
    // dropped first, and the oldest beyond kMaxEntries afterwards. Recording the current
    // location again changes nothing.
    void RecordLocation(const std::string& location);
    // Moves towards newer (Forward) or older (Back) entries; at either end it stays.
    void Forward();
    void Back();
    // Removes the location at the position, one that could not be opened, and moves the
    // position to the location that was at shownPos before the removal.
    void RemoveCurrent(int shownPos);
    // The location at the position; empty when the history is empty.
    std::string Current() const;
    bool CanGoForward() const { return m_pos > 0; }
    bool CanGoBack() const { return m_pos + 1 < m_items.size(); }

    const TLines& Items() const { return m_items; }
    int Pos() const { return static_cast<int>(m_pos); }

private:
    TLines m_items;
    std::size_t m_pos = 0;
};
