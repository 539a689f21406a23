#pragma once
// Outline entries as lines of JSON for scripts and other tools: one object per line, with
// the keys file, line (from 1), level, kind (the Type text), declaration and comment. A
// row of a file's title carries "title": true, its position in the title as line and its
// text as comment.

#include "scan/TextFields.h"

#include <ostream>
#include <string>
#include <string_view>

struct TJsonEntry {
    std::string_view file;
    int line = 0;
    int level = 0;
    std::string_view kind;
    std::string_view declaration;
    std::string_view comment;
    bool title = false;
};

// The object and its line break.
std::string JsonEntryLine(const TJsonEntry& entry);

// One line for each of a scan's result records of source; a record from an included
// file names that file.
void WriteJsonRecords(std::ostream& out, std::string_view source, const TLines& results);
