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
// The length of the valid UTF-8 sequence at text[i], or 0 when the bytes there are not one.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i);
