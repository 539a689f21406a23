#pragma once
// The help window: the HTML pages of the program folder's help/ folder in a
// browser with back and forward, links between pages followed inside it and
// links to other places handed to the desktop. Opened while a modal dialog runs,
// it belongs to that dialog until the dialog hides, so the dialog does not block
// it. User-interface thread only.

#include <QPointer>
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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Makes the active modal window, if any, the owner of this window.
    void FollowModalWindow();
    // Turns this window back into one of its own, as visible as it was.
    void ReleaseOwner();

    std::string m_helpFolder;
    QTextBrowser* m_browser;
    QPointer<QWidget> m_owner; // the modal window this one belongs to, watched for its hiding
};
