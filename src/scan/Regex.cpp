#include "scan/Regex.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>
#include <bitset>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

struct TCodeDeleter {
    void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct TMatchDataDeleter {
    void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};
struct TMatchContextDeleter {
    void operator()(pcre2_match_context* context) const { pcre2_match_context_free(context); }
};
struct TJitStackDeleter {
    void operator()(pcre2_jit_stack* stack) const { pcre2_jit_stack_free(stack); }
};
using TCodePtr = std::unique_ptr<pcre2_code, TCodeDeleter>;

constexpr std::uint32_t kCaseless = PCRE2_CASELESS;
constexpr std::uint32_t kDotAll = PCRE2_DOTALL;
constexpr std::uint32_t kUngreedy = PCRE2_UNGREEDY;
constexpr std::uint32_t kMultiline = PCRE2_MULTILINE;
constexpr std::uint32_t kExtended = PCRE2_EXTENDED;
constexpr int kMaxGroups = 64;
// The engine's own limits, so that a pattern that backtracks without end fails with the
// engine's message instead of running for minutes or taking the machine's memory. The
// match limit grows with the subject, so patterns that walk a long text once still run.
constexpr std::uint32_t kMatchLimit = 1'000'000;
constexpr std::uint32_t kMatchLimitPerByte = 16;
constexpr std::uint32_t kHeapLimitKib = 256 * 1024;

// Whether a match can only start at the start offset.
bool IsAnchored(const pcre2_code* code)
{
    std::uint32_t options = 0;
    pcre2_pattern_info(code, PCRE2_INFO_ALLOPTIONS, &options);
    return (options & PCRE2_ANCHORED) != 0;
}

// The bytes a match of an anchored pattern can begin with, from what the engine found when
// it compiled the pattern (its first code unit, or its table of starting bytes); none when
// the pattern is not anchored, may match an empty text, or starts with anything.
std::bitset<256> FirstBytes(const pcre2_code* code)
{
    std::bitset<256> bytes;
    if (!IsAnchored(code))
        return bytes;
    std::uint32_t firstType = 0;
    pcre2_pattern_info(code, PCRE2_INFO_FIRSTCODETYPE, &firstType);
    if (firstType == 1) {
        std::uint32_t unit = 0;
        pcre2_pattern_info(code, PCRE2_INFO_FIRSTCODEUNIT, &unit);
        if (unit > 0xff)
            return bytes;
        bytes.set(unit);
        // The unit is given in one case when the pattern ignores case; its other case, and
        // any multi-byte character (some fold to ASCII letters), may begin a match too.
        if ((unit | 0x20) >= 'a' && (unit | 0x20) <= 'z') {
            bytes.set(static_cast<unsigned char>(unit ^ 0x20));
            for (unsigned b = 0xc0; b <= 0xff; ++b)
                bytes.set(b);
        }
        return bytes;
    }
    const std::uint8_t* table = nullptr;
    if (pcre2_pattern_info(code, PCRE2_INFO_FIRSTBITMAP, &table) != 0 || table == nullptr)
        return bytes;
    for (unsigned b = 0; b < 256; ++b)
        if ((table[b / 8] & (1u << (b % 8))) != 0)
            bytes.set(b);
    return bytes;
}

// Whether the text of a pattern, put in "(?:" and ")" as a branch among others, matches
// there as it does alone (the branch's groups numbered from 1 again). Told from its text,
// erring on the side of no: what refers to the whole pattern or to names (recursion,
// subroutine calls, named groups), verbs that act across branches ("(*COMMIT)" and the
// like), callouts, quoting with \Q that would take the closing parenthesis in, and
// extended syntax whose comments would.
bool CanBeBranch(std::string_view text)
{
    if (text.find("(*") != std::string_view::npos || text.find("\\Q") != std::string_view::npos ||
        text.find("\\g") != std::string_view::npos || text.find("\\k") != std::string_view::npos)
        return false;
    for (std::size_t at = text.find("(?"); at != std::string_view::npos; at = text.find("(?", at + 1)) {
        const std::string_view rest = text.substr(at + 2);
        if (rest.empty())
            return false;
        const char c = rest[0];
        if (c == ':' || c == '=' || c == '!' || c == '>' || c == '|')
            continue;
        if (c == '<' && rest.size() > 1 && (rest[1] == '=' || rest[1] == '!'))
            continue; // a lookbehind
        // Inline options may stand; any other group kind (names, recursion, calls,
        // conditions, callouts) may not.
        const std::size_t end = rest.find_first_not_of("imnsJU-^");
        if (end == std::string_view::npos || (rest[end] != ')' && rest[end] != ':'))
            return false;
    }
    return true;
}

// What the engine made, or a clear error when it could not (it is out of memory then).
template <typename T>
T* Made(T* made, const char* what)
{
    if (!made)
        throw TRegexError(std::string("the matcher cannot make its ") + what + ": out of memory");
    return made;
}

std::string ErrorText(int code)
{
    PCRE2_UCHAR buffer[256];
    pcre2_get_error_message(code, buffer, sizeof buffer);
    return reinterpret_cast<const char*>(buffer);
}

} // namespace

