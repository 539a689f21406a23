#include "scan/RecordHeader.h"

#include "scan/TextFields.h"

TRecordHeader ReadRecordHeader(std::string_view header)
{
    TRecordHeader record;
    // The path is the rest of the line: a path may hold brackets itself.
    constexpr std::string_view kFileTag = "[FILE]";
    const std::size_t fileTag = header.find(kFileTag);
    if (fileTag != std::string_view::npos) {
        record.file = header.substr(fileTag + kFileTag.size());
        header = header.substr(0, fileTag);
    }
    record.line = IntOrZero(TagValue(header, "LINE"));
    record.icon = IntOrZero(TagValue(header, "ICON"));
    record.level = IntOrZero(TagValue(header, "LEVEL"));
    return record;
}
