// The column layout string of the outline list and the field lookup through it.

#include "browser/HeaderLayout.h"

#include <QtTest>

class HeaderLayoutTest : public QObject {
    Q_OBJECT
private slots:
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

    // The layout built from the captions in on-screen order, and the position each
    // on-screen column takes in it.
    void layoutFromCaptions_data()
    {
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<QString>("layout");
        QTest::addColumn<std::vector<int>>("positions");
        QTest::newRow("built-in order")
            << QStringList{"  ", "Declaration", "Comment", "Type", "Line"} << " DCTL"
            << std::vector<int>{0, 1, 2, 3, 4};
        QTest::newRow("icon column dragged to the third place")
            << QStringList{"Declaration", "Comment", "  ", "Type", "Line"} << " CDTL"
            << std::vector<int>{2, 1, 0, 3, 4};
        QTest::newRow("icon column dragged to the end")
            << QStringList{"Type", "Line", "Declaration", "Comment", "  "} << " LDCT"
            << std::vector<int>{4, 1, 2, 3, 0};
    }
    void layoutFromCaptions()
    {
        QFETCH(QStringList, captions);
        std::vector<std::string> texts;
        for (const QString& c : captions)
            texts.push_back(c.toStdString());
        QFETCH(QString, layout);
        QFETCH(std::vector<int>, positions);
        QCOMPARE(QString::fromStdString(LayoutFromCaptions(texts)), layout);
        QCOMPARE(LayoutPositions(texts), positions);
    }
};

QTEST_APPLESS_MAIN(HeaderLayoutTest)
#include "HeaderLayoutTest.moc"
