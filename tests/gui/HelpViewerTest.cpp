// The help window over the delivered help pages: every page the program asks for
// exists, and the links between the pages lead to pages that exist.

#include "platform/HelpViewer.h"

#include <QDir>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QtTest>

class HelpViewerTest : public QObject {
    Q_OBJECT
private slots:
    void topics_data()
    {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<QString>("title");
        QTest::newRow("contents") << "" << true << "Quillane Help";
        QTest::newRow("comment indicator")
            << "AboutCommentIndicator.htm" << true << "The comment indicator";
        QTest::newRow("missing page") << "NoSuchPage.htm" << false << "";
    }
    void topics()
    {
        QFETCH(QString, topic);
        QFETCH(bool, shown);
        QFETCH(QString, title);
        THelpViewer viewer(QUILLANE_DATA_DIR "/help/");
        QCOMPARE(viewer.ShowTopic(topic.toStdString()), shown);
        QCOMPARE(viewer.isVisible(), shown);
        if (shown)
            QCOMPARE(viewer.Browser()->documentTitle(), title);
    }

    void linksLeadToPages()
    {
        const QDir help(QUILLANE_DATA_DIR "/help");
        const QRegularExpression link(QStringLiteral("href=\"([^\"#:]+)"));
        int links = 0;
        for (const QString& page : help.entryList({"*.htm"}, QDir::Files)) {
            QFile file(help.filePath(page));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString text = QString::fromUtf8(file.readAll());
            for (auto it = link.globalMatch(text); it.hasNext();) {
                const QString target = it.next().captured(1);
                QVERIFY2(help.exists(target), qPrintable(page + " -> " + target));
                ++links;
            }
        }
        QVERIFY(links >= 2);
    }
};

QTEST_MAIN(HelpViewerTest)
#include "HelpViewerTest.moc"
