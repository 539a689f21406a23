#pragma once
// The outline browser: the document the main window shows (the location, the source
// file and its type, the level shown, the entries scanned from the file and its
// title) and the navigation over it (stepping into and out of levels, the history,
// file stepping, the Shell page and its folder). It has no widgets: it asks an
// IOutlineSource for scans and folder listings and tells an IOutlineView what to
// show. Owned by the main window; user-interface thread only.

#include "browser/core/OutlineDocument.h"
#include "browser/core/OutlineScan.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class TDebug;

// One item of a folder listing.
struct TFolderItem {
    std::string path; // full path
    bool folder = false;
};

// What the browser needs from outside.
class IOutlineSource {
public:
    virtual ~IOutlineSource() = default;
    // True when the rule file lists the file-type key; never for an empty key.
    virtual bool IsKnownType(const std::string& key) const = 0;
    // Reads and scans the file at path with the rules for the key.
    virtual TScanOutcome Scan(const std::string& path, const std::string& key) = 0;
    // The folder's sub-folders and source files, read anew, in the order the Shell page
    // shows them.
    virtual std::vector<TFolderItem> ListFolder(const std::string& folder) = 0;
};

// One level of the outline as the list shows it.
struct TOutlineLevel {
    std::optional<TOutlineEntry> parent; // shown as the parent row ".."; none on the top level
    std::vector<TOutlineEntry> entries;
    int currentEntry = -1; // entry index of the row to make current; -1 for none
};

enum class TBrowserPage { List, Shell };

// What the browser tells the window to show.
class IOutlineView {
public:
    virtual ~IOutlineView() = default;
    // Fills the outline list; does not switch pages. No entries: the list is emptied.
    virtual void ShowLevel(const TOutlineLevel& level) = 0;
    // Lists a folder on the Shell page and selects the item selectedPath (none when empty);
    // does not switch pages.
    virtual void ShowFolder(const std::string& folder, const std::string& selectedPath) = 0;
    virtual void ShowPage(TBrowserPage page) = 0;
    // The title text of the document, one line each.
    virtual void ShowTitle(const TLines& title) = 0;
    // The window caption names this path.
    virtual void ShowCaption(const std::string& path) = 0;
    // The first status panel: the line count, or a path; empty clears it.
    virtual void ShowStatus(const std::string& text) = 0;
    // Why the last step could not show a location; empty clears it.
    virtual void ShowNotice(const std::string& text) = 0;
    // The busy state: the wait cursor and a disabled window while a file is scanned.
    virtual void SetBusy(bool on) = 0;
};

class TOutlineBrowser {
public:
    // dataFolder (ending with "/") holds "Temp.dat", the file an "FTP:" location reads.
    TOutlineBrowser(IOutlineSource& source, IOutlineView& view, TDebug& debugLog,
                    std::string dataFolder);

    // The user's steps. Each clears the notice first and ends the busy state.

    // Opens the start location. A file that cannot be outlined shows its folder on the
    // Shell page with the file selected, and the folder becomes the current location.
    void Start(const std::string& location);
    // Opens a location chosen by the user (the open dialog, the search window) and shows it.
    void Open(const std::string& location);
    // Opens a file as Open does, at the level of its entry on sourceLine with that
    // declaration (of its own text, not of a file it includes), with the entry current (a
    // row the search found); at the file's top when it has no such entry.
    void OpenEntry(const std::string& path, int sourceLine, const std::string& declaration);
    // Steps into the entry at entryIndex of the file scanned last, showing its children.
    // False when there is no entry there.
    bool StepInto(int entryIndex);
    void GoUp();
    // Shows the level that holds the entry at entryIndex of the file scanned last, with
    // the entry current (a match of the filter).
    void ShowEntry(int entryIndex);
    void Back();
    void Forward();
    void NextFile();
    void PrevFile();
    // Shows the Shell page with the source file selected.
    void ShowDirectory();
    // A double click on the Shell page; a folder has been entered there already.
    void OpenShellItem(const std::string& path, bool folder);
    // Scans the source again (after the comment indicator changed, or includes are followed
    // or not) and shows the level that holds the entry at currentEntry, found again by its
    // line and declaration, with it current (the level shown before, or the top when that is
    // gone, when it is not found); on the Shell page it does nothing. Entries stay when the
    // scan finds none.
    void Rescan(int currentEntry = -1);

