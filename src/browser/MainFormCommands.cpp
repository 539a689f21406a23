// The main window's commands beside navigation: open, Save As, the exports, the
// comment indicator, the search window, icon sizes, fonts, the outside programs,
// copying, help and the about box.

#include "browser/MainForm.h"

#include "browser/TextViewer.h"
#include "config/Config.h"
#include "config/Debug.h"
#include "config/SettingsKeys.h"
#include "dialogs/FormAbout.h"
#include "dialogs/FormCfg.h"
#include "files/FileHelpers.h"
#include "platform/Platform.h"
#include "scan/StructureTexts.h"
#include "widgets/ListViewEx.h"

#include <QAction>
#include <QFileDialog>
#include <QFontDialog>
#include <QPlainTextEdit>

namespace {

// "1 row", "12 rows".
std::string Count(std::size_t n, const std::string& thing)
{
    return std::to_string(n) + " " + thing + (n == 1 ? "" : "s");
}

// "2 pages of this export exist in FOLDER already: 3.html, 16.html. Replace them?", naming
// the first few.
std::string ReplaceQuestion(const std::string& folder, const TLines& pages)
{
    constexpr std::size_t kNamed = 8;
    std::string names;
    for (std::size_t i = 0; i < pages.size() && i < kNamed; ++i)
        names += (i ? ", " : "") + pages[i];
    if (pages.size() > kNamed)
        names += " and " + std::to_string(pages.size() - kNamed) + " more";
    return Count(pages.size(), "page") + " of this export " + (pages.size() == 1 ? "exists" : "exist") + " in " +
           folder + " already: " + names + ".\nReplace " + (pages.size() == 1 ? "it" : "them") + "?";
}

} // namespace

QString TMForm::PascalFileFilter() const
{
    // The types the rule file lists.
    QStringList patterns;
    for (const auto& pattern : m_sharedRules.TypePatterns())
        patterns << QString::fromStdString(pattern);
    return QStringLiteral("Pascal File (%1)").arg(patterns.join(QLatin1Char(' ')));
}

std::string TMForm::ChooseOpenFile()
{
    return QFileDialog::getOpenFileName(this, "Open",
                                        QString::fromStdString(FolderOf(m_browser.SourcePath())),
                                        PascalFileFilter())
        .toStdString();
}

std::string TMForm::ChooseSaveFile(const std::string& suggested, const std::string& defaultSuffix,
                                   const QString& filter)
{
    QFileDialog dialog(this, "Save As", QString::fromStdString(suggested), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QString::fromStdString(LowerCase(defaultSuffix)));
    dialog.selectFile(QString::fromStdString(suggested));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first().toStdString();
}

std::optional<QFont> TMForm::ChooseFont(const QFont& initial)
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial, this, "Font");
    return ok ? std::optional<QFont>(font) : std::nullopt;
}

void TMForm::FileOpenExecute()
{
    const std::string path = ChooseOpenFile();
    if (!path.empty())
        OpenFile(path);
}

void TMForm::FileSaveAsExecute()
{
    const std::string target = ChooseSaveFile(m_browser.SourcePath(), FileTypeKey(m_browser.SourcePath()),
                                              PascalFileFilter());
    if (target.empty())
        return;
    try {
        CopyFileData(m_browser.SourcePath(), target);
    } catch (const TFileError& e) {
        m_platform.ShowMessage(e.what(), "Quillane");
        return;
    }
    ShowNotice("Saved a copy as " + target);
}

TExportView TMForm::CurrentExportView() const
{
    TExportView view;
    view.captions = m_listView->CaptionsOnScreen();
    for (int i = 0; i < m_listView->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = m_listView->topLevelItem(i);
        TExportRow row;
        row.caption = item->text(0).toStdString();
        row.image = item->data(0, TListViewEx::kImageRole).toInt();
        row.key = item->data(0, TListViewEx::kKeyRole).toInt();
        for (char letter : {'D', 'C', 'T', 'L'})
            row.fields[letter] = FieldText(item, letter).toStdString();
        view.rows.push_back(std::move(row));
    }
    view.title = SplitLines(m_memoTitle->toPlainText().toStdString());
    view.sourcePath = m_browser.SourcePath();
    return view;
}

