#include "editor/JsonRecords.h"

#include "editor/JsonWriter.h"
#include "scan/RecordHeader.h"

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
    for (std::size_t r = 0; r + 3 < results.size(); r += 4) {
        const TRecordHeader header = ReadRecordHeader(results[r]);
        out << JsonEntryLine({header.file.empty() ? source : std::string_view(header.file), header.line,
                              header.level, results[r + 1], results[r + 2], results[r + 3]});
    }
}
