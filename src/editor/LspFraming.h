#pragma once
// The framing of the Language Server Protocol's base layer: a header of "Name: value"
// lines ended by CRLF, of which Content-Length is required, an empty line, then that
// many bytes of JSON. The reader takes bytes from any source, so it reads standard input
// in the server and a text in the tests; a bad header is reported once, and reading goes
// on at the next header.

#include <QByteArray>

#include <cstddef>
#include <functional>
#include <string>

// The largest message body read; a larger one is skipped and reported.
inline constexpr std::size_t kMaxLspBody = 256u << 20;

class TLspReader {
public:
    // Fills the buffer with up to size bytes and returns how many; 0 at the end of input.
    using TSource = std::function<std::size_t(char* buffer, std::size_t size)>;

    struct TFrame {
        enum class TKind { Message, BadHeader, End };
        TKind kind = TKind::End;
        QByteArray body;     // Message
        std::string problem; // BadHeader: what was wrong with it
    };

    // Bodies over maxBody bytes are skipped and reported.
    explicit TLspReader(TSource source, std::size_t maxBody = kMaxLspBody);
    // The next message, or the next problem, or the end of input.
    TFrame Next();

private:
    // Reads more input into m_buffer; false at its end.
    bool Fill();
    // Drops the bytes before pos.
    void Consume(std::size_t pos);
    // After a bad header: drops the input up to the next "Content-Length" (keeping a tail
    // that may be its beginning); false at the end of input.
    bool Resync();

    TSource m_source;
    std::size_t m_maxBody;
    QByteArray m_buffer;
    bool m_ended = false;
    std::size_t m_skip = 0; // bytes of a too-large body still to drop
    bool m_resync = false;  // a bad header was met: its body is dropped too
};

// A message body framed for sending.
QByteArray FrameLspMessage(const QByteArray& body);
