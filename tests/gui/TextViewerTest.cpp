// The jump to an entry's line and the text viewer: Enter or a double click on an entry
// that holds nothing shows its line in one viewer beside the window, reused for the next
// jump; the viewer colours Pascal, finds text (Ctrl+F) and goes to a line (Ctrl+G).

#include "OutlineSupport.h"

#include "browser/TextViewer.h"
#include "widgets/ListViewEx.h"

#include <QLineEdit>
#include <QTextBlock>
#include <QTextLayout>
#include <QtTest>

#include <algorithm>
#include <cmath>

namespace {

// The contrast of two colours as the web's accessibility guidelines measure it: from 1
// (none) to 21 (black on white); 4.5 reads well.
double Contrast(const QColor& a, const QColor& b)
{
    const auto luminance = [](const QColor& c) {
        const auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QPalette DarkPalette()
{
    QPalette p;
    p.setColor(QPalette::Window, QColor(53, 53, 53));
    p.setColor(QPalette::Base, QColor(35, 35, 35));
    p.setColor(QPalette::Text, Qt::white);
    p.setColor(QPalette::Highlight, QColor(42, 130, 218));
    return p; // AlternateBase and PlaceholderText stay those of a light palette
}

} // namespace

class TextViewerTest : public QObject {
    Q_OBJECT
private slots:
    void enterOnALeafShowsItsLine()
    {
        TTestWindow w;
        const std::string source = w.OpenSource("Shapes.pas", kShapesUnit);
        TTestForm& form = *w.form;
        // Room for a narrowed viewer to the window's right on the test screen.
        form.setGeometry(0, 0, 350, 400);
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        StepInto(form, "TShape");
        TListViewEx* list = form.ListView();
        TTextViewer* viewer = form.TextViewer();
        QVERIFY(!viewer->isVisible());

        list->setCurrentItem(RowNamed(form, "Draw"));
        QTest::keyClick(list, Qt::Key_Return);
        QVERIFY(viewer->isVisible());
        QCOMPARE(viewer->FilePath(), source);
        QCOMPARE(viewer->HighlightedLine(), 10);
        QCOMPARE(viewer->CurrentLine(), 10);
        QCOMPARE(viewer->Edit()->textCursor().block().text(), QString("    procedure Draw; // paints it"));
        // Beside the main window, and the keyboard stays in the list for the next jump.
        QVERIFY(viewer->frameGeometry().left() > form.frameGeometry().right());
        QCOMPARE(form.Browser().LevelStart(), 8);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(list));

        // The next jump, by a double click, reuses the viewer and the text it holds.
        const int revision = viewer->Edit()->document()->revision();
        const QPoint onName(60, list->visualItemRect(RowNamed(form, "Name")).center().y());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, onName);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, onName);
        QCOMPARE(viewer->HighlightedLine(), 11);
        QCOMPARE(viewer->Edit()->document()->revision(), revision);
        QCOMPARE(form.findChildren<TTextViewer*>().size(), 1);

        // A file changed since is read again.
        w.folder.Write("Shapes.pas", std::string(kShapesUnit) + "// more\n");
        list->setCurrentItem(RowNamed(form, "FName"));
        form.ListViewDblClick();
        QCOMPARE(viewer->HighlightedLine(), 9);
        QCOMPARE(viewer->Edit()->document()->blockCount(), 27);

        // A container is still stepped into, not shown.
        form.ActGoUpExecute();
        list->setCurrentItem(RowNamed(form, "TPoint"));
        form.ListViewDblClick();
        QCOMPARE(Declarations(form), (QStringList{"..< TPoint >", "X", "Y"}));
        QCOMPARE(viewer->HighlightedLine(), 9);

        // What a search said goes with the next jump.
        QVERIFY(!viewer->Find("no such text"));
        QCOMPARE(viewer->BarNote(), QString("Not found"));
        list->setCurrentItem(RowNamed(form, "X"));
        form.ListViewDblClick();
        QCOMPARE(viewer->BarNote(), QString());

