#include "scan/SourceText.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Windows-1252 0x80..0x9F; bytes the code page leaves undefined map to the C1 controls.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kLineSeparator = 0x2028;

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Splits decoded code points into lines as they come.
class TLineBuilder {
public:
    void Add(char32_t cp)
    {
        if (m_afterCr && cp == '\n') {
            m_afterCr = false;
            return;
        }
        m_afterCr = false;
        if (cp == '\r' || cp == '\n' || cp == kLineSeparator) {
            m_lines.push_back(std::move(m_current));
            m_current.clear();
            m_pending = false;
            m_afterCr = cp == '\r';
            return;
        }
        AppendUtf8(m_current, cp);
        m_pending = true;
    }
    // Bytes already known to be valid UTF-8 other than a line break.
    void AddBytes(std::string_view bytes)
    {
        m_afterCr = false;
        m_current.append(bytes);
        m_pending = true;
    }
    TLines Finish()
    {
        if (m_pending)
            m_lines.push_back(std::move(m_current));
        return std::move(m_lines);
    }

private:
    TLines m_lines;
    std::string m_current;
    bool m_pending = false;
    bool m_afterCr = false;
};

TLines DecodeUtf16(std::string_view bytes, bool bigEndian)
{
    TLineBuilder lines;
    auto unitAt = [&](std::size_t i) -> char16_t {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t cp = unitAt(i);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 3 < bytes.size()) {
            const char16_t low = unitAt(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            } else {
                cp = kReplacement;
            }
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = kReplacement;
        }
        lines.Add(cp);
    }
    return lines.Finish();
}

// Whether one of the eight bytes of word is c.
bool HasByte(std::uint64_t word, unsigned char c)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    const std::uint64_t x = word ^ (kOnes * c);
    return ((x - kOnes) & ~x & (kOnes * 0x80)) != 0;
}

// Text known to be valid UTF-8 without a NUL: the lines are cut out of it as they stand.
TLines SplitValidUtf8(std::string_view text)
{
    TLines lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size();) {
        // Eight bytes at a time past those that cannot start a line break.
        if (i + 8 <= text.size()) {
            std::uint64_t word;
            std::memcpy(&word, text.data() + i, 8);
            if (!HasByte(word, '\n') && !HasByte(word, '\r') && !HasByte(word, 0xE2)) {
                i += 8;
                continue;
            }
        }
        const char c = text[i];
        std::size_t breakLen = 0;
        if (c == '\n')
            breakLen = 1;
        else if (c == '\r')
            breakLen = i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
        else if (c == '\xE2' && text.compare(i, 3, "\xE2\x80\xA8") == 0)
            breakLen = 3;
        if (breakLen == 0) {
            ++i;
            continue;
        }
        lines.emplace_back(text.substr(start, i - start));
        i += breakLen;
        start = i;
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    return lines;
}

// UTF-8 text; a byte that starts no valid sequence becomes U+FFFD.
TLines DecodeUtf8(std::string_view bytes)
{
    if (IsValidUtf8(bytes))
        return SplitValidUtf8(bytes);
    TLineBuilder lines;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        const std::size_t len = Utf8SequenceLength(bytes, i);
        if (len == 0) {
            lines.Add(kReplacement);
            ++i;
        } else if (len == 1) {
            lines.Add(b);
            ++i;
        } else if (len == 3 && b == 0xE2 && static_cast<unsigned char>(bytes[i + 1]) == 0x80 &&
                   static_cast<unsigned char>(bytes[i + 2]) == 0xA8) {
            lines.Add(kLineSeparator);
            i += 3;
        } else {
            lines.AddBytes(bytes.substr(i, len));
            i += len;
        }
    }
    return lines.Finish();
}

TLines DecodeCp1252(std::string_view bytes)
{
    TLineBuilder lines;
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        lines.Add(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : b);
    }
    return lines.Finish();
}

bool StartsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

} // namespace

