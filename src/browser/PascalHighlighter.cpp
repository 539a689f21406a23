#include "browser/PascalHighlighter.h"

#include "browser/core/PascalLexer.h"

#include <vector>

TPascalHighlighter::TPascalHighlighter(QTextDocument* document) : QSyntaxHighlighter(document)
{
    auto& keyword = m_formats[static_cast<std::size_t>(TPascalToken::Keyword)];
    keyword.setForeground(QColor(0x00, 0x00, 0x99));
    keyword.setFontWeight(QFont::Bold);
    auto& comment = m_formats[static_cast<std::size_t>(TPascalToken::Comment)];
    comment.setForeground(QColor(0x3a, 0x7a, 0x3a));
    comment.setFontItalic(true);
    m_formats[static_cast<std::size_t>(TPascalToken::Directive)].setForeground(QColor(0x00, 0x7a, 0x8a));
    m_formats[static_cast<std::size_t>(TPascalToken::String)].setForeground(QColor(0xa3, 0x15, 0x15));
    m_formats[static_cast<std::size_t>(TPascalToken::Number)].setForeground(QColor(0x8a, 0x2b, 0xa8));
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
