#include "browser/BackgroundScan.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <chrono>
#include <future>
#include <utility>

namespace {

// How often the progress is drawn anew and the scan's end looked for.
constexpr int kPollMs = 40;

bool IsUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TabletPress:
        return true;
    default:
        return false;
    }
}

} // namespace

TBackgroundScan::TBackgroundScan(QMainWindow& window) : QObject(&window), m_window(window)
{
    m_panel = new QWidget;
    m_panel->setObjectName(QStringLiteral("ScanProgress"));
    auto* layout = new QHBoxLayout(m_panel);
    layout->setContentsMargins(0, 0, 0, 0);
    m_text = new QLabel;
    m_text->setTextFormat(Qt::PlainText); // it names the file
    m_bar = new QProgressBar;
    m_bar->setRange(0, 100);
    m_bar->setFixedWidth(120);
    m_stopButton = new QPushButton(tr("Stop"));
    m_stopButton->setObjectName(QStringLiteral("ScanStop"));
    m_stopButton->setToolTip(tr("Stop the scan (Esc)"));
    connect(m_stopButton, &QPushButton::clicked, this, &TBackgroundScan::Stop);
    layout->addWidget(m_text);
    layout->addWidget(m_bar);
    layout->addWidget(m_stopButton);
    window.statusBar()->addPermanentWidget(m_panel);
    m_panel->hide();
}

TBackgroundScan::~TBackgroundScan()
{
    qApp->removeEventFilter(this);
}

TScanOutcome TBackgroundScan::Run(const std::string& fileName, const TJob& job)
{
    if (m_running) { // a scan is asked for while one runs: it waits for none
        TScanOutcome refused;
        refused.failure = TOpenFailure::Stopped;
        return refused;
    }
    m_running = true;
    m_fileName = fileName;
    m_stop = std::stop_source();
    m_progress.lines.store(0);
    m_progress.line.store(0);
    m_progress.cycle.store(0);
    const TScanControl control{m_stop.get_token(), &m_progress};
    std::future<TScanOutcome> done = std::async(std::launch::async, [&job, control] { return job(control); });
    const bool quiet = done.wait_for(std::chrono::milliseconds(kQuietMs)) == std::future_status::ready;
    if (!quiet) {
        BeginShowing();
        QEventLoop loop;
        QTimer poll;
        connect(&poll, &QTimer::timeout, &loop, [&] {
            if (done.wait_for(std::chrono::seconds(0)) == std::future_status::ready)
                loop.quit();
            else
                UpdateProgress();
        });
        poll.start(kPollMs);
        loop.exec();
        // The loop also ends when the application quits: the scan is then stopped.
        if (done.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
            m_stop.request_stop();
        EndShowing();
    }
    TScanOutcome outcome = done.get();
#ifdef __GLIBC__
    // A long scan has freed the source's text and much else: the memory goes back to
    // the system rather than staying with the process.
    if (!quiet)
        malloc_trim(0);
#endif
    m_running = false;
    // Windows closed during the scan close now, once their caller has seen its outcome.
    for (const QPointer<QWidget>& window : std::exchange(m_closeAfter, {}))
        if (window)
            QTimer::singleShot(0, window, &QWidget::close);
    return outcome;
}

void TBackgroundScan::Stop()
{
    if (!m_running)
        return;
    m_stop.request_stop();
    m_text->setText(tr("Stopping..."));
    m_stopButton->setEnabled(false);
}

void TBackgroundScan::BeginShowing()
{
    // The window's parts but the status bar take no input; the window itself stays
    // enabled so that the Stop button does.
    m_windowWasEnabled = m_window.isEnabled();
    for (QObject* child : m_window.children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        // (The busy window has disabled them all; those not disabled on their own account
        // are disabled here and enabled again at the end.)
        if (widget && widget != m_window.statusBar() && !widget->testAttribute(Qt::WA_ForceDisabled) &&
            !widget->isWindow()) {
            widget->setEnabled(false);
            m_disabled.emplace_back(widget);
        }
    }
    m_window.setEnabled(true);
    m_stopButton->setEnabled(true);
    // A window not shown yet (a big file given at the start) shows now, with the progress,
    // rather than nothing until the scan ends.
    if (!m_window.isVisible())
        m_window.show();
    if (QApplication::overrideCursor())
        QApplication::changeOverrideCursor(Qt::BusyCursor);
    UpdateProgress();
    m_panel->show();
    qApp->installEventFilter(this);
}

void TBackgroundScan::EndShowing()
{
    qApp->removeEventFilter(this);
    m_panel->hide();
    if (QApplication::overrideCursor())
        QApplication::changeOverrideCursor(Qt::WaitCursor);
    for (const QPointer<QWidget>& widget : std::exchange(m_disabled, {}))
        if (widget)
            widget->setEnabled(true);
    m_window.setEnabled(m_windowWasEnabled);
}

void TBackgroundScan::UpdateProgress()
{
    const int percent = static_cast<int>(m_progress.Fraction() * 100);
    m_bar->setValue(percent);
    if (!m_stop.stop_requested())
        m_text->setText(tr("Scanning %1").arg(QString::fromStdString(m_fileName)));
}

bool TBackgroundScan::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::Close) {
        // A window closed meanwhile (by the user or a signal) waits for the scan's end.
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->isWindow()) {
            m_closeAfter.emplace_back(widget);
            Stop();
            event->ignore();
            return true;
        }
        return false;
    }
    // Input reaches a widget through its window's handle, which passes it on untouched.
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || !IsUserInput(type) || widget == m_stopButton)
        return false;
    // A message box the scan brought up (a fault of the rules) is answered as usual.
    if (QWidget* modal = QApplication::activeModalWidget(); modal && widget->window() == modal)
        return false;
    if (type == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
        Stop();
    // An accepted override keeps a shortcut from firing; the key press then ends here.
    event->accept();
    return true;
}
