#pragma once
// The compiler directives of Pascal source lines, found where the compiler finds them:
// in code, not inside comments ({ }, (* *), //) or string literals. A comment may span
// lines, so the lexer keeps its state from one line to the next. Brace comments nest,
// except after {$mode delphi}, {$mode tp} and the like (as the delivered rules take them).
// Also reports the heading of a unit, program or library at the start of a line of code,
// and "end." in code, which ends one.

#include "scan/TextFields.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

enum class TDirectiveKind { Include, Define, Undef, IfDef, IfNDef, If, ElseIf, Else, EndIf, UnitStart, UnitEnd };

struct TDirectiveEvent {
    TDirectiveKind kind = TDirectiveKind::If;
    // The directive's text in the line, [begin, end); for UnitStart, the heading ("unit
    // Name;", "program Name;", "library Name;" at the start of a line of code); for UnitEnd,
    // the "end" and its dot.
    std::size_t begin = 0;
    std::size_t end = 0;
    // Include: the file name as written, without quotes; Define to IfNDef: the symbol.
    std::string_view argument;
};

class TDirectiveLexer {
public:
    // The events of one line, in order (valid until the next call). Directives other than
    // the kinds listed (switches such as {$I+}, {$I %DATE%}, {$mode ...}) give none.
    const std::vector<TDirectiveEvent>& Line(std::string_view line);
    // The text that closes the comments still open, for a text ending inside one ("" when
    // it ends in code); the lexer is in code afterwards.
    std::string CloseComments();
    // Whether brace comments nest (the mode in force); a text included in another goes on
    // in the mode the other left, and hands back the mode it leaves.
    bool Nesting() const { return m_nest; }
    void SetNesting(bool nest) { m_nest = nest; }

private:
    enum class TState { Code, Brace, ParStar };
    std::size_t InCode(std::string_view line, std::size_t i);
    void Directive(std::string_view body, std::size_t begin, std::size_t end);

    TState m_state = TState::Code;
    int m_depth = 0; // nested brace comments
    bool m_nest = true;
    std::vector<TDirectiveEvent> m_events;
};

// False when no line holds the start of an include directive ("{$I name}", "{$INCLUDE
// name}" or the same in "(*$ *)"), wherever it stands: a quick test that spares a text
// without includes the work of following them.
bool MayHoldInclude(const TLines& lines);
