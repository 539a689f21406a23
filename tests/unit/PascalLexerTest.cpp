// The Pascal colouring of the text viewer, line by line: each case shows a line and, below
// it, what each character is coloured as (K keyword, C comment, D directive, S string,
// N number, "." plain).

#include "browser/core/PascalLexer.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Mask(const std::u16string& line, TPascalState& state)
{
    std::vector<TPascalSpan> spans;
    state = LexPascalLine(line, state, spans);
    std::string mask(line.size(), '.');
    for (const TPascalSpan& span : spans)
        for (int i = span.start; i < span.start + span.length; ++i)
            mask[static_cast<std::size_t>(i)] = "KCDSN"[static_cast<int>(span.kind)];
    return mask;
}

TEST(PascalLexer, ColoursEachKindOfText)
{
    struct Case {
        std::u16string line;
        TPascalState before;
        std::string mask;
        TPascalState after;
    };
    using S = TPascalState;
    const Case cases[] = {
        {u"begin x := 'it''s'; // note", S::Code,
         "KKKKK......SSSSSSS..CCCCCCC", S::Code},
        {u"{$IFDEF X} y := $1F + 12.5;", S::Code,
         "DDDDDDDDDD......NNN...NNNN.", S::Code},
        {u"s := #13#10'x'#$9;", S::Code,
         ".....SSSSSSSSSSSS.", S::Code},
        {u"END. BeGiN endif beginning &begin", S::Code,
         "KKK..KKKKK.......................", S::Code},
        {u"a := 'unterminated", S::Code,
         ".....SSSSSSSSSSSSS", S::Code},
        {u"for i := 1..10 do", S::Code,
         "KKK......N..NN.KK", S::Code},
        // Comments and directives that go on to the next line, and their ends.
        {u"a { open", S::Code, "..CCCCCC", S::BraceComment},
        {u"still } end", S::BraceComment, "CCCCCCC.KKK", S::Code},
        {u"no end here", S::BraceComment, "CCCCCCCCCCC", S::BraceComment},
        {u"(*$R+*) (* x", S::Code, "DDDDDDD.CCCC", S::ParenComment},
        {u"x } *) procedure", S::ParenComment, "CCCCCC.KKKKKKKKK", S::Code},
        {u"{$IFDEF", S::Code, "DDDDDDD", S::BraceDirective},
        {u" X}", S::BraceDirective, "DDD", S::Code},
        {u"(*$I+", S::Code, "DDDDD", S::ParenDirective},
        {u"*)", S::ParenDirective, "DD", S::Code},
        // "//" and quotes inside a comment are the comment's.
        {u"{ // 'x' } 'y'", S::Code, "CCCCCCCCCC.SSS", S::Code},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.line.begin(), c.line.end()));
        TPascalState state = c.before;
        EXPECT_EQ(Mask(c.line, state), c.mask);
        EXPECT_EQ(state, c.after);
    }
}

} // namespace
