#include "browser/core/OutlineBrowser.h"

#include "config/Debug.h"
#include "scan/SourceText.h"

#include <algorithm>
#include <utility>

// One user step: the notice of the step before goes when it begins, and the busy
// state ends with it, whichever way it ends.
class TOutlineBrowser::TStep {
public:
    explicit TStep(TOutlineBrowser& browser) : m_browser(browser)
    {
        m_browser.m_view.ShowNotice({});
    }
    ~TStep() { m_browser.SetBusy(false); }
    TStep(const TStep&) = delete;
    TStep& operator=(const TStep&) = delete;

private:
    TOutlineBrowser& m_browser;
};

TOutlineBrowser::TOutlineBrowser(IOutlineSource& source, IOutlineView& view, TDebug& debugLog,
                                 std::string dataFolder)
    : m_source(source), m_view(view), m_debugLog(debugLog),
      m_dataFolder(WithTrailingSlash(std::move(dataFolder)))
{
}

// ---- The user's steps ----

void TOutlineBrowser::Start(const std::string& location)
{
    TStep step(*this);
    m_history = THistory();
    if (OpenLocation(location) != TOpenResult::Failed) {
        std::string shown = location;
        const int current = SettleLocation(shown);
        RecordLocation(shown);
        ShowDocument(current);
        return;
    }
    // Nothing is shown yet to fall back on: the file's folder is, with the file selected.
    const std::string file = Resolve(location).sourcePath;
    const std::string folder = WithTrailingSlash(FolderOf(file));
    RecordLocation(folder);
    OpenLocation(folder);
    ShowDocument();
    SetFolder(folder, file);
}

void TOutlineBrowser::Open(const std::string& location)
{
    TStep step(*this);
    if (OpenLocation(location) == TOpenResult::Failed)
        return;
    std::string shown = location;
    const int current = SettleLocation(shown);
    RecordLocation(shown);
    ShowDocument(current);
}

void TOutlineBrowser::OpenEntry(const std::string& path, int sourceLine, const std::string& declaration)
{
    TStep step(*this);
    const TOpenResult opened = OpenLocation(path);
    if (opened == TOpenResult::Failed)
        return;
    const int entry = opened == TOpenResult::Opened ? FindEntry(Entries(), sourceLine, declaration) : -1;
    const int start = entry >= 0 ? LevelStartOf(Entries(), entry) : 0;
    // The file is the one scanned last now: its level's location is not read again.
    const std::string location = start > 0 ? MakeLocation(path, start) : path;
    OpenLocation(location);
    RecordLocation(location);
    ShowDocument(entry);
}

bool TOutlineBrowser::StepInto(int entryIndex)
{
    TStep step(*this);
    if (!HasRecordAt(Entries(), entryIndex))
        return false;
    if (OpenLevel(entryIndex + kRecordLines))
        ShowLevel(m_levelStart);
    return true;
}

void TOutlineBrowser::GoUp()
{
    TStep step(*this);
    GoUpLevel();
}

void TOutlineBrowser::ShowEntry(int entryIndex)
{
    TStep step(*this);
    if (HasRecordAt(Entries(), entryIndex) && OpenLevel(LevelStartOf(Entries(), entryIndex)))
        ShowLevel(m_levelStart, entryIndex);
}

void TOutlineBrowser::Back()
{
    StepHistory(true);
}

void TOutlineBrowser::Forward()
{
    StepHistory(false);
}

void TOutlineBrowser::NextFile()
{
    StepFile(+1);
}

void TOutlineBrowser::PrevFile()
{
    StepFile(-1);
}

void TOutlineBrowser::ShowDirectory()
{
    TStep step(*this);
    SetPage(TBrowserPage::Shell);
    SetFolder(m_folder, m_sourcePath);
}

void TOutlineBrowser::OpenShellItem(const std::string& path, bool folder)
{
    TStep step(*this);
    if (path.empty())
        return;
    // A folder is recorded with its trailing "/", so that its location never yields a
    // file-type key (a folder named "v1.2" would otherwise give the key "2").
    if (folder)
        SetFolder(path);
    const bool opened = GoToLocation(folder ? WithTrailingSlash(path) : path);
    if (opened && !folder && m_source.IsKnownType(FileTypeKey(path)))
        ShowLevel(0);
    m_view.ShowCaption(path);
}