struct TRegex::TImpl {
    // One pattern text and its compiled forms, one per set of options it was used with.
    struct TCompiled {
        std::uint32_t options;
        TCodePtr code;
        bool jit = false;        // machine code for complete matching
        bool partialJit = false; // compiled for partial matching too
        std::uint32_t minLength = 0; // no shorter text matches (characters, so bytes too)
        // For a pattern anchored at the start offset: the bytes a match can begin with, one
        // bit each; empty when the engine cannot tell (then every byte may begin one).
        std::bitset<256> firstBytes;
        // Whether the pattern can stand as one branch of a pattern of alternatives (see
        // TRegex::Alternatives) and behave there as it does alone.
        bool alternative = false;
    };
    struct TInterned {
        std::string text;
        std::vector<std::unique_ptr<TCompiled>> codes; // each stays where it is
    };

    // "isg-mxr": caseless, dot-all and greedy on; multi-line and extended off.
    std::uint32_t options = kCaseless | kDotAll;
    std::vector<TInterned> patterns;                 // by pattern id
    std::unordered_map<std::string, int> idsByText;  // pattern text -> id
    int patternId = -1;                              // the pattern in force; -1 none
    TCompiled* current = nullptr;                    // its compiled form for options
    // The compiled form of each pattern id for compiledOptions, null where not known yet:
    // a rule loop switches patterns at every attempt, and the options seldom change.
    std::vector<TCompiled*> compiledById;
    std::uint32_t compiledOptions = 0;
    std::unique_ptr<pcre2_match_data, TMatchDataDeleter> matchData{
        Made(pcre2_match_data_create(kMaxGroups, nullptr), "match data")};
    std::unique_ptr<pcre2_match_context, TMatchContextDeleter> context{
        Made(pcre2_match_context_create(nullptr), "match context")};
    // The part of the last successful search's subject that its sub-matches cover.
    std::string span;
    std::size_t spanStart = 0;
    bool matched = false;
    int groups = 0;

    std::uint32_t matchLimit = 0; // the context's match limit; set before each match
    // Null when none can be made (or the engine has no machine code): machine code then runs
    // on the engine's own small stack, and a match that outgrows it runs in the interpreter.
    std::unique_ptr<pcre2_jit_stack, TJitStackDeleter> jitStack{pcre2_jit_stack_create(32 * 1024, 32 * 1024, nullptr)};
    TImpl()
    {
        pcre2_set_heap_limit(context.get(), kHeapLimitKib);
        if (jitStack)
            pcre2_jit_stack_assign(context.get(), nullptr, jitStack.get());
    }

    int Intern(std::string_view text)
    {
        std::string key(text);
        if (auto it = idsByText.find(key); it != idsByText.end())
            return it->second;
        patterns.push_back({key, {}});
        compiledById.push_back(nullptr);
        const int id = static_cast<int>(patterns.size()) - 1;
        idsByText.emplace(std::move(key), id);
        return id;
    }

