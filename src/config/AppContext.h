#pragma once
// The three objects shared for the whole run, created in this order at start and
// released in the reverse order at the end: the trace log, the settings store
// (read from its file) and the rule file. main() owns them; tests build their own
// over a temporary folder.

#include "config/Config.h"
#include "config/Debug.h"
#include "scan/StructureTexts.h"

#include <string>

struct TAppPaths {
    std::string logFile;      // the trace log
    std::string settingsFile; // the settings store
    std::string rulesFile;    // the rule file
    // The running program's own files: quillane.TXT, quillane.ini, CodeScan.dll beside it.
    static TAppPaths ForProgram();
    // The same names inside another folder (ending with "/").
    static TAppPaths InFolder(const std::string& folder);
};

class TAppContext {
public:
    enum class TSettingsAtEnd { Write, Keep };
    explicit TAppContext(const TAppPaths& paths, TSettingsAtEnd atEnd = TSettingsAtEnd::Write);
    // Releases the rules, writes the settings (when the store holds lines), then
    // saves and releases the trace log.
    ~TAppContext();
    TAppContext(const TAppContext&) = delete;
    TAppContext& operator=(const TAppContext&) = delete;

    TDebug& DebugLog() { return m_debugLog; }
    TConfig& Config() { return m_config; }
    const TStructureTexts& SharedRules() const { return m_sharedRules; }

private:
    TSettingsAtEnd m_atEnd;
    // Declaration order is the start order; members are destroyed in reverse.
    TDebug m_debugLog;
    TConfig m_config;
    TStructureTexts m_sharedRules;
};
