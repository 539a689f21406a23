#include "scan/IncludeScan.h"

#include "scan/SourceText.h"

TLines ScanWithIncludes(TCodeScanner& scanner, const std::string& path, std::string_view key,
                        const TIncludeOptions& options, IScanMessages& log)
{
    std::optional<TLines> lines = LoadSourceLines(path);
    if (!lines) {
        scanner.ScanFile(path, key); // says so and leaves no records
        return {};
    }
    TFlatSource flat = FlattenIncludes(path, std::move(*lines), options, log);
    if (flat.map.Empty()) {
        scanner.ScanLines(std::move(flat.codes), key);
        return {path};
    }
    TLines files = flat.map.files;
    files.front() = path;
    scanner.ScanLines(std::move(flat.codes), key, std::move(flat.map));
    return files;
}