void TOutlineBrowser::Rescan(int currentEntry)
{
    TStep step(*this);
    if (IsShellPageShowing())
        return;
    // The current entry is found again by its line and declaration.
    const bool hadCurrent = HasRecordAt(Entries(), currentEntry);
    const TOutlineEntry current = hadCurrent ? EntryAt(Entries(), currentEntry) : TOutlineEntry{};
    SetBusy(true);
    TScanOutcome outcome = m_source.Scan(m_sourcePath, m_sourceType);
    if (outcome.failure != TOpenFailure::None) {
        ReportFailure(m_sourcePath, m_sourcePath, outcome, "error in TMForm.UpDateUName(UN:String);");
        return;
    }
    if (outcome.entries.empty())
        return;
    m_entries = std::make_shared<const TOutlineStore>(std::move(outcome.entries));
    ++m_entriesVersion;
    m_title = outcome.title;
    m_view.ShowStatus("Line=" + std::to_string(outcome.lineCount));
    m_view.ShowTitle(m_title);
    if (outcome.nulLine > 0) // the outline is of the text before it
        m_view.ShowNotice(FileNameOf(m_sourcePath) + ": " + NulLineText(outcome.nulLine));
    // The entries may differ now (includes followed or not): the level shown is the one that
    // holds the entry found again, or the top when the level is gone.
    const int found = hadCurrent ? FindEntry(Entries(), IntOrZero(current.line), current.declaration, current.file) : -1;
    if (found >= 0)
        m_levelStart = LevelStartOf(Entries(), found);
    else if (!IsLevelStart(Entries(), m_levelStart))
        m_levelStart = 0;
    ShowLevel(m_levelStart, found);
}

// ---- The document ----

TOutlineBrowser::TLocationParts TOutlineBrowser::Resolve(const std::string& location) const
{
    const TLocation parsed = ParseLocation(location);
    TLocationParts parts;
    parts.path = parsed.path;
    parts.levelStart = parsed.levelStart;
    parts.type = SourceTypeOf(parsed.path);
    parts.sourcePath = IsFtpPath(parsed.path) ? m_dataFolder + "Temp.dat" : parsed.path;
    return parts;
}

TOutlineBrowser::TOpenResult TOutlineBrowser::OpenLocation(const std::string& location)
{
    const TLocationParts parts = Resolve(location);
    const auto takeOver = [&] {
        m_sourcePath = parts.sourcePath;
        m_sourceType = parts.type;
        m_levelStart = parts.levelStart;
    };
    if (parts.path == m_scannedPath) {
        takeOver();
        m_typeKnown = true;
        return TOpenResult::Opened;
    }
    if (!m_source.IsKnownType(parts.type)) {
        // A folder, or a file the rules cannot outline: ShowDocument shows its folder and
        // keeps the entries of the file shown before for when the user goes back to it.
        takeOver();
        m_typeKnown = false;
        m_view.ShowStatus({});
        if (!parts.type.empty())
            m_view.ShowNotice(OpenFailureText(FileNameOf(parts.path), TOpenFailure::UnknownType,
                                              parts.type));
        return TOpenResult::UnknownType;
    }
    SetBusy(true);
    TScanOutcome outcome = m_source.Scan(parts.sourcePath, parts.type);
    if (outcome.failure != TOpenFailure::None) {
        // The window goes on showing the document it shows, whole: the caption, View Text
        // and the exports still name the file the list shows.
        ReportFailure(parts.path, parts.sourcePath, outcome,
                      "error in TMForm.UpDateUName:" + parts.sourcePath);
        return TOpenResult::Failed;
    }
    takeOver();
    m_typeKnown = true;
    m_entries = std::make_shared<const TOutlineStore>(std::move(outcome.entries));
    ++m_entriesVersion;
    m_title = outcome.title;
    m_view.ShowStatus("Line=" + std::to_string(outcome.lineCount));
    m_view.ShowTitle(m_title);
    if (outcome.nulLine > 0) // the outline is of the text before it
        m_view.ShowNotice(FileNameOf(parts.path) + ": " + NulLineText(outcome.nulLine));
    // The Shell page and the file stepping work in the source's folder.
    SetFolder(FolderOf(m_sourcePath));
    m_scannedPath = parts.path;
    return TOpenResult::Opened;
}

