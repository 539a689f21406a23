#pragma once
// The real platform seam: the desktop's default programs through QDesktopServices,
// the help window over the program folder's help/ pages, message boxes and the
// clipboard. User-interface thread only.

#include "platform/Platform.h"

#include <QObject>

#include <memory>
#include <string>

class THelpViewer;

class TQtPlatform : public IPlatform {
public:
    // programFolder ends with "/"; the help pages are in its help/ folder.
    explicit TQtPlatform(std::string programFolder);
    ~TQtPlatform() override;

    void OpenInShell(const std::string& target, TShellFailed onFailure) override;
    bool ShowHelp(const std::string& topic) override;
    void ShowMessage(const std::string& text, const std::string& caption) override;
    bool Confirm(const std::string& text, const std::string& caption) override;
    void SetClipboardText(const std::string& text) override;

private:
    std::string m_programFolder;
    QObject m_openers; // the desktop's openers still running, each told to report its end
    std::unique_ptr<THelpViewer> m_help; // made on first use
};
