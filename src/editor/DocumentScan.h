#pragma once
// What the editor modes share to outline sources: the shared objects and the outline
// cache, and the one place they run the scanner, over the lines of a document as an
// editor holds them (so edits not yet saved count).

#include "scan/TextFields.h"

#include <optional>
#include <string>
#include <string_view>

class TConfig;
class TDebug;
class TStructureTexts;

struct TOutlineSetup {
    const TStructureTexts& rules;
    const TConfig& config;
    TDebug& log;
    std::string cacheFile; // the outline cache's database; empty: none
    unsigned jobs = 0;     // the search's worker threads; 0: one per core
};

struct TDocumentScan {
    TLines results;
    std::string failure; // why the scan failed; empty when it did not
};

// Scans the decoded lines of a document with the rule block the file-type key names. The
// faults of the rules go to the trace log and standard error.
TDocumentScan ScanDocument(TLines lines, std::string_view key, const TOutlineSetup& setup);

// The file-type key a document is scanned with: its extension's when the rule file lists
// it, or PAS for a document the editor calls Pascal; none when neither holds.
std::optional<std::string> DocumentKey(const std::string& path, std::string_view languageId,
                                       const TStructureTexts& rules);
