#pragma once
// A scanner over an in-memory rule block and source, with the messages it shows
// captured instead of printed.

#include "TempPath.h"
#include "config/Config.h"
#include "config/Debug.h"
#include "scan/CodeScanner.h"

#include <memory>
#include <string>

class TScannerHarness {
public:
    // The rule lines of one block named T, listed in VAR for the key PAS.
    explicit TScannerHarness(const TLines& blockLines, int commentIndicator = 0)
        : m_log(TestTempPath("quillane_scan_test.TXT"))
    {
        TLines file = {"[BEGIN]", "[+VAR]", "PAS=T", "[-VAR]", "[BEGIN] NAME=T"};
        file.insert(file.end(), blockLines.begin(), blockLines.end());
        file.push_back("[END]");
        file.push_back("[END]");
        m_rules.LoadFromList(file);
        if (commentIndicator != 0)
            m_config.WriteInteger("CMT_INDICATOR", commentIndicator);
        m_log.SetAutoSave(false);
        m_log.SetMessageSink([this](const std::string& text) { shown.push_back(text); });
        scanner = std::make_unique<TCodeScanner>(m_rules, m_config, m_log);
    }

    const TLines& Scan(const TLines& source)
    {
        scanner->ScanLines(source, "PAS");
        return scanner->Results();
    }

    TDebug& Log() { return m_log; }

    TLines shown;
    std::unique_ptr<TCodeScanner> scanner;

private:
    TStructureTexts m_rules;
    TConfig m_config;
    TDebug m_log;
};
