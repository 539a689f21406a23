// The main window over a real Pascal source and a small rule file: rows, the parent
// row, sorting, the column layout, the settings it restores and stores, opening
// failures, Save As and the actions that leave the program.

#include "OutlineSupport.h"

#include "browser/ShellList.h"
#include "browser/TextViewer.h"
#include "config/SettingsKeys.h"
#include "widgets/ListViewEx.h"

#include <QAction>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QTextDocument>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QToolBar>
#include <QtTest>

namespace {

QAction* ActionOf(const TMForm& form, const char* name)
{
    return form.findChild<QAction*>(QString::fromLatin1(name));
}

void Select(const TMForm& form, const QString& declaration)
{
    QTreeWidgetItem* row = RowNamed(form, declaration);
    QVERIFY2(row, qPrintable(declaration));
    form.ListView()->setCurrentItem(row);
}

QString ReadAll(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class MainFormTest : public QObject {
    Q_OBJECT
private slots:
    void opensARealSource()
    {
        TTestWindow w;
        const std::string source = w.OpenSource("src/Shapes.pas", kShapesUnit);

        QCOMPARE(w.form->Browser().SourcePath(), source);
        QCOMPARE(w.form->Browser().SourceType(), std::string("PAS"));
        QCOMPARE(w.form->Browser().Entries().size(), std::size_t(40));
        QCOMPARE(Declarations(*w.form),
                 (QStringList{"Shapes", "TShape", "TPoint", "MaxShapes", "Clear"}));
        QCOMPARE(RowTexts(RowNamed(*w.form, "TShape")),
                 (QStringList{" ", "TShape", "the base of all shapes", "class", "8"}));
        QCOMPARE(RowNamed(*w.form, "TShape")->data(0, TListViewEx::kImageRole).toInt(), 3);
        QCOMPARE(RowNamed(*w.form, "Clear")->data(0, TListViewEx::kImageRole).toInt(), 1);
        QCOMPARE(w.form->MemoTitle()->toPlainText(),
                 QString("Shapes: a small unit for the outline tests\nsecond title line"));
        QCOMPARE(w.form->StatusPanelText(0), QString("Line=26"));
        QCOMPARE(w.form->windowTitle(), QString::fromStdString(source + " - Quillane"));
        QVERIFY(!w.form->IsShellPageShowing());
        QCOMPARE(w.context->Config().ReadString(kLastView), source);
        // The busy state ended with the list.
        QVERIFY(w.form->isEnabled());
        QVERIFY(!QApplication::overrideCursor());
    }

    void parentRowIsDecorated()
    {
        TTestWindow w;
        const std::string source = w.folder.Write("Shapes.pas", kShapesUnit);
        w.Open(source + "?8");

        QCOMPARE(w.form->Browser().LevelStart(), 8);
        QTreeWidgetItem* parent = w.form->ListView()->topLevelItem(0);
        QCOMPARE(RowTexts(parent), (QStringList{"..", "..< TShape >", "the base of all shapes",
                                                "..< class >", "..< 8 >"}));
        QCOMPARE(parent->data(0, TListViewEx::kImageRole).toInt(), 3);
        QCOMPARE(Declarations(*w.form).mid(1), (QStringList{"FName", "Draw", "Name"}));
    }

    void sortsEveryColumnWithTheParentRowFirst_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("ascending");
        QTest::addColumn<QStringList>("expected");
        // The level below TShape: FName (field, icon 2, line 9), Draw (procedure, icon 1,
        // line 10), Name (property, icon 2, line 11). Equal keys keep their earlier order.
        QTest::newRow("icon ascending") << 0 << true << QStringList{"Draw", "FName", "Name"};
        QTest::newRow("icon descending") << 0 << false << QStringList{"FName", "Name", "Draw"};
        QTest::newRow("declaration ascending") << 1 << true << QStringList{"Draw", "FName", "Name"};
        QTest::newRow("declaration descending")
            << 1 << false << QStringList{"Name", "FName", "Draw"};
        QTest::newRow("comment ascending") << 2 << true << QStringList{"Draw", "Name", "FName"};
        QTest::newRow("comment descending") << 2 << false << QStringList{"FName", "Name", "Draw"};
        QTest::newRow("type ascending") << 3 << true << QStringList{"FName", "Draw", "Name"};
        QTest::newRow("type descending") << 3 << false << QStringList{"Name", "Draw", "FName"};
        QTest::newRow("line ascending") << 4 << true << QStringList{"FName", "Draw", "Name"};
        QTest::newRow("line descending") << 4 << false << QStringList{"Name", "Draw", "FName"};
    }
    void sortsEveryColumnWithTheParentRowFirst()
    {
        QFETCH(int, column);
        QFETCH(bool, ascending);
        QFETCH(QStringList, expected);
        TTestWindow w;
        const std::string source = w.folder.Write("Shapes.pas", kShapesUnit);
        w.Open(source + "?8");

        // One click sorts ascending (or flips an ascending column); a second one flips.
        const TSortOption wanted = ascending ? TSortOption::soAscending : TSortOption::soDescending;
        for (int clicks = 0; clicks < 2 && (clicks == 0 || w.form->ListView()->SortOrder() != wanted);
             ++clicks)
            w.form->ListView()->ColumnClick(column);
        QCOMPARE(w.form->ListView()->SortOrder(),
                 ascending ? TSortOption::soAscending : TSortOption::soDescending);
        QCOMPARE(w.form->ListView()->topLevelItem(0)->text(0), QString(".."));
        QCOMPARE(Declarations(*w.form).mid(1), expected);
        // A rebuilt level keeps the order.
        w.form->Browser().ShowLevel(w.form->Browser().LevelStart());
        QCOMPARE(w.form->ListView()->topLevelItem(0)->text(0), QString(".."));
        QCOMPARE(Declarations(*w.form).mid(1), expected);
    }

    void reorderedLayoutFindsEveryField()
    {
        TTestWindow w;
        const std::string source = w.folder.Write("Shapes.pas", kShapesUnit);
        w.folder.WriteSettings(
            {"LIST_HEADER= TLDC", "LIST_HEADER_SORTCOL=2", "LIST_HEADER_SORTORDER=T"});
        w.Open(source);

        QTreeWidgetItem* header = w.form->ListView()->headerItem();
        QCOMPARE((QStringList{header->text(1), header->text(2), header->text(3), header->text(4)}),
                 (QStringList{"Type", "Line", "Declaration", "Comment"}));
        // Sorted by column 2, which shows Line here.
        QCOMPARE(Declarations(*w.form),
                 (QStringList{"Shapes", "TShape", "TPoint", "MaxShapes", "Clear"}));
        Select(*w.form, "TShape");
        QCOMPARE(RowTexts(w.form->ListView()->currentItem()),
                 (QStringList{" ", "class", "8", "TShape", "the base of all shapes"}));
        ActionOf(*w.form, "CopyDecl")->trigger();
        ActionOf(*w.form, "CopyCom")->trigger();
        ActionOf(*w.form, "CopyType")->trigger();
        QCOMPARE(w.platform.clipboard,
                 (std::vector<std::string>{"TShape", "the base of all shapes", "class"}));
    }

    void incompleteLayoutFallsBackToTheBuiltInOne_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::newRow("missing") << "";
        QTest::newRow("without Line") << " DCT";
        QTest::newRow("letters in the icon column's place") << "DCTL";
    }
    void incompleteLayoutFallsBackToTheBuiltInOne()
    {
        QFETCH(QString, stored);
        TTestWindow w;
        const std::string source = w.folder.Write("Shapes.pas", kShapesUnit);
        w.folder.WriteSettings({"LIST_HEADER=" + stored.toStdString()});
        w.Open(source);
        QCOMPARE(w.form->HeaderLayout(), std::string(" DCTL"));
        QCOMPARE(w.form->ListView()->headerItem()->text(1), QString("Declaration"));
        QCOMPARE(w.form->ListView()->headerItem()->text(4), QString("Line"));
        QCOMPARE(RowTexts(RowNamed(*w.form, "Clear")).mid(1),
                 (QStringList{"Clear", "empties the canvas", "procedure", "22"}));
    }

