#pragma once
// The colouring of Pascal text, one line at a time: which runs of a line are keywords,
// comments, compiler directives, strings and numbers. A comment or directive in braces
// or "(* *)" may span lines, so each line starts in the state the line before left.
// Positions count UTF-16 code units, as the text viewer's lines do. No widgets; any thread.

#include <string_view>
#include <vector>

enum class TPascalToken { Keyword, Comment, Directive, String, Number };

struct TPascalSpan {
    int start = 0; // from 0
    int length = 0;
    TPascalToken kind = TPascalToken::Keyword;

    bool operator==(const TPascalSpan&) const = default;
};

// Where a line ends: in code, or inside a comment or directive that goes on.
enum class TPascalState { Code, BraceComment, ParenComment, BraceDirective, ParenDirective };

// Appends the spans of line to spans, in order, starting in state; returns the state at
// the line's end.
TPascalState LexPascalLine(std::u16string_view line, TPascalState state, std::vector<TPascalSpan>& spans);

// True for a reserved word or a common directive word of Pascal, compared ignoring the
// case of ASCII letters.
bool IsPascalKeyword(std::u16string_view word);
