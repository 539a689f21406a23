#pragma once
// The scanner's working buffer (Buf) and the text after the last match in it (#2).
//
// Buf is the storage from an offset: taking text off the front moves only the offset,
// so consuming a long line piece by piece costs time in its length. #2 stays where the
// match left it, in the storage (live) or in the storage that a new text replaced
// (retired), until the storage under it changes; only then does it get a copy of its
// own. The buffer counts its changes, so the scanner can tell whether Buf still is what
// the last match split into #0, #1 and #2. It also remembers a range of the storage known
// to hold no macro tag "#3" to "#9", so that asking again and again whether #2 holds one
// reads each byte once.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class TScanBuffer {
public:
    TScanBuffer() { m_text.reserve(2048); }

    std::string_view Text() const { return std::string_view(m_text).substr(m_begin); }
    // A number that changes with every change of Text.
    std::uint64_t Version() const { return m_version; }
    // An empty buffer and an empty #2, for a new scan.
    void Clear();
    // Buf becomes text from begin (the bytes before it are room for Rebuild).
    void Set(std::string text, std::size_t begin = 0);
    // Buf becomes Buf, the separator and the line, trimmed.
    void Join(std::string_view separator, std::string_view line);
    // Frees the storage of text taken off the front once it outweighs the rest, so that
    // each byte is moved once.
    void DropConsumed();

    // #2: the text after the last match.
    std::string_view Tail() const;
    bool TailIsLive() const { return m_tail.where == TTail::Live; }
    // The last match ended at end of Buf: #2 is Buf from there, and Buf is as the match
    // left it.
    void SetTailAfterMatch(std::size_t end);
    // Whether a tag "#3" to "#9" occurs in a live #2.
    bool TailHasTag();
    // Buf becomes a live #2, trimmed, where it stands.
    void TakeTail();
    // Buf becomes head, middle and #2, and is as a match of middle would leave it. In place,
    // when Buf still is as the last match left it and the text consumed before #2 has room
    // for head and middle; else in new storage with room in front in proportion to its
    // size, so that a buffer rebuilt again and again at its front is copied a bounded
    // number of times.
    void Rebuild(std::string_view head, std::string_view middle);

    // Where Buf ends now, for a re-match that joins lines and then cuts Buf back to the
    // first join at which its pattern matched: Buf as it was at a mark, and Buf cut back
    // to it. Valid for marks made while Buf was not empty, with only joins since.
    std::size_t EndMark() const { return m_text.size(); }
    std::string_view TextUpTo(std::size_t endMark) const
    {
        return std::string_view(m_text).substr(m_begin, endMark - m_begin);
    }
    void CutBackTo(std::size_t endMark);
    // Buf as it stands, to be given back after joins and cut-backs.
    struct TSaved {
        std::size_t begin = 0;
        std::size_t end = 0;
        std::optional<std::string> text; // when joining trims blanks Buf ends with
    };
    TSaved Save() const;
    void Restore(TSaved saved);

private:
    struct TTail {
        enum TWhere { Own, Live, Retired } where = Own;
        std::size_t pos = 0;
        std::size_t len = 0;
        std::string own;
    };

    void Trim();
    void TruncateStorage(std::size_t size);
    bool HasTag(std::size_t from, std::size_t to);

    std::string m_text;    // the storage
    std::size_t m_begin = 0;
    std::string m_retired; // the storage m_text last replaced, while #2 is in it
    TTail m_tail;
    std::uint64_t m_version = 0;
    std::uint64_t m_matchVersion = 0; // m_version when the last match split Buf
    std::size_t m_tagClearFrom = 0;   // no "#3".."#9" starts in the storage between these
    std::size_t m_tagClearTo = 0;
};
