// The window's part in navigation: clicks, keys and actions reach the browser, the
// actions follow the history and the page, and the Shell page's list follows the
// browser's folder. What the steps do is tested on the browser alone.

#include "OutlineSupport.h"

#include "browser/ShellList.h"
#include "widgets/ListViewEx.h"

#include <QAction>
#include <QDir>
#include <QPlainTextEdit>
#include <QtTest>

namespace {

QAction* ActionOf(const TMForm& form, const char* name)
{
    return form.findChild<QAction*>(QString::fromLatin1(name));
}

std::vector<std::string> HistoryOf(const TMForm& form)
{
    return form.Browser().History().Items();
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
        QCOMPARE(form.Browser().LevelStart(), 4);
        QCOMPARE(Declarations(form), (QStringList{"..< A >", "A1", "A2"}));

        // Enter on A1.
        form.ListView()->setCurrentItem(RowNamed(form, "A1"));
        form.ListView()->setFocus();
        QTest::keyClick(form.ListView(), Qt::Key_Return);
        QCOMPARE(form.Browser().LevelStart(), 8);
        QCOMPARE(Declarations(form), (QStringList{"..< A1 >", "A1a", "A1b"}));

        ActionOf(form, "ActGoUp")->trigger();
        QCOMPARE(form.Browser().LevelStart(), 4);
        QCOMPARE(Declarations(form), (QStringList{"..< A >", "A1", "A2"}));
        // Up through the parent row.
        form.ListView()->setCurrentItem(form.ListView()->topLevelItem(0));
        form.ListViewDblClick();
        QCOMPARE(form.Browser().LevelStart(), 0);
        QCOMPARE(Declarations(form), (QStringList{"A", "B"}));

        QCOMPARE(form.windowTitle(), QString::fromStdString(source + " - Quillane"));
        QVERIFY(!ActionOf(form, "ActNext")->isEnabled());
        QVERIFY(ActionOf(form, "ActPrevious")->isEnabled());
    }

    // Every kind of step leaves the keyboard in the list, with a row current: the entry the
    // user came from after going up, back or forward, the first entry otherwise.
    void focusAndCurrentRowAfterEachStep()
    {
        TWindow w;
        const std::string nested = w.folder.Write("Nested.pas", kNestedUnit);
        const std::string shapes = w.folder.Write("Shapes.pas", kShapesUnit);
        w.Open(nested);
        TTestForm& form = *w.form;
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QWidget* list = form.ListView();
        auto key = [list](Qt::Key k, Qt::KeyboardModifiers m = {}) {
            return [list, k, m] { QTest::keyClick(list, k, m); };
        };
        auto mouse = [&form](Qt::MouseButton button) {
            return [&form, button] {
                QTest::mouseClick(form.MemoTitle()->viewport(), button, {}, QPoint(4, 4));
            };
        };
        struct Step {
            const char* name;
            std::function<void()> run;
            QStringList rows;
            QString current;
        };
        const Step steps[] = {
            {"start", [] {}, {"A", "B"}, "A"},
            {"Enter steps in", key(Qt::Key_Return), {"..< A >", "A1", "A2"}, "A1"},
            {"Enter again", key(Qt::Key_Enter), {"..< A1 >", "A1a", "A1b"}, "A1a"},
            {"Backspace goes up", key(Qt::Key_Backspace), {"..< A >", "A1", "A2"}, "A1"},
            {"Alt+Up goes up", key(Qt::Key_Up, Qt::AltModifier), {"A", "B"}, "A"},
            {"Alt+Left goes back", key(Qt::Key_Left, Qt::AltModifier), {"..< A >", "A1", "A2"}, "A1"},
            {"back again", key(Qt::Key_Left, Qt::AltModifier), {"..< A1 >", "A1a", "A1b"}, "A1a"},
            {"Alt+Right goes forward", key(Qt::Key_Right, Qt::AltModifier), {"..< A >", "A1", "A2"}, "A1"},
            {"mouse back button", mouse(Qt::BackButton), {"..< A1 >", "A1a", "A1b"}, "A1a"},
            {"mouse forward button", mouse(Qt::ForwardButton), {"..< A >", "A1", "A2"}, "A1"},
            {"open a file", [&form, shapes] {
                 form.openAnswer = shapes;
                 form.FileOpenExecute();
             }, {"Shapes", "TShape", "TPoint", "MaxShapes", "Clear"}, "Shapes"},
            {"previous file", key(Qt::Key_F5), {"A", "B"}, "A"},
            {"file from the Shell page", [&form, shapes] {
                 form.DirectoryExecute();
                 form.ShellListDblClick(QString::fromStdString(shapes), false);
             }, {"Shapes", "TShape", "TPoint", "MaxShapes", "Clear"}, "Shapes"},
        };
        for (const Step& step : steps) {
            step.run();
            QCOMPARE(Declarations(form), step.rows);
            QVERIFY2(form.ListView()->currentItem(), step.name);
            QCOMPARE(form.FieldText(form.ListView()->currentItem(), 'D'), step.current);
            QVERIFY2(QApplication::focusWidget() == list, step.name);
        }
    }

