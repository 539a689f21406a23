#pragma once
// A scanner over an in-memory rule block and source, with the lines it logs and the
// messages it shows kept instead of written.

#include "scan/CodeScanner.h"

#include <memory>
#include <string>

// What a scanner reports, kept for the test to read.
class TRecordedMessages : public IScanMessages {
public:
    void AddLine(const std::string& text) override { lines.push_back(text); }
    void ShowString(const std::string& text) override { shown.push_back(text); }
    const std::string& FileName() const override { return m_fileName; }

    TLines lines;
    TLines shown;

private:
    std::string m_fileName = "scan-test.TXT";
};

class TScannerHarness {
public:
    // The rule lines of one block named T, listed in VAR for the key PAS.
    explicit TScannerHarness(const TLines& blockLines, int commentIndicator = 0)
    {
        TLines file = {"[BEGIN]", "[+VAR]", "PAS=T", "[-VAR]", "[BEGIN] NAME=T"};
        file.insert(file.end(), blockLines.begin(), blockLines.end());
        file.push_back("[END]");
        file.push_back("[END]");
        m_rules.LoadFromList(file);
        scanner = std::make_unique<TCodeScanner>(m_rules, messages, commentIndicator);
    }

    const TLines& Scan(const TLines& source)
    {
        scanner->ScanLines(source, "PAS");
        return scanner->Results();
    }

    TRecordedMessages messages;
    std::unique_ptr<TCodeScanner> scanner;

private:
    TStructureTexts m_rules;
};