void TMForm::ExportTXTExecute()
{
    // The level is exported, not the filter's matches.
    EndFilter(true);
    MakeFolders(m_paths.exportFolder);
    const std::string file = m_paths.exportFolder + "TempFile.txt";
    const TExportView view = CurrentExportView();
    try {
        WriteLinesCrLf(file, TextTableLines(view));
    } catch (const TExportError& e) {
        m_platform.ShowMessage(e.what(), "Quillane");
        return;
    }
    ShowNotice("Exported " + Count(view.rows.size(), "row") + " to " + file);
    OpenInShell(file, "Cannot open the export " + file + ": ");
}

void TMForm::ExportHTMExecute()
{
    const std::string chosen = ChooseSaveFile("Index.html", "html", "HTML files (*.html *.htm)");
    if (chosen.empty())
        return;
    EndFilter(true);

    // The walk moves through the levels with the window's own navigation.
    class TWindowNavigator : public TExportNavigator {
    public:
        explicit TWindowNavigator(TMForm& form) : m_form(form) {}
        TExportView CurrentView() const override { return m_form.CurrentExportView(); }
        bool StepInto(const TExportRow& row) override { return m_form.m_browser.StepInto(row.key); }
        void GoUp() override { m_form.ActGoUpExecute(); }

    private:
        TMForm& m_form;
    } navigator(*this);

    // The pages are made first; files of the folder are replaced only once the user agreed
    // (the save dialog asked about the chosen page).
    TExportPages pages(FolderOf(chosen));
    try {
        ExportLevel(navigator, "", FileNameOf(chosen), pages);
        TLines existing = pages.Existing();
        std::erase(existing, FileNameOf(chosen));
        if (!existing.empty() && !m_platform.Confirm(ReplaceQuestion(pages.Folder(), existing), "Export to HTML")) {
            ShowNotice("Export to HTML cancelled: nothing was written");
            return;
        }
        pages.Publish();
    } catch (const TExportError& e) {
        m_platform.ShowMessage(e.what(), "Quillane");
        return;
    }
    ShowNotice("Exported " + Count(pages.Count(), "HTML page") + " to " + FolderOf(chosen) + ", starting with " +
               FileNameOf(chosen));
    OpenInShell(chosen, "Cannot open the export " + chosen + ": ");
}

bool TMForm::RunConfigDialog()
{
    TFormCfg dialog(m_config, m_debugLog, m_platform, this);
    return dialog.exec() == QDialog::Accepted;
}

void TMForm::ActConfigExecute()
{
    // The dialog has stored the new indicator, which the scan reads. The entry current
    // before stays current.
    if (!RunConfigDialog())
        return;
    const QTreeWidgetItem* current = m_listView->currentItem();
    m_browser.Rescan(m_filtering ? m_entryBeforeFilter
                                 : current ? current->data(0, TListViewEx::kKeyRole).toInt() : -1);
}

void TMForm::ActExitExecute()
{
    m_exitHandler();
}

void TMForm::SetSearchHandler(std::function<void()> handler)
{
    m_searchHandler = std::move(handler);
    m_search->setEnabled(static_cast<bool>(m_searchHandler));
}

void TMForm::SearchExecute()
{
    if (m_searchHandler)
        m_searchHandler();
}

void TMForm::ListIcon16Execute()
{
    SetIconSize(16);
    m_listIcon16->setChecked(true);
    m_listIcon20->setChecked(false);
    m_listIcon32->setChecked(false);
}

void TMForm::ListIcon20Execute()
{
    SetIconSize(20);
    m_listIcon16->setChecked(false);
    m_listIcon20->setChecked(true);
    m_listIcon32->setChecked(false);
}

void TMForm::ListIcon32Execute()
{
    SetIconSize(32);
    m_listIcon16->setChecked(false);
    m_listIcon20->setChecked(false);
    m_listIcon32->setChecked(true);
}

