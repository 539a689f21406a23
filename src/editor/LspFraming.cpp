#include "editor/LspFraming.h"

#include <QList>

#include <algorithm>

namespace {

constexpr std::size_t kReadSize = 64 * 1024;
// A header longer than this is no header.
constexpr qsizetype kMaxHeader = 8 * 1024;
constexpr char kLengthName[] = "content-length";

// Where the header block starting at 0 ends (the position after its empty line), or -1.
// Lines ended by a bare LF are taken too.
qsizetype HeaderEnd(const QByteArray& buffer)
{
    const QByteArray head = buffer.left(kMaxHeader + 4);
    const qsizetype crlf = head.indexOf("\r\n\r\n");
    const qsizetype lf = head.indexOf("\n\n");
    if (crlf >= 0 && (lf < 0 || crlf < lf))
        return crlf + 4;
    return lf >= 0 ? lf + 2 : -1;
}

// The Content-Length of a header block, or -1 with the problem.
long long ContentLength(const QByteArray& header, std::string& problem)
{
    long long length = -1;
    for (QByteArray line : header.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty())
            continue;
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0) {
            problem = "a header line without a name: " + line.left(80).toStdString();
            return -1;
        }
        if (line.left(colon).trimmed().toLower() != kLengthName)
            continue; // Content-Type and any other header: the body is UTF-8 JSON regardless
        const QByteArray value = line.mid(colon + 1).trimmed();
        bool ok = !value.isEmpty() && std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
        length = ok ? value.toLongLong(&ok) : -1;
        if (!ok) {
            problem = "Content-Length is not a number: " + value.left(40).toStdString();
            return -1;
        }
    }
    if (length < 0)
        problem = "a header without Content-Length";
    return length;
}

} // namespace

TLspReader::TLspReader(TSource source, std::size_t maxBody) : m_source(std::move(source)), m_maxBody(maxBody) {}

bool TLspReader::Fill()
{
    if (m_ended)
        return false;
    char chunk[kReadSize];
    const std::size_t n = m_source(chunk, sizeof chunk);
    if (n == 0) {
        m_ended = true;
        return false;
    }
    m_buffer.append(chunk, static_cast<qsizetype>(n));
    return true;
}

void TLspReader::Consume(std::size_t pos) { m_buffer.remove(0, static_cast<qsizetype>(pos)); }

bool TLspReader::Resync()
{
    const qsizetype next = m_buffer.toLower().indexOf(kLengthName);
    if (next >= 0) {
        Consume(static_cast<std::size_t>(next));
        m_resync = false;
        return true;
    }
    // Keep what could be the beginning of the name.
    const qsizetype keep = std::min<qsizetype>(m_buffer.size(), sizeof kLengthName - 2);
    Consume(static_cast<std::size_t>(m_buffer.size() - keep));
    return Fill();
}

TLspReader::TFrame TLspReader::Next()
{
    for (;;) {
        // The rest of a body too large to keep.
        while (m_skip > 0) {
            if (m_buffer.isEmpty() && !Fill())
                return {};
            const std::size_t n = std::min<std::size_t>(m_skip, static_cast<std::size_t>(m_buffer.size()));
            Consume(n);
            m_skip -= n;
        }
        // After a bad header: everything up to the next one.
        if (m_resync) {
            if (!Resync())
                return {};
            continue;
        }
        // Blank lines between messages are no header.
        qsizetype start = 0;
        while (start < m_buffer.size() && (m_buffer[start] == '\r' || m_buffer[start] == '\n'))
            ++start;
        Consume(static_cast<std::size_t>(start));
        const qsizetype end = HeaderEnd(m_buffer);
        if (end < 0) {
            if (m_buffer.size() > kMaxHeader) {
                Consume(1);
                m_resync = true;
                return {TFrame::TKind::BadHeader, {}, "a header longer than " + std::to_string(kMaxHeader) + " bytes"};
            }
            if (Fill())
                continue;
            if (m_buffer.trimmed().isEmpty())
                return {};
            m_buffer.clear();
            return {TFrame::TKind::BadHeader, {}, "the input ended inside a header"};
        }
        std::string problem;
        const long long length = ContentLength(m_buffer.left(end), problem);
        if (length < 0) {
            Consume(static_cast<std::size_t>(end));
            m_resync = true;
            return {TFrame::TKind::BadHeader, {}, problem};
        }
        if (static_cast<unsigned long long>(length) > m_maxBody) {
            Consume(static_cast<std::size_t>(end));
            m_skip = static_cast<std::size_t>(length);
            return {TFrame::TKind::BadHeader, {}, "a message of " + std::to_string(length) + " bytes, over the limit"};
        }
        while (m_buffer.size() - end < length) {
            if (!Fill()) {
                m_buffer.clear();
                return {TFrame::TKind::BadHeader, {}, "the input ended inside a message"};
            }
        }
        TFrame frame{TFrame::TKind::Message, m_buffer.mid(end, static_cast<qsizetype>(length)), {}};
        Consume(static_cast<std::size_t>(end + length));
        return frame;
    }
}

QByteArray FrameLspMessage(const QByteArray& body)
{
    return "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}