    TCompiled& Compile()
    {
        if (current)
            return *current;
        if (patternId < 0)
            throw TRegexError("empty regular expression");
        return *(current = &CompileId(static_cast<std::size_t>(patternId)));
    }

    // The compiled form of pattern id for the options in force, made on first use.
    TCompiled& CompileId(std::size_t id)
    {
        if (compiledOptions != options) {
            compiledById.assign(patterns.size(), nullptr);
            compiledOptions = options;
        }
        if (TCompiled* known = compiledById[id])
            return *known;
        TInterned& interned = patterns[id];
        if (interned.text.empty())
            throw TRegexError("empty regular expression");
        for (auto& compiled : interned.codes)
            if (compiled->options == options)
                return *(compiledById[id] = compiled.get());
        int error = 0;
        PCRE2_SIZE offset = 0;
        const std::uint32_t flags = options | PCRE2_UTF | PCRE2_MATCH_INVALID_UTF;
        const std::string& pattern = interned.text;
        pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                                         flags, &error, &offset, nullptr);
        if (!code)
            throw TRegexError(ErrorText(error) + " at offset " + std::to_string(offset) + " of the pattern");
        auto compiled = std::make_unique<TCompiled>(TCompiled{options, TCodePtr(code), false, false, 0, {}});
        // Without machine code the interpreter runs the pattern.
        compiled->jit = pcre2_jit_compile(code, PCRE2_JIT_COMPLETE) == 0;
        pcre2_pattern_info(code, PCRE2_INFO_MINLENGTH, &compiled->minLength);
        compiled->firstBytes = FirstBytes(code);
        compiled->alternative = (options & kExtended) == 0 && IsAnchored(code) && CanBeBranch(pattern);
        interned.codes.push_back(std::move(compiled));
        return *(compiledById[id] = interned.codes.back().get());
    }

    // One match attempt; the engine's errors other than "no match" and "partial" throw.
    // A complete match with machine code goes to it directly, past the checks of the
    // general entry that such a call does not need.
    int Match(const TCompiled& compiled, std::string_view subject, std::size_t startOffset, std::uint32_t flags)
    {
        if (startOffset > subject.size())
            return PCRE2_ERROR_NOMATCH;
        // Many rule attempts meet a text too short for the pattern: the engine would say no
        // as well, after the cost of a call. (A partial match may be shorter.)
        if (flags == 0 && subject.size() - startOffset < compiled.minLength)
            return PCRE2_ERROR_NOMATCH;
        // Most of them fail at the first byte, which the pattern tells beforehand.
        if (flags == 0 && compiled.firstBytes.any() && startOffset < subject.size() &&
            !compiled.firstBytes[static_cast<unsigned char>(subject[startOffset])])
            return PCRE2_ERROR_NOMATCH;
        const std::uint32_t limit =
            kMatchLimit + kMatchLimitPerByte * static_cast<std::uint32_t>(std::min<std::size_t>(subject.size(), 100'000'000));
        if (limit != matchLimit) {
            pcre2_set_match_limit(context.get(), limit);
            matchLimit = limit;
        }
        pcre2_code* code = compiled.code.get();
        const auto text = reinterpret_cast<PCRE2_SPTR>(subject.data());
        int rc = compiled.jit && flags == 0
                     ? pcre2_jit_match(code, text, subject.size(), startOffset, 0, matchData.get(), context.get())
                     : pcre2_match(code, text, subject.size(), startOffset, flags, matchData.get(), context.get());
        // Compiled code keeps its backtracking points on a small fixed stack that long texts
        // can outgrow; the interpreter keeps them on the heap and gives the answer instead.
        if (rc == PCRE2_ERROR_JIT_STACKLIMIT)
            rc = pcre2_match(code, text, subject.size(), startOffset, flags | PCRE2_NO_JIT, matchData.get(),
                             context.get());
        if (rc < 0 && rc != PCRE2_ERROR_NOMATCH && rc != PCRE2_ERROR_PARTIAL) {
            matched = false;
            groups = 0;
            throw TRegexError(ErrorText(rc));
        }
        return rc;
    }

    const PCRE2_SIZE* Ovector() const { return pcre2_get_ovector_pointer(matchData.get()); }
    // The last search becomes the match the engine just found (rc: its return code).
    void Keep(std::string_view subject, int rc);
};

