// Rows a reader can take in: the Declaration column takes the spare width of a wide
// window (the stored widths still count), a row whose declaration or comment is cut
// shows them whole in its tooltip, and typing on the search results finds a declaration.

#include "OutlineSupport.h"

#include "config/SettingsKeys.h"
#include "widgets/ListViewEx.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QToolTip>
#include <QtTest>

namespace {

const char* const kLongUnit = R"(A = class // outer
  procedure AVeryLongProcedureNameThatCannotFitIntoANarrowDeclarationColumn; // and a comment that goes on for a long while
  procedure Short; // short
  procedure Endless; // a comment far wider than the screen, of words that go on and on and on, and then on again, and again, until no screen holds it on one line, so that it has to wrap
  procedure Wordy; // a comment of many short words that a narrow column cuts and its tooltip shows on one line
end;
B = 1;
)";

const std::vector<std::string> kNarrowColumns = {
    "LIST_HEADER_L_0=32", "LIST_HEADER_L_1=150", "LIST_HEADER_L_2=120", "LIST_HEADER_L_3=80",
    "LIST_HEADER_L_4=50", "LIST_HEADER_SORTCOL=4", "LIST_HEADER_SORTORDER=T"};

} // namespace

class ReadableRowsTest : public QObject {
    Q_OBJECT
private slots:
    void declarationTakesTheSpareWidth()
    {
        TTestWindow w;
        w.folder.WriteSettings(kNarrowColumns);
        w.OpenSource("Nested.pas", kNestedUnit);
        TTestForm& form = *w.form;
        TListViewEx* list = form.ListView();
        QHeaderView* header = list->header();
        form.resize(700, 400);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        // No blank space right of the last column; the other columns keep their widths.
        QTRY_COMPARE(header->length(), list->viewport()->width());
        const int wide = header->sectionSize(1);
        QVERIFY(wide > 150);
        QCOMPARE(header->sectionSize(2), 120);
        form.resize(900, 400);
        QTRY_COMPARE(header->sectionSize(1), wide + 200);
        // A narrow window gives the column back its natural width, no less.
        form.resize(300, 400);
        QTRY_COMPARE(header->sectionSize(1), 150);
        QVERIFY(header->length() > list->viewport()->width());

        // The user's width is the natural one from then on, and the one stored.
        header->resizeSection(1, 260);
        QCOMPARE(list->NaturalWidth(1), 260);
        form.resize(800, 400);
        QTRY_COMPARE(header->length(), list->viewport()->width());
        form.FormClose();
        QCOMPARE(w.context->Config().ReadInteger("LIST_HEADER_L_1"), 260);
    }

    void tooltipShowsWhatIsCut()
    {
        TTestWindow w;
        w.folder.WriteSettings(kNarrowColumns);
        w.OpenSource("Long.pas", kLongUnit);
        TTestForm& form = *w.form;
        form.resize(400, 400);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        StepInto(form, "A");
        TListViewEx* list = form.ListView();
        const auto tipOf = [&](const QString& declaration) {
            return list->ToolTipOf(list->indexFromItem(RowNamed(form, declaration), 3));
        };
        const QString tip = tipOf("AVeryLongProcedureNameThatCannotFitIntoANarrowDeclarationColumn");
        QVERIFY2(tip.contains("<b>AVeryLongProcedureNameThatCannotFitIntoANarrowDeclarationColumn</b>"),
                 qPrintable(tip));
        QVERIFY2(tip.contains("and a comment that goes on for a long while"), qPrintable(tip));
        QCOMPARE(tipOf("Short"), QString());
        // Shown, it holds each of its lines on one line, however many words it has.
        const QString wordy = tipOf("Wordy");
        QToolTip::showText(list->mapToGlobal(QPoint(10, 10)), wordy, list);
        QWidget* label = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->inherits("QTipLabel") && widget->isVisible())
                label = widget;
        QVERIFY(label);
        const QFontMetrics metrics(QToolTip::font());
        QVERIFY(label->width() > metrics.horizontalAdvance(
                                     "a comment of many short words that a narrow column cuts and its tooltip shows on one line"));
        QVERIFY2(label->height() < 3 * metrics.lineSpacing(), qPrintable(QString::number(label->height())));
        // A line wider than the screen wraps at the screen's width.
        QToolTip::showText(list->mapToGlobal(QPoint(10, 10)), tipOf("Endless"), list);
        QVERIFY(label->width() <= list->screen()->availableGeometry().width());
        QVERIFY(label->height() > 3 * metrics.lineSpacing());
        QToolTip::hideText();

        // A filter match's level path counts, and is told.
        form.FilterEdit()->setText("long");
        QVERIFY(tipOf("AVeryLongProcedureNameThatCannotFitIntoANarrowDeclarationColumn").contains("<i>in A</i>"));
    }

    void typeAheadFindsADeclaration()
    {
        TListViewEx list;
        list.setColumnCount(5);
        list.AddRows({{"/src/a.pas", "1", "Beta", "", "class"},
                      {"/src/b.pas", "2", "Gamma", "", "class"},
                      {"/src/g.pas", "3", "Alpha", "", "class"}});
        list.SetTypeAheadColumn(2);
        list.setCurrentItem(list.topLevelItem(0));
        // Every file begins with "/": what is typed is looked for among the declarations.
        list.keyboardSearch("g");
        QCOMPARE(list.currentItem()->text(2), QString("Gamma"));
    }
};

QTEST_MAIN(ReadableRowsTest)
#include "ReadableRowsTest.moc"
