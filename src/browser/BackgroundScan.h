#pragma once
// The window's scans, run on a worker thread so that a big source keeps the window
// alive: a scan that ends within kQuietMs returns as if it ran on the caller's thread (a
// small file opens as it always did, with no flicker); a longer one shows its progress
// and a Stop button in the window's status bar and runs the event loop until the scan
// ends. Meanwhile the user's input to the application's windows is held back, except the
// Stop button and Esc, which stop the scan, and a message box the scan brings up; a
// window closed meanwhile stops the scan and closes once it has ended. User-interface
// thread only.

#include "browser/core/OutlineScan.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <stop_token>
#include <string>
#include <vector>

class QLabel;
class QMainWindow;
class QProgressBar;
class QPushButton;
class QWidget;

class TBackgroundScan : public QObject {
    Q_OBJECT
public:
    // The scan to run: it is given the stop request and the progress to write.
    using TJob = std::function<TScanOutcome(const TScanControl& control)>;

    // How long a scan runs before its progress is shown.
    static constexpr int kQuietMs = 150;

    // Puts the progress, hidden, into the window's status bar.
    explicit TBackgroundScan(QMainWindow& window);
    ~TBackgroundScan() override;

    // Runs the job and returns its outcome (Stopped when the user stopped it). fileName
    // names the source in the progress text.
    TScanOutcome Run(const std::string& fileName, const TJob& job);
    // True while Run runs.
    bool IsRunning() const { return m_running; }
    // Asks the running scan to stop; Run then returns soon.
    void Stop();

    // The progress's parts, for tests: shown only while a long scan runs.
    QWidget* ProgressPanel() const { return m_panel; }
    QPushButton* StopButton() const { return m_stopButton; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // From the quiet wait to the event loop: the progress shown, the window's parts
    // but the status bar disabled, the input held back.
    void BeginShowing();
    void EndShowing();
    void UpdateProgress();

    QMainWindow& m_window;
    QWidget* m_panel = nullptr;
    QLabel* m_text = nullptr;
    QProgressBar* m_bar = nullptr;
    QPushButton* m_stopButton = nullptr;

    bool m_running = false;
    std::string m_fileName;
    std::stop_source m_stop;
    TScanProgress m_progress;
    // What BeginShowing changed, for EndShowing to put back.
    bool m_windowWasEnabled = false;
    std::vector<QPointer<QWidget>> m_disabled;
    // Windows whose closing waits for the scan's end.
    std::vector<QPointer<QWidget>> m_closeAfter;
};
