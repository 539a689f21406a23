#include "config/AppContext.h"
#include "config/SettingsKeys.h"
#include "platform/Platform.h"
#include "search/gui/FormPath.h"
#include "search/gui/FormSearch.h"
#include "widgets/ListViewEx.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <memory>

namespace fs = std::filesystem;

namespace {

class TRecordingPlatform : public IPlatform {
public:
    void OpenInShell(const std::string& target, TShellFailed) override { opened.push_back(target); }
    bool ShowHelp(const std::string&) override { return true; }
    void ShowMessage(const std::string& text, const std::string&) override { messages.push_back(text); }
    bool Confirm(const std::string&, const std::string&) override { return false; }
    void SetClipboardText(const std::string& text) override { clipboard = text; }

    TLines opened;
    TLines messages;
    std::string clipboard;
};

QStringList Texts(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

QStringList Column(const QTreeWidget* list, int column)
{
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(column);
    return texts;
}

} // namespace

class SearchFormTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void addAndReplaceFolders_data();
    void addAndReplaceFolders();
    void deleteFolders();
    void emptyKeywordIsRefused();
    void runFindsRowsInOrder();
    void searchWithNothingToSearchEndsAtOnce_data();
    void searchWithNothingToSearchEndsAtOnce();
    void stopDropsEveryLaterRow();
    void stopBeforeTheFirstDrainDropsQueuedRows();
    void secondStartReplacesTheFirst();
    void openItemClosesAndOpensInMainWindow();
    void ignoreCaseAndKeywordHistory();
    void popupAndCopyPath();
    void settingsRoundTrip();
    void draggedColumnOrderPersists();
    void keywordHasFocusOnSearchStart_data();
    void keywordHasFocusOnSearchStart();
    void missingHeaderFallsBackToDesignedColumns();
    void closingAWindowNeverShownKeepsTheSettings();
    void showingAgainKeepsResults();
    void showSearchWindowCreatesOnceAndChecksTheAction();
    void resultSorting();
    void resultsAreSortedWhenTheSearchEnds();
    void typedKeywordKeepsItsCase();
    void folderDialogSelectsThePath();

private:
    std::string Dir(const std::string& relative);
    std::string WriteFile(const std::string& relative, const std::string& content);
    void WaitForRunsToEnd();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TAppContext> m_app;
    TRecordingPlatform m_platform;
    std::unique_ptr<TFormSearch> m_form;
    TLines m_shown;
    TLines m_openedInMain;
};

void SearchFormTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    const std::string folder = m_dir->path().toStdString() + "/";
    fs::copy_file(std::string(QUILLANE_TEST_DATA) + "/search/rules.dll", folder + "CodeScan.dll");
    TAppPaths paths = TAppPaths::InFolder(folder);
    paths.cacheFolder = folder + "cache/quillane/";
    m_app = std::make_unique<TAppContext>(paths, TAppContext::TSettingsAtEnd::Keep);
    m_shown.clear();
    m_openedInMain.clear();
    m_app->DebugLog().SetMessageSink([this](const std::string& text) { m_shown.push_back(text); });
    m_form = std::make_unique<TFormSearch>(*m_app, m_platform,
                                           [this](const std::string& path, int line, const std::string& declaration) {
                                               m_openedInMain.push_back(path + ":" + std::to_string(line) + ":" +
                                                                        declaration);
                                           });
    m_platform = TRecordingPlatform();
}

void SearchFormTest::cleanup()
{
    m_form.reset();
    m_app.reset();
    m_dir.reset();
}

std::string SearchFormTest::Dir(const std::string& relative)
{
    const std::string path = m_dir->path().toStdString() + "/" + relative;
    fs::create_directories(path);
    return path;
}

