#pragma once
// Shared by the window benchmarks: a platform that leaves nothing to the desktop, and the
// program's context over the delivered rules and settings.

#include "browser/MainForm.h"
#include "config/AppContext.h"
#include "config/AppPaths.h"
#include "platform/Platform.h"

#include <string>

class TSilentPlatform : public IPlatform {
public:
    void OpenInShell(const std::string&, TShellFailed) override {}
    bool ShowHelp(const std::string&) override { return true; }
    void ShowMessage(const std::string&, const std::string&) override {}
    bool Confirm(const std::string&, const std::string&) override { return true; }
    void SetClipboardText(const std::string&) override {}
};

// The delivered rules and settings; the trace log goes to logName in the program's
// folder, and the settings are never written back.
struct TBenchApp {
    explicit TBenchApp(const std::string& logName) : paths(PathsLoggingTo(logName)), app(paths, TAppContext::TSettingsAtEnd::Keep) {}

    // What the outline window needs, starting on startArgument (a location or nothing).
    TMFormServices WindowServices(const std::string& startArgument = "")
    {
        return {app.DebugLog(), app.Config(), app.SharedRules(), platform, paths, startArgument, {}, {}};
    }

    TAppPaths paths;
    TAppContext app;
    TSilentPlatform platform;

private:
    static TAppPaths PathsLoggingTo(const std::string& logName)
    {
        TAppPaths paths = TAppPaths::InFolder(QUILLANE_DATA_DIR "/");
        paths.logFile = AppFolder() + logName;
        return paths;
    }
};
