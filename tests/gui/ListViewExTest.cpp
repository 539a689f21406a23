// The sortable report list: the stable sort, the column-click cycle and the header arrow
// (the compare rules alone: ListCompareTest).

#include "widgets/ListViewEx.h"

#include <QHeaderView>
#include <QtTest>

namespace {

QStringList Column(const TListViewEx& list, int column)
{
    QStringList texts;
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        texts << list.topLevelItem(i)->text(column);
    return texts;
}

void Fill(TListViewEx& list, const std::vector<std::vector<std::string>>& rows)
{
    for (const auto& r : rows)
        list.AddRow({r[0], 0, {r.begin() + 1, r.end()}});
}

} // namespace

class ListViewExTest : public QObject {
    Q_OBJECT
private slots:
    void sortKeepsTheOrderOfEqualRows()
    {
        TListViewEx list;
        list.setColumnCount(3);
        Fill(list,
             {{"r", "b", "1"}, {"r", "a", "2"}, {"r", "b", "3"}, {"r", "a", "4"}, {"r", "B", "5"}});
        list.SetSortOrder(TSortOption::soAscending);
        list.SetSortColumn(1);
        QCOMPARE(Column(list, 2), (QStringList{"2", "4", "1", "3", "5"}));
        list.SetSortOrder(TSortOption::soDescending);
        QCOMPARE(Column(list, 2), (QStringList{"1", "3", "5", "2", "4"}));
    }

    void columnClickCycle()
    {
        TListViewEx list;
        list.setColumnCount(4);
        list.SetSortColumn(-1);
        Fill(list, {{"r", "x", "b", "2"}, {"r", "y", "c", "1"}, {"r", "z", "a", "3"}});
        list.resize(400, 200);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QHeaderView* header = list.header();
        auto click = [&](int column) {
            const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(x, header->height() / 2));
        };
        auto arrows = [&] {
            QList<int> shown;
            for (int c = 0; c < list.columnCount(); ++c)
                shown << static_cast<int>(list.ArrowOf(c));
            return shown;
        };
        const int none = 0, up = 1, down = 2;

        click(2);
        QCOMPARE(list.SortOrder(), TSortOption::soAscending);
        QCOMPARE(Column(list, 2), (QStringList{"a", "b", "c"}));
        QCOMPARE(arrows(), (QList<int>{none, none, up, none}));
        click(2);
        QCOMPARE(Column(list, 2), (QStringList{"c", "b", "a"}));
        QCOMPARE(arrows(), (QList<int>{none, none, down, none}));
        click(2);
        QCOMPARE(Column(list, 2), (QStringList{"a", "b", "c"}));
        QCOMPARE(arrows(), (QList<int>{none, none, up, none}));
        click(3);
        QCOMPARE(list.SortColumn(), 3);
        QCOMPARE(Column(list, 3), (QStringList{"1", "2", "3"}));
        QCOMPARE(arrows(), (QList<int>{none, none, none, up}));