std::string SearchFormTest::WriteFile(const std::string& relative, const std::string& content)
{
    const std::string path = m_dir->path().toStdString() + "/" + relative;
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

void SearchFormTest::WaitForRunsToEnd()
{
    QTRY_COMPARE_WITH_TIMEOUT(m_form->RunsInProgress(), std::size_t(0), 20000);
}

void SearchFormTest::addAndReplaceFolders_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("selectedRow");
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QStringList>("expected");

    // The list starts as [one, Two] (both existing); "three" and "TWO" exist as well.
    QTest::newRow("add a new folder") << "add" << -1 << "three" << QStringList{"one", "Two", "three"};
    QTest::newRow("add a missing folder") << "add" << -1 << "missing" << QStringList{"one", "Two"};
    QTest::newRow("add an empty text") << "add" << -1 << "" << QStringList{"one", "Two"};
    QTest::newRow("add a listed folder") << "add" << -1 << "one" << QStringList{"one", "Two"};
    // Paths that differ in letter case are different folders.
    QTest::newRow("add differing only in case") << "add" << -1 << "TWO" << QStringList{"one", "Two", "TWO"};
    QTest::newRow("replace the selected folder") << "replace" << 0 << "three" << QStringList{"three", "Two"};
    QTest::newRow("replace without selection appends") << "replace" << -1 << "three"
                                                        << QStringList{"one", "Two", "three"};
    QTest::newRow("replace with a missing folder") << "replace" << 1 << "missing" << QStringList{"one", "Two"};
    QTest::newRow("replace differing only in case") << "replace" << 0 << "TWO" << QStringList{"TWO", "Two"};
}

void SearchFormTest::addAndReplaceFolders()
{
    QFETCH(QString, operation);
    QFETCH(int, selectedRow);
    QFETCH(QString, edit);
    QFETCH(QStringList, expected);
    const QString base = m_dir->path() + "/";
    for (const char* name : {"one", "Two", "TWO", "three"})
        Dir(name);
    m_form->PathList->addItems({base + "one", base + "Two"});
    if (selectedRow >= 0)
        m_form->PathList->setCurrentRow(selectedRow);
    else
        m_form->PathList->clearSelection();
    m_form->EPath->setText(edit.isEmpty() ? QString() : base + edit);
    (operation == "add" ? m_form->BAdd : m_form->BReP)->click();
    QStringList got = Texts(m_form->PathList);
    for (auto& text : got)
        text.remove(0, base.size());
    QCOMPARE(got, expected);
}

void SearchFormTest::deleteFolders()
{
    const QString one = QString::fromStdString(Dir("one"));
    const QString four = QString::fromStdString(Dir("four"));
    const QString gone2 = m_dir->path() + "/gone2", gone3 = m_dir->path() + "/gone3";
    m_form->PathList->addItems({one, gone2, gone3, four});

    m_form->PathList->clearSelection();
    m_form->BDel->click();
    QCOMPARE(m_form->PathList->count(), 4);

    m_form->PathList->setCurrentRow(3);
    QCOMPARE(m_form->EPath->text(), four);
    m_form->BDel->click();
    QCOMPARE(Texts(m_form->PathList), (QStringList{one, gone2, gone3}));

    m_form->PathList->addItem(four);
    m_form->BDelInv->click();
    QCOMPARE(Texts(m_form->PathList), (QStringList{one, four}));
}

void SearchFormTest::emptyKeywordIsRefused()
{
    m_form->show();
    m_form->CKeyWords->setEditText("");
    m_form->ButtonSearch->click();
    QCOMPARE(m_shown, TLines{"Need keyword !"});
    QCOMPARE(m_form->SearchPages->currentWidget(), m_form->SearchBegin);
    QVERIFY(!m_form->IsSearching());
    QCOMPARE(m_form->RunsInProgress(), std::size_t(0));
}

