#pragma once
// The three objects shared for the whole run, created in this order at start and
// released in the reverse order at the end: the trace log, the settings store
// (read from its file) and the rule file, in the places of TAppPaths. main() owns them;
// tests build their own over a temporary folder.

#include "config/AppPaths.h"
#include "config/Config.h"
#include "config/Debug.h"
#include "scan/StructureTexts.h"

#include <string>

class TAppContext {
public:
    enum class TSettingsAtEnd { Write, Keep };
    // Reads the settings (or the delivered first settings while the user has none) and the
    // rule file. The trace log makes its folder when it writes its first line.
    explicit TAppContext(const TAppPaths& paths, TSettingsAtEnd atEnd = TSettingsAtEnd::Write);
    // Releases the rules, writes the settings (when the store holds lines; the settings
    // file's folder is made when missing; why they could not be written goes to standard
    // error and the trace log), then saves and releases the trace log.
    ~TAppContext();
    TAppContext(const TAppContext&) = delete;
    TAppContext& operator=(const TAppContext&) = delete;

    TDebug& DebugLog() { return m_debugLog; }
    TConfig& Config() { return m_config; }
    const TStructureTexts& SharedRules() const { return m_sharedRules; }
    const TAppPaths& Paths() const { return m_paths; }

private:
    const TAppPaths m_paths;
    TSettingsAtEnd m_atEnd;
    // Declaration order is the start order; members are destroyed in reverse.
    TDebug m_debugLog;
    TConfig m_config;
    TStructureTexts m_sharedRules;
};