TRegex::TRegex() : m(std::make_unique<TImpl>()) {}
TRegex::~TRegex() = default;

void TRegex::SetModifiers(std::string_view text)
{
    std::uint32_t options = m->options;
    bool on = true;
    for (char c : text) {
        std::uint32_t bit = 0;
        switch (c) {
        case '-': on = false; continue;
        case 'i': case 'I': bit = kCaseless; break;
        case 's': case 'S': bit = kDotAll; break;
        case 'm': case 'M': bit = kMultiline; break;
        case 'x': case 'X': bit = kExtended; break;
        case 'r': case 'R': continue; // extra letter ranges: nothing to switch in this engine
        case 'g': case 'G':
            // Greedy on means the engine's "ungreedy" off.
            if (on)
                options &= ~kUngreedy;
            else
                options |= kUngreedy;
            continue;
        default: throw TRegexError(std::string("unknown modifier '") + c + "'");
        }
        if (on)
            options |= bit;
        else
            options &= ~bit;
    }
    if (options != m->options) {
        m->options = options;
        m->current = nullptr;
    }
}

void TRegex::SetPattern(std::string_view pattern)
{
    SetPatternId(PatternId(pattern));
}

int TRegex::PatternId(std::string_view pattern)
{
    return m->Intern(pattern);
}

void TRegex::SetPatternId(int id)
{
    if (id != m->patternId) {
        m->patternId = id;
        m->current = nullptr;
    }
}

const std::string& TRegex::Pattern() const
{
    static const std::string none;
    return m->patternId < 0 ? none : m->patterns[static_cast<std::size_t>(m->patternId)].text;
}

bool TRegex::Search(std::string_view subject, std::size_t startOffset)
{
    const int rc = m->Match(m->Compile(), subject, startOffset, 0);
    if (rc == PCRE2_ERROR_NOMATCH) {
        Forget();
        return false;
    }
    m->Keep(subject, rc);
    return true;
}

int TRegex::Alternatives(const std::vector<int>& ids)
{
    std::string text = "(?|";
    for (std::size_t i = 0; i < ids.size(); ++i) {
        if (i > 0)
            text += '|';
        text.append("(?:").append(m->patterns[static_cast<std::size_t>(ids[i])].text);
        text.append(")(*MARK:").append(std::to_string(i)).append(")");
    }
    text += ")";
    const int id = m->Intern(text);
    try {
        if (IsAnchored(m->CompileId(static_cast<std::size_t>(id)).code.get()))
            return id;
    } catch (const TRegexError&) {
    }
    return -1;
}

bool TRegex::CanAlternate(int id)
{
    try {
        return id >= 0 && m->CompileId(static_cast<std::size_t>(id)).alternative;
    } catch (const TRegexError&) {
        return false; // a search of its own reports the fault
    }
}

int TRegex::SearchAlternatives(int id, const std::vector<int>& ids, std::string_view subject)
{
    const int rc = m->Match(m->CompileId(static_cast<std::size_t>(id)), subject, 0, 0);
    if (rc == PCRE2_ERROR_NOMATCH) {
        Forget();
        return -1;
    }
    // The branch's number, from the mark it passed.
    std::size_t branch = 0;
    for (const PCRE2_UCHAR* mark = pcre2_get_mark(m->matchData.get()); mark && *mark >= '0' && *mark <= '9'; ++mark)
        branch = branch * 10 + (*mark - '0');
    SetPatternId(ids.at(branch));
    m->Keep(subject, rc);
    return static_cast<int>(branch);
}

