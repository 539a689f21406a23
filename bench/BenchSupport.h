#pragma once
// Shared by the window benchmarks: a platform that leaves nothing to the desktop.

#include "platform/Platform.h"

class TSilentPlatform : public IPlatform {
public:
    void OpenInShell(const std::string&, TShellFailed) override {}
    bool ShowHelp(const std::string&) override { return true; }
    void ShowMessage(const std::string&, const std::string&) override {}
    bool Confirm(const std::string&, const std::string&) override { return true; }
    void SetClipboardText(const std::string&) override {}
};
