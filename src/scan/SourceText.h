#pragma once
// Reading a source file into lines of UTF-8 text: byte-order marks select UTF-8,
// UTF-16 LE or BE; without a mark, valid UTF-8 is taken as it is and anything else
// is decoded as Windows-1252. Lines end at CR LF, CR, LF or U+2028; a NUL ends the text.

#include "scan/TextFields.h"

#include <optional>
#include <string>

// The decoded lines, or nullopt when the file cannot be read.
std::optional<TLines> LoadSourceLines(const std::string& path);
// Decodes a file's bytes as above.
TLines DecodeSourceLines(std::string_view bytes);
bool IsValidUtf8(std::string_view text);

// Placeholders: the scanner hides picked-up texts behind markers made of "_", a marker
// character (one of "!@%&"), digits and "_", such as "_!0_". Source text that reads like
// one stays text: before a scan, U+FFFF (which no decoded source holds) is put after every
// "_" of a source line that a marker character follows, and a U+FFFF already there becomes
// U+FFFD; everything the scan hands back has the U+FFFF taken out again.
bool IsPlaceholderMarker(char c);
void EscapePlaceholders(std::string& line);
void UnescapePlaceholders(std::string& text);
std::string PlaceholdersUnescaped(std::string_view text);
