#include "scan/ScanBuffer.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

std::string Trimmed(const std::string& text)
{
    std::size_t begin = 0, end = text.size();
    while (end > 0 && static_cast<unsigned char>(text[end - 1]) <= 32)
        --end;
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 32)
        ++begin;
    return text.substr(begin, end - begin);
}

bool HasTag(const std::string& text)
{
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '#' && text[i + 1] >= '3' && text[i + 1] <= '9')
            return true;
    return false;
}

// Random steps of what the scanner does with its buffer, against a plain model of Buf and
// #2: Buf is always what the steps made of it, #2 keeps the text the last match left
// after it whatever happens to the storage, every change of Buf changes the version, and
// the remembered tag-free range never hides a tag of #2.
TEST(ScanBuffer, BufAndTailFollowTheModelThroughEveryStep)
{
    std::mt19937 random(24);
    const auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
    const auto text = [&](std::size_t maxLength) {
        static const char kBytes[] = "a #3#9\t2";
        std::string t(pick(maxLength + 1), ' ');
        for (auto& c : t)
            c = kBytes[pick(sizeof kBytes - 1)];
        return t;
    };
    TScanBuffer buffer;
    std::string buf, tail;
    buffer.Clear();
    for (int step = 0; step < 50000; ++step) {
        SCOPED_TRACE(step);
        const std::string before(buffer.Text());
        const auto version = buffer.Version();
        switch (pick(8)) {
        case 0: { // a new text, now and then one with much consumed in front
            const bool consumed = pick(8) == 0;
            std::string t = consumed ? std::string(4097 + pick(4000), 'c') + text(40) : text(40);
            const std::size_t begin = consumed ? t.size() - pick(41) : pick(t.size() + 1);
            buf = t.substr(begin);
            buffer.Set(std::move(t), begin);
            break;
        }
        case 1: {
            const std::string separator = pick(3) == 0 ? "" : " ";
            const std::string line = pick(4) == 0 ? " \t" : text(20); // a blank line cuts trailing blanks
            buf = Trimmed(buf + separator + line);
            buffer.Join(separator, line);
            buffer.DropConsumed();
            break;
        }
        case 2: // a match that ends somewhere in Buf
        case 3: {
            const std::size_t end = pick(buf.size() + 1);
            tail = buf.substr(end);
            buffer.SetTailAfterMatch(end);
            break;
        }
        case 4:
            if (buffer.TailIsLive()) {
                buf = Trimmed(tail);
                buffer.TakeTail();
            }
            break;
        case 5: {
            const std::string head = text(8), middle = "_!" + std::to_string(step) + "_";
            buf = head + middle + tail;
            buffer.Rebuild(head, middle);
            break;
        }
        case 6: { // joins given back
            TScanBuffer::TSaved saved = buffer.Save();
            for (std::size_t n = pick(4); n > 0; --n)
                buffer.Join(" ", text(10));
            buffer.Restore(std::move(saved));
            break;
        }
        case 7: // joins cut back to the first of them
            if (!buf.empty()) {
                buffer.Join(" ", "x" + text(10));
                const std::size_t mark = buffer.EndMark();
                const std::string atMark(buffer.Text());
                for (std::size_t n = pick(4); n > 0; --n)
                    buffer.Join(" ", text(10));
                EXPECT_EQ(buffer.TextUpTo(mark), atMark);
                buffer.CutBackTo(mark);
                buf = atMark;
            }
            break;
        }
        ASSERT_EQ(buffer.Text(), buf);
        ASSERT_EQ(buffer.Tail(), tail);
        if (buffer.Text() != before) {
            ASSERT_NE(buffer.Version(), version);
        }
        if (buffer.TailIsLive()) {
            ASSERT_EQ(buffer.TailHasTag(), HasTag(tail));
        }
    }
}

// The tag-free range must not outlive the text it was found in: a "#" that ended up at
// the end of the storage may pair with a digit joined later.
TEST(ScanBuffer, ATagMadeByAJoinAfterTheStorageShrankIsFound)
{
    TScanBuffer buffer;
    buffer.Set("ab#  ");
    buffer.SetTailAfterMatch(0);
    EXPECT_FALSE(buffer.TailHasTag());
    buffer.Join("", " "); // trims the storage back to "ab#"
    buffer.Join("", "3x");
    buffer.SetTailAfterMatch(0);
    EXPECT_EQ(buffer.Tail(), "ab#3x");
    EXPECT_TRUE(buffer.TailHasTag());
}

} // namespace
