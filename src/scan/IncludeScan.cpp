#include "scan/IncludeScan.h"

TLines ScanWithIncludes(TCodeScanner& scanner, const std::string& path, std::string_view key,
                        const TIncludeOptions& options, IScanMessages& log)
{
    TSourceText source = LoadSourceText(path, scanner.SourceLimit());
    if (!source.lines) {
        scanner.ScanText(path, std::move(source), key); // says why and leaves no records
        return {};
    }
    TIncludeOptions limited = options;
    limited.maxSourceBytes = scanner.SourceLimit();
    TFlatSource flat = FlattenIncludes(path, std::move(*source.lines), limited, log);
    source.lines = std::move(flat.codes);
    TLines files = flat.map.files.empty() ? TLines{path} : flat.map.files;
    files.front() = path;
    scanner.ScanText(path, std::move(source), key, std::move(flat.map));
    return files;
}
