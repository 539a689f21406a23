#include "scan/OutlineRecord.h"

std::size_t RecordCount(const TLines& results)
{
    return results.size() / kRecordLines;
}

bool HasRecordAt(const TLines& results, int index)
{
    return index >= 0 && index % kRecordLines == 0 &&
           static_cast<std::size_t>(index) + kRecordLines <= results.size();
}

TOutlineRecord ReadRecord(const TLines& results, int index)
{
    const auto i = static_cast<std::size_t>(index);
    const std::string& header = results[i];
    TOutlineRecord record;
    record.line = RecordLine(header);
    record.icon = IntOrZero(TagValue(header, "ICON"));
    record.level = RecordLevel(header);
    record.type = results[i + 1];
    record.declaration = results[i + 2];
    record.comment = results[i + 3];
    return record;
}

int RecordLevel(std::string_view header)
{
    return IntOrZero(TagValue(header, "LEVEL"));
}

std::string RecordLine(std::string_view header)
{
    return TagValue(header, "LINE");
}
