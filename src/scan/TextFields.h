#pragma once
// Field helpers over byte strings (UTF-8 here): the bracket-tagged line format
// "[TAG]value[TAG]value", comma/semicolon fields, NAME=VALUE pair lists, path
// pieces and lenient integers. Every reader of rule files, settings and scan
// results goes through these, so their edge behaviour is the format's
// definition. Stateless; safe from any thread.

#include <string>
#include <string_view>
#include <vector>

using TLines = std::vector<std::string>;

// Removes leading and trailing bytes <= 32.
std::string Trim(std::string_view s);
// ASCII-only upper/lower casing; every other byte stays.
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
bool SameText(std::string_view a, std::string_view b);

int TagCount(std::string_view s);
bool HasTags(std::string_view s);
std::string TagText(std::string_view s, int n);
std::string TagTail(std::string_view s, int n);
std::string TagValue(std::string_view s, std::string_view tag);
std::string CommaField(std::string_view s, int n);
int SemicolonCount(std::string_view s);
std::string SemicolonField(std::string_view s, int n);
std::string PairValue(std::string_view s, std::string_view name);

// Name and value of a NAME=VALUE text; a text without "=" has an empty name.
std::string PairName(std::string_view s);

std::string FolderOf(std::string_view path);
std::string FileNameOf(std::string_view path);
std::string FileTypeKey(std::string_view path);
void TrimLines(TLines& lines);
int IntOrZero(std::string_view s);

// Splits a byte text into lines at CR LF, CR or LF; a final line break adds no empty line.
TLines SplitLines(std::string_view text);
