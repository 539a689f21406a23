#pragma once
// The source side of a scan: the code lines that the cycles read and write back, the
// comment lines the rules gather, where reading stands, and the reading of lines into the
// buffer, line by line or by a re-match that reads until its pattern matches.

#include "scan/Regex.h"
#include "scan/ScanBudget.h"
#include "scan/ScanBuffer.h"
#include "scan/TextFields.h"

#include <stop_token>
#include <string>

class TSourceLines {
public:
    // Lines read count as progress for the guard.
    TSourceLines(TScanBuffer& buffer, TAttemptGuard& guard) : m_buffer(buffer), m_guard(guard) {}

    // A new scan of the lines (each escaped, see EscapePlaceholders); their comments empty.
    void Start(TLines codes);
    // No lines: a source that could not be read.
    void Clear();
    TLines& Codes() { return m_codes; }
    const TLines& Codes() const { return m_codes; }
    TLines& Comments() { return m_comments; }
    const TLines& Comments() const { return m_comments; }

    // The index (from 0) of the source line reading stands at.
    int Index() const { return m_index; }
    bool AtEnd() const { return m_atEnd; }
    // The last line (from 0) whose text went into the buffer in this cycle; the lines before
    // it have all been read or passed over.
    int ReadThrough() const { return m_readThrough; }
    // The code or the comment of the line reading stands at; throws when there is none.
    std::string& Code() { return LineAt(m_codes, "source"); }
    std::string& Comment() { return LineAt(m_comments, "comment"); }
    // Put between joined lines (LINESEPARATER).
    void SetSeparator(std::string separator) { m_separator = std::move(separator); }

    // A cycle reads from the first line, which becomes the buffer. Throws for a source
    // without lines.
    void StartCycle();
    // Joins the next line that has code (or the last line) to the buffer; at the last
    // line, the end is reached instead. A buffer that would grow past the cap on a text is
    // dropped first: false then.
    bool ReadNext();
    // Joins lines until the pattern in force in regex matches Buf, or the source ends.
    // Given up, the buffer is what it was and reading goes on after the line it stood at;
    // either way the lines read are consumed, and the last search made is the outcome.
    // A stop request ends it with TScanStopped.
    void Rematch(TRegex& regex, const std::stop_token& stop);
    // The comments of the run of code-less lines at line n (from n forward when n is 0,
    // backward otherwise).
    TLines CommentBlockAt(int n) const;

private:
    std::string& LineAt(TLines& lines, const char* what);
    // The next line to read after line: the first with code, or the last.
    int NextLine(int line) const;
    // Whether the buffer stays within the cap with line joined to it.
    bool RoomFor(int line) const;

    TScanBuffer& m_buffer;
    TAttemptGuard& m_guard;
    TLines m_codes;
    TLines m_comments;
    int m_index = 0;
    int m_readThrough = 0;
    bool m_atEnd = false;
    std::string m_separator = " ";
};
