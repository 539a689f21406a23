// The filter field of the main window over a nested file: typing on the list filters the
// whole file, Enter opens a match's level with the match current, Esc and clearing the
// field return to the level shown before.

#include "OutlineSupport.h"

#include "widgets/ListViewEx.h"

#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QtTest>

namespace {

QStringList LevelPaths(const TMForm& form)
{
    QStringList paths;
    const TListViewEx* list = form.ListView();
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        paths << form.LevelPathOf(list->model()->index(i, 1));
    return paths;
}

QString Current(const TMForm& form)
{
    return form.FieldText(form.ListView()->currentItem(), 'D');
}

} // namespace

class FilterTest : public QObject {
    Q_OBJECT
private slots:
    void filterOverANestedFile()
    {
        TTestWindow w;
        w.OpenSource("Nested.pas", kNestedUnit);
        TTestForm& form = *w.form;
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        TListViewEx* list = form.ListView();
        QLineEdit* filter = form.FilterEdit();
        auto* matchCount = form.findChild<QLabel*>("StatusPanel1");

        // Typing on the list moves to the filter field; the matches come from every level.
        QTest::keyClicks(list, "A1");
        QCOMPARE(filter->text(), QString("A1"));
        QCOMPARE(QApplication::focusWidget(), filter);
        QVERIFY(form.IsFiltering());
        QCOMPARE(Declarations(form), (QStringList{"A1", "A1a", "A1b"}));
        QCOMPARE(LevelPaths(form), (QStringList{"A", "A > A1", "A > A1"}));
        QCOMPARE(matchCount->text(), QString("3 matches"));
        QCOMPARE(Current(form), QString("A1"));
        // Letter case is ignored.
        filter->setText("a1B");
        QCOMPARE(Declarations(form), (QStringList{"A1b"}));

        // Enter opens the match's level with the match current, and the list has the keys.
        filter->setText("a1");
        QTest::keyClick(filter, Qt::Key_Down);
        QTest::keyClick(filter, Qt::Key_Down);
        QCOMPARE(Current(form), QString("A1b"));
        QTest::keyClick(filter, Qt::Key_Return);
        QVERIFY(!form.IsFiltering());
        QCOMPARE(filter->text(), QString());
        QCOMPARE(matchCount->text(), QString());
        QCOMPARE(form.Browser().LevelStart(), 8);
        QCOMPARE(Declarations(form), (QStringList{"..< A1 >", "A1a", "A1b"}));
        QCOMPARE(Current(form), QString("A1b"));
        QCOMPARE(QApplication::focusWidget(), list);
        QCOMPARE(form.LevelPathOf(list->model()->index(1, 1)), QString());

        // A double click on a top-level match opens the top level.
        QTest::keyClicks(list, "b");
        QCOMPARE(Declarations(form), (QStringList{"A1b", "B"}));
        list->setCurrentItem(RowNamed(form, "B"));
        form.ListViewDblClick();
        QCOMPARE(form.Browser().LevelStart(), 0);
        QCOMPARE(Current(form), QString("B"));
        QCOMPARE(form.Browser().History().Items().front(), form.Browser().SourcePath() + "?0");

        // Esc returns to the level shown, with the entry current that was current before.
        StepInto(form, "A");
        list->setCurrentItem(RowNamed(form, "A2"));
        QTest::keyClicks(list, "b");
        QCOMPARE(Declarations(form), (QStringList{"A1b", "B"}));
        QTest::keyClick(filter, Qt::Key_Escape);
        QVERIFY(!form.IsFiltering());
        QCOMPARE(filter->text(), QString());
        QCOMPARE(Declarations(form), (QStringList{"..< A >", "A1", "A2"}));
        QCOMPARE(Current(form), QString("A2"));
        QCOMPARE(QApplication::focusWidget(), list);

        // On the list, Backspace edits the filter rather than going up a level.
        QTest::keyClicks(list, "a1");
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Backspace);
        QCOMPARE(filter->text(), QString("a"));
        QCOMPARE(QApplication::focusWidget(), filter);
        QCOMPARE(form.Browser().LevelStart(), 4);
        QTest::keyClick(filter, Qt::Key_Escape);

        // Clearing the field by Backspace returns to the level too, and keeps the keyboard
        // in the field, so that one Backspace too many does not go up a level.
        QTest::keyClicks(list, "x");
        QCOMPARE(Declarations(form), QStringList{});
        QCOMPARE(matchCount->text(), QString("0 matches"));
        QTest::keyClick(filter, Qt::Key_Backspace);
        QCOMPARE(Declarations(form), (QStringList{"..< A >", "A1", "A2"}));
        QCOMPARE(QApplication::focusWidget(), filter);
        QTest::keyClick(filter, Qt::Key_Backspace);
        QCOMPARE(form.Browser().LevelStart(), 4);

