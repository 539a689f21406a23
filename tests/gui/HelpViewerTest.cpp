// The help window over the delivered help pages: every page the program asks for
// exists, and the links between the pages lead to pages that exist.

#include "platform/HelpViewer.h"
#include "platform/WindowPlacement.h"

#include <QDialog>
#include <QDir>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
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
        QTest::addColumn<QString>("windowTitle");
        QTest::newRow("contents") << "" << true << "Quillane Help" << "Quillane Help";
        QTest::newRow("comment indicator") << "AboutCommentIndicator.htm" << true
                                           << "The comment indicator"
                                           << "The comment indicator - Quillane Help";
        QTest::newRow("missing page") << "NoSuchPage.htm" << false << "" << "Quillane Help";
    }
    void topics()
    {
        QFETCH(QString, topic);
        QFETCH(bool, shown);
        QFETCH(QString, title);
        QFETCH(QString, windowTitle);
        THelpViewer viewer(QUILLANE_DATA_DIR "/help/");
        QCOMPARE(viewer.ShowTopic(topic.toStdString()), shown);
        QCOMPARE(viewer.isVisible(), shown);
        if (shown)
            QCOMPARE(viewer.Browser()->documentTitle(), title);
        QCOMPARE(viewer.windowTitle(), windowTitle);
    }

    // Help asked for while a dialog is modal must take keys, and stay open after the dialog.
    void usableWhileADialogIsModal()
    {
        QWidget mainWindow;
        mainWindow.show();
        auto* dialog = new QDialog(&mainWindow);
        dialog->setWindowModality(Qt::ApplicationModal);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QCOMPARE(QApplication::activeModalWidget(), dialog);

        QPointer<THelpViewer> viewer = new THelpViewer(QUILLANE_DATA_DIR "/help/");
        QVERIFY(viewer->ShowTopic("index.htm"));
        viewer->resize(320, 160); // shorter than the page, so End has somewhere to go
        QVERIFY(QTest::qWaitForWindowExposed(viewer));
        viewer->Browser()->setFocus();
        QCOMPARE(viewer->Browser()->verticalScrollBar()->value(), 0);
        QTest::keyClick(viewer->windowHandle(), Qt::Key_End);
        QVERIFY2(viewer->Browser()->verticalScrollBar()->value() > 0, "End did not reach the help window");

        delete dialog;
        QVERIFY2(viewer, "help closed with the dialog");
        QVERIFY(viewer->isVisible());
        QVERIFY(viewer->parentWidget() == nullptr);
        delete viewer;
    }

    // Help opens beside the window that asked for it, wholly on the screen.
    void opensBesideTheAskingWindow()
    {
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QDialog dialog;
        dialog.setGeometry(area.left() + 20, area.center().y() - 55, 260, 110);
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        THelpViewer viewer(QUILLANE_DATA_DIR "/help/");
        QVERIFY(viewer.ShowTopic("AboutCommentIndicator.htm"));
        QVERIFY2(area.contains(viewer.frameGeometry()), "on the screen");
        QVERIFY2(!viewer.frameGeometry().intersects(dialog.frameGeometry()), "beside the dialog");
        viewer.close();
        dialog.close();
    }

    void placeBeside_data()
    {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QRect>("expected");
        const QSize size(640, 520);
        QTest::newRow("room on the right") << QRect(0, 100, 300, 300) << size << QRect(300, 100, 640, 520);
        QTest::newRow("room on the left only") << QRect(900, 100, 300, 300) << size << QRect(260, 100, 640, 520);
        QTest::newRow("narrowed to the wider side") << QRect(300, 0, 400, 300) << size << QRect(700, 0, 580, 520);
        QTest::newRow("no side wide enough: the screen's right edge") << QRect(100, 0, 1000, 300) << size
                                                                     << QRect(640, 0, 640, 520);
        QTest::newRow("low window: lifted onto the screen") << QRect(0, 700, 300, 200) << size
                                                            << QRect(300, 480, 640, 520);
        QTest::newRow("taller than the screen") << QRect(0, 0, 300, 200) << QSize(640, 1400)
                                                << QRect(300, 0, 640, 1000);
    }
    void placeBeside()
    {
        QFETCH(QRect, frame);
        QFETCH(QSize, size);
        QFETCH(QRect, expected);
        QCOMPARE(PlaceBeside(frame, size, QRect(0, 0, 1280, 1000), 400), expected);
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
