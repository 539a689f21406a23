#include "config/AppContext.h"

#include "scan/TextFields.h"

TAppContext::TAppContext(const TAppPaths& paths, TSettingsAtEnd atEnd)
    : m_paths(paths), m_atEnd(atEnd), m_debugLog(paths.logFile), m_config(paths.settingsFile)
{
    m_config.Load(paths.seedSettingsFile);
    m_sharedRules.LoadFromFile(paths.rulesFile);
}

TAppContext::~TAppContext()
{
    m_sharedRules.LoadFromList({});
    if (m_atEnd == TSettingsAtEnd::Write) {
        MakeFolders(FolderOf(m_paths.settingsFile));
        m_config.Save();
    }
}
