#include "browser/PascalHighlighter.h"

#include "browser/core/PascalLexer.h"

#include <iterator>
#include <vector>

namespace {

// The colours by TPascalToken (keyword, comment, directive, string, number), each readable
// on its background.
constexpr QRgb kOnLight[] = {0x000099, 0x3a7a3a, 0x007a8a, 0xa31515, 0x8a2ba8};
constexpr QRgb kOnDark[] = {0x82aaff, 0x8cc08c, 0x4fc8d8, 0xf28b82, 0xd2a8ff};
static_assert(std::size(kOnLight) == 5 && std::size(kOnDark) == 5);

} // namespace

TPascalHighlighter::TPascalHighlighter(QTextDocument* document) : QSyntaxHighlighter(document)
{
    m_formats[static_cast<std::size_t>(TPascalToken::Keyword)].setFontWeight(QFont::Bold);
    m_formats[static_cast<std::size_t>(TPascalToken::Comment)].setFontItalic(true);
    for (std::size_t i = 0; i < m_formats.size(); ++i)
        m_formats[i].setForeground(QColor(kOnLight[i]));
}

void TPascalHighlighter::SetDarkBackground(bool dark)
{
    if (dark == m_dark)
        return;
    m_dark = dark;
    for (std::size_t i = 0; i < m_formats.size(); ++i)
        m_formats[i].setForeground(QColor(dark ? kOnDark[i] : kOnLight[i]));
    rehighlight();
}

void TPascalHighlighter::highlightBlock(const QString& text)
{
    // A block never seen before has the state -1: it starts in code.
    const int previous = previousBlockState();
    const auto state = previous < 0 ? TPascalState::Code : static_cast<TPascalState>(previous);
    std::vector<TPascalSpan> spans;
    const std::u16string_view line(reinterpret_cast<const char16_t*>(text.utf16()),
                                   static_cast<std::size_t>(text.size()));
    const TPascalState after = LexPascalLine(line, state, spans);
    for (const TPascalSpan& span : spans)
        setFormat(span.start, span.length, m_formats[static_cast<std::size_t>(span.kind)]);
    setCurrentBlockState(static_cast<int>(after));
}
