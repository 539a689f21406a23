// The window over a code base: entries from include files (their file in the Line column,
// the jump into the include, the filter and the exports), the stored toggle that follows
// includes, every file type of the rules on the Shell page and in file stepping, and
// opening a unit that a uses clause names.

#include "OutlineSupport.h"

#include "browser/TextViewer.h"
#include "config/Config.h"
#include "widgets/ListViewEx.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QtTest>

namespace {

const char* const kPart = "TPart = class\n  procedure Run;\nend;\nLimit = 5;\n";
const char* const kMain = "unit Main;\n{$I part.inc}\nK = 1;\n";

QStringList LineTexts(const TMForm& form)
{
    QStringList lines;
    for (int i = 0; i < form.ListView()->topLevelItemCount(); ++i)
        lines << form.FieldText(form.ListView()->topLevelItem(i), 'L');
    return lines;
}

QAction* Action(const TMForm& form, const char* name)
{
    return form.findChild<QAction*>(QString::fromLatin1(name));
}

// The units of the menu that Open Used Unit shows for the selected uses entry.
QMenu* UnitMenu(TMForm& form, const QString& usesEntry)
{
    form.ListView()->setCurrentItem(RowNamed(form, usesEntry));
    form.OpenUnitExecute();
    return form.findChild<QMenu*>("UnitMenu");
}

QAction* MenuItem(QMenu* menu, const QString& text)
{
    for (QAction* item : menu->actions())
        if (item->text() == text)
            return item;
    return nullptr;
}

} // namespace

class IncludesTest : public QObject {
    Q_OBJECT
private slots:
    void entriesOfAnIncludeNameTheirFile()
    {
        TTestWindow w("PAS,INC");
        const std::string part = w.folder.Write("part.inc", kPart);
        const std::string source = w.OpenSource("Main.pas", kMain);
        TTestForm& form = *w.form;
        form.show();
        // The source's own lines first, then the include's, each by number.
        QCOMPARE(Declarations(form), QStringList({"Main", "K", "TPart", "Limit"}));
        QCOMPARE(LineTexts(form), QStringList({"1", "3", "part.inc:1", "part.inc:4"}));
        QCOMPARE(form.StatusPanelText(0), QString("Line=3"));
        // The Line cell's tooltip holds the include's whole path.
        const QModelIndex lineCell = form.ListView()->indexFromItem(RowNamed(form, "TPart"), 4);
        QVERIFY(form.ListView()->ToolTipOf(lineCell).contains(QString::fromStdString(part)));

        // Enter on an entry of the include shows the include at its line.
        form.ListView()->setCurrentItem(RowNamed(form, "Limit"));
        QTest::keyClick(form.ListView(), Qt::Key_Return);
        QCOMPARE(form.TextViewer()->FilePath(), part);
        QCOMPARE(form.TextViewer()->HighlightedLine(), 4);

        StepInto(form, "TPart");
        QCOMPARE(LineTexts(form).last(), QString("part.inc:2"));
        form.ListView()->setCurrentItem(RowNamed(form, "Run"));
        form.ListViewDblClick();
        QCOMPARE(form.TextViewer()->FilePath(), part);
        QCOMPARE(form.TextViewer()->HighlightedLine(), 2);
        // The location of the level names the declaration path, into the include's class.
        form.OpenFile(source + "?TPart.Run");
        QCOMPARE(form.FieldText(form.ListView()->currentItem(), 'L'), QString("part.inc:2"));

        // The filter finds the include's entries with their file.
        form.FilterEdit()->setText("Run");
        QTRY_COMPARE(form.ListView()->topLevelItemCount(), 1);
        QCOMPARE(LineTexts(form), QStringList({"part.inc:2"}));
        QTest::keyClick(form.FilterEdit(), Qt::Key_Escape);

        // The text export keeps the file and line.
        form.ActGoUpExecute();
        form.ExportTXTExecute();
        QFile exported(QString::fromStdString(w.context->Paths().exportFolder + "TempFile.txt"));
        QVERIFY(exported.open(QIODevice::ReadOnly));
        QVERIFY(exported.readAll().contains("part.inc:4"));
        // The HTML pages walk into the include's class, on a page named by its file and line.
        form.saveAnswer = w.folder.Write("html/Index.html", "");
        form.ExportHTMExecute();
        QFile page(QString::fromStdString(w.folder.Path() + "html/part.inc_1.html"));
        QVERIFY(page.open(QIODevice::ReadOnly));
        QVERIFY(page.readAll().contains("part.inc:2"));
    }

