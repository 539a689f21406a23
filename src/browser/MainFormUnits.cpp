// The main window's reach beyond one file: following include files in the outline (the
// View menu's toggle), the folders it looks in (the Folders dialog, the command line), and
// opening a unit that a uses clause names.

#include "browser/MainForm.h"

#include "config/Config.h"
#include "config/SettingsKeys.h"
#include "dialogs/FormFolders.h"
#include "widgets/ListViewEx.h"

#include <QAction>
#include <QMenu>

void TMForm::CreateUnitActions()
{
    m_followIncludes = MakeAction("FollowIncludes", "Follow &Includes");
    m_followIncludes->setCheckable(true);
    // On unless the user turned it off.
    m_followIncludes->setChecked(m_config.ReadString(kFollowIncludes) != "F");
    connect(m_followIncludes, &QAction::toggled, this, &TMForm::FollowIncludesExecute);
    addAction(m_followIncludes);
    m_actFolders = MakeAction("Folders", "F&olders...");
    connect(m_actFolders, &QAction::triggered, this, &TMForm::FoldersExecute);
    addAction(m_actFolders);
    m_openUnit = MakeAction("OpenUnit", "Open Used Unit", QKeySequence("Ctrl+Return"));
    m_openUnit->setShortcuts({QKeySequence("Ctrl+Return"), QKeySequence("Ctrl+Enter")});
    connect(m_openUnit, &QAction::triggered, this, &TMForm::OpenUnitExecute);
    addAction(m_openUnit);
    m_unitMenu = new QMenu("Open Unit", this);
    m_unitMenu->setObjectName("UnitMenu");
}

std::optional<TIncludeOptions> TMForm::IncludeOptions() const
{
    if (!m_followIncludes->isChecked())
        return std::nullopt;
    TIncludeOptions options;
    options.folders = m_commandIncludeFolders;
    for (auto& folder : m_config.ReadList(kIncludePath))
        options.folders.push_back(std::move(folder));
    return options;
}

void TMForm::FollowIncludesExecute(bool on)
{
    m_config.WriteBool(kFollowIncludes, on);
    // The outline is made again, with the entry current before kept when it is still there.
    if (!m_browser.IsShellPageShowing() && !m_browser.SourceType().empty()) {
        EndFilter(true);
        m_browser.Rescan(SelectedEntry());
        UIUpdate();
    }
}

bool TMForm::RunFoldersDialog()
{
    TFormFolders dialog(m_config, this);
    return dialog.exec() == QDialog::Accepted;
}

void TMForm::FoldersExecute()
{
    // New include folders may find includes that were missing.
    if (RunFoldersDialog() && m_followIncludes->isChecked())
        FollowIncludesExecute(true);
}

std::vector<TUsedUnit> TMForm::SelectedUnits() const
{
    const int entry = m_listView->Selected() ? SelectedEntry() : -1;
    if (m_browser.IsShellPageShowing() || !HasRecordAt(m_browser.Entries(), entry))
        return {};
    const TOutlineRecord record = ReadRecord(m_browser.Entries(), entry);
    return SameText(Trim(record.type), "uses") ? UsedUnits(record.declaration) : std::vector<TUsedUnit>{};
}

TUnitPlaces TMForm::UnitPlaces() const
{
    TUnitPlaces places;
    places.folders.push_back(FolderOf(m_browser.SourcePath()));
    for (const TLines& list : {m_config.ReadList(kSourcePath), m_commandSourceFolders})
        places.folders.insert(places.folders.end(), list.begin(), list.end());
    places.trees = m_searchFolders ? m_searchFolders() : m_config.ReadList(kSearchPathList);
    return places;
}

void TMForm::FillUnitMenu(const std::vector<TUsedUnit>& units)
{
    m_unitMenu->clear();
    for (const TUsedUnit& unit : units) {
        QAction* item = m_unitMenu->addAction(QString::fromStdString(unit.name));
        connect(item, &QAction::triggered, this, [this, unit] { OpenUsedUnit(unit); });
    }
    m_unitMenu->setEnabled(!units.empty());
}

void TMForm::OpenUnitExecute()
{
    const std::vector<TUsedUnit> units = SelectedUnits();
    if (units.empty()) {
        ShowNotice("Open Used Unit works on an entry of a uses clause");
        return;
    }
    if (units.size() == 1) {
        OpenUsedUnit(units.front());
        return;
    }
    // Several units: the user picks one from a menu at the entry, by keyboard or mouse.
    FillUnitMenu(units);
    const QRect row = m_listView->visualItemRect(m_listView->Selected());
    m_unitMenu->popup(m_listView->viewport()->mapToGlobal(row.bottomLeft()));
}

void TMForm::OpenUsedUnit(const TUsedUnit& unit)
{
    const TUnitPlaces places = UnitPlaces();
    const std::optional<std::string> path = FindUnit(unit, places);
    if (!path) {
        ShowNotice(UnitNotFoundText(unit.name, places));
        return;
    }
    OpenFile(*path);
}
