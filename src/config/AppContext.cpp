#include "config/AppContext.h"

#include "scan/TextFields.h"

#include <iostream>

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
        // The run's settings are lost: the user is told where they could not go.
        if (!m_config.Save()) {
            m_debugLog.AddLine("error:Config.Save;" + m_paths.settingsFile);
            std::cerr << "quillane: cannot write the settings file " << m_paths.settingsFile << '\n';
        }
    }
}
