#pragma once
// What leaves the program: opening a file, program or address in the desktop's
// shell, the help window, a message box and the clipboard. Windows receive one
// in their constructor; the real one lives in app/, tests pass a recording fake.

#include <functional>
#include <string>

class IPlatform {
public:
    // Told why nothing opened what the desktop was asked to open ("no program is set to
    // open it"); on the user-interface thread, at once or once the desktop has answered.
    using TShellFailed = std::function<void(const std::string& why)>;

    virtual ~IPlatform() = default;
    // Opens a file, folder or address with the desktop's default program; onFailure hears
    // when nothing opened it.
    virtual void OpenInShell(const std::string& target, TShellFailed onFailure) = 0;
    // Shows a page of the help folder (an .htm name such as "AboutCommentIndicator.htm",
    // or empty for the index page). False when the page does not exist.
    virtual bool ShowHelp(const std::string& topic) = 0;
    // Message boxes show their text as plain text (a file name is never markup).
    virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;
    // Asks a yes/no question; true for yes. No is the default answer.
    virtual bool Confirm(const std::string& text, const std::string& caption) = 0;
    virtual void SetClipboardText(const std::string& text) = 0;
};