void SearchFormTest::runFindsRowsInOrder()
{
    const std::string file = WriteFile("tree/sub/u.pas",
                                       "// Widget title\n"
                                       "procedure MakeWidget; // Widget maker\n"
                                       "procedure Other;\n");
    const std::string program = WriteFile("tree/main.dpr", "procedure RunWidget;\n");
    m_form->show();
    m_form->PathList->addItem(QString::fromStdString(Dir("tree")));
    for (auto* box : {m_form->SearchInTitle, m_form->SearchInDecl, m_form->SearchInCom, m_form->SearchInType})
        box->setChecked(true);
    m_form->CKeyWords->setEditText("Widget");
    m_form->ButtonSearch->click();
    QCOMPARE(m_form->SearchPages->currentWidget(), m_form->Search);
    QVERIFY(m_form->ButtonStop->isEnabled());
    QVERIFY(!m_form->ButtonBack->isEnabled());
    QVERIFY(!m_form->ButtonOpen->isEnabled());
    QVERIFY(!m_form->ButtonCancel2->isEnabled());
    WaitForRunsToEnd();

    const QString u = QString::fromStdString(file), p = QString::fromStdString(program);
    // The second time from the outline cache the first run filled.
    for (const char* pass : {"scanned", "cached"}) {
        if (std::string(pass) == "cached") {
            QVERIFY(fs::exists(m_app->Paths().cacheFolder + "outlines.sqlite"));
            m_form->ButtonSearch->click();
            WaitForRunsToEnd();
        }
        // Every .pas file before every .dpr file; the title row first, then one row per field.
        QCOMPARE(Column(m_form->SearchRes, 0), (QStringList{u, u, u, p}));
        QCOMPARE(Column(m_form->SearchRes, 1), (QStringList{"0", "2", "2", "1"}));
        QCOMPARE(Column(m_form->SearchRes, 2), (QStringList{"", "MakeWidget", "MakeWidget", "RunWidget"}));
        QCOMPARE(Column(m_form->SearchRes, 3),
                 (QStringList{"// Widget title", "// Widget maker", "// Widget maker", ""}));
        QCOMPARE(Column(m_form->SearchRes, 4), (QStringList{"", "procedure", "procedure", "procedure"}));
        QVERIFY2(m_form->Searching->text().startsWith("Done: 4 rows in 2 files ("),
                 qPrintable(m_form->Searching->text()));
    }
    QVERIFY(!m_form->IsSearching());
    QVERIFY(!m_form->ButtonStop->isEnabled());
    QVERIFY(m_form->ButtonBack->isEnabled());
    QVERIFY(m_form->ButtonOpen->isEnabled());
    QVERIFY(m_form->ButtonCancel2->isEnabled());
}

void SearchFormTest::searchWithNothingToSearchEndsAtOnce_data()
{
    QTest::addColumn<bool>("withFolder");
    QTest::addColumn<bool>("withType");
    QTest::newRow("no folder entries") << false << true;
    QTest::newRow("no file type checked") << true << false;
}

void SearchFormTest::searchWithNothingToSearchEndsAtOnce()
{
    QFETCH(bool, withFolder);
    QFETCH(bool, withType);
    WriteFile("tree/u.pas", "procedure key;\n");
    m_form->show();
    m_form->SearchRes->AddRows({{"/old/row.pas", "1", "old", "", ""}});
    if (withFolder)
        m_form->PathList->addItem(QString::fromStdString(Dir("tree")));
    if (!withType)
        for (int i = 0; i < m_form->CheckList->count(); ++i)
            m_form->CheckList->item(i)->setCheckState(Qt::Unchecked);
    m_form->SearchInDecl->setChecked(true);
    m_form->CKeyWords->setEditText("key");
    m_form->ButtonSearch->click();
    WaitForRunsToEnd();
    QCOMPARE(m_form->SearchRes->topLevelItemCount(), 0);
    QVERIFY(!m_form->IsSearching());
    QVERIFY(m_form->ButtonBack->isEnabled());
    QVERIFY(!m_form->ButtonStop->isEnabled());
}

void SearchFormTest::stopDropsEveryLaterRow()
{
    for (int i = 0; i < 3000; ++i)
        WriteFile("big/f" + std::to_string(i) + ".pas", "procedure key1;\nprocedure key2;\nprocedure key3;\n");
    m_form->show();
    m_form->PathList->addItem(QString::fromStdString(Dir("big")));
    m_form->SearchInDecl->setChecked(true);
    m_form->CKeyWords->setEditText("key");
    m_form->ButtonSearch->click();
    QTRY_VERIFY_WITH_TIMEOUT(m_form->SearchRes->topLevelItemCount() > 0, 20000);
    // The counts and the file handed over last.
    QTRY_VERIFY_WITH_TIMEOUT(QRegularExpression("^\\d+ of 3000 files, \\d+ rows  .*/f\\d+\\.pas$")
                                 .match(m_form->Searching->text())
                                 .hasMatch(),
                             20000);
    QVERIFY2(m_form->IsSearching(), "the run ended before it could be stopped");
    m_form->ButtonStop->click();
    QVERIFY(!m_form->ButtonStop->isEnabled());
    QVERIFY(m_form->ButtonBack->isEnabled());
    QVERIFY(m_form->ButtonOpen->isEnabled());
    QVERIFY(m_form->ButtonCancel2->isEnabled());
    const int rows = m_form->SearchRes->topLevelItemCount();
    // The rows shown, and the files they come from at least (three rows each).
    const QString stopped = m_form->Searching->text();
    const auto counts = QRegularExpression("^Stopped: (\\d+) rows in (\\d+) of 3000 files$").match(stopped);
    QVERIFY2(counts.hasMatch(), qPrintable(stopped));
    QCOMPARE(counts.captured(1).toInt(), rows);
    QVERIFY2(counts.captured(2).toInt() * 3 >= rows, qPrintable(stopped));
    WaitForRunsToEnd();
    QCoreApplication::processEvents();
    QCOMPARE(m_form->SearchRes->topLevelItemCount(), rows);
    QCOMPARE(m_form->Searching->text(), stopped);
    QVERIFY(rows < 9000);
}

