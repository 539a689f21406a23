#include "scan/OutlineRecord.h"

namespace {

constexpr std::string_view kFileTag = "[FILE]";

// The header without its file field, so no path can be read as one of the others.
std::string_view Fields(std::string_view header)
{
    return header.substr(0, header.find(kFileTag));
}

// The same for the result lines and a store of them.
template <class Lines>
bool HasRecordIn(const Lines& results, int index)
{
    return index >= 0 && index % kRecordLines == 0 &&
           static_cast<std::size_t>(index) + kRecordLines <= results.size();
}

} // namespace

std::size_t RecordCount(const TLines& results)
{
    return results.size() / kRecordLines;
}

std::size_t RecordCount(const TOutlineStore& results)
{
    return results.size() / kRecordLines;
}

bool HasRecordAt(const TLines& results, int index)
{
    return HasRecordIn(results, index);
}

bool HasRecordAt(const TOutlineStore& results, int index)
{
    return HasRecordIn(results, index);
}

TOutlineRecord ReadRecord(const TLines& results, int index)
{
    const auto i = static_cast<std::size_t>(index);
    const std::string_view header = results[i];
    TOutlineRecord record;
    record.line = RecordLine(header);
    record.icon = RecordIcon(header);
    record.level = RecordLevel(header);
    record.file = RecordFile(header);
    record.type = results[i + 1];
    record.declaration = results[i + 2];
    record.comment = results[i + 3];
    return record;
}

TOutlineRecord ReadRecord(const TOutlineStore& results, int index)
{
    TOutlineRecord record;
    record.line = results.Line(index);
    record.icon = results.Icon(index);
    record.level = results.Level(index);
    record.file = results.File(index);
    record.type = results.Type(index);
    record.declaration = results.Declaration(index);
    record.comment = results.Comment(index);
    return record;
}

int RecordIcon(std::string_view header)
{
    return IntOrZero(TagValue(Fields(header), "ICON"));
}

int RecordLevel(std::string_view header)
{
    return IntOrZero(TagValue(Fields(header), "LEVEL"));
}

std::string RecordLine(std::string_view header)
{
    return TagValue(Fields(header), "LINE");
}

std::string_view RecordFile(std::string_view header)
{
    const std::size_t tag = header.find(kFileTag);
    return tag == std::string_view::npos ? std::string_view() : header.substr(tag + kFileTag.size());
}
