#pragma once
// The scanner's one matcher over UTF-8 byte texts: modifiers set from a text such
// as "isg-mxr", a pattern, the last search made, its sub-matches, and template
// substitution from that last search. Compiled patterns are cached per object by
// pattern and modifiers and JIT-compiled. A search keeps only the text its sub-matches
// cover, never the whole subject. Owned by one scanner; one thread at a time.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class TRegexError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TRegex {
public:
    // Throws TRegexError when the engine cannot make what a matcher needs.
    TRegex();
    ~TRegex();
    TRegex(const TRegex&) = delete;
    TRegex& operator=(const TRegex&) = delete;

    // Applies a modifier text: each of i, r, s, g, m, x (either case) switches its modifier
    // on, or off after a "-"; modifiers not named keep their state. Any other character
    // throws TRegexError and changes nothing.
    void SetModifiers(std::string_view text);
    // The modifiers in force, as a value that changes when any of them does.
    std::uint32_t Modifiers() const;
    void SetPattern(std::string_view pattern);
    // A number that stands for the pattern text from now on, for callers that set the
    // same patterns over and over: SetPatternId(PatternId(p)) is SetPattern(p).
    int PatternId(std::string_view pattern);
    void SetPatternId(int id);
    const std::string& Pattern() const;

    // Searches the subject for the first match of the pattern that starts at or after
    // startOffset (text before it still counts for lookbehinds); it becomes the last
    // search. Throws TRegexError for an empty or malformed pattern, or when the engine
    // gives up (its match or memory limit), with the engine's own message.
    bool Search(std::string_view subject, std::size_t startOffset = 0);
    // Patterns tried one after another at the start of a subject in one engine call: the
    // first that matches there wins, with the match it has alone. CanAlternate tells
    // whether a pattern, with the modifiers in force, can take part: it must be anchored
    // at the start and written so that it means the same as a branch among others.
    // Alternatives returns the pattern id of a pattern of such patterns (-1 when it cannot
    // be made), SearchAlternatives searches it and returns the index in ids of the pattern
    // that matched (that pattern is then in force and its search is the last search, as
    // Search leaves them) or -1. Throws like Search, also where each pattern alone would
    // not (the engine's limits count for all of them together).
    bool CanAlternate(int id);
    int Alternatives(const std::vector<int>& ids);
    int SearchAlternatives(int id, const std::vector<int>& ids, std::string_view subject);
    // For a subject that failed to match and may grow at its end: the offset from which a
    // match of the longer subject can start at the earliest (subject.size() when only in
    // the new text). Asked after a search that found nothing, which stays the last search
    // made. Throws like Search.
    std::size_t EarliestStart(std::string_view subject, std::size_t startOffset = 0);
    bool Matched() const;
    // The last search becomes one that found nothing.
    void Forget();
    // Sub-match n of the last search (0: the whole match); offsets count bytes from 0.
    // A sub-match that took no part has length 0 and an empty text.
    std::size_t MatchPos(int n) const;
    std::size_t MatchLen(int n) const;
    std::string MatchText(int n) const;
    // "$1" (one digit), "${12}" and "$&" stand for sub-matches of the last search; a
    // backslash takes the next character literally. Throws TRegexError when the result
    // would grow past maxSize bytes.
    std::string Substitute(std::string_view templ, std::size_t maxSize = std::string::npos) const;

private:
    struct TImpl;
    std::unique_ptr<TImpl> m;
};