std::size_t Utf8SequenceLength(std::string_view text, std::size_t i)
{
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x80)
        return 1;
    std::size_t len;
    char32_t min;
    char32_t cp;
    if ((b & 0xE0) == 0xC0) {
        len = 2, min = 0x80, cp = b & 0x1F;
    } else if ((b & 0xF0) == 0xE0) {
        len = 3, min = 0x800, cp = b & 0x0F;
    } else if ((b & 0xF8) == 0xF0) {
        len = 4, min = 0x10000, cp = b & 0x07;
    } else {
        return 0;
    }
    if (i + len > text.size())
        return 0;
    for (std::size_t k = 1; k < len; ++k) {
        const auto c = static_cast<unsigned char>(text[i + k]);
        if ((c & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (c & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

bool IsValidUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        // Runs of ASCII, the bulk of a source, eight bytes at a time.
        while (i + 8 <= text.size()) {
            std::uint64_t word;
            std::memcpy(&word, text.data() + i, 8);
            if (word & 0x8080808080808080u)
                break;
            i += 8;
        }
        if (i == text.size())
            break;
        const std::size_t len = Utf8SequenceLength(text, i);
        if (len == 0)
            return false;
        i += len;
    }
    return true;
}

TLines DecodeSourceLines(std::string_view bytes, std::size_t* nulLine)
{
    enum class TEncoding { Utf8, Utf16Le, Utf16Be, Guess } encoding = TEncoding::Guess;
    if (StartsWith(bytes, "\xEF\xBB\xBF"))
        encoding = TEncoding::Utf8, bytes.remove_prefix(3);
    else if (StartsWith(bytes, "\xFF\xFE"))
        encoding = TEncoding::Utf16Le, bytes.remove_prefix(2);
    else if (StartsWith(bytes, "\xFE\xFF"))
        encoding = TEncoding::Utf16Be, bytes.remove_prefix(2);
    const bool utf16 = encoding == TEncoding::Utf16Le || encoding == TEncoding::Utf16Be;
    // A NUL character ends the text.
    std::size_t nul = std::string_view::npos;
    for (std::size_t i = 0; utf16 && i + 1 < bytes.size(); i += 2)
        if (bytes[i] == 0 && bytes[i + 1] == 0) {
            nul = i;
            break;
        }
    if (!utf16)
        nul = bytes.find('\0');
    const auto decode = [encoding](std::string_view text) {
        switch (encoding) {
        case TEncoding::Utf8: return DecodeUtf8(text);
        case TEncoding::Utf16Le: return DecodeUtf16(text, false);
        case TEncoding::Utf16Be: return DecodeUtf16(text, true);
        case TEncoding::Guess: break;
        }
        return IsValidUtf8(text) ? SplitValidUtf8(text) : DecodeCp1252(text);
    };
    if (nulLine)
        *nulLine = 0;
    if (nul == std::string_view::npos)
        return decode(bytes);
    if (!nulLine)
        return decode(bytes.substr(0, nul));
    // The text before the NUL with a letter in the NUL's place: the line that letter ends up
    // in is the NUL's line; then the letter goes again.
    std::string text(bytes.substr(0, nul));
    text += encoding == TEncoding::Utf16Le ? std::string("x\0", 2) : encoding == TEncoding::Utf16Be ? std::string("\0x", 2) : "x";
    TLines lines = decode(text);
    *nulLine = lines.size();
    if (lines.back() == "x")
        lines.pop_back();
    else
        lines.back().pop_back();
    return lines;
}

std::string NulLineText(std::size_t line)
{
    return "the text ends at a NUL character on line " + std::to_string(line);
}

TFileBytes ReadFileBytes(const std::string& path, std::size_t maxBytes)
{
    const auto tooLarge = [maxBytes] {
        const std::size_t mb = std::size_t{1} << 20;
        return TFileBytes{{}, "larger than the limit of " +
                                  (maxBytes % mb == 0 ? std::to_string(maxBytes / mb) + " MB"
                                                      : std::to_string(maxBytes) + " bytes")};
    };
    const auto failed = [] { return TFileBytes{{}, std::strerror(errno)}; };
    // Examined before it is opened, so that no device or FIFO is ever opened; and again
    // once open, in case something else took the name in between.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return failed();
    if (!S_ISREG(info.st_mode))
        return {{}, "not a regular file"};
    if (static_cast<std::uint64_t>(info.st_size) > maxBytes)
        return tooLarge();
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return failed();
    const struct TCloseAtEnd {
        int fd;
        ~TCloseAtEnd() { ::close(fd); }
    } closeAtEnd{fd};
    if (::fstat(fd, &info) != 0)
        return failed();
    if (!S_ISREG(info.st_mode))
        return {{}, "not a regular file"};
    // Read to the end, but never past the limit, whatever size the file reported.
    TFileBytes file;
    file.bytes.resize(std::min<std::size_t>(static_cast<std::size_t>(info.st_size), maxBytes) + 1);
    std::size_t done = 0;
    for (;;) {
        if (done == file.bytes.size()) {
            if (done > maxBytes)
                return tooLarge();
            file.bytes.resize(std::min(maxBytes + 1, std::max<std::size_t>(done * 2, 4096)));
        }
        const ssize_t n = ::read(fd, file.bytes.data() + done, file.bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return failed();
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    if (done > maxBytes)
        return tooLarge();
    file.bytes.resize(done);
    return file;
}

std::size_t SourceLimitBytes(int megabytes)
{
    return megabytes > 0 ? static_cast<std::size_t>(megabytes) << 20 : kDefaultMaxSourceBytes;
}

TSourceText LoadSourceText(const std::string& path, std::size_t maxBytes)
{
    TFileBytes file = ReadFileBytes(path, maxBytes);
    if (!file.problem.empty())
        return {std::nullopt, std::move(file.problem), 0};
    TSourceText source;
    source.lines = DecodeSourceLines(file.bytes, &source.nulLine);
    return source;
}

std::optional<TLines> LoadSourceLines(const std::string& path) { return LoadSourceText(path).lines; }

namespace {

constexpr std::string_view kEscape = "\xEF\xBF\xBF";
constexpr std::string_view kEscapedEscape = "\xEF\xBF\xBD";

bool NeedsEscape(std::string_view line)
{
    for (auto at = line.find('_'); at != std::string_view::npos && at + 1 < line.size(); at = line.find('_', at + 1))
        if (IsPlaceholderMarker(line[at + 1]))
            return true;
    return line.find(kEscape) != std::string_view::npos;
}

} // namespace

bool IsPlaceholderMarker(char c) { return c == '!' || c == '@' || c == '%' || c == '&'; }

void EscapePlaceholders(std::string& line)
{
    if (!NeedsEscape(line))
        return;
    std::string out;
    out.reserve(line.size() + 6);
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == kEscape[0] && line.compare(i, kEscape.size(), kEscape) == 0) {
            out += kEscapedEscape;
            i += kEscape.size() - 1;
            continue;
        }
        out += line[i];
        if (line[i] == '_' && i + 1 < line.size() && IsPlaceholderMarker(line[i + 1]))
            out += kEscape;
    }
    line = std::move(out);
}

std::string PlaceholdersUnescaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t from = 0;;) {
        const std::size_t at = text.find(kEscape, from);
        out.append(text.substr(from, at - from));
        if (at == std::string_view::npos)
            return out;
        from = at + kEscape.size();
    }
}

void UnescapePlaceholders(std::string& text)
{
    if (text.find(kEscape) != std::string::npos)
        text = PlaceholdersUnescaped(text);
}