void SearchFormTest::stopBeforeTheFirstDrainDropsQueuedRows()
{
    WriteFile("small/a.pas", "procedure key;\n");
    m_form->show();
    m_form->PathList->addItem(QString::fromStdString(Dir("small")));
    m_form->SearchInDecl->setChecked(true);
    m_form->CKeyWords->setEditText("key");
    m_form->ButtonSearch->click();
    // Give the worker time to queue its row and status before the window drains them.
    QThread::msleep(300);
    m_form->ButtonStop->click();
    WaitForRunsToEnd();
    QCOMPARE(m_form->SearchRes->topLevelItemCount(), 0);
    QCOMPARE(m_form->Searching->text(), QString("Stopped: 0 rows in 0 of 0 files"));
}

void SearchFormTest::secondStartReplacesTheFirst()
{
    for (int i = 0; i < 2000; ++i)
        WriteFile("big/f" + std::to_string(i) + ".pas", "procedure key;\n");
    const std::string only = WriteFile("small/only.pas", "procedure key;\n");
    m_form->show();
    m_form->PathList->addItem(QString::fromStdString(Dir("big")));
    m_form->SearchInDecl->setChecked(true);
    m_form->CKeyWords->setEditText("key");
    m_form->ButtonSearch->click();
    m_form->PathList->clear();
    m_form->PathList->addItem(QString::fromStdString(Dir("small")));
    m_form->ButtonSearch->click();
    WaitForRunsToEnd();
    QCOMPARE(Column(m_form->SearchRes, 0), QStringList{QString::fromStdString(only)});
    QVERIFY(!m_form->IsSearching());
}

void SearchFormTest::openItemClosesAndOpensInMainWindow()
{
    const std::string file = WriteFile("tree/u.pas", "procedure key;\n");
    QAction searchAction;
    searchAction.setCheckable(true);
    searchAction.setChecked(true);
    m_form->SetSearchAction(&searchAction);
    m_form->show();
    m_form->PathList->addItem(QString::fromStdString(Dir("tree")));
    m_form->SearchInDecl->setChecked(true);
    m_form->CKeyWords->setEditText("key");
    m_form->ButtonSearch->click();
    WaitForRunsToEnd();
    QCOMPARE(m_form->SearchRes->topLevelItemCount(), 1);

    m_form->ButtonOpen->click();
    QVERIFY(m_openedInMain.empty());
    QVERIFY(m_form->isVisible());

    m_form->SearchRes->setCurrentItem(m_form->SearchRes->topLevelItem(0));
    m_form->ButtonOpen->click();
    QCOMPARE(m_openedInMain, TLines{file + ":1:key"});
    QVERIFY(!m_form->isVisible());
    QVERIFY(!searchAction.isChecked());
    QCOMPARE(m_app->Config().ReadList(kSearchPathList), TLines{Dir("tree")});
}

