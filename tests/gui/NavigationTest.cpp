// Stepping into and out of levels, back and forward, next and previous file, and the
// Shell page's handlers, driven through the window's actions and events.

#include "OutlineSupport.h"

#include "browser/ListViewEx.h"
#include "browser/ShellList.h"

#include <QAction>
#include <QDir>
#include <QtTest>

namespace {

QAction* ActionOf(const TMForm& form, const char* name)
{
    return form.findChild<QAction*>(QString::fromLatin1(name));
}

std::vector<std::string> HistoryOf(const TMForm& form)
{
    return form.History().Items();
}

using TWindow = TTestWindow;

} // namespace

class NavigationTest : public QObject {
    Q_OBJECT
private slots:
    void workedExample()
    {
        TWindow w;
        const std::string source = w.folder.Write("Nested.pas", kNestedUnit);
        w.Open(source);
        TMForm& form = *w.form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(Declarations(form), (QStringList{"A", "B"}));

        // A real double click on A.
        QTreeWidgetItem* a = RowNamed(form, "A");
        const QRect rect = form.ListView()->visualItemRect(a);
        QTest::mouseClick(form.ListView()->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(form.ListView()->viewport(), Qt::LeftButton, {}, rect.center());
        QCOMPARE(form.LevelStart(), 4);
        QCOMPARE(Declarations(form), (QStringList{"..< A >", "A1", "A2"}));

        // Enter on A1.
        form.ListView()->setCurrentItem(RowNamed(form, "A1"));
        form.ListView()->setFocus();
        QTest::keyClick(form.ListView(), Qt::Key_Return);
        QCOMPARE(form.LevelStart(), 8);
        QCOMPARE(Declarations(form), (QStringList{"..< A1 >", "A1a", "A1b"}));

        ActionOf(form, "ActGoUp")->trigger();
        QCOMPARE(form.LevelStart(), 4);
        QCOMPARE(Declarations(form), (QStringList{"..< A >", "A1", "A2"}));
        // Up through the parent row.
        form.ListView()->setCurrentItem(form.ListView()->topLevelItem(0));
        form.ListViewDblClick();
        QCOMPARE(form.LevelStart(), 0);
        QCOMPARE(Declarations(form), (QStringList{"A", "B"}));

        QCOMPARE(HistoryOf(form), (std::vector<std::string>{source + "?0", source + "?4",
                                                            source + "?8", source + "?4", source}));
        QCOMPARE(form.windowTitle(), QString::fromStdString(source + " - Quillane"));
        QVERIFY(!ActionOf(form, "ActNext")->isEnabled());
        QVERIFY(ActionOf(form, "ActPrevious")->isEnabled());
    }

    void onlyContainersCanBeEntered()
    {
        TWindow w;
        const std::string source = w.folder.Write("Nested.pas", kNestedUnit);
        w.Open(source);
        StepInto(*w.form, "B");
        QCOMPARE(w.form->LevelStart(), 0);
        QCOMPARE(HistoryOf(*w.form).size(), std::size_t(1));
        w.form->ListView()->clearSelection();
        w.form->ListViewDblClick();
        QCOMPARE(Declarations(*w.form), (QStringList{"A", "B"}));
    }

    void backAndForward()
    {
        TWindow w;
        const std::string source = w.folder.Write("Nested.pas", kNestedUnit);
        w.Open(source);
        TMForm& form = *w.form;
        StepInto(form, "A");
        StepInto(form, "A1");
        ActionOf(form, "ActPrevious")->trigger();
        QCOMPARE(form.History().Pos(), 1);
        QCOMPARE(Declarations(form), (QStringList{"..< A >", "A1", "A2"}));
        QVERIFY(ActionOf(form, "ActNext")->isEnabled());
        ActionOf(form, "ActPrevious")->trigger();
        QCOMPARE(Declarations(form), (QStringList{"A", "B"}));
        QVERIFY(!ActionOf(form, "ActPrevious")->isEnabled());

        // At the oldest entry Back reopens the same place and records nothing.
        form.ActPreviousExecute();
        QCOMPARE(form.History().Pos(), 2);
        QCOMPARE(HistoryOf(form).size(), std::size_t(3));
        QCOMPARE(Declarations(form), (QStringList{"A", "B"}));

        ActionOf(form, "ActNext")->trigger();
        ActionOf(form, "ActNext")->trigger();
        QCOMPARE(form.History().Pos(), 0);
        QCOMPARE(form.LevelStart(), 8);
        QVERIFY(!ActionOf(form, "ActNext")->isEnabled());
        form.ActNextExecute();
        QCOMPARE(form.History().Pos(), 0);
        QCOMPARE(Declarations(form), (QStringList{"..< A1 >", "A1a", "A1b"}));

        // Going back and then somewhere new drops the places ahead.
        form.ActPreviousExecute();
        form.ActPreviousExecute();
        StepInto(form, "A");
        QCOMPARE(HistoryOf(form), (std::vector<std::string>{source + "?4", source}));
    }

    void steppingNeverReadsTheFileAgain()
    {
        TWindow w;
        const std::string source = w.folder.Write("Nested.pas", kNestedUnit);
        w.Open(source);
        TMForm& form = *w.form;
        const TLines entries = form.Entries();
        w.folder.Write("Nested.pas", "Z = 1;\n");
        StepInto(form, "A");
        StepInto(form, "A1");
        form.ActGoUpExecute();
        form.ActPreviousExecute();
        form.ActNextExecute();
        QCOMPARE(form.Entries(), entries);
        QCOMPARE(Declarations(form), (QStringList{"..< A >", "A1", "A2"}));
    }

    void containerWithoutChildren()
    {
        TWindow w;
        const std::string source =
            w.folder.Write("Empty.pas", "E = record\nend;\nF = 2;\nG = 3;\n");
        w.Open(source);
        StepInto(*w.form, "E");
        // The level that follows E is shown below E as the parent row.
        QCOMPARE(w.form->LevelStart(), 4);
        QCOMPARE(Declarations(*w.form), (QStringList{"..< E >", "F", "G"}));
    }

    void containerThatIsTheLastEntry()
    {
        TWindow w;
        const std::string source = w.folder.Write("Last.pas", "F = 2;\nE = record\nend;\n");
        w.Open(source);
        StepInto(*w.form, "E");
        QCOMPARE(w.form->LevelStart(), 8);
        QCOMPARE(Declarations(*w.form), (QStringList{"..< E >"}));
        w.form->ActGoUpExecute();
        QCOMPARE(Declarations(*w.form), (QStringList{"F", "E"}));
        // A location beyond the entries (made before the file changed) shows an empty level.
        w.form->GoToLocation(source + "?400");
        w.form->ShowDocument();
        QCOMPARE(w.form->ListView()->topLevelItemCount(), 0);
        QVERIFY(!w.form->IsShellPageShowing());
    }

    void twoEntriesOnOneLine()
    {
        TWindow w;
        const std::string source =
            w.folder.Write("Same.pas", "X = 1; Y = record\n  Z: Integer;\nend;\n");
        w.Open(source);
        QCOMPARE(Declarations(*w.form), (QStringList{"X", "Y"}));
        StepInto(*w.form, "Y");
        // Y is found by its line, which X shares: the level after X is shown below X.
        QCOMPARE(w.form->LevelStart(), 4);
        QCOMPARE(Declarations(*w.form), (QStringList{"..< X >", "Y"}));
    }

    void nextAndPreviousFile()
    {
        TWindow w;
        const std::string a = w.folder.Write("proj/a.pas", "A = 1;\n");
        const std::string b = w.folder.Write("proj/B.dpr", "B = 1;\n");
        const std::string c = w.folder.Write("proj/c.PAS", "C = 1;\n");
        w.folder.Write("proj/notes.txt", "text\n");
        w.folder.Write("proj/sub/d.pas", "D = 1;\n");
        QDir().mkpath(QString::fromStdString(w.folder.Path() + "proj/aaa.pas"));
        w.Open(a);
        TMForm& form = *w.form;

        ActionOf(form, "NextFile")->trigger();
        QCOMPARE(form.SourcePath(), b);
        QCOMPARE(Declarations(form), (QStringList{"B"}));
        QCOMPARE(form.StatusPanelText(0), QString("Line=1"));
        ActionOf(form, "NextFile")->trigger();
        QCOMPARE(form.SourcePath(), c);
        ActionOf(form, "NextFile")->trigger(); // wraps past the folders
        QCOMPARE(form.SourcePath(), a);
        ActionOf(form, "PrevFile")->trigger();
        QCOMPARE(form.SourcePath(), c);
        QCOMPARE(HistoryOf(form), (std::vector<std::string>{c, a, c, b, a}));
        QVERIFY(ActionOf(form, "ActPrevious")->isEnabled());
        QCOMPARE(form.windowTitle(), QString::fromStdString(c + " - Quillane"));
    }

    void fileOfAnUnlistedTypeIsNotOpened()
    {
        TWindow w("PAS");
        const std::string a = w.folder.Write("proj/a.pas", "A = 1;\n");
        w.folder.Write("proj/b.dpr", "B = 1;\n");
        w.folder.Write("proj/c.pas", "C = 1;\n");
        w.Open(a);
        w.form->NextFileExecute();
        QCOMPARE(w.form->SourcePath(), a);
        QCOMPARE(HistoryOf(*w.form).size(), std::size_t(1));
        w.form->PrevFileExecute();
        QCOMPARE(w.form->SourcePath(), w.folder.Path() + "proj/c.pas");
    }

    void onlySourceOfItsFolder()
    {
        TWindow w;
        const std::string a = w.folder.Write("solo/a.pas", "A = 1;\n");
        w.Open(a);
        w.folder.Write("solo/a.pas", "Z = 9;\n");
        w.form->NextFileExecute();
        QCOMPARE(w.form->SourcePath(), a);
        QCOMPARE(Declarations(*w.form), (QStringList{"A"})); // not read again
        QCOMPARE(w.form->StatusPanelText(0), QString::fromStdString(a));
        // The open file removed: no file left to step to, nothing happens.
        QFile::remove(QString::fromStdString(a));
        w.form->NextFileExecute();
        QCOMPARE(w.form->SourcePath(), a);
    }

    void upToTheShellPageAndTheRoot()
    {
        TWindow w;
        const std::string source = w.folder.Write("deep/src/Nested.pas", kNestedUnit);
        w.Open(source);
        TMForm& form = *w.form;
        const QString caption = form.windowTitle();
        ActionOf(form, "ActGoUp")->trigger();
        QVERIFY(form.IsShellPageShowing());
        QCOMPARE(form.ShellList()->Folder(), w.folder.Path() + "deep/src");
        QCOMPARE(HistoryOf(form).front(), w.folder.Path() + "deep/src/");
        QCOMPARE(form.windowTitle(), caption);
        for (QAction* a :
             {ActionOf(form, "Directory"), ActionOf(form, "NextFile"), ActionOf(form, "PrevFile"),
              ActionOf(form, "OpenInTXT"), ActionOf(form, "ExtOpen"), ActionOf(form, "FileSaveAs"),
              ActionOf(form, "ExportTXT"), ActionOf(form, "ExportHTM")})
            QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));