int TOutlineBrowser::SettleLocation(std::string& location)
{
    if (!m_typeKnown || m_sourceType.empty() || Entries().empty())
        return -1;
    const TLocation parsed = ParseLocation(location);
    const std::string name = FileNameOf(parsed.path);
    int entry = -1;
    if (!parsed.declaration.empty()) {
        entry = FindDeclarationPath(Entries(), parsed.declaration);
        if (entry < 0)
            m_view.ShowNotice("No declaration " + parsed.declaration + " in " + name + ": showing its top level");
        m_levelStart = entry >= 0 ? LevelStartOf(Entries(), entry) : 0;
    } else if (IsLevelStart(Entries(), m_levelStart)) {
        return -1;
    } else {
        m_view.ShowNotice("No level of " + name + " starts at entry index " +
                          location.substr(parsed.path.size() + 1) + ": showing its top level");
        m_levelStart = 0;
    }
    location = m_levelStart > 0 ? MakeLocation(parsed.path, m_levelStart) : parsed.path;
    return entry;
}

void TOutlineBrowser::ReportFailure(const std::string& path, const std::string& sourcePath,
                                    const TScanOutcome& outcome, const std::string& logLine)
{
    const bool unread =
        outcome.failure == TOpenFailure::Missing || outcome.failure == TOpenFailure::Unreadable;
    const bool stopped = outcome.failure == TOpenFailure::Stopped; // by the user: no error
    m_debugLog.AddLine(unread ? "error:Codes.LoadFromFile;" + sourcePath : stopped ? "scan stopped:" + sourcePath : logLine);
    m_view.ShowNotice(OpenFailureText(FileNameOf(path), outcome.failure, outcome.error));
}

void TOutlineBrowser::ShowDocument(int currentEntry)
{
    if (m_sourceType.empty()) {
        SetFolder(m_sourcePath);
        SetPage(TBrowserPage::Shell);
        m_view.ShowCaption(m_sourcePath);
        SetBusy(false);
        return;
    }
    m_view.ShowCaption(m_sourcePath);
    if (!m_typeKnown) {
        SetFolder(FolderOf(m_sourcePath), m_sourcePath);
        SetPage(TBrowserPage::Shell);
        return;
    }
    ShowLevel(m_levelStart, currentEntry);
}

void TOutlineBrowser::ShowLevel(int s, int currentEntry)
{
    TOutlineLevel level;
    if (Entries().empty()) {
        // A file the scan found nothing in: its empty outline, with its title and line count.
        m_view.ShowLevel(level);
        m_view.ShowNotice("No declarations found in " + FileNameOf(m_sourcePath));
        SetBusy(false);
        SetPage(TBrowserPage::List);
        return;
    }
    if (s > 2 && HasRecordAt(Entries(), s - kRecordLines))
        level.parent = EntryAt(Entries(), s - kRecordLines);
    for (int i : LevelIndexes(Entries(), s))
        level.entries.push_back(EntryAt(Entries(), i));
    level.currentEntry = currentEntry;
    m_view.ShowLevel(level);
    SetBusy(false);
    SetPage(TBrowserPage::List);
}

void TOutlineBrowser::RecordLocation(const std::string& location)
{
    m_history.RecordLocation(location);
}

bool TOutlineBrowser::GoToLocation(const std::string& location)
{
    if (OpenLocation(location) == TOpenResult::Failed)
        return false;
    RecordLocation(location);
    return true;
}

bool TOutlineBrowser::OpenLevel(int i)
{
    // The level of the file whose entries are shown: opening it never reads the file again.
    return GoToLocation(MakeLocation(m_scannedPath, i));
}

// ---- Navigation ----