        // Ctrl+F moves to the field; a step of the browser ends the filter.
        QTest::keyClick(filter, Qt::Key_Escape);
        QTest::keyClick(list, Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), filter);
        QTest::keyClicks(filter, "A");
        QVERIFY(form.IsFiltering());
        QTest::keyClick(filter, Qt::Key_Up, Qt::AltModifier);
        QVERIFY(!form.IsFiltering());
        QCOMPARE(Declarations(form), (QStringList{"A", "B"}));
    }

    // Ctrl+X cuts in a text field (and does nothing in the read-only title); Exit keeps it,
    // and Ctrl+Q, when the list has the keyboard.
    void ctrlXCutsInTextFields()
    {
        TTestWindow w;
        w.OpenSource("Nested.pas", kNestedUnit);
        TTestForm& form = *w.form;
        int exits = 0;
        form.SetExitHandler([&] { ++exits; });
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTest::keyClicks(form.ListView(), "a1");
        QTest::keyClick(form.FilterEdit(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(form.FilterEdit(), Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(form.FilterEdit()->text(), QString());
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("a1"));
        form.MemoTitle()->setFocus();
        QTest::keyClick(form.MemoTitle(), Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(exits, 0);
        form.ListView()->setFocus();
        QTest::keyClick(form.ListView(), Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(exits, 1);
        QTest::keyClick(form.ListView(), Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(exits, 2);
    }

    // The field's clear button goes with its text, whichever key ended the filter.
    void clearButtonGoesWithTheFilter()
    {
        TTestWindow w;
        w.OpenSource("Nested.pas", kNestedUnit);
        TTestForm& form = *w.form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto* clear = form.FilterEdit()->findChild<QToolButton*>();
        QVERIFY(clear);
        for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
            QTest::keyClicks(form.ListView(), "a1");
            QTRY_VERIFY(clear->isVisibleTo(form.FilterEdit()));
            QTest::keyClick(form.FilterEdit(), key);
            QVERIFY(!form.IsFiltering());
            QTRY_VERIFY2(!clear->isVisibleTo(form.FilterEdit()), qPrintable(QKeySequence(key).toString()));
        }
    }

    void filterFollowsTheSortAndAnewScan()
    {
        TTestWindow w;
        const std::string source = w.OpenSource("Shapes.pas", kShapesUnit);
        TTestForm& form = *w.form;
        form.FilterEdit()->setText("a");
        QCOMPARE(Declarations(form), (QStringList{"Shapes", "TShape", "FName", "Draw", "Name", "MaxShapes", "Clear"}));
        form.ListView()->ColumnClick(1); // by Declaration
        QCOMPARE(Declarations(form), (QStringList{"Clear", "Draw", "FName", "MaxShapes", "Name", "Shapes", "TShape"}));
        form.FilterEdit()->setText("ap");
        QCOMPARE(Declarations(form), (QStringList{"MaxShapes", "Shapes", "TShape"}));

        // The file changed and is scanned again: the next filter sees the new entries.
        form.FilterEdit()->clear();
        w.folder.Write("Shapes.pas", "unit Shapes;\nprocedure Append;\n");
        form.configDialog = [] { return true; };
        form.ActConfigExecute();
        form.FilterEdit()->setText("ap");
        QCOMPARE(Declarations(form), (QStringList{"Append", "Shapes"}));
    }

    // A file with more matches than the list shows: sorted anew, it lists the first
    // matches in the new order (every "Stop" sorts before the cut in either direction), not
    // the first ones of the order before, sorted. The order is worked out on a worker.
    void bigFileListsTheFirstMatchesOfANewSort()
    {
        constexpr int kClasses = 35000;
        std::string text = "unit Big;\ninterface\ntype\n";
        for (int i = 0; i < kClasses; ++i)
            text += "  TItem" + std::to_string(i) + " = class\n    procedure Start;\n    procedure Stop;\n  end;\n";
        text += "implementation\nend.\n";
        TTestWindow w;
        w.OpenSource("Big.pas", text);
        TTestForm& form = *w.form;
        TListViewEx* list = form.ListView();
        for (int c = 0; c < list->columnCount(); ++c)
            if (list->headerItem()->text(c) == "Line" && list->SortColumn() != c)
                list->ColumnClick(c);
        form.FilterEdit()->setText("t");
        QTRY_VERIFY_WITH_TIMEOUT(!form.IsFilterBusy(), 20000);
        list->ColumnClick(1); // by Declaration
        QTRY_VERIFY_WITH_TIMEOUT(!form.IsFilterBusy(), 20000);
        QCOMPARE(list->topLevelItemCount(), 100000);
        QCOMPARE(Declarations(form).count("Stop"), kClasses);
    }
};

QTEST_MAIN(FilterTest)
#include "FilterTest.moc"