void SearchFormTest::ignoreCaseAndKeywordHistory()
{
    WriteFile("tree/u.pas", "procedure Integer;\nprocedure integer2;\nprocedure INTEGERS;\nprocedure Other;\n");
    TConfig& config = m_app->Config();
    config.WriteList(kSearchPathList, {Dir("tree")});
    config.WriteBool(kSearchInDecl, true);
    const auto search = [&](const QString& keyword) {
        m_form->CKeyWords->setEditText(keyword);
        m_form->ButtonSearch->click();
        WaitForRunsToEnd();
        return Column(m_form->SearchRes, 2);
    };

    // Without the key (settings of an earlier version) letter case counts.
    m_form->show();
    QVERIFY(!m_form->SearchIgnoreCase->isChecked());
    QCOMPARE(search("integer"), QStringList{"integer2"});
    m_form->SearchIgnoreCase->setChecked(true);
    QCOMPARE(search("integer"), (QStringList{"Integer", "integer2", "INTEGERS"}));
    QCOMPARE(search("OTHER"), QStringList{"Other"});
    QCOMPARE(search("integer").size(), 3);
    // The keywords searched, newest first, each once.
    QStringList items;
    for (int i = 0; i < m_form->CKeyWords->count(); ++i)
        items << m_form->CKeyWords->itemText(i);
    QCOMPARE(items, (QStringList{"integer", "OTHER"}));
    QCOMPARE(m_form->CKeyWords->currentText(), QString("integer"));
    m_form->ButtonCancel2->click();
    QCOMPARE(config.ReadString(kSearchIgnoreCase), std::string("T"));
    QCOMPARE(config.ReadList(kSearchKeywordList), (TLines{"integer", "OTHER"}));

    // The next showing restores both.
    config.WriteBool(kSearchIgnoreCase, false);
    config.WriteList(kSearchKeywordList, {"Free", "Create"});
    m_form->show();
    QVERIFY(!m_form->SearchIgnoreCase->isChecked());
    QCOMPARE(m_form->CKeyWords->count(), 2);
    QCOMPARE(m_form->CKeyWords->itemText(1), QString("Create"));
}

void SearchFormTest::popupAndCopyPath()
{
    m_form->SearchRes->AddRows({{"/src/a.pas", "1", "A", "", "unit"}});
    m_form->SearchRes->clearSelection();
    m_form->PopupMenu1Popup();
    QVERIFY(!m_form->OpenItem->isEnabled());
    QVERIFY(!m_form->CopyPath->isEnabled());
    QVERIFY(m_form->ClearRes->isEnabled());
    m_form->CopyPathExecute();
    QCOMPARE(m_platform.clipboard, std::string());

    m_form->SearchRes->setCurrentItem(m_form->SearchRes->topLevelItem(0));
    m_form->PopupMenu1Popup();
    QVERIFY(m_form->OpenItem->isEnabled());
    QVERIFY(m_form->CopyPath->isEnabled());
    m_form->CopyPath->trigger();
    QCOMPARE(m_platform.clipboard, std::string("/src/a.pas"));

    m_form->ClearRes->trigger();
    QCOMPARE(m_form->SearchRes->topLevelItemCount(), 0);
}

void SearchFormTest::settingsRoundTrip()
{
    TConfig& config = m_app->Config();
    const std::string one = Dir("one"), two = Dir("two");
    config.WriteInteger(kSearchFormLeft, 40);
    config.WriteInteger(kSearchFormTop, 30);
    config.WriteInteger(kSearchFormWidth, 640);
    config.WriteInteger(kSearchFormHeight, 500);
    config.WriteBool(kSearchFormMax, false);
    config.WriteList(kSearchPathList, {one, two});
    config.WriteBool(kSearchInTitle, true);
    config.WriteBool(kSearchInDecl, false);
    config.WriteBool(kSearchInCom, true);
    config.WriteBool(kSearchInType, false);
    config.WriteString(kSearchHeader, "FTLDC");
    const int widths[] = {150, 0, 60, 220, 70};
    for (int i = 0; i < 5; ++i)
        config.WriteInteger("SEARCH_HEADER_L_" + std::to_string(i), widths[i]);
    config.WriteInteger(kSearchHeaderSortCol, 2);
    config.WriteBool(kSearchHeaderSortOrder, false);

    m_form->show();
    QCOMPARE(m_form->size(), QSize(640, 500));
    QCOMPARE(Texts(m_form->PathList), (QStringList{QString::fromStdString(one), QString::fromStdString(two)}));
    QVERIFY(m_form->SearchInTitle->isChecked());
    QVERIFY(!m_form->SearchInDecl->isChecked());
    QVERIFY(m_form->SearchInCom->isChecked());
    QVERIFY(!m_form->SearchInType->isChecked());
    QCOMPARE(m_form->ColumnLetters(), std::string("FTLDC"));
    QCOMPARE(m_form->SearchRes->headerItem()->text(1), QString("Type"));
    QCOMPARE(m_form->SearchRes->headerItem()->text(4), QString("Comment"));
    QVERIFY(m_form->SearchRes->isColumnHidden(1));
    QCOMPARE(m_form->SearchRes->columnWidth(3), 220);
    QCOMPARE(m_form->SearchRes->SortColumn(), 2);
    QCOMPARE(m_form->SearchRes->SortOrder(), TSortOption::soDescending);
    QCOMPARE(Texts(m_form->CheckList), (QStringList{"*.pas  [pascal]", "*.dpr  [pascal]"}));
    for (int i = 0; i < m_form->CheckList->count(); ++i)
        QCOMPARE(m_form->CheckList->item(i)->checkState(), Qt::Checked);

    delete m_form->PathList->takeItem(0);
    m_form->SearchInDecl->setChecked(true);
    m_form->SearchRes->ColumnClick(4);
    m_form->SearchRes->setColumnWidth(0, 180);
    m_form->move(70, 80);
    m_form->ButtonCancel->click();
    QVERIFY(!m_form->isVisible());

    QCOMPARE(config.ReadInteger(kSearchFormLeft), 70);
    QCOMPARE(config.ReadInteger(kSearchFormTop), 80);
    QCOMPARE(config.ReadInteger(kSearchFormWidth), 640);
    QCOMPARE(config.ReadInteger(kSearchFormHeight), 500);
    QCOMPARE(config.ReadString(kSearchFormMax), std::string("F"));
    QCOMPARE(config.ReadList(kSearchPathList), TLines{two});
    QCOMPARE(config.ReadString(kSearchInTitle), std::string("T"));
    QCOMPARE(config.ReadString(kSearchInDecl), std::string("T"));
    QCOMPARE(config.ReadString(kSearchHeader), std::string("FTLDC"));
    QCOMPARE(config.ReadInteger("SEARCH_HEADER_L_0"), 180);
    QCOMPARE(config.ReadInteger("SEARCH_HEADER_L_1"), 0);
    QCOMPARE(config.ReadInteger("SEARCH_HEADER_L_3"), 220);
    QCOMPARE(config.ReadInteger(kSearchHeaderSortCol), 4);
    QCOMPARE(config.ReadString(kSearchHeaderSortOrder), std::string("T"));

    // The next showing keeps the stored position.
    m_form->show();
    QCOMPARE(m_form->pos(), QPoint(70, 80));
}

