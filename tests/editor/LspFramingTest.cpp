// The base layer's framing: messages found whatever the reads' sizes, bad headers
// reported once each with reading going on at the next header.

#include "editor/LspFraming.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// What the reader makes of input handed over chunk bytes at a time: each message's body,
// or "!" and the problem of a bad header.
constexpr std::size_t kMaxBody = 100;

std::vector<std::string> Frames(const std::string& input, std::size_t chunk)
{
    std::size_t at = 0;
    TLspReader reader(
        [&](char* buffer, std::size_t size) {
            const std::size_t n = std::min({size, chunk, input.size() - at});
            std::copy_n(input.data() + at, n, buffer);
            at += n;
            return n;
        },
        kMaxBody);
    std::vector<std::string> frames;
    for (;;) {
        auto frame = reader.Next();
        if (frame.kind == TLspReader::TFrame::TKind::End)
            return frames;
        frames.push_back(frame.kind == TLspReader::TFrame::TKind::Message ? frame.body.toStdString() : "!" + frame.problem);
    }
}

std::string Framed(const std::string& body) { return FrameLspMessage(QByteArray::fromStdString(body)).toStdString(); }

TEST(LspFraming, MessagesAndBadHeaders)
{
    struct Case {
        const char* name;
        std::string input;
        std::vector<std::string> frames;
    };
    const Case cases[] = {
        {"two messages", Framed("{\"a\":1}") + Framed("[]"), {"{\"a\":1}", "[]"}},
        {"other headers and any letter case",
         "content-length: 2\r\nContent-Type: application/vscode-jsonrpc; charset=utf-8\r\n\r\n{}", {"{}"}},
        {"lines ended by LF alone", "Content-Length: 2\n\n{}", {"{}"}},
        {"a body with line breaks and a header-like text",
         Framed("{\r\n\r\n\"Content-Length: 9\"}"), {"{\r\n\r\n\"Content-Length: 9\"}"}},
        {"an empty body", Framed(""), {""}},
        {"blank lines between messages", Framed("1") + "\r\n\r\n" + Framed("2"), {"1", "2"}},
        {"no Content-Length, then a good message", "Content-Type: x\r\n\r\n{}" + Framed("2"),
         {"!a header without Content-Length", "2"}},
        {"a length that is no number", "Content-Length: 1x\r\n\r\n{}" + Framed("3"),
         {"!Content-Length is not a number: 1x", "3"}},
        {"a header line without a name", "garbage\r\n\r\n" + Framed("4"), {"!a header line without a name: garbage", "4"}},
        {"too large a body is skipped", "Content-Length: 101\r\n\r\n" + std::string(101, ' ') + Framed("5"),
         {"!a message of 101 bytes, over the limit", "5"}},
        {"too long a header", std::string(9000, 'x') + Framed("6"),
         {"!a header longer than 8192 bytes", "6"}},
        {"the input ends inside a body", Framed("6") + "Content-Length: 10\r\n\r\n{}",
         {"6", "!the input ended inside a message"}},
        {"the input ends inside a header", Framed("7") + "Content-Len", {"7", "!the input ended inside a header"}},
        {"nothing at all", "", {}},
    };
    for (const auto& c : cases) {
        for (const std::size_t chunk : {std::size_t{1}, std::size_t{7}, std::size_t{1} << 20}) {
            SCOPED_TRACE(std::string(c.name) + ", chunks of " + std::to_string(chunk));
            EXPECT_EQ(Frames(c.input, chunk), c.frames);
        }
    }
}

} // namespace