        // The viewer follows the file the window opens.
        const std::string other = w.folder.Write("Nested.pas", kNestedUnit);
        form.OpenFile(other);
        QCOMPARE(viewer->FilePath(), other);
        QVERIFY(viewer->windowTitle().startsWith(QString::fromStdString(other)));
    }

    // Under a light and a dark palette the Pascal colours, the marked line and the line
    // number margin stand out from the text's background as they should.
    void coloursSuitTheBackground_data()
    {
        QTest::addColumn<QPalette>("palette");
        QTest::newRow("light") << QPalette(Qt::white, QColor(240, 240, 240));
        QTest::newRow("dark") << DarkPalette();
        QTest::newRow("dark from one colour") << QPalette(QColor(53, 53, 53));
    }
    void coloursSuitTheBackground()
    {
        QFETCH(QPalette, palette);
        TTestWindow w;
        w.OpenSource("Shapes.pas", kShapesUnit);
        TTextViewer* viewer = w.form->TextViewer();
        viewer->setPalette(palette);
        w.form->ViewSourceLine(3);
        const QColor base = palette.color(QPalette::Base);
        const QColor text = palette.color(QPalette::Text);
        QList<QColor> colours;
        const auto colour = [&] {
            colours.clear();
            for (QTextBlock block = viewer->Edit()->document()->begin(); block.isValid(); block = block.next())
                for (const QTextLayout::FormatRange& range : block.layout()->formats())
                    colours << range.format.foreground().color();
            return colours.size();
        };
        QTRY_VERIFY(colour() >= 3); // the colours are made once the window is idle
        for (const QColor& c : colours)
            QVERIFY2(Contrast(c, base) >= 4.5, qPrintable(c.name() + " on " + base.name()));
        const QColor marked = viewer->Edit()->extraSelections().value(0).format.background().color();
        QVERIFY2(Contrast(text, marked) >= 4.5, qPrintable(text.name() + " on the marked line " + marked.name()));
        const QImage shot = viewer->Edit()->grab().toImage();
        const QColor margin = shot.pixelColor(viewer->Edit()->contentsRect().left() + 1, shot.height() / 2);
        QVERIFY2(Contrast(text, margin) >= 4.5, qPrintable("the margin " + margin.name()));
    }

    void findGoToAndColours()
    {
        TTestWindow w;
        w.OpenSource("Shapes.pas", kShapesUnit);
        TTestForm& form = *w.form;
        form.ViewSourceLine(10);
        TTextViewer* viewer = form.TextViewer();
        viewer->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(viewer));
        QLineEdit* bar = viewer->BarEdit();

        // Ctrl+F, then Enter finds the next match, ignoring letter case, round the end.
        QTest::keyClick(viewer->Edit(), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(bar->isVisible());
        QTest::keyClicks(bar, "SHAPE");
        QTest::keyClick(bar, Qt::Key_Return);
        QCOMPARE(viewer->CurrentLine(), 20);
        QCOMPARE(viewer->Edit()->textCursor().selectedText(), QString("Shape"));
        QTest::keyClick(bar, Qt::Key_Return);
        QCOMPARE(viewer->CurrentLine(), 1);
        QTest::keyClick(bar, Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(viewer->CurrentLine(), 20);
        QVERIFY(!viewer->Find("no such text"));
        QCOMPARE(viewer->BarNote(), QString("Not found"));
        QCOMPARE(viewer->CurrentLine(), 20);
        QTest::keyClick(bar, Qt::Key_Escape);
        QVERIFY(!bar->isVisible());

        // Ctrl+G goes to a line and highlights it.
        QTest::keyClick(viewer->Edit(), Qt::Key_G, Qt::ControlModifier);
        QVERIFY(bar->isVisible());
        QCOMPARE(viewer->BarNote(), QString("1 to 26"));
        QTest::keyClicks(bar, "22");
        QTest::keyClick(bar, Qt::Key_Return);
        QCOMPARE(viewer->HighlightedLine(), 22);
        QCOMPARE(viewer->CurrentLine(), 22);
        QVERIFY(!bar->isVisible());

        // "unit" on line 3 is coloured as a keyword, the comment of line 1 as a comment.
        const QTextDocument* document = viewer->Edit()->document();
        const auto formats = [&](int line) { return document->findBlockByNumber(line - 1).layout()->formats(); };
        QCOMPARE(formats(3).size(), 1);
        QCOMPARE(formats(3).first().start, 0);
        QCOMPARE(formats(3).first().length, 4);
        QCOMPARE(formats(3).first().format.fontWeight(), int(QFont::Bold));
        QVERIFY(formats(1).first().format.fontItalic());
    }
};

QTEST_MAIN(TextViewerTest)
#include "TextViewerTest.moc"