        // Dragging a column elsewhere keeps the arrow on the sorted column.
        header->moveSection(header->visualIndex(3), 0);
        QCOMPARE(arrows(), (QList<int>{none, none, none, up}));
    }

    void headerDrawsTheArrow()
    {
        TListViewEx list;
        list.setColumnCount(3);
        list.setHeaderLabels({"a", "b", "c"});
        list.resize(330, 120);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QHeaderView* header = list.header();
        // Dark pixels near the right end of a section, where the arrow goes.
        auto marked = [&](int column) {
            const QImage image = header->grab().toImage();
            const int right = header->sectionViewportPosition(column) + header->sectionSize(column);
            int dark = 0;
            for (int x = right - 16; x < right - 2; ++x)
                for (int y = 2; y < header->height() - 2; ++y)
                    dark += qGray(image.pixel(x, y)) < 100;
            return dark > 4;
        };
        list.SetSortOrder(TSortOption::soAscending);
        list.SetSortColumn(1);
        QVERIFY(marked(1));
        QVERIFY(!marked(0));
        QVERIFY(!marked(2));
        list.ColumnClick(2);
        QVERIFY(marked(2));
        QVERIFY(!marked(1));
    }

    void noOrderOrNoColumnSortsNothing()
    {
        TListViewEx list;
        list.setColumnCount(2);
        Fill(list, {{"r", "b"}, {"r", "a"}});
        list.SetSortColumn(1);
        QCOMPARE(Column(list, 1), (QStringList{"b", "a"}));
        QCOMPARE(list.ArrowOf(1), TSortOption::soNone);
        list.SetSortOrder(TSortOption::soAscending);
        QCOMPARE(Column(list, 1), (QStringList{"a", "b"}));
        list.SetSortColumn(-1);
        QCOMPARE(list.ArrowOf(1), TSortOption::soNone);
        list.addTopLevelItem(new QTreeWidgetItem(QStringList{"r", "0"}));
        list.SetSortColumn(5);
        QCOMPARE(Column(list, 1), (QStringList{"a", "b", "0"}));
    }

    void writingTheSameOrderDoesNotSort()
    {
        TListViewEx list;
        list.setColumnCount(2);
        list.SetSortOrder(TSortOption::soAscending);
        list.SetSortColumn(1);
        Fill(list, {{"r", "b"}, {"r", "a"}});
        list.SetSortOrder(TSortOption::soAscending);
        QCOMPARE(Column(list, 1), (QStringList{"b", "a"}));
        list.SetSortColumn(1); // writing the column again sorts
        QCOMPARE(Column(list, 1), (QStringList{"a", "b"}));
    }

    void onCompareDecidesAlone()
    {
        TListViewEx list;
        list.setColumnCount(2);
        Fill(list, {{"r", "1"}, {"r", "3"}, {"r", "2"}});
        list.SetOnCompare([](const TListRow& a, const TListRow& b) {
            return b.subTexts[0].compare(a.subTexts[0]); // always descending
        });
        list.SetSortOrder(TSortOption::soAscending);
        list.SetSortColumn(1);
        QCOMPARE(Column(list, 1), (QStringList{"3", "2", "1"}));
    }

    void selectionSurvivesSorting()
    {
        TListViewEx list;
        list.setColumnCount(2);
        Fill(list, {{"r", "b"}, {"r", "a"}, {"r", "c"}});
        list.topLevelItem(0)->setSelected(true);
        list.SetSortOrder(TSortOption::soAscending);
        list.SetSortColumn(1);
        QVERIFY(list.Selected());
        QCOMPARE(list.Selected()->text(1), QString("b"));
    }

    // The list keeps a table's rows, shown or not: clearing the list, showing others or
    // ending the list while they show deletes each row once (the sanitizer build tells).
    void tableRowsAreTheLists()
    {
        auto table = std::make_shared<std::vector<TListRow>>(
            std::vector<TListRow>{{"r", 0, {"a"}}, {"r", 0, {"b"}}, {"r", 0, {"c"}}});
        auto list = std::make_unique<TListViewEx>();
        list->setColumnCount(2);
        Fill(*list, {{"r", "level row"}});
        list->SetTableRows(table);
        QCOMPARE(Column(*list, 1), (QStringList{"level row"}));
        list->ShowTableRows({2, 0});
        QVERIFY(list->ShowsTableRows());
        QCOMPARE(Column(*list, 1), (QStringList{"c", "a"}));
        list->ShowTableRows({1});
        QCOMPARE(Column(*list, 1), (QStringList{"b"}));
        list->clear();
        QVERIFY(!list->ShowsTableRows());
        QCOMPARE(list->topLevelItemCount(), 0);
        list->ShowTableRows({0, 1, 2});
        QCOMPARE(Column(*list, 1), (QStringList{"a", "b", "c"}));
        Fill(*list, {{"r", "added"}}); // the table's rows show alone
        QCOMPARE(Column(*list, 1), (QStringList{"added"}));
        list->ShowTableRows({0, 2});
        list->SetTableRows(table); // the rows of the earlier table go while shown
        QCOMPARE(list->topLevelItemCount(), 0);
        list->ShowTableRows({1, 2});
        list.reset();
    }
};

QTEST_MAIN(ListViewExTest)
#include "ListViewExTest.moc"