void TOutlineBrowser::GoUpLevel()
{
    if (IsShellPageShowing()) {
        // The Shell page moves to the parent folder; at the root it stays.
        const std::string folder = WithTrailingSlash(ParentFolder(m_folder));
        SetFolder(folder);
        GoToLocation(folder);
        m_view.ShowCaption(folder);
    } else if (m_levelStart == 0) {
        // The source's folder, with the source selected (the Shell page may show another
        // folder since, when the source was reached back through the history).
        const std::string file = m_sourcePath;
        SetPage(TBrowserPage::Shell);
        SetFolder(FolderOf(file), file);
        GoToLocation(WithTrailingSlash(m_folder));
    } else {
        const int previousStart = m_levelStart;
        if (OpenLevel(UpperLevelStart(Entries(), m_levelStart)))
            ShowLevel(m_levelStart, EntryCameFrom(previousStart));
    }
}

int TOutlineBrowser::EntryCameFrom(int previousStart) const
{
    return previousStart > 0 ? LevelEntryLeadingTo(Entries(), m_levelStart, previousStart - kRecordLines)
                             : -1;
}

void TOutlineBrowser::StepHistory(bool back)
{
    TStep step(*this);
    const int shownPos = m_history.Pos();
    const bool listShown = !IsShellPageShowing();
    const std::string shownFile = m_scannedPath;
    const int previousStart = m_levelStart;
    if (back)
        m_history.Back();
    else
        m_history.Forward();
    const std::string location = m_history.Current();
    if (OpenLocation(location) == TOpenResult::Failed) {
        // The location cannot be opened any more: it leaves the history, and the document
        // shown stays current.
        if (m_history.Pos() != shownPos)
            m_history.RemoveCurrent(shownPos);
        return;
    }
    const bool sameFile = listShown && ParseLocation(location).path == shownFile;
    ShowDocument(sameFile ? EntryCameFrom(previousStart) : -1);
}

void TOutlineBrowser::StepFile(int direction)
{
    TStep step(*this);
    const std::string folder = FolderOf(m_sourcePath);
    SetFolder(folder);
    const std::vector<TFolderItem> items = m_source.ListFolder(folder);
    const int count = static_cast<int>(items.size());
    const int files = static_cast<int>(
        std::count_if(items.begin(), items.end(), [](const auto& item) { return !item.folder; }));
    const std::string current = UpperCase(m_sourcePath);
    int pos = count;
    for (int i = 0; i < count; ++i) {
        if (UpperCase(items[static_cast<std::size_t>(i)].path) == current) {
            pos = i;
            break;
        }
    }
    // A file that cannot be outlined is passed over (the notice says why); stepping wraps
    // round and skips folders, and ends at the latest when it is back at the file it left.
    for (int tried = 0; tried < files; ++tried) {
        do {
            if (direction > 0)
                pos = pos + 1 >= count ? 0 : pos + 1;
            else
                pos = pos <= 0 ? count - 1 : pos - 1;
        } while (items[static_cast<std::size_t>(pos)].folder);
        const std::string& path = items[static_cast<std::size_t>(pos)].path;
        // A file of a type the rules do not list ends the step: nothing is opened.
        if (!m_source.IsKnownType(FileTypeKey(path)))
            return;
        const bool scanned = path == m_scannedPath;
        if (OpenLocation(path) == TOpenResult::Failed)
            continue;
        RecordLocation(path);
        // A scan puts the line count in the status panel; a file not read again shows its path.
        if (scanned)
            m_view.ShowStatus(path);
        ShowLevel(0);
        return;
    }
}

void TOutlineBrowser::SetFolder(const std::string& folder, const std::string& selectedPath)
{
    // Without a path to select, a folder that holds the one shown before selects the
    // item the user came from.
    const std::string previous = m_folder;
    m_folder = CleanFolder(folder);
    m_view.ShowFolder(m_folder, selectedPath.empty() ? ItemToward(m_folder, previous) : selectedPath);
}

void TOutlineBrowser::SetPage(TBrowserPage page)
{
    m_page = page;
    m_view.ShowPage(page);
}

void TOutlineBrowser::SetBusy(bool on)
{
    if (on == m_busy)
        return;
    m_busy = on;
    m_view.SetBusy(on);
}