        ActionOf(form, "ActGoUp")->trigger();
        QCOMPARE(form.ShellList()->Folder(), w.folder.Path() + "deep");
        QCOMPARE(HistoryOf(form).front(), w.folder.Path() + "deep/");
        QCOMPARE(form.windowTitle(), QString::fromStdString(w.folder.Path() + "deep/ - Quillane"));

        for (int guard = 0; guard < 64 && form.ShellList()->Folder() != "/"; ++guard)
            form.ActGoUpExecute();
        QCOMPARE(form.ShellList()->Folder(), std::string("/"));
        QCOMPARE(HistoryOf(form).front(), std::string("/"));
        const std::size_t size = HistoryOf(form).size();
        form.ActGoUpExecute();
        QCOMPARE(form.ShellList()->Folder(), std::string("/"));
        QCOMPARE(HistoryOf(form).size(), size);

        // Back leads to the source again.
        for (int i = 0; i < 64 && form.IsShellPageShowing(); ++i)
            form.ActPreviousExecute();
        QCOMPARE(form.SourcePath(), source);
        QCOMPARE(Declarations(form), (QStringList{"A", "B"}));
    }

    void shellPageHandlers()
    {
        TWindow w;
        const std::string a = w.folder.Write("proj/a.pas", "A = 1;\n");
        const std::string b = w.folder.Write("proj/b.pas", "B = 1;\n");
        w.folder.Write("proj/sub/c.pas", "C = 1;\n");
        w.Open(a);
        TMForm& form = *w.form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        ActionOf(form, "Directory")->trigger();
        QVERIFY(form.IsShellPageShowing());
        TShellList* list = form.ShellList();
        QTRY_COMPARE(list->model()->rowCount(list->rootIndex()), 3);
        // Folders first, then the files by name.
        QCOMPARE(list->model()->index(0, 0, list->rootIndex()).data().toString(), QString("sub"));

        const QModelIndex bIndex = list->model()->index(2, 0, list->rootIndex());
        const QRect bRect = list->visualRect(bIndex);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, bRect.center());
        QCOMPARE(form.windowTitle(), QString::fromStdString(b + " - Quillane"));
        QCOMPARE(form.SourcePath(), a);

        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, bRect.center());
        QVERIFY(!form.IsShellPageShowing());
        QCOMPARE(form.SourcePath(), b);
        QCOMPARE(Declarations(form), (QStringList{"B"}));
        QCOMPARE(HistoryOf(form).front(), b);
        // The double-clicked file was opened here, never handed to another program.
        QVERIFY(w.platform.opened.empty());

        ActionOf(form, "Directory")->trigger();
        QTRY_COMPARE(list->model()->rowCount(list->rootIndex()), 3);
        const QRect subRect = list->visualRect(list->model()->index(0, 0, list->rootIndex()));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, subRect.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, subRect.center());
        QCOMPARE(list->Folder(), w.folder.Path() + "proj/sub");
        QCOMPARE(HistoryOf(form).front(), w.folder.Path() + "proj/sub/");
        QVERIFY(form.IsShellPageShowing());
        QTRY_COMPARE(list->model()->rowCount(list->rootIndex()), 1);
    }

    void shellDoubleClickOnAnUnlistedFile()
    {
        TWindow w("PAS");
        const std::string a = w.folder.Write("proj/a.pas", "A = 1;\n");
        const std::string d = w.folder.Write("proj/d.dpr", "D = 1;\n");
        w.Open(a);
        w.form->DirectoryExecute();
        w.form->ShellListDblClick(QString::fromStdString(d), false);
        QVERIFY(w.form->IsShellPageShowing());
        QCOMPARE(HistoryOf(*w.form).front(), d);
        QCOMPARE(w.form->StatusPanelText(0), QString());
        QCOMPARE(w.form->ScannedPath(), a);
        QCOMPARE(w.form->windowTitle(), QString::fromStdString(d + " - Quillane"));
    }
};

QTEST_MAIN(NavigationTest)
#include "NavigationTest.moc"
