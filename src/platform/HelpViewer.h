#pragma once
// The help window: the HTML pages of the program folder's help/ folder in a
// browser with back and forward, links between pages followed inside it and
// links to other places handed to the desktop. User-interface thread only.

#include <QWidget>

#include <string>

class QTextBrowser;

class THelpViewer : public QWidget {
    Q_OBJECT
public:
    // helpFolder: the folder of the pages, ending with "/".
    explicit THelpViewer(std::string helpFolder, QWidget* parent = nullptr);

    // Shows a page ("AboutCommentIndicator.htm"; empty for "index.htm"). False, and
    // nothing shown, when the page does not exist.
    bool ShowTopic(const std::string& topic);
    QTextBrowser* Browser() const { return m_browser; }

private:
    std::string m_helpFolder;
    QTextBrowser* m_browser;
};