    // The document's operations, which the steps are made of.

    // Makes the location current and scans its file when it is not the file scanned
    // last. A file that cannot be outlined leaves the document as it was and says why.
    // Does not touch the history, and does not show the level.
    enum class TOpenResult { Opened, UnknownType, Failed };
    TOpenResult OpenLocation(const std::string& location);
    // Shows what OpenLocation made current: the level, or the Shell page for a folder or
    // a file the rules do not know. currentEntry: the row to make current.
    void ShowDocument(int currentEntry = -1);
    // Shows the level that starts at entry index s on the List page.
    void ShowLevel(int s, int currentEntry = -1);
    void RecordLocation(const std::string& location);
    // OpenLocation, recording the location unless it failed; false when it failed.
    bool GoToLocation(const std::string& location);
    // Goes to the level at entry index i of the file scanned last.
    bool OpenLevel(int i);

    const std::string& SourcePath() const { return m_sourcePath; }
    const std::string& SourceType() const { return m_sourceType; }
    int LevelStart() const { return m_levelStart; }
    const std::string& ScannedPath() const { return m_scannedPath; }
    const TOutlineStore& Entries() const { return *m_entries; }
    // The entries, for work on another thread that must keep them while the browser
    // moves on to other ones.
    std::shared_ptr<const TOutlineStore> SharedEntries() const { return m_entries; }
    // Changes whenever Entries is replaced (a scan), so that what is made from the entries
    // can tell when to make it again.
    int EntriesVersion() const { return m_entriesVersion; }
    const TLines& Title() const { return m_title; }
    const THistory& History() const { return m_history; }
    bool IsShellPageShowing() const { return m_page == TBrowserPage::Shell; }
    // The folder the Shell page lists, without a trailing "/" (the root is "/").
    const std::string& Folder() const { return m_folder; }

private:
    class TStep;
    struct TLocationParts {
        std::string path;
        std::string type;
        std::string sourcePath;
        int levelStart = 0;
    };

    TLocationParts Resolve(const std::string& location) const;
    // Once a location the user gave is open: an entry index that starts no level, or a
    // declaration path that names no entry, gives the top level and the notice says why.
    // Rewrites location to the level shown; returns the entry to make current, or -1.
    int SettleLocation(std::string& location);
    void GoUpLevel();
    void StepHistory(bool back);
    void StepFile(int direction);
    void SetFolder(const std::string& folder, const std::string& selectedPath = {});
    void SetPage(TBrowserPage page);
    void SetBusy(bool on);
    // Logs a failed scan of sourcePath (logLine when the file was read) and says in the
    // notice why the file that path names cannot be outlined.
    void ReportFailure(const std::string& path, const std::string& sourcePath,
                       const TScanOutcome& outcome, const std::string& logLine);
    // The entry to make current when the level at levelStart of the file scanned last
    // replaces the level at previousStart of the same file.
    int EntryCameFrom(int previousStart) const;

    IOutlineSource& m_source;
    IOutlineView& m_view;
    TDebug& m_debugLog;
    const std::string m_dataFolder;

    std::string m_sourcePath;
    std::string m_sourceType;
    int m_levelStart = 0;
    std::string m_scannedPath;
    std::shared_ptr<const TOutlineStore> m_entries = std::make_shared<const TOutlineStore>();
    int m_entriesVersion = 0;
    TLines m_title;
    THistory m_history;
    // False after OpenLocation met a file type the rule file does not list (or a folder).
    bool m_typeKnown = true;
    TBrowserPage m_page = TBrowserPage::List;
    std::string m_folder = "/";
    bool m_busy = false;
};
