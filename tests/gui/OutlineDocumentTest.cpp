// The outline document's plain parts: locations, level walks, the history and the
// column layout string, checked without a window.

#include "browser/HeaderLayout.h"
#include "browser/OutlineDocument.h"

#include <QtTest>

namespace {

// Entries made from (line, icon, level, declaration) quadruples.
struct TE {
    int line;
    int icon;
    int level;
    const char* declaration;
};

TLines MakeEntries(std::initializer_list<TE> entries)
{
    TLines lines;
    for (const TE& e : entries) {
        lines.push_back("[LINE]" + std::to_string(e.line) + "[ICON]" + std::to_string(e.icon) +
                        "[LEVEL]" + std::to_string(e.level));
        lines.push_back("type");
        lines.push_back(e.declaration);
        lines.push_back("comment of " + std::string(e.declaration));
    }
    return lines;
}

// A (1) at 0, A1 (2) at 4, A1a (3) at 8, A1b (3) at 12, A2 (2) at 16, B (1) at 20.
TLines WorkedExample()
{
    return MakeEntries({{1, 3, 1, "A"},
                        {2, 3, 2, "A1"},
                        {3, 1, 3, "A1a"},
                        {4, 1, 3, "A1b"},
                        {5, 1, 2, "A2"},
                        {6, 1, 1, "B"}});
}

QStringList DeclarationsAt(const TLines& entries, const std::vector<int>& indexes)
{
    QStringList names;
    for (int i : indexes)
        names << QString::fromStdString(EntryAt(entries, i).declaration);
    return names;
}

} // namespace

class OutlineDocumentTest : public QObject {
    Q_OBJECT
private slots:
    void parseLocation_data()
    {
        QTest::addColumn<QString>("location");
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("levelStart");
        QTest::addColumn<QString>("sourceType");
        QTest::newRow("path with index") << "/src/Unit1.pas?12"
                                         << "/src/Unit1.pas" << 12 << "PAS";
        QTest::newRow("path alone") << "/src/Unit1.pas"
                                    << "/src/Unit1.pas" << 0 << "PAS";
        QTest::newRow("index that is not a number") << "/src/Unit1.pas?x"
                                                    << "/src/Unit1.pas?x" << 0 << "PAS?X";
        QTest::newRow("last question mark splits") << "/a?b/U.dpr?8"
                                                   << "/a?b/U.dpr" << 8 << "DPR";
        QTest::newRow("folder") << "/src/"
                                << "/src/" << 0 << "";
        QTest::newRow("dot in a folder name only") << "/a.dir/readme"
                                                   << "/a.dir/readme" << 0 << "";
        QTest::newRow("index too large for a number") << "/u.pas?99999999999999"
                                                      << "/u.pas" << 0 << "PAS";
    }
    void parseLocation()
    {
        QFETCH(QString, location);
        const TLocation parsed = ParseLocation(location.toStdString());
        QFETCH(QString, path);
        QCOMPARE(QString::fromStdString(parsed.path), path);
        QFETCH(int, levelStart);
        QCOMPARE(parsed.levelStart, levelStart);
        QFETCH(QString, sourceType);
        QCOMPARE(QString::fromStdString(SourceTypeOf(parsed.path)), sourceType);
    }

    void ftpPaths()
    {
        QVERIFY(IsFtpPath("FTP:host/src/Unit1.pas"));
        QVERIFY(IsFtpPath("ftp:host/src/Unit1.pas"));
        QVERIFY(!IsFtpPath("/srv/ftp:host/Unit1.pas"));
    }