void SearchFormTest::draggedColumnOrderPersists()
{
    m_form->show();
    m_form->SearchRes->AddRows(
        {{"/a.pas", "7", "Alpha", "first", "unit"}, {"/b.pas", "3", "Beta", "second", "unit"}});
    m_form->SearchRes->ColumnClick(3);
    m_form->SearchRes->setColumnWidth(3, 120);
    // Comment dragged in front of Line.
    m_form->SearchRes->header()->moveSection(3, 1);
    m_form->ButtonCancel->click();

    const TConfig& config = m_app->Config();
    QCOMPARE(config.ReadString(kSearchHeader), std::string("FCLDT"));
    QCOMPARE(config.ReadInteger("SEARCH_HEADER_L_1"), 120);
    QCOMPARE(config.ReadInteger(kSearchHeaderSortCol), 1);

    // Shown again, the columns are in that order and the rows' cells moved with them.
    m_form->show();
    QCOMPARE(m_form->ColumnLetters(), std::string("FCLDT"));
    QCOMPARE(m_form->SearchRes->headerItem()->text(1), QString("Comment"));
    for (int i = 0; i < 5; ++i)
        QCOMPARE(m_form->SearchRes->header()->logicalIndex(i), i);
    QCOMPARE(Column(m_form->SearchRes, 1), (QStringList{"first", "second"}));
    QCOMPARE(Column(m_form->SearchRes, 2), (QStringList{"7", "3"}));
    QCOMPARE(m_form->SearchRes->SortColumn(), 1);
    QCOMPARE(m_form->SearchRes->columnWidth(1), 120);
}

void SearchFormTest::keywordHasFocusOnSearchStart_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("first showing") << "show";
    QTest::newRow("showing again after the results") << "show again";
    QTest::newRow("back from the results") << "back";
}

void SearchFormTest::keywordHasFocusOnSearchStart()
{
    QFETCH(QString, how);
    if (how == "show again") {
        QTimer::singleShot(0, [&] {
            m_form->SearchPages->setCurrentWidget(m_form->Search);
            m_form->ButtonOpen->setFocus();
            m_form->reject();
        });
        m_form->ShowModal();
    }
    bool focused = false;
    QString selected;
    QTimer::singleShot(0, [&] {
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
        if (how == "back") {
            m_form->SearchPages->setCurrentWidget(m_form->Search);
            m_form->ButtonBack->setFocus();
            m_form->ButtonBack->click();
        }
        focused = m_form->CKeyWords->hasFocus();
        selected = m_form->CKeyWords->lineEdit()->selectedText();
        m_form->reject();
    });
    m_form->ShowModal();
    QVERIFY(focused);
    // Selected, so that typing replaces it.
    QCOMPARE(selected, QString("Put search keyword here"));
}

