#include "config/FontText.h"

#include "scan/TextFields.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

constexpr std::uint32_t kSystemColor = 0xFF000000;

struct TNamedColor {
    const char* name;
    std::uint32_t value;
};

// Windows colour constants; system colours are kSystemColor | COLOR_xxx index.
constexpr std::array<TNamedColor, 52> kColors{{
    {"clBlack", 0x000000},
    {"clMaroon", 0x000080},
    {"clGreen", 0x008000},
    {"clOlive", 0x008080},
    {"clNavy", 0x800000},
    {"clPurple", 0x800080},
    {"clTeal", 0x808000},
    {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},
    {"clLime", 0x00FF00},
    {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},
    {"clFuchsia", 0xFF00FF},
    {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},
    {"clMoneyGreen", 0xC0DCC0},
    {"clSkyBlue", 0xF0CAA6},
    {"clCream", 0xF0FBFF},
    {"clMedGray", 0xA4A0A0},
    {"clActiveBorder", kSystemColor | 10},
    {"clActiveCaption", kSystemColor | 2},
    {"clAppWorkSpace", kSystemColor | 12},
    {"clBackground", kSystemColor | 1},
    {"clBtnFace", kSystemColor | 15},
    {"clBtnHighlight", kSystemColor | 20},
    {"clBtnShadow", kSystemColor | 16},
    {"clBtnText", kSystemColor | 18},
    {"clCaptionText", kSystemColor | 9},
    {"clDefault", 0x20000000},
    {"clGradientActiveCaption", kSystemColor | 27},
    {"clGradientInactiveCaption", kSystemColor | 28},
    {"clGrayText", kSystemColor | 17},
    {"clHighlight", kSystemColor | 13},
    {"clHighlightText", kSystemColor | 14},
    {"clHotLight", kSystemColor | 26},
    {"clInactiveBorder", kSystemColor | 11},
    {"clInactiveCaption", kSystemColor | 3},
    {"clInactiveCaptionText", kSystemColor | 19},
    {"clInfoBk", kSystemColor | 24},
    {"clInfoText", kSystemColor | 23},
    {"clMenu", kSystemColor | 4},
    {"clMenuBar", kSystemColor | 30},
    {"clMenuHighlight", kSystemColor | 29},
    {"clMenuText", kSystemColor | 7},
    {"clNone", 0x1FFFFFFF},
    {"clScrollBar", kSystemColor | 0},
    {"cl3DDkShadow", kSystemColor | 21},
    {"cl3DLight", kSystemColor | 22},
    {"clWindow", kSystemColor | 5},
    {"clWindowFrame", kSystemColor | 6},
    {"clWindowText", kSystemColor | 8},
}};

// BGR values of the system colours on a light desktop theme, by COLOR_xxx index.
constexpr std::array<std::uint32_t, 31> kSystemRgb{
    0xC8C8C8, 0x000000, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000,
    0x000000, 0x000000, 0xB4B4B4, 0xFCF7F4, 0xABABAB, 0xD77800, 0xFFFFFF, 0xF0F0F0,
    0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000,
    0xE1FFFF, 0x000000, 0xCC6600, 0xEAD1B9, 0xF2E4D7, 0xD77800, 0xF0F0F0};

} // namespace

std::optional<std::uint32_t> ColorFromIdent(const std::string& ident)
{
    for (const auto& c : kColors)
        if (SameText(ident, c.name))
            return c.value;
    return std::nullopt;
}

std::optional<std::string> IdentFromColor(std::uint32_t color)
{
    for (const auto& c : kColors)
        if (c.value == color)
            return std::string(c.name);
    return std::nullopt;
}

std::uint32_t ColorToRgb(std::uint32_t color)
{
    std::uint32_t bgr = color;
    if ((color & 0xFF000000) == kSystemColor) {
        const std::uint32_t index = color & 0xFF;
        bgr = index < kSystemRgb.size() ? kSystemRgb[index] : 0;
    } else if (color == 0x1FFFFFFF || color == 0x20000000) {
        bgr = 0;
    }
    return ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
}

std::string FontToText(const TFontDesc& font)
{
    std::string styles;
    if (font.bold)
        styles += 'B';
    if (font.italic)
        styles += 'I';
    if (font.underline)
        styles += 'U';
    if (font.strikeOut)
        styles += 'S';
    std::string color;
    if (auto ident = IdentFromColor(font.color)) {
        color = *ident;
    } else {
        char buf[16];
        std::snprintf(buf, sizeof buf, "$%08X", static_cast<unsigned>(font.color));
        color = buf;
    }
    return font.face + "," + std::to_string(font.size) + "," + styles + "," + color + "," +
           std::to_string(font.charset);
}

bool TextToFont(const std::string& text, TFontDesc& font)
{
    const std::string face = CommaField(text, 0);
    const std::string colorText = Trim(CommaField(text, 3));
    const std::string charsetText = CommaField(text, 4);
    std::optional<std::uint32_t> color = ColorFromIdent(colorText);
    if (!color && !colorText.empty()) {
        if (colorText[0] == '$' || (colorText[0] >= '0' && colorText[0] <= '9') || colorText[0] == '-') {
            // Colour numbers are 32-bit patterns: "$FF000008" is a system colour.
            unsigned long long value = 0;
            const bool hex = colorText[0] == '$';
            const std::string digits = hex ? colorText.substr(1) : colorText;
            char* end = nullptr;
            value = std::strtoull(digits.c_str(), &end, hex ? 16 : 10);
            if (!digits.empty() && end && *end == '\0' && value <= 0xFFFFFFFFull)
                color = static_cast<std::uint32_t>(value);
            else if (!hex && IntOrZero(colorText) < 0)
                color = static_cast<std::uint32_t>(IntOrZero(colorText));
        }
    }
    const int charset = IntOrZero(charsetText);
    const bool charsetValid = charset >= 0 && charset <= 255 && (charset != 0 || Trim(charsetText) == "0");
    if (Trim(face).empty() || !color || !charsetValid)
        return false;
    const std::string styles = CommaField(text, 2);
    font.face = face;
    font.size = IntOrZero(CommaField(text, 1));
    font.color = *color;
    font.charset = charset;
    font.bold = styles.find('B') != std::string::npos;
    font.italic = styles.find('I') != std::string::npos;
    font.underline = styles.find('U') != std::string::npos;
    font.strikeOut = styles.find('S') != std::string::npos;
    return true;
}