    void onlyContainersCanBeEntered()
    {
        TWindow w;
        const std::string source = w.folder.Write("Nested.pas", kNestedUnit);
        w.Open(source);
        StepInto(*w.form, "B");
        QCOMPARE(w.form->Browser().LevelStart(), 0);
        QCOMPARE(HistoryOf(*w.form).size(), std::size_t(1));
        w.form->ListView()->clearSelection();
        w.form->ListViewDblClick();
        QCOMPARE(Declarations(*w.form), (QStringList{"A", "B"}));
    }

    void actionsFollowTheHistory()
    {
        TWindow w;
        const std::string source = w.folder.Write("Nested.pas", kNestedUnit);
        w.Open(source);
        TMForm& form = *w.form;
        StepInto(form, "A");
        StepInto(form, "A1");
        ActionOf(form, "ActPrevious")->trigger();
        QCOMPARE(form.Browser().History().Pos(), 1);
        QCOMPARE(Declarations(form), (QStringList{"..< A >", "A1", "A2"}));
        // The entry the user came from is current again.
        QCOMPARE(form.FieldText(form.ListView()->currentItem(), 'D'), QString("A1"));
        QVERIFY(ActionOf(form, "ActNext")->isEnabled());
        ActionOf(form, "ActPrevious")->trigger();
        QCOMPARE(Declarations(form), (QStringList{"A", "B"}));
        QVERIFY(!ActionOf(form, "ActPrevious")->isEnabled());
        ActionOf(form, "ActNext")->trigger();
        ActionOf(form, "ActNext")->trigger();
        QCOMPARE(Declarations(form), (QStringList{"..< A1 >", "A1a", "A1b"}));
        QVERIFY(!ActionOf(form, "ActNext")->isEnabled());
        QVERIFY(ActionOf(form, "ActPrevious")->isEnabled());
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
        QCOMPARE(form.Browser().SourcePath(), b);
        QCOMPARE(Declarations(form), (QStringList{"B"}));
        QCOMPARE(form.StatusPanelText(0), QString("Line=1"));
        ActionOf(form, "NextFile")->trigger();
        QCOMPARE(form.Browser().SourcePath(), c);
        ActionOf(form, "NextFile")->trigger(); // wraps past the folders
        QCOMPARE(form.Browser().SourcePath(), a);
        ActionOf(form, "PrevFile")->trigger();
        QCOMPARE(form.Browser().SourcePath(), c);
        QVERIFY(ActionOf(form, "ActPrevious")->isEnabled());
        QCOMPARE(form.windowTitle(), QString::fromStdString(c + " - Quillane"));
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
        QCOMPARE(form.windowTitle(), caption);
        for (QAction* a :
             {ActionOf(form, "Directory"), ActionOf(form, "NextFile"), ActionOf(form, "PrevFile"),
              ActionOf(form, "OpenInTXT"), ActionOf(form, "ExtOpen"), ActionOf(form, "FileSaveAs"),
              ActionOf(form, "ExportTXT"), ActionOf(form, "ExportHTM")})
            QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));

        ActionOf(form, "ActGoUp")->trigger();
        QCOMPARE(form.ShellList()->Folder(), w.folder.Path() + "deep");
        QCOMPARE(form.windowTitle(), QString::fromStdString(w.folder.Path() + "deep/ - Quillane"));

        for (int guard = 0; guard < 64 && form.ShellList()->Folder() != "/"; ++guard)
            form.ActGoUpExecute();
        QCOMPARE(form.ShellList()->Folder(), std::string("/"));
        form.ActGoUpExecute();
        QCOMPARE(form.ShellList()->Folder(), std::string("/"));

        // Back leads to the source again.
        for (int i = 0; i < 64 && form.IsShellPageShowing(); ++i)
            form.ActPreviousExecute();
        QCOMPARE(form.Browser().SourcePath(), source);
        QCOMPARE(Declarations(form), (QStringList{"A", "B"}));
    }

    // Every step on the Shell page leaves a row current, selected and shown: the first row of a
    // folder entered, the folder or file the user came from after going up.
    void shellPageKeepsTheRowTheUserCameFrom()
    {
        TWindow w;
        const std::string a = w.folder.Write("proj/a.pas", "A = 1;\n");
        w.folder.Write("proj/help/x.pas", "X = 1;\n");
        w.folder.Write("proj/help/y.pas", "Y = 1;\n");
        w.Open(a);
        TMForm& form = *w.form;
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        TShellList* list = form.ShellList();
        const auto current = [list] {
            const QModelIndex index = list->currentIndex();
            const bool shown = index.isValid() && index.parent() == list->rootIndex() &&
                               list->selectionModel()->isSelected(index) &&
                               list->viewport()->rect().intersects(list->visualRect(index));
            return shown ? index.data().toString() : QString("(none)");
        };
        const std::string root = w.folder.Path().substr(0, w.folder.Path().size() - 1);
        struct Step {
            const char* name;
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
            std::string folder;
            QString current;
        };
        const Step steps[] = {
            {"Ctrl+D", Qt::Key_D, Qt::ControlModifier, root + "/proj", "a.pas"},
            {"Up", Qt::Key_Up, {}, root + "/proj", "help"},
            {"Enter enters the folder", Qt::Key_Return, {}, root + "/proj/help", "x.pas"},
            {"Down moves one row", Qt::Key_Down, {}, root + "/proj/help", "y.pas"},
            {"Backspace goes up", Qt::Key_Backspace, {}, root + "/proj", "help"},
            {"Backspace again", Qt::Key_Backspace, {}, root, "proj"},
            {"Enter enters what is shown", Qt::Key_Return, {}, root + "/proj", "help"},
            {"Alt+Left goes back", Qt::Key_Left, Qt::AltModifier, root, "proj"},
        };
        // The folder's rows arrive from a gatherer thread: a key pressed on the Shell page before
        // they are all listed would meet a shorter list than the one the step expects.
        const auto listed = [list] {
            return list->model()->rowCount(list->rootIndex()) ==
                   int(list->ListFolder(list->Folder()).size());
        };
        for (const Step& step : steps) {
            if (&step != steps)
                QTRY_VERIFY_WITH_TIMEOUT(listed(), 2000);
            QTest::keyClick(QApplication::focusWidget(), step.key, step.modifiers);
            QCOMPARE(list->Folder(), step.folder);
            QTRY_COMPARE_WITH_TIMEOUT(current(), step.current, 2000);
            QVERIFY2(QApplication::focusWidget() == list, step.name);
        }

        // Going up from a file's top level shows its folder with the file selected.
        form.ShellListDblClick(QString::fromStdString(a), false);
        QVERIFY(!form.IsShellPageShowing());
        QTest::keyClick(form.ListView(), Qt::Key_Backspace);
        QVERIFY(form.IsShellPageShowing());
        QTRY_COMPARE(current(), QString("a.pas"));
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
        QCOMPARE(form.Browser().SourcePath(), a);

        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, bRect.center());
        QVERIFY(!form.IsShellPageShowing());
        QCOMPARE(form.Browser().SourcePath(), b);
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
};

QTEST_MAIN(NavigationTest)
#include "NavigationTest.moc"
