#pragma once
// The one-line font text of the MFORM_FONT setting, "face,size,styles,colour,charset",
// over a plain font description; colours are the Windows colour values, kept as
// numbers and mapped to a display colour only by the GUI.

#include <cstdint>
#include <optional>
#include <string>

struct TFontDesc {
    std::string face;
    int size = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    std::uint32_t color = 0; // a Windows colour value (0x00BBGGRR, or a system colour)
    int charset = 1;

    bool operator==(const TFontDesc&) const = default;
};

std::string FontToText(const TFontDesc& font);
// Sets the font from a font text. A text without a face, a valid colour or a character
// set of 0..255 leaves the font unchanged and returns false.
bool TextToFont(const std::string& text, TFontDesc& font);

// "clBlue" -> 0x00FF0000; nullopt for a name that is not a colour identifier.
std::optional<std::uint32_t> ColorFromIdent(const std::string& ident);
std::optional<std::string> IdentFromColor(std::uint32_t color);
// A colour value as RGB for display: system colours take the usual light-theme values.
std::uint32_t ColorToRgb(std::uint32_t color);
