#include "scan/Regex.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <unordered_map>
#include <vector>

namespace {

struct TCodeDeleter {
    void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct TMatchDataDeleter {
    void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};
using TCodePtr = std::unique_ptr<pcre2_code, TCodeDeleter>;

constexpr std::uint32_t kCaseless = PCRE2_CASELESS;
constexpr std::uint32_t kDotAll = PCRE2_DOTALL;
constexpr std::uint32_t kUngreedy = PCRE2_UNGREEDY;
constexpr std::uint32_t kMultiline = PCRE2_MULTILINE;
constexpr std::uint32_t kExtended = PCRE2_EXTENDED;
constexpr int kMaxGroups = 64;

std::string ErrorText(int code)
{
    PCRE2_UCHAR buffer[256];
    pcre2_get_error_message(code, buffer, sizeof buffer);
    return reinterpret_cast<const char*>(buffer);
}

} // namespace

struct TRegex::TImpl {
    // "isg-mxr": caseless, dot-all and greedy on; multi-line and extended off.
    std::uint32_t options = kCaseless | kDotAll;
    std::string pattern;
    pcre2_code* current = nullptr; // compiled form of pattern + options, owned by cache
    std::unordered_map<std::string, TCodePtr> cache;
    std::unique_ptr<pcre2_match_data, TMatchDataDeleter> matchData{
        pcre2_match_data_create(kMaxGroups, nullptr)};
    std::string subject; // the text of the last search
    bool matched = false;
    int groups = 0;

    pcre2_code* Compile()
    {
        if (current)
            return current;
        if (pattern.empty())
            throw TRegexError("empty regular expression");
        std::string key = pattern;
        key.push_back('\0');
        key += std::to_string(options);
        if (auto it = cache.find(key); it != cache.end())
            return current = it->second.get();
        int error = 0;
        PCRE2_SIZE offset = 0;
        const std::uint32_t flags = options | PCRE2_UTF | PCRE2_MATCH_INVALID_UTF;
        pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                                         flags, &error, &offset, nullptr);
        if (!code)
            throw TRegexError(ErrorText(error) + " at offset " + std::to_string(offset) + " in '" +
                              pattern + "'");
        pcre2_jit_compile(code, PCRE2_JIT_COMPLETE); // falls back to the interpreter on failure
        current = code;
        cache.emplace(std::move(key), TCodePtr(code));
        return current;
    }

    const PCRE2_SIZE* Ovector() const { return pcre2_get_ovector_pointer(matchData.get()); }
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
    if (pattern != m->pattern) {
        m->pattern.assign(pattern);
        m->current = nullptr;
    }
}

const std::string& TRegex::Pattern() const { return m->pattern; }

bool TRegex::Search(std::string_view subject)
{
    pcre2_code* code = m->Compile();
    const int rc = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(), 0, 0,
                               m->matchData.get(), nullptr);
    if (rc == PCRE2_ERROR_NOMATCH) {
        m->matched = false;
        m->groups = 0;
        return false;
    }
    if (rc < 0) {
        m->matched = false;
        m->groups = 0;
        throw TRegexError(ErrorText(rc));
    }
    // Only a match needs the text kept for its sub-matches; most searches fail.
    m->subject.assign(subject);
    m->matched = true;
    m->groups = rc == 0 ? kMaxGroups : rc;
    return true;
}

bool TRegex::Matched() const { return m->matched; }

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
    return len ? m->subject.substr(MatchPos(n), len) : std::string();
}

std::string TRegex::Substitute(std::string_view templ) const
{
    std::string out;
    out.reserve(templ.size() + 32);
    for (std::size_t i = 0; i < templ.size(); ++i) {
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
    return out;
}
