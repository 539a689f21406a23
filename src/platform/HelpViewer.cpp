#include "platform/HelpViewer.h"

#include "platform/WindowPlacement.h"

#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

namespace {
const QString kTitle = QStringLiteral("Quillane Help");
constexpr int kWidthPx = 640;
constexpr int kHeightPx = 520;
}

THelpViewer::THelpViewer(std::string helpFolder, QWidget* parent)
    : QWidget(parent, Qt::Window), m_helpFolder(std::move(helpFolder)),
      m_browser(new QTextBrowser(this))
{
    setObjectName("HelpViewer");
    // Closing the main window ends the program even while help is open.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(kTitle);
    m_browser->setOpenExternalLinks(true);
    m_browser->setSearchPaths({QString::fromStdString(m_helpFolder)});
    auto* tools = new QToolBar(this);
    QAction* back = tools->addAction("Back", m_browser, &QTextBrowser::backward);
    QAction* forward = tools->addAction("Forward", m_browser, &QTextBrowser::forward);
    tools->addAction("Contents", this, [this] { ShowTopic(""); });
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this] {
        // The contents page is itself titled "Quillane Help".
        const QString page = m_browser->documentTitle();
        setWindowTitle(page.isEmpty() || page == kTitle ? kTitle : page + " - " + kTitle);
    });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(tools);
    layout->addWidget(m_browser);
    resize(kWidthPx, kHeightPx);
}

bool THelpViewer::ShowTopic(const std::string& topic)
{
    const QString page =
        QString::fromStdString(m_helpFolder + (topic.empty() ? "index.htm" : topic));
    if (!QFileInfo(page).isFile())
        return false;
    m_browser->setSource(QUrl::fromLocalFile(page));
    // Opened anew, it goes beside the window that asked for it, wholly on the screen.
    QWidget* asker = QApplication::activeModalWidget() ? QApplication::activeModalWidget()
                                                        : QApplication::activeWindow();
    const bool place = !isVisible() && asker && asker != this;
    FollowModalWindow();
    if (place) {
        constexpr int kNarrowestPx = 360;
        PlaceWindowBeside(*this, *asker, QSize(kWidthPx, kHeightPx), kNarrowestPx);
    }
    show();
    raise();
    activateWindow();
    return true;
}

void THelpViewer::FollowModalWindow()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == this || modal == parentWidget())
        return;
    ReleaseOwner();
    if (!modal)
        return;
    // A modal window blocks every window but its own: help becomes one of them.
    const QRect frame = geometry();
    setParent(modal, windowFlags());
    setGeometry(frame);
    m_owner = modal;
    m_owner->installEventFilter(this);
}

void THelpViewer::ReleaseOwner()
{
    if (!m_owner)
        return;
    m_owner->removeEventFilter(this);
    m_owner = nullptr;
    const bool shown = isVisible();
    const QRect frame = geometry();
    setParent(nullptr, windowFlags());
    setGeometry(frame);
    if (shown)
        show();
}

bool THelpViewer::eventFilter(QObject* watched, QEvent* event)
{
    // The owner hides before it may be destroyed: help stands alone again and stays open.
    // A minimized owner stays visible and keeps it.
    if (watched == m_owner && event->type() == QEvent::Hide && !m_owner->isVisible())
        ReleaseOwner();
    return QWidget::eventFilter(watched, event);
}
