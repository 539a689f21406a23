#include "editor/JsonRecords.h"

#include "editor/JsonWriter.h"
#include "scan/OutlineRecord.h"

std::string JsonEntryLine(const TJsonEntry& entry)
{
    TJsonWriter json;
    json.BeginObject().Key("file").String(entry.file).Key("line").Number(entry.line);
    json.Key("level").Number(entry.level).Key("kind").String(entry.kind);
    json.Key("declaration").String(entry.declaration).Key("comment").String(entry.comment);
    if (entry.title)
        json.Key("title").Bool(true);
    json.EndObject();
    std::string line = json.Take();
    line += '\n';
    return line;
}

void WriteJsonRecords(std::ostream& out, std::string_view source, const TLines& results)
{
    for (int r = 0; HasRecordAt(results, r); r += kRecordLines) {
        const TOutlineRecord record = ReadRecord(results, r);
        out << JsonEntryLine({record.file.empty() ? source : std::string_view(record.file), IntOrZero(record.line),
                              record.level, record.type, record.declaration, record.comment});
    }
}