void TRegex::TImpl::Keep(std::string_view subject, int rc)
{
    matched = true;
    groups = rc == 0 ? kMaxGroups : rc;
    // Keep the text from the first to the last character any sub-match covers (a
    // lookaround may capture outside the whole match).
    const PCRE2_SIZE* ovector = Ovector();
    std::size_t low = ovector[0], high = ovector[1];
    for (int n = 1; n < groups; ++n) {
        if (ovector[2 * n] == PCRE2_UNSET || ovector[2 * n + 1] < ovector[2 * n])
            continue;
        low = std::min<std::size_t>(low, ovector[2 * n]);
        high = std::max<std::size_t>(high, ovector[2 * n + 1]);
    }
    high = std::max(low, high);
    spanStart = low;
    span.assign(subject.substr(low, high - low));
}

std::size_t TRegex::EarliestStart(std::string_view subject, std::size_t startOffset)
{
    TImpl::TCompiled& compiled = m->Compile();
    // \G stands for the start offset itself: such a pattern is searched from the start.
    if (Pattern().find("\\G") != std::string::npos)
        return 0;
    if (!compiled.partialJit) {
        pcre2_jit_compile(compiled.code.get(), PCRE2_JIT_COMPLETE | PCRE2_JIT_PARTIAL_HARD);
        compiled.partialJit = true;
    }
    // A hard partial match reports the earliest start from which some path reached the end
    // of the subject; from every start before it the pattern failed on what it read, and
    // more text at the end cannot change that.
    const int rc = m->Match(compiled, subject, startOffset, PCRE2_PARTIAL_HARD);
    // The ovector now holds the partial match; callers ask this only after a search that
    // found nothing, which stays the last search.
    m->matched = false;
    m->groups = 0;
    if (rc == PCRE2_ERROR_NOMATCH)
        return subject.size();
    return std::min<std::size_t>(m->Ovector()[0], subject.size());
}

bool TRegex::Matched() const { return m->matched; }

void TRegex::Forget()
{
    m->matched = false;
    m->groups = 0;
}

std::uint32_t TRegex::Modifiers() const { return m->options; }

std::size_t TRegex::MatchPos(int n) const
{
    if (!m->matched || n < 0 || n >= m->groups)
        return 0;
    const PCRE2_SIZE start = m->Ovector()[2 * n];
    return start == PCRE2_UNSET ? 0 : start;
}

std::size_t TRegex::MatchLen(int n) const
{
    if (!m->matched || n < 0 || n >= m->groups)
        return 0;
    const PCRE2_SIZE start = m->Ovector()[2 * n];
    const PCRE2_SIZE end = m->Ovector()[2 * n + 1];
    return (start == PCRE2_UNSET || end < start) ? 0 : end - start;
}

std::string TRegex::MatchText(int n) const
{
    const std::size_t len = MatchLen(n);
    return len ? m->span.substr(MatchPos(n) - m->spanStart, len) : std::string();
}

std::string TRegex::Substitute(std::string_view templ, std::size_t maxSize) const
{
    std::string out;
    out.reserve(templ.size() + 32);
    for (std::size_t i = 0; i < templ.size(); ++i) {
        if (out.size() > maxSize)
            throw TRegexError("the substitution grows past " + std::to_string(maxSize) + " bytes");
        const char c = templ[i];
        if (c == '\\' && i + 1 < templ.size()) {
            out += templ[++i];
        } else if (c == '$' && i + 1 < templ.size()) {
            const char d = templ[i + 1];
            if (d >= '0' && d <= '9') {
                out += MatchText(d - '0');
                ++i;
            } else if (d == '&') {
                out += MatchText(0);
                ++i;
            } else if (d == '{') {
                const auto close = templ.find('}', i + 2);
                int n = 0;
                bool digits = close != std::string_view::npos && close > i + 2;
                for (std::size_t k = i + 2; digits && k < close; ++k) {
                    if (templ[k] < '0' || templ[k] > '9' || n > 1000)
                        digits = false;
                    else
                        n = n * 10 + (templ[k] - '0');
                }
                if (digits) {
                    out += MatchText(n);
                    i = close;
                } else {
                    out += c;
                }
            } else {
                out += c;
            }
        } else {
            out += c;
        }
    }
    if (out.size() > maxSize)
        throw TRegexError("the substitution grows past " + std::to_string(maxSize) + " bytes");
    return out;
}
