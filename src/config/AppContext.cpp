#include "config/AppContext.h"

TAppPaths TAppPaths::ForProgram()
{
    return {TDebug::DefaultFileName(), TConfig::DefaultFileName(), AppFolder() + "CodeScan.dll"};
}

TAppPaths TAppPaths::InFolder(const std::string& folder)
{
    return {folder + "quillane.TXT", folder + "quillane.ini", folder + "CodeScan.dll"};
}

TAppContext::TAppContext(const TAppPaths& paths, TSettingsAtEnd atEnd)
    : m_atEnd(atEnd), m_debugLog(paths.logFile), m_config(paths.settingsFile)
{
    m_config.Load();
    m_sharedRules.LoadFromFile(paths.rulesFile);
}

TAppContext::~TAppContext()
{
    m_sharedRules.LoadFromList({});
    if (m_atEnd == TSettingsAtEnd::Write)
        m_config.Save();
}
