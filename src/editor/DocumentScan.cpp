#include "editor/DocumentScan.h"

#include "config/Config.h"
#include "config/Debug.h"
#include "config/SettingsKeys.h"
#include "scan/CodeScanner.h"

#include <array>

TDocumentScan ScanDocument(TLines lines, std::string_view key, const TOutlineSetup& setup)
{
    TDocumentScan scan;
    try {
        TCodeScanner scanner(setup.rules, setup.log, setup.config.ReadInteger(kCmtIndicator));
        try {
            scanner.ScanLines(std::move(lines), key);
            scan.results = scanner.Results();
        } catch (const std::exception& e) {
            scan.failure = e.what();
        }
        ReportRuleFaults(scanner.RuleFaults(), setup.log, true);
    } catch (const std::exception& e) {
        scan.failure = e.what();
    }
    return scan;
}

std::optional<std::string> DocumentKey(const std::string& path, std::string_view languageId,
                                       const TStructureTexts& rules)
{
    const std::string key = FileTypeKey(path);
    if (!key.empty() && rules.BlockNameFor(key))
        return key;
    constexpr std::array<std::string_view, 3> kPascalIds{"pascal", "objectpascal", "delphi"};
    for (const auto id : kPascalIds)
        if (SameText(languageId, id) && rules.BlockNameFor("PAS"))
            return "PAS";
    return std::nullopt;
}