    void followingIncludesIsAStoredToggle()
    {
        TTestWindow w("PAS,INC");
        w.folder.Write("part.inc", kPart);
        const std::string source = w.OpenSource("Main.pas", kMain);
        QVERIFY(Action(*w.form, "FollowIncludes")->isChecked()); // on when never chosen
        Action(*w.form, "FollowIncludes")->trigger();
        QCOMPARE(Declarations(*w.form), QStringList({"Main", "K"}));
        QCOMPARE(w.context->Config().ReadString("FOLLOW_INCLUDES"), std::string("F"));

        w.Open(source);
        QVERIFY(!Action(*w.form, "FollowIncludes")->isChecked());
        QCOMPARE(Declarations(*w.form), QStringList({"Main", "K"}));
        Action(*w.form, "FollowIncludes")->trigger();
        QCOMPARE(Declarations(*w.form), QStringList({"Main", "K", "TPart", "Limit"}));
    }

    void fileSteppingTakesEveryTypeOfTheRules()
    {
        TTestWindow w("PAS,PP,INC");
        for (const char* name : {"b.pp", "c.inc", "d.txt"})
            w.folder.Write(name, "unit X;\n");
        w.OpenSource("a.pas", "unit A;\n");
        QStringList visited;
        for (int i = 0; i < 3; ++i) {
            w.form->NextFileExecute();
            visited << QString::fromStdString(FileNameOf(w.form->Browser().SourcePath()));
        }
        QCOMPARE(visited, QStringList({"b.pp", "c.inc", "a.pas"}));
    }

    void opensAUsedUnit()
    {
        TTestWindow w;
        const std::string alpha = w.folder.Write("Alpha.pas", "unit Alpha;\n");
        const std::string beta = w.folder.Write("lib/lib.beta.pp", "unit lib.Beta;\n");
        w.folder.WriteSettings({"[+SOURCE_PATH]", w.folder.Path() + "lib", "[-SOURCE_PATH]"});
        const std::string main = w.OpenSource("Main.pas", "unit Main;\nuses Alpha, lib.Beta, Missing, Deep;\n");
        TTestForm& form = *w.form;
        form.show();
        const std::string deep = w.folder.Write("tree/x/deep.pas", "unit Deep;\n");
        form.SetSearchFolders([&w] { return TLines{w.folder.Path() + "tree"}; });

        QMenu* menu = UnitMenu(form, "Alpha, lib.Beta, Missing, Deep");
        QCOMPARE(menu->actions().size(), 4);
        MenuItem(menu, "Alpha")->trigger();
        QCOMPARE(form.Browser().SourcePath(), alpha);
        form.ActPreviousExecute(); // a step in the history
        QCOMPARE(form.Browser().SourcePath(), main);

        MenuItem(UnitMenu(form, "Alpha, lib.Beta, Missing, Deep"), "lib.Beta")->trigger();
        QVERIFY2(form.Browser().SourcePath() == beta, qPrintable(form.NoticeText()));
        form.ActPreviousExecute();
        MenuItem(UnitMenu(form, "Alpha, lib.Beta, Missing, Deep"), "Deep")->trigger(); // below the search's folders
        QCOMPARE(form.Browser().SourcePath(), deep);
        form.ActPreviousExecute();

        MenuItem(UnitMenu(form, "Alpha, lib.Beta, Missing, Deep"), "Missing")->trigger();
        QCOMPARE(form.Browser().SourcePath(), main);
        QVERIFY2(form.NoticeText().startsWith("Unit Missing not found in " + QString::fromStdString(w.folder.Path())),
                 qPrintable(form.NoticeText()));
        QVERIFY(form.NoticeText().contains(QString::fromStdString(w.folder.Path() + "lib")));
        QVERIFY(form.NoticeText().endsWith(QString::fromStdString("below " + w.folder.Path() + "tree")));

        // A clause of one unit opens it at once with Ctrl+Enter.
        w.OpenSource("Other.pas", "unit Other;\nuses Alpha;\n");
        w.form->show();
        w.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
        w.form->ListView()->setCurrentItem(RowNamed(*w.form, "Alpha"));
        QTest::keyClick(w.form->ListView(), Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(w.form->Browser().SourcePath(), alpha);
    }
};

QTEST_MAIN(IncludesTest)
#include "IncludesTest.moc"
