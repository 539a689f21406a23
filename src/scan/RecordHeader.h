#pragma once
// The first line of a result record, "[LINE]%d[ICON]%s[LEVEL]%d", taken apart. A record
// whose text comes from an included file ends its header with "[FILE]" and that file's
// absolute path; its LINE is then the line in that file.

#include <string>
#include <string_view>

struct TRecordHeader {
    int line = 0; // from 1
    int icon = 0;
    int level = 0;
    std::string file; // empty: the scanned source itself
};

TRecordHeader ReadRecordHeader(std::string_view header);
