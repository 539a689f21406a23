#include "platform/HelpViewer.h"

#include <QFileInfo>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

THelpViewer::THelpViewer(std::string helpFolder, QWidget* parent)
    : QWidget(parent, Qt::Window), m_helpFolder(std::move(helpFolder)),
      m_browser(new QTextBrowser(this))
{
    setObjectName("HelpViewer");
    // Closing the main window ends the program even while help is open.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle("Quillane Help");
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
    connect(m_browser, &QTextBrowser::sourceChanged, this,
            [this] { setWindowTitle(m_browser->documentTitle() + " - Quillane Help"); });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(tools);
    layout->addWidget(m_browser);
    resize(640, 520);
}

bool THelpViewer::ShowTopic(const std::string& topic)
{
    const QString page =
        QString::fromStdString(m_helpFolder + (topic.empty() ? "index.htm" : topic));
    if (!QFileInfo(page).isFile())
        return false;
    m_browser->setSource(QUrl::fromLocalFile(page));
    show();
    raise();
    activateWindow();
    return true;
}
