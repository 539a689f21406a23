#pragma once
// The Pascal colouring of the text viewer: keywords, comments, compiler directives,
// strings and numbers, as TPascalLexer finds them; each line starts in the state the line
// before left (a comment or directive may span lines). User-interface thread only.

#include <QSyntaxHighlighter>
#include <QTextCharFormat>

#include <array>

class TPascalHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    explicit TPascalHighlighter(QTextDocument* document);

protected:
    void highlightBlock(const QString& text) override;

private:
    std::array<QTextCharFormat, 5> m_formats; // by TPascalToken
};
