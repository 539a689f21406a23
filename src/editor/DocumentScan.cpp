#include "editor/DocumentScan.h"

#include "scan/CodeScanner.h"

#include <array>

TDocumentScan ScanDocument(TLines lines, std::string_view key, const TOutlineSetup& setup)
{
    TDocumentScan scan;
    TCodeScanner scanner(setup.rules, setup.config, setup.log);
    try {
        scanner.ScanLines(std::move(lines), key);
    } catch (const std::exception& e) {
        scan.failure = e.what();
    }
    ReportRuleFaults(scanner.RuleFaults(), setup.log, true);
    if (scan.failure.empty())
        scan.results = scanner.Results();
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