    void levelWalks_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<QStringList>("level");
        QTest::addColumn<int>("upperStart");
        QTest::newRow("top level") << 0 << QStringList{"A", "B"} << 0;
        QTest::newRow("inside A") << 4 << QStringList{"A1", "A2"} << 0;
        QTest::newRow("inside A1") << 8 << QStringList{"A1a", "A1b"} << 4;
        QTest::newRow("second child of A1 onwards") << 12 << QStringList{"A1b"} << 4;
        QTest::newRow("past the last entry") << 24 << QStringList{} << 0;
        QTest::newRow("not an entry's first line") << 6 << QStringList{} << 0;
    }
    void levelWalks()
    {
        QFETCH(int, start);
        const TLines entries = WorkedExample();
        QFETCH(QStringList, level);
        QCOMPARE(DeclarationsAt(entries, LevelIndexes(entries, start)), level);
        QFETCH(int, upperStart);
        QCOMPARE(UpperLevelStart(entries, start), upperStart);
    }

    void emptyLevelBelowTheLastEntryGoesUpToItsLevel()
    {
        // B (level 1) is the last entry; the empty level below it lies at 24.
        const TLines entries = MakeEntries({{1, 1, 1, "A"}, {2, 3, 1, "B"}});
        QCOMPARE(UpperLevelStart(entries, 8), 0);
        // Below A1 (level 2, the last entry) going up shows A's children again.
        QCOMPARE(UpperLevelStart(MakeEntries({{1, 3, 1, "A"}, {2, 3, 2, "A1"}}), 8), 4);
    }

    void findEntryByLine()
    {
        const TLines entries = MakeEntries({{7, 2, 1, "X"}, {7, 3, 1, "Y"}, {9, 1, 2, "Z"}});
        QCOMPARE(FindEntryByLine(entries, 7), 0); // the first of two on one line
        QCOMPARE(FindEntryByLine(entries, 9), 8);
        QCOMPARE(FindEntryByLine(entries, 8), -1);
    }

    void historyRecording()
    {
        THistory history;
        for (int i = 0; i < 100; ++i)
            history.RecordLocation("loc" + std::to_string(i));
        QCOMPARE(history.Items().size(), std::size_t(100));
        history.RecordLocation("loc100");
        QCOMPARE(history.Items().size(), std::size_t(100));
        QCOMPARE(history.Items().front(), std::string("loc100"));
        QCOMPARE(history.Items().back(), std::string("loc1")); // loc0 dropped

        history.Back();
        history.Back();
        history.Back();
        QCOMPARE(history.Pos(), 3);
        QCOMPARE(history.Current(), std::string("loc97"));
        history.RecordLocation("new");
        // The three entries ahead of the position went first.
        QCOMPARE(history.Pos(), 0);
        QCOMPARE(history.Items().size(), std::size_t(98));
        QCOMPARE(history.Items()[0], std::string("new"));
        QCOMPARE(history.Items()[1], std::string("loc97"));
    }

    void recordingTheCurrentLocationChangesNothing()
    {
        THistory history;
        history.RecordLocation("a");
        history.RecordLocation("b");
        history.Back();
        history.RecordLocation("a");
        QCOMPARE(history.Pos(), 1);
        QCOMPARE(history.Items().size(), std::size_t(2));
    }

    void historyEnds()
    {
        THistory history;
        history.RecordLocation("a");
        history.RecordLocation("b");
        history.Forward();
        QCOMPARE(history.Current(), std::string("b"));
        history.Back();
        history.Back();
        QCOMPARE(history.Current(), std::string("a"));
        QVERIFY(!history.CanGoBack());
        QVERIFY(history.CanGoForward());
    }

    void fieldLookup_data()
    {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QString>("letter");
        QTest::addColumn<int>("subItem");
        QTest::newRow("built-in declaration") << " DCTL"
                                              << "D" << 0;
        QTest::newRow("built-in line") << " DCTL"
                                       << "L" << 3;
        QTest::newRow("reordered declaration") << " TLDC"
                                               << "D" << 2;
        QTest::newRow("first occurrence counts") << " DDCTL"
                                                 << "D" << 0;
        QTest::newRow("missing letter") << " DCT"
                                        << "L" << -1;
        QTest::newRow("letter at the icon column only") << "DCTL"
                                                        << "D" << -1;
    }
    void fieldLookup()
    {
        QFETCH(QString, layout);
        QFETCH(QString, letter);
        QFETCH(int, subItem);
        QCOMPARE(FieldSubItem(layout.toStdString(), letter.at(0).toLatin1()), subItem);
    }

    void completeLayouts()
    {
        QVERIFY(IsCompleteLayout(" DCTL"));
        QVERIFY(IsCompleteLayout(" LTCD"));
        QVERIFY(!IsCompleteLayout(" DCT"));
        QVERIFY(!IsCompleteLayout(""));
        QVERIFY(!IsCompleteLayout("DCTL "));
    }

    void subTextsFollowTheLayout()
    {
        QCOMPARE(OutlineSubTexts(" DCTL", "12", "class", "TMyClass", "main form"),
                 (std::vector<std::string>{"TMyClass", "main form", "class", "12"}));
        QCOMPARE(OutlineSubTexts(" TLDC", "12", "class", "TMyClass", "main form"),
                 (std::vector<std::string>{"class", "12", "TMyClass", "main form"}));
        // A character that names no field adds nothing, so the rest move left.
        QCOMPARE(OutlineSubTexts(" DXTL", "12", "class", "TMyClass", "main form"),
                 (std::vector<std::string>{"TMyClass", "class", "12"}));
    }

    void layoutFromCaptions_data()
    {
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<QString>("layout");
        QTest::newRow("built-in order")
            << QStringList{"  ", "Declaration", "Comment", "Type", "Line"} << " DCTL";
        QTest::newRow("icon column dragged to the third place")
            << QStringList{"Declaration", "Comment", "  ", "Type", "Line"} << " CDTL";
        QTest::newRow("icon column dragged to the end")
            << QStringList{"Type", "Line", "Declaration", "Comment", "  "} << " LDCT";
    }
    void layoutFromCaptions()
    {
        QFETCH(QStringList, captions);
        std::vector<std::string> texts;
        for (const QString& c : captions)
            texts.push_back(c.toStdString());
        QFETCH(QString, layout);
        QCOMPARE(QString::fromStdString(LayoutFromCaptions(texts)), layout);
    }
};

QTEST_APPLESS_MAIN(OutlineDocumentTest)
#include "OutlineDocumentTest.moc"
