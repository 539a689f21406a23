#pragma once
// The Pascal colouring of the text viewer: keywords, comments, compiler directives,
// strings and numbers, as TPascalLexer finds them; each line starts in the state the line
// before left (a comment or directive may span lines). The colours come from one of two
// sets, for a light or a dark background. User-interface thread only.

#include <QSyntaxHighlighter>
#include <QTextCharFormat>

#include <array>

class TPascalHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    explicit TPascalHighlighter(QTextDocument* document);

    // Takes the colours for a dark background, or a light one, and colours the text anew.
    void SetDarkBackground(bool dark);

protected:
    void highlightBlock(const QString& text) override;

private:
    std::array<QTextCharFormat, 5> m_formats; // by TPascalToken
    bool m_dark = false;
};