void TMForm::ChgFontExecute()
{
    const auto chosen = ChooseFont(m_memoTitle->font());
    if (!chosen)
        return;
    setFont(*chosen);
    m_memoTitle->setFont(*chosen);
}

int TMForm::SelectedEntry() const
{
    QTreeWidgetItem* row = m_listView->Selected();
    if (!row)
        return -1;
    // The parent row stands for the entry whose children are shown.
    if (row->text(0).startsWith(QLatin1String("..")))
        return m_browser.LevelStart() - kRecordLines;
    return row->data(0, TListViewEx::kKeyRole).toInt();
}

void TMForm::OpenInTXTExecute()
{
    if (ShowEntryInViewer(SelectedEntry()))
        m_textViewer->activateWindow();
}

void TMForm::ViewSourceLine(int sourceLine)
{
    // The viewer shows the line beside the window; the keyboard stays in the list for
    // the next jump.
    if (!m_browser.IsShellPageShowing() && ShowInViewer(m_browser.SourcePath(), sourceLine))
        activateWindow();
}

bool TMForm::ShowEntryInViewer(int entryIndex)
{
    if (m_browser.IsShellPageShowing())
        return false;
    if (!HasRecordAt(m_browser.Entries(), entryIndex))
        return ShowInViewer(m_browser.SourcePath(), 0);
    const TOutlineEntry entry = EntryAt(m_browser.Entries(), entryIndex);
    return ShowInViewer(entry.file.empty() ? m_browser.SourcePath() : entry.file, IntOrZero(entry.line));
}

bool TMForm::ShowInViewer(const std::string& path, int sourceLine)
{
    m_viewerSource = m_browser.SourcePath();
    if (!m_textViewer->OpenFile(path, sourceLine)) {
        m_debugLog.AddLine("View Text cannot read " + path);
        ShowNotice("Cannot show " + FileNameOf(path) + ": the file cannot be read");
        return false;
    }
    m_textViewer->ShowBeside(this);
    return true;
}

void TMForm::ExtOpenExecute()
{
    if (!m_browser.IsShellPageShowing())
        OpenInShell(m_browser.SourcePath(), "Cannot open " + m_browser.SourcePath() + ": ");
}

void TMForm::OpenInShell(const std::string& target, const std::string& failurePrefix)
{
    // The desktop may answer after the window is gone.
    QPointer<TMForm> self(this);
    m_platform.OpenInShell(target, [self, failurePrefix](const std::string& why) {
        if (self)
            self->ShowNotice(failurePrefix + why);
    });
}

void TMForm::CopyField(char letter)
{
    QTreeWidgetItem* row = m_listView->Selected();
    if (row)
        m_platform.SetClipboardText(FieldText(row, letter).toStdString());
}

void TMForm::CopyDeclExecute()
{
    CopyField('D');
}

void TMForm::CopyComExecute()
{
    CopyField('C');
}

void TMForm::CopyTypeExecute()
{
    CopyField('T');
}

void TMForm::PopupMenu1Popup()
{
    const bool selected = m_listView->Selected() != nullptr;
    for (QAction* a : {m_copyDecl, m_copyCom, m_copyType})
        a->setEnabled(selected);
    FillUnitMenu(SelectedUnits());
}

void TMForm::ActHelpExecute()
{
    if (!m_platform.ShowHelp(""))
        m_debugLog.AddLine("Help file open error!");
}

void TMForm::ActContactExecute()
{
    const std::string address = m_config.ReadString(kContactMail);
    if (!address.empty())
        OpenInShell(address, "Cannot open " + address + ": ");
}

void TMForm::ActHomePageExecute()
{
    const std::string address = m_config.ReadString(kDeveloperHomepage);
    if (!address.empty())
        OpenInShell(address, "Cannot open " + address + ": ");
}

void TMForm::ActAboutExecute()
{
    TFormAbout about(m_paths, this);
    about.exec();
}
