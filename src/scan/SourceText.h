#pragma once
// Reading a source file into lines of UTF-8 text: byte-order marks select UTF-8,
// UTF-16 LE or BE; without a mark, valid UTF-8 is taken as it is and anything else
// is decoded as Windows-1252. Lines end at CR LF, CR, LF or U+2028; a NUL ends the text.

#include "scan/TextFields.h"

#include <optional>
#include <string>

// The bytes of a regular file, read without ever waiting: a FIFO, device, socket or folder
// is refused without being read ("not a regular file"), and so is a file larger than
// maxBytes, even one that grows past it while it is read. problem says why nothing was
// read, in words for a message; it is empty when bytes holds the whole file.
struct TFileBytes {
    std::string bytes;
    std::string problem;
};
TFileBytes ReadFileBytes(const std::string& path, std::size_t maxBytes);

// The size limit of a source, unless the settings set another (MAX_SOURCE_MB).
inline constexpr std::size_t kDefaultMaxSourceBytes = std::size_t{64} << 20;
// The limit of the setting's megabytes; the default for a number not above 0.
std::size_t SourceLimitBytes(int megabytes);

struct TSourceText {
    std::optional<TLines> lines; // none when the file was not read
    std::string problem;         // why not (ReadFileBytes)
    std::size_t nulLine = 0;     // the line (from 1) at which a NUL character ended the text; 0: none
};
// Reads a source file (ReadFileBytes) and decodes its lines.
TSourceText LoadSourceText(const std::string& path, std::size_t maxBytes = kDefaultMaxSourceBytes);
// The lines of LoadSourceText with the default limit, or nullopt when the file cannot be read.
std::optional<TLines> LoadSourceLines(const std::string& path);
// Decodes a file's bytes as above; nulLine (when given) is set to the line (from 1) at which
// a NUL character ended the text, 0 when the text has none.
TLines DecodeSourceLines(std::string_view bytes, std::size_t* nulLine = nullptr);
// "the text ends at a NUL character on line N".
std::string NulLineText(std::size_t line);
bool IsValidUtf8(std::string_view text);
// The length of the valid UTF-8 sequence at text[i], or 0 when the bytes there are not one.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i);

// Placeholders: the scanner hides picked-up texts behind markers made of "_", a marker
// character (one of "!@%&"), digits and "_", such as "_!0_". Source text that reads like
// one stays text: before a scan, U+FFFF (which no decoded source holds) is put after every
// "_" of a source line that a marker character follows, and a U+FFFF already there becomes
// U+FFFD; everything the scan hands back has the U+FFFF taken out again.
bool IsPlaceholderMarker(char c);
void EscapePlaceholders(std::string& line);
void UnescapePlaceholders(std::string& text);
std::string PlaceholdersUnescaped(std::string_view text);