void SearchFormTest::missingHeaderFallsBackToDesignedColumns()
{
    m_app->Config().WriteString(kSearchHeader, "FL");
    m_app->Config().WriteInteger("SEARCH_HEADER_L_2", -7);
    m_form->show();
    QCOMPARE(m_form->ColumnLetters(), std::string("FLDCT"));
    const int designed[] = {620, 50, 220, 180, 90};
    for (int i = 0; i < 5; ++i) {
        QVERIFY(!m_form->SearchRes->isColumnHidden(i));
        QCOMPARE(m_form->SearchRes->columnWidth(i), designed[i]);
    }
    // The File column holds a long path of a large source tree whole; the window, as
    // wide as its columns, stays within the screen.
    const QString path = "/usr/share/fpcsrc/3.2.2/packages/libndsfpc/examples/filesystem/libfat/access_dir/access_dir.pp";
    QVERIFY(m_form->SearchRes->fontMetrics().horizontalAdvance(path) + 12 <= designed[0]);
    const QSize area = m_form->screen()->availableGeometry().size();
    QCOMPARE(m_form->size(), QSize(1200, 600).boundedTo(area));
}

void SearchFormTest::closingAWindowNeverShownKeepsTheSettings()
{
    const std::string one = Dir("one");
    m_app->Config().WriteList(kSearchPathList, {one});
    m_form->reject();
    QCOMPARE(m_app->Config().ReadList(kSearchPathList), TLines{one});
    QCOMPARE(m_app->Config().ReadString(kSearchHeader), std::string());
}

void SearchFormTest::showingAgainKeepsResults()
{
    WriteFile("tree/u.pas", "procedure key;\n");
    m_form->show();
    m_form->PathList->addItem(QString::fromStdString(Dir("tree")));
    m_form->SearchInDecl->setChecked(true);
    m_form->CKeyWords->setEditText("key");
    m_form->CheckList->item(1)->setCheckState(Qt::Unchecked);
    m_form->ButtonSearch->click();
    WaitForRunsToEnd();
    QCOMPARE(m_form->SearchRes->topLevelItemCount(), 1);
    m_form->ButtonCancel2->click();
    QVERIFY(!m_form->isVisible());

    bool startInFront = false;
    int rows = 0;
    QList<Qt::CheckState> checks;
    QTimer::singleShot(0, [&] {
        startInFront = m_form->SearchPages->currentWidget() == m_form->SearchBegin;
        rows = m_form->SearchRes->topLevelItemCount();
        for (int i = 0; i < m_form->CheckList->count(); ++i)
            checks << m_form->CheckList->item(i)->checkState();
        m_form->reject();
    });
    m_form->ShowModal();
    QVERIFY(startInFront);
    QCOMPARE(rows, 1);
    QCOMPARE(checks, (QList<Qt::CheckState>{Qt::Checked, Qt::Checked}));
}

void SearchFormTest::showSearchWindowCreatesOnceAndChecksTheAction()
{
    QWidget mainWindow;
    QFont font = mainWindow.font();
    font.setPointSize(15);
    mainWindow.setFont(font);
    QAction search;
    search.setCheckable(true);
    TFormSearch* form = nullptr;
    bool checkedWhileShown = false;
    bool startInFront = false;
    int fontSize = 0;
    auto closeSoon = [&] {
        QTimer::singleShot(0, [&] {
            checkedWhileShown = search.isChecked();
            startInFront = form && form->SearchPages->currentWidget() == form->SearchBegin;
            fontSize = form ? form->font().pointSize() : 0;
            if (form)
                form->reject();
        });
    };
    closeSoon();
    ShowSearchWindow(form, &mainWindow, *m_app, m_platform, {}, &search);
    QVERIFY(form);
    QVERIFY(checkedWhileShown);
    QVERIFY(startInFront);
    QCOMPARE(fontSize, 15);
    QVERIFY(!search.isChecked());

    TFormSearch* first = form;
    form->SearchPages->setCurrentWidget(form->Search);
    closeSoon();
    ShowSearchWindow(form, &mainWindow, *m_app, m_platform, {}, &search);
    QCOMPARE(form, first);
    QVERIFY(startInFront);
}

