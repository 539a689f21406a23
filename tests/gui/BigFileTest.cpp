// Big sources in the window: a long scan shows its progress and keeps the window alive
// until it ends or is stopped (by the Stop button, Esc or closing the window), a stopped
// open leaves the document as it was, and many matches of the filter reach the list in
// parts that a new keystroke drops.

#include "OutlineSupport.h"

#include "browser/BackgroundScan.h"
#include "widgets/ListViewEx.h"

#include <QLineEdit>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>

#include <chrono>
#include <thread>

namespace {

// A unit of many small classes, each a class, a field and a method entry.
std::string ManyClasses(int count)
{
    std::string text = "unit Many;\n\ninterface\n\ntype\n";
    for (int i = 0; i < count; ++i)
        text += "  TItem" + std::to_string(i) + " = class(TObject)\n    FValue: Integer;\n"
                "    procedure Run;\n  end;\n";
    return text + "\nimplementation\n\nend.\n";
}

// Once the progress shows, does what the user does to end the scan.
void WhenShown(const TBackgroundScan& scan, std::function<void()> act)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, &scan, act] {
        if (!scan.ProgressPanel()->isVisible())
            return;
        poll->deleteLater();
        poll->stop();
        act();
    });
    poll->start(10);
}

} // namespace

class BigFileTest : public QObject {
    Q_OBJECT
private slots:
    void scanEndings()
    {
        enum class TEnd { Quick, StopButton, Escape, CloseWindow };
        struct Case {
            const char* name;
            TEnd end;
        };
        const Case cases[] = {{"a quick scan", TEnd::Quick},
                              {"the Stop button", TEnd::StopButton},
                              {"Esc", TEnd::Escape},
                              {"closing the window", TEnd::CloseWindow}};
        for (const Case& c : cases) {
            QMainWindow window;
            window.statusBar();
            TBackgroundScan scan(window);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            // A scan that runs until it is stopped, or at once for the quick one.
            const auto job = [&c](const TScanControl& control) {
                TScanOutcome outcome;
                control.progress->lines = 100;
                while (c.end != TEnd::Quick && !control.stop.stop_requested()) {
                    control.progress->line = 50;
                    std::this_thread::sleep_for(std::chrono::milliseconds(2));
                }
                if (control.stop.stop_requested())
                    outcome.failure = TOpenFailure::Stopped;
                return outcome;
            };
            bool eventsRan = false;
            QTimer::singleShot(0, &window, [&] { eventsRan = true; }); // dropped with the window
            int progressShown = -1;
            if (c.end != TEnd::Quick) WhenShown(scan, [&] {
                progressShown = scan.ProgressPanel()->findChild<QProgressBar*>()->value();
                if (c.end == TEnd::StopButton)
                    QTest::mouseClick(scan.StopButton(), Qt::LeftButton);
                else if (c.end == TEnd::Escape)
                    QTest::keyClick(&window, Qt::Key_Escape);
                else
                    window.close();
            });
            const TScanOutcome outcome = scan.Run("x.pas", job);
            QVERIFY2(!scan.IsRunning(), c.name);
            QVERIFY2(!scan.ProgressPanel()->isVisible(), c.name);
            if (c.end == TEnd::Quick) {
                // No event loop ran: a quick scan is as if it ran on the caller's thread.
                QVERIFY2(!eventsRan, c.name);
                QCOMPARE(outcome.failure, TOpenFailure::None);
                continue;
            }
            QVERIFY2(outcome.failure == TOpenFailure::Stopped, c.name);
            QCOMPARE(progressShown, 50);
            // A window closed during the scan closes once it has ended.
            QVERIFY2(window.isVisible(), c.name);
            QTest::qWait(20);
            QCOMPARE(window.isVisible(), c.end != TEnd::CloseWindow);
        }
    }

    void stoppedOpenKeepsTheDocument()
    {
        TTestWindow w;
        w.OpenSource("Nested.pas", kNestedUnit);
        TTestForm& form = *w.form;
        form.show();
        const QStringList before = Declarations(form);
        // Big enough to take longer than the quiet wait on any machine it is stopped on.
        const std::string big = w.folder.Write("big.pas", ManyClasses(100000));
        WhenShown(*form.BackgroundScan(), [&] {
            // The window's parts are disabled, the Stop button is not.
            QVERIFY(!form.ListView()->isEnabled() && !form.FilterEdit()->isEnabled());
            QVERIFY(form.BackgroundScan()->StopButton()->isEnabled());
            QTest::keyClick(&form, Qt::Key_Escape);
        });
        form.OpenFile(big);
        QCOMPARE(form.NoticeText(), QString("Stopped: big.pas was not outlined"));
        QCOMPARE(Declarations(form), before);
        QCOMPARE(form.Browser().SourcePath(), w.folder.Path() + "Nested.pas");
        QVERIFY(!form.Browser().History().CanGoBack());
        QVERIFY(form.isEnabled() && form.ListView()->isEnabled() && form.FilterEdit()->isEnabled());
        QVERIFY(!QApplication::overrideCursor());
    }

    void manyMatchesInParts()
    {
        TTestWindow w;
        w.OpenSource("Many.pas", ManyClasses(3000));
        TTestForm& form = *w.form;
        form.show();
        QTRY_VERIFY(!form.IsFilterBusy());
        QLineEdit* filter = form.FilterEdit();
        // The first part at once, the others while the event loop runs.
        filter->setText("TItem");
        QCOMPARE(form.ListView()->topLevelItemCount(), 2000);
        QVERIFY(form.IsFilterBusy());
        QTRY_VERIFY(!form.IsFilterBusy());
        QCOMPARE(form.ListView()->topLevelItemCount(), 3000);
        QCOMPARE(Declarations(form).back(), QString("TItem2999"));
        // A keystroke drops the parts of the one before.
        filter->setText("Run");
        QVERIFY(form.IsFilterBusy());
        filter->setText("Runx");
        QVERIFY(!form.IsFilterBusy());
        QCOMPARE(form.ListView()->topLevelItemCount(), 0);
        QTest::qWait(20);
        QCOMPARE(form.ListView()->topLevelItemCount(), 0);
        // The window ends while its list shows matches, and while parts are still to come.
        filter->setText("TItem");
        QTRY_VERIFY(!form.IsFilterBusy());
        w.Close();
        w.OpenSource("Many.pas", ManyClasses(3000));
        w.form->FilterEdit()->setText("TItem");
        QVERIFY(w.form->IsFilterBusy());
    }
};

QTEST_MAIN(BigFileTest)
#include "BigFileTest.moc"