    void titleHeight_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("height");
        QTest::newRow("missing") << "" << 100;
        QTest::newRow("too low") << "3" << 100;
        QTest::newRow("stored") << "60" << 60;
    }
    void titleHeight()
    {
        QFETCH(QString, stored);
        QFETCH(int, height);
        TTestWindow w;
        const std::string source = w.folder.Write("Shapes.pas", kShapesUnit);
        w.folder.WriteSettings(
            {"TITLE_HEIGHT=" + stored.toStdString(), "MFORM_WIDTH=700", "MFORM_HEIGHT=500"});
        w.Open(source);
        w.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
        QCOMPARE(w.form->SplitterH()->sizes().value(0), height);
        w.form->FormClose();
        QCOMPARE(w.context->Config().ReadInteger(kTitleHeight), height);
    }

    // The title leaves out the blank lines around it, and the pane shows whole lines only,
    // whatever its height.
    void titlePaneShowsWholeLines()
    {
        TTestWindow w;
        std::string source = "//\n";
        for (int i = 1; i <= 30; ++i)
            source += "// title line " + std::to_string(i) + "\n";
        w.OpenSource("Long.pas", source + "//\nunit Long;\n");
        TMForm& form = *w.form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QPlainTextEdit* title = form.MemoTitle();
        QVERIFY2(title->toPlainText().startsWith("title line 1\n"), qPrintable(title->toPlainText()));
        QVERIFY(title->toPlainText().endsWith("title line 30"));
        for (int height = 40; height <= 140; height += 7) {
            form.SplitterH()->setSizes({height, 300});
            QTest::qWait(0);
            // The lowest line that shows at all shows whole.
            const QWidget* view = title->viewport();
            const QRect lowest = title->cursorRect(title->cursorForPosition(QPoint(2, view->height() - 1)));
            QVERIFY2(lowest.bottom() < view->height(), qPrintable(QString("pane %1 px").arg(height)));
        }
    }

    void iconSizes_data()
    {
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<int>("size");
        QTest::addColumn<QList<bool>>("checked");
        QTest::newRow("none checked keeps 20")
            << QStringList{} << 20 << QList<bool>{false, false, false};
        QTest::newRow("16") << QStringList{"ICON16=T"} << 16 << QList<bool>{true, false, false};
        QTest::newRow("the last checked wins")
            << QStringList{"ICON16=T", "ICON32=T"} << 32 << QList<bool>{true, false, true};
    }
    void iconSizes()
    {
        QFETCH(QStringList, stored);
        QFETCH(int, size);
        QFETCH(QList<bool>, checked);
        TTestWindow w;
        const std::string source = w.folder.Write("Shapes.pas", kShapesUnit);
        std::vector<std::string> lines;
        for (const QString& s : stored)
            lines.push_back(s.toStdString());
        w.folder.WriteSettings(lines);
        w.Open(source);
        QCOMPARE(w.form->ListView()->iconSize(), QSize(size, size));
        QCOMPARE((QList<bool>{ActionOf(*w.form, "ListIcon16")->isChecked(),
                              ActionOf(*w.form, "ListIcon20")->isChecked(),
                              ActionOf(*w.form, "ListIcon32")->isChecked()}),
                 checked);
        const int rows = w.form->ListView()->topLevelItemCount();
        ActionOf(*w.form, "ListIcon20")->trigger();
        QCOMPARE(w.form->ListView()->iconSize(), QSize(20, 20));
        QCOMPARE((QList<bool>{ActionOf(*w.form, "ListIcon16")->isChecked(),
                              ActionOf(*w.form, "ListIcon20")->isChecked(),
                              ActionOf(*w.form, "ListIcon32")->isChecked()}),
                 (QList<bool>{false, true, false}));
        QCOMPARE(w.form->ListView()->topLevelItemCount(), rows);
    }

    void settingsRoundTrip()
    {
        TTestWindow w;
        const std::string source = w.folder.Write("src/Shapes.pas", kShapesUnit);
        w.folder.WriteSettings({"MFORM_FONT=Courier New,11,B,clWindowText,0", "MFORM_LEFT=40",
                                "MFORM_TOP=50", "MFORM_WIDTH=720", "MFORM_HEIGHT=480", "MFORM_MAX=F",
                                "TITLE_HEIGHT=70", "ICON32=T", "LIST_HEADER= DCTL",
                                "LIST_HEADER_L_0=40", "LIST_HEADER_L_1=150", "LIST_HEADER_L_2=160",
                                "LIST_HEADER_L_3=-7", "LIST_HEADER_L_4=10", "LIST_HEADER_SORTCOL=1",
                                "LIST_HEADER_SORTORDER=F"});
        w.Open(source);
        QCOMPARE(w.form->font().pointSize(), 11);
        QVERIFY(w.form->font().bold());
        QCOMPARE(w.form->size(), QSize(720, 480));
        QCOMPARE(w.form->pos(), QPoint(40, 50));
        QHeaderView* header = w.form->ListView()->header();
        QCOMPARE(header->sectionSize(0), 44); // as wide as the 32-pixel icons need
        // Declaration takes any spare width beyond its stored one.
        QCOMPARE(w.form->ListView()->NaturalWidth(1), 150);
        QVERIFY(header->sectionSize(1) >= 150);
        QCOMPARE(header->sectionSize(2), 160);
        QCOMPARE(header->sectionSize(3), 187); // below -2: the built-in width
        QCOMPARE(header->sectionSize(4), 30);  // the column's minimum
        QCOMPARE(w.form->ListView()->SortColumn(), 1);
        QCOMPARE(w.form->ListView()->SortOrder(), TSortOption::soDescending);
        QCOMPARE(Declarations(*w.form), (QStringList{"TShape", "TPoint", "Shapes", "MaxShapes", "Clear"}));

        // The user drags the icon column to the third place, widens Comment, picks
        // 16-pixel icons and sorts by Type.
        header->moveSection(0, 2);
        header->resizeSection(2, 210);
        ActionOf(*w.form, "ListIcon16")->trigger();
        w.form->ListView()->ColumnClick(3);
        w.form->close();
        w.Close();

        auto context = w.folder.MakeContext();
        const TConfig& config = context->Config();
        QCOMPARE(config.ReadString(kMformFont).substr(0, 15), std::string("Courier New,11,"));
        QCOMPARE(config.ReadInteger(kMformLeft), 40);
        QCOMPARE(config.ReadInteger(kMformTop), 50);
        QCOMPARE(config.ReadInteger(kMformWidth), 720);
        QCOMPARE(config.ReadInteger(kMformHeight), 480);
        QCOMPARE(config.ReadString(kMformMax), std::string("F"));
        QCOMPARE(config.ReadInteger(kTitleHeight), 70);
        QCOMPARE(config.ReadString(kIcon16), std::string("T"));
        QCOMPARE(config.ReadString(kIcon32), std::string("F"));
        QCOMPARE(config.ReadString(kLastView), w.folder.Path() + "src/");
        // Declaration, Comment, icon, Type, Line on screen: the blank goes back to the front,
        // and the widths follow their columns.
        QCOMPARE(config.ReadString(kListHeader), std::string(" CDTL"));
        QCOMPARE(config.ReadInteger("LIST_HEADER_L_0"), 32);
        QCOMPARE(config.ReadInteger("LIST_HEADER_L_1"), 210);
        QCOMPARE(config.ReadInteger("LIST_HEADER_L_2"), 150);
        QCOMPARE(config.ReadInteger("LIST_HEADER_L_3"), 187);
        QCOMPARE(config.ReadInteger(kListHeaderSortCol), 3);
        QCOMPARE(config.ReadString(kListHeaderSortOrder), std::string("T"));

        // The next start opens the stored folder on the Shell page with the stored layout.
        w.Open("");
        QVERIFY(w.form->IsShellPageShowing());
        QCOMPARE(w.form->ShellList()->Folder(), w.folder.Path() + "src");
        QCOMPARE(w.form->HeaderLayout(), std::string(" CDTL"));
        QCOMPARE(w.form->ListView()->headerItem()->text(1), QString("Comment"));
    }

    // The user drags a column, sorts and sets a width; after a restart the same field is
    // sorted and has that width.
    void dragSortAndWidthSurviveARestart_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("sortBy");
        QTest::addColumn<QString>("layout");
        QTest::newRow("Line dragged to the front, sorted by Type")
            << 4 << 0 << "Type" << " LDCT";
        QTest::newRow("icon column dragged to the third place, sorted by Declaration")
            << 0 << 2 << "Declaration" << " CDTL";
    }
    void dragSortAndWidthSurviveARestart()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QString, sortBy);
        QFETCH(QString, layout);
        TTestWindow w;
        const std::string source = w.OpenSource("Shapes.pas", kShapesUnit);
        auto columnOf = [](const TMForm& form, const QString& caption) {
            for (int c = 0; c < form.ListView()->columnCount(); ++c)
                if (form.ListView()->headerItem()->text(c) == caption)
                    return c;
            return -1;
        };
        w.form->ListView()->header()->moveSection(from, to);
        w.form->ListView()->header()->resizeSection(columnOf(*w.form, sortBy), 123);
        w.form->ListView()->ColumnClick(columnOf(*w.form, sortBy));
        w.form->close();
        w.Close();
        QCOMPARE(w.folder.MakeContext()->Config().ReadString(kListHeader), layout.toStdString());
        w.Open(source);
        QCOMPARE(w.form->ListView()->SortColumn(), columnOf(*w.form, sortBy));
        QCOMPARE(w.form->ListView()->SortOrder(), TSortOption::soAscending);
        QCOMPARE(w.form->ListView()->header()->sectionSize(columnOf(*w.form, sortBy)), 123);
        QCOMPARE(w.form->ListView()->header()->sectionSize(0), 32);
    }

    // However the icon column is sized, it keeps the width its icons need.
    void iconColumnWidthIsFixed_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("dragged");
        QTest::addColumn<int>("width");
        QTest::newRow("dragged wider") << "" << 120 << 32;
        QTest::newRow("stored wider") << "LIST_HEADER_L_0=100" << 0 << 32;
        QTest::newRow("32-pixel icons dragged wider") << "ICON32=T" << 120 << 44;
    }
    void iconColumnWidthIsFixed()
    {
        QFETCH(QString, stored);
        QFETCH(int, dragged);
        QFETCH(int, width);
        TTestWindow w;
        const std::string source = w.folder.Write("Shapes.pas", kShapesUnit);
        w.folder.WriteSettings({stored.toStdString()});
        w.Open(source);
        QHeaderView* header = w.form->ListView()->header();
        if (dragged > 0)
            header->resizeSection(0, dragged);
        QCOMPARE(header->sectionSize(0), width);
    }

    void exitStoresNoneOfTheWindowsKeys()
    {
        TTestWindow w;
        const std::string source = w.folder.Write("Shapes.pas", kShapesUnit);
        w.folder.WriteSettings({"MFORM_LEFT=11", "APP_CAPTION=Quillane"});
        w.Open(source);
        int exits = 0;
        w.form->SetExitHandler([&] { ++exits; });
        w.form->move(300, 300);
        ActionOf(*w.form, "ActExit")->trigger();
        QCOMPARE(exits, 1);
        w.Close();
        auto context = w.folder.MakeContext();
        const TConfig& config = context->Config();
        QCOMPARE(config.ReadInteger(kMformLeft), 11);
        for (auto key :
             {kMformFont, kMformTop, kMformWidth, kMformHeight, kMformMax, kTitleHeight, kIcon16,
              kIcon20, kIcon32, kListHeader, kListHeaderSortCol, kListHeaderSortOrder})
            QVERIFY2(config.ReadString(key).empty(), std::string(key).c_str());
        QVERIFY(config.ReadString("LIST_HEADER_L_0").empty());
        // Only the start location, stored when the window was created.
        QCOMPARE(config.ReadString(kLastView), source);
    }

    void commentIndicatorKeepsTheCurrentEntry()
    {
        TTestWindow w;
        w.OpenSource("Shapes.pas", kShapesUnit);
        Select(*w.form, "TPoint");
        w.form->configDialog = [] { return true; };
        w.form->ActConfigExecute();
        QCOMPARE(w.form->FieldText(w.form->ListView()->currentItem(), 'D'), QString("TPoint"));
    }

    void firstStartOpensExample()
    {
        TTestWindow w;
        w.folder.Write("Example.pas", kShapesUnit);
        w.Open("");
        QCOMPARE(w.form->Browser().SourcePath(), w.folder.Path() + "Example.pas");
        QCOMPARE(w.form->ListView()->topLevelItemCount(), 5);
        QCOMPARE(w.context->Config().ReadString(kLastView), w.folder.Path() + "Example.pas");
    }

    void fileThatCannotBeOutlinedIsToldInTheStatusBar_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("shellPage");
        QTest::addColumn<QString>("notice");
        QTest::newRow("unknown type") << "docs/notes.txt" << "plain text\n" << true
                                      << "Cannot outline notes.txt: the file type TXT is unknown";
        QTest::newRow("empty") << "Empty.pas" << "" << false
                               << "Cannot outline Empty.pas: the file is empty";
    }
    void fileThatCannotBeOutlinedIsToldInTheStatusBar()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(bool, shellPage);
        QFETCH(QString, notice);
        TTestWindow w;
        const std::string source = w.folder.Write("Shapes.pas", kShapesUnit);
        const std::string file = w.folder.Write(name.toStdString(), text.toStdString());
        w.Open(source);

        w.form->openAnswer = file;
        ActionOf(*w.form, "FileOpen")->trigger();
        QCOMPARE(w.form->NoticeText(), notice);
        QCOMPARE(w.form->IsShellPageShowing(), shellPage);
        if (shellPage) {
            // The file among its folder's files; the source actions wait for a source.
            QCOMPARE(w.form->ShellList()->SelectedPath(), file);
            QCOMPARE(w.form->StatusPanelText(0), QString());
            QVERIFY(!ActionOf(*w.form, "FileSaveAs")->isEnabled());
        } else {
            // The window goes on showing the source it shows.
            QCOMPARE(Declarations(*w.form).size(), 5);
            QCOMPARE(w.form->StatusPanelText(0), QString("Line=26"));
            QVERIFY(w.form->windowTitle().startsWith(QString::fromStdString(source)));
            QVERIFY(ActionOf(*w.form, "FileSaveAs")->isEnabled());
        }
        QVERIFY(w.form->isEnabled());
        QVERIFY(!QApplication::overrideCursor());

        // The next step clears the notice.
        ActionOf(*w.form, "ActGoUp")->trigger();
        QCOMPARE(w.form->NoticeText(), QString());
    }

    void startOnAnEmptyFileShowsItsFolder()
    {
        TTestWindow w;
        const std::string empty = w.folder.Write("src/empty.pas", "");
        w.Open(empty);
        QVERIFY(w.form->IsShellPageShowing());
        QCOMPARE(w.form->ShellList()->Folder(), w.folder.Path() + "src");
        QCOMPARE(w.form->ShellList()->SelectedPath(), empty);
        QCOMPARE(w.form->NoticeText(), QString("Cannot outline empty.pas: the file is empty"));
    }

    // Markup in file and folder names is shown as written: the status bar's notice and the
    // Shell page's path neither grow nor shrink by it.
    void markupInNamesIsShownAsWritten()
    {
        TProgramFolder folder;
        const std::string empty = folder.Write("<b>dir</b>/<font size=7 color=red>BIG.pas", "");
        auto context = folder.MakeContext();
        TFakePlatform platform;
        auto form = folder.MakeForm(*context, platform, empty);
        QVERIFY(form->IsShellPageShowing());
        QCOMPARE(form->NoticeText(), QString("Cannot outline <font size=7 color=red>BIG.pas: the file is empty"));
        for (const auto& [name, markup] : {std::pair{"StatusNotice", "<font"}, {"ShellPath", "<b>dir</b>"}}) {
            const auto* label = form->findChild<QLabel*>(name);
            QVERIFY2(label && label->text().contains(markup), name);
            const QFontMetrics metrics = label->fontMetrics();
            QVERIFY2(label->sizeHint().width() >= metrics.horizontalAdvance(label->text()), name);
            QVERIFY2(label->sizeHint().height() < 2 * metrics.height(), name);
        }
        // The notice's tooltip shows it as written too.
        const QString tip = form->findChild<QLabel*>("StatusNotice")->toolTip();
        QTextDocument shown;
        shown.setHtml(tip);
        QCOMPARE(Qt::mightBeRichText(tip) ? shown.toPlainText() : tip, form->NoticeText());
    }

    // Settings that cannot be saved at the end are said at the start, while the user can mend it.
    void settingsThatCannotBeSavedAreSaidAtStart()
    {
        TProgramFolder folder;
        const std::string source = folder.Write("Shapes.pas", kShapesUnit);
        folder.WriteSettings({"LIST_HEADER_SORTCOL=4", "LIST_HEADER_SORTORDER=T", "APP_CAPTION=Quillane"});
        const QString ini = QString::fromStdString(folder.Path() + "quillane.ini");
        QVERIFY(QFile::setPermissions(ini, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        auto context = folder.MakeContext();
        TFakePlatform platform;
        auto form = folder.MakeForm(*context, platform, source);
        QCOMPARE(form->NoticeText(), "The settings will not be saved: " + ini + " is read-only");
        QCOMPARE(Declarations(*form).size(), 5);
    }

    void saveAsCopiesTheSource()
    {
        TTestWindow w;
        const std::string source = w.folder.Write("Shapes.pas", kShapesUnit);
        const std::string existing = w.folder.Write("copy/Old.pas", "old text");
        w.Open(source);

        w.form->saveAnswer = existing;
        ActionOf(*w.form, "FileSaveAs")->trigger();
        QCOMPARE(ReadAll(existing), QString::fromUtf8(kShapesUnit));
        QCOMPARE(w.form->NoticeText(), QString::fromStdString("Saved a copy as " + existing));
        QCOMPARE(w.form->Browser().SourcePath(), source);
        QVERIFY(w.platform.messages.empty());

        w.form->saveAnswer = w.folder.Path() + "missing/folder/New.pas";
        ActionOf(*w.form, "FileSaveAs")->trigger();
        QCOMPARE(w.platform.messages.size(), std::size_t(1));
        w.form->saveAnswer = source; // onto itself: refused, the file stays whole
        ActionOf(*w.form, "FileSaveAs")->trigger();
        QCOMPARE(w.platform.messages.size(), std::size_t(2));
        QCOMPARE(ReadAll(source), QString::fromUtf8(kShapesUnit));
    }

    void copyActionsNeedASelectedRow()
    {
        TTestWindow w;
        const std::string source = w.OpenSource("Shapes.pas", kShapesUnit);
        w.form->ListView()->clearSelection();
        w.form->PopupMenu1Popup();
        QVERIFY(!ActionOf(*w.form, "CopyDecl")->isEnabled());
        QVERIFY(!ActionOf(*w.form, "CopyType")->isEnabled());
        Select(*w.form, "Clear");
        w.form->PopupMenu1Popup();
        QVERIFY(ActionOf(*w.form, "CopyDecl")->isEnabled());
        QVERIFY(ActionOf(*w.form, "CopyCom")->isEnabled());
    }

    void viewTextShowsTheSelectedLine()
    {
        TTestWindow w;
        const std::string source = w.folder.Write("Shapes.pas", kShapesUnit);
        w.Open(source + "?8");
        Select(*w.form, "Name");
        ActionOf(*w.form, "OpenInTXT")->trigger();
        QVERIFY(w.form->TextViewer()->isVisible());
        QCOMPARE(w.form->TextViewer()->FilePath(), source);
        QCOMPARE(w.form->TextViewer()->CurrentLine(), 11);
        QVERIFY(w.form->TextViewer()->Edit()->isReadOnly());
        QCOMPARE(w.form->TextViewer()->Edit()->document()->blockCount(), 26);
        // The parent row stands for TShape's line.
        w.form->ListView()->setCurrentItem(w.form->ListView()->topLevelItem(0));
        ActionOf(*w.form, "OpenInTXT")->trigger();
        QCOMPARE(w.form->TextViewer()->CurrentLine(), 8);
    }

    void outsideRequestsGoThroughThePlatform()
    {
        TTestWindow w;
        const std::string source = w.folder.Write("Shapes.pas", kShapesUnit);
        w.folder.WriteSettings(
            {"CONTACT_MAIL=mailto:someone@example.org", "DEVELOPER_HOMEPAGE=https://example.org/"});
        w.Open(source);
        ActionOf(*w.form, "ExtOpen")->trigger();
        ActionOf(*w.form, "ActContact")->trigger();
        ActionOf(*w.form, "ActHomePage")->trigger();
        ActionOf(*w.form, "ActHelp")->trigger();
        QCOMPARE(w.platform.opened, (std::vector<std::string>{source, "mailto:someone@example.org",
                                                            "https://example.org/"}));
        QCOMPARE(w.platform.helpTopics, (std::vector<std::string>{""}));

        // On the Shell page the source-file requests do nothing.
        ActionOf(*w.form, "Directory")->trigger();
        w.form->ExtOpenExecute();
        w.form->OpenInTXTExecute();
        QCOMPARE(w.platform.opened.size(), std::size_t(3));
        QVERIFY(!w.form->TextViewer()->isVisible());
    }

    void fontChange()
    {
        TTestWindow w;
        const std::string source = w.OpenSource("Shapes.pas", kShapesUnit);
        const QFont before = w.form->font();
        ActionOf(*w.form, "ChgFont")->trigger(); // cancelled
        QCOMPARE(w.form->font(), before);
        QFont chosen = before;
        chosen.setPointSize(17);
        chosen.setItalic(true);
        w.form->fontAnswer = chosen;
        ActionOf(*w.form, "ChgFont")->trigger();
        QCOMPARE(w.form->font().pointSize(), 17);
        QCOMPARE(w.form->MemoTitle()->font().pointSize(), 17);
        QCOMPARE(w.form->ListView()->font().pointSize(), 17);
        QVERIFY(w.context->Config().ReadString(kMformFont).empty()); // stored only on close
        w.form->FormClose();
        const std::string stored = w.context->Config().ReadString(kMformFont);
        QVERIFY2(stored.find(",17,I,clWindowText,") != std::string::npos, stored.c_str());
    }

    void fontColourColoursTheTexts()
    {
        TTestWindow w;
        const std::string source = w.folder.Write("Shapes.pas", kShapesUnit);
        w.folder.WriteSettings({"MFORM_FONT=Courier New,10,,$000080FF,0"});
        w.Open(source);
        // The stored value is a Windows colour, blue-green-red: this one is orange.
        QCOMPARE(w.form->MemoTitle()->palette().color(QPalette::Text), QColor(255, 128, 0));
        QCOMPARE(w.form->ListView()->palette().color(QPalette::Text), QColor(255, 128, 0));
        w.form->FormClose();
        QCOMPARE(w.context->Config().ReadString(kMformFont).substr(11),
                 std::string(",10,,$000080FF,0"));
    }

    void searchWaitsForItsWindow()
    {
        TTestWindow w;
        const std::string source = w.OpenSource("Shapes.pas", kShapesUnit);
        QVERIFY(!w.form->SearchAction()->isEnabled());
        int runs = 0;
        w.form->SetSearchHandler([&] { ++runs; });
        QVERIFY(w.form->SearchAction()->isEnabled());
        w.form->SearchAction()->trigger();
        QCOMPARE(runs, 1);
        QVERIFY(w.form->SearchAction()->isChecked());

        // Ctrl+Shift+F runs it; Ctrl+S stays with Save As. The menu shows the key, the hint names it.
        QCOMPARE(w.form->SearchAction()->shortcut(), QKeySequence("Ctrl+Shift+F"));
        QCOMPARE(w.form->SearchAction()->toolTip(), QString("Search (Ctrl+Shift+F)"));
        w.form->show();
        QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
        QTest::keyClick(w.form.get(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(runs, 2);
        QTest::keyClick(w.form.get(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(runs, 2);
    }

    void framePartsAndCaptions()
    {
        TTestWindow w;
        // No Example.pas and a missing file: the window still comes up with its parts.
        w.Open(w.folder.Path() + "Missing.pas");
        QCOMPARE(w.form->ListView()->topLevelItemCount(), 0);
        QCOMPARE(w.form->ListView()->columnCount(), 5);
        const QStringList menus = [&] {
            QStringList titles;
            for (QAction* a : w.form->menuBar()->actions())
                titles << a->text();
            return titles;
        }();
        QCOMPARE(menus, (QStringList{"&File", "&Browse", "&View", "&Tools", "&Help"}));
        auto* toolbar = w.form->findChild<QToolBar*>("FastTools");
        QVERIFY(toolbar);
        QCOMPARE(toolbar->windowTitle(), QString("Fast Tools"));
        QStringList buttons;
        for (QAction* a : toolbar->actions())
            buttons << (a->isSeparator() ? QString("|") : a->iconText());
        QCOMPARE(buttons, (QStringList{"Open", "|", "Prev", "Next", "Upward", "|", "Directory",
                                       "PrevFile", "NextFile", "Search", "|", "Help"}));
        for (QAction* a : toolbar->actions())
            QVERIFY(a->isSeparator() || !a->icon().isNull());
        QCOMPARE(ActionOf(*w.form, "FileSaveAs")->shortcut(), QKeySequence("Ctrl+S"));
        QCOMPARE(ActionOf(*w.form, "NextFile")->shortcut(), QKeySequence(Qt::Key_F6));
        QCOMPARE(ActionOf(*w.form, "ActGoUp")->toolTip(), QString("Upward"));
    }
};

QTEST_MAIN(MainFormTest)
#include "MainFormTest.moc"