void SearchFormTest::resultSorting()
{
    // Header clicks cycle the order, equal rows keep theirs, texts ignore letter case, and
    // the Line column sorts as numbers.
    m_form->show();
    TListViewEx* list = m_form->SearchRes;
    list->clear();
    list->AddRows({{"b", "9", "beta"}, {"a", "10", "Alpha"}, {"c", "100", "_gamma"}, {"d", "10", "ALPHA"}});
    struct Step {
        int column;
        QStringList captions;
        TSortOption arrow;
    };
    const Step steps[] = {
        {2, {"a", "d", "b", "c"}, TSortOption::soAscending},  // Alpha = ALPHA keep their order
        {2, {"c", "b", "a", "d"}, TSortOption::soDescending}, // equal rows still keep it
        {2, {"a", "d", "b", "c"}, TSortOption::soAscending},
        {1, {"b", "a", "d", "c"}, TSortOption::soAscending},  // lines: 9, 10, 10, 100
        {1, {"c", "a", "d", "b"}, TSortOption::soDescending},
        {0, {"a", "b", "c", "d"}, TSortOption::soAscending},
    };
    for (const auto& step : steps) {
        list->ColumnClick(step.column);
        QCOMPARE(Column(list, 0), step.captions);
        QCOMPARE(list->ArrowOf(step.column), step.arrow);
    }
    list->SetSortOrder(TSortOption::soNone);
    QCOMPARE(list->ArrowOf(0), TSortOption::soNone);
}

// The rows of a search come in the order found and stand in the order of the header's
// arrow once the search ends.
void SearchFormTest::resultsAreSortedWhenTheSearchEnds()
{
    WriteFile("tree/a.pas", "procedure keyB;\n\n\n\n\n\n\n\n\nprocedure keyA;\n");
    WriteFile("tree/b.pas", "\n\n\n\nprocedure keyC;\n");
    TConfig& config = m_app->Config();
    config.WriteList(kSearchPathList, {Dir("tree")});
    config.WriteBool(kSearchInDecl, true);
    config.WriteInteger(kSearchHeaderSortCol, 1);
    config.WriteBool(kSearchHeaderSortOrder, false);
    m_form->show();
    m_form->CKeyWords->setEditText("key");
    m_form->ButtonSearch->click();
    WaitForRunsToEnd();
    QCOMPARE(m_form->SearchRes->ArrowOf(1), TSortOption::soDescending);
    QCOMPARE(Column(m_form->SearchRes, 1), (QStringList{"10", "5", "1"}));
    QCOMPARE(Column(m_form->SearchRes, 2), (QStringList{"keyA", "keyC", "keyB"}));
}

// A keyword typed differs from a history entry in letter case only: it is searched as typed.
void SearchFormTest::typedKeywordKeepsItsCase()
{
    WriteFile("tree/u.pas", "procedure TStringList;\nprocedure tstringlist;\n");
    TConfig& config = m_app->Config();
    config.WriteList(kSearchPathList, {Dir("tree")});
    config.WriteBool(kSearchInDecl, true);
    config.WriteList(kSearchKeywordList, {"TStringList"});
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    QLineEdit* edit = m_form->CKeyWords->lineEdit();
    edit->selectAll();
    QTest::keyClicks(edit, "tstringlist");
    QCOMPARE(edit->text(), QString("tstringlist"));
    QTest::keyClick(edit, Qt::Key_Return);
    WaitForRunsToEnd();
    QCOMPARE(Column(m_form->SearchRes, 2), QStringList{"tstringlist"});
    QCOMPARE(m_form->CKeyWords->currentText(), QString("tstringlist"));
}

void SearchFormTest::folderDialogSelectsThePath()
{
    const QString folder = QString::fromStdString(Dir("pick/me"));
    TFormPath dialog;
    QCOMPARE(dialog.windowTitle(), QString("Directories :"));
    QCOMPARE(dialog.SelectedPath(), QString());
    dialog.SelectPath(folder);
    QCOMPARE(dialog.SelectedPath(), folder);
    dialog.SelectPath(folder + "/missing");
    QCOMPARE(dialog.SelectedPath(), folder);
}

QTEST_MAIN(SearchFormTest)
#include "SearchFormTest.moc"
