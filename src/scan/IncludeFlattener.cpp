#include "scan/IncludeFlattener.h"

#include "scan/IncludeResolver.h"
#include "scan/PascalDirectives.h"
#include "scan/SourceText.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <unordered_map>
#include <unordered_set>

namespace fs = std::filesystem;

namespace {

enum class TTruth : unsigned char { False, True, Unknown };

// Where the flat text stood when a branch began, to take the branch out again.
struct TMark {
    std::size_t codes = 0;
    std::size_t notes = 0;
    int line = 0;
    std::string head; // the part of the line before the branch
};

// One open {$IF...} of a file: the branch in force and what the branches before it were.
struct TBranch {
    TTruth truth = TTruth::Unknown;
    bool taken = false;     // a branch before was certainly in force
    bool uncertain = false; // a branch before may have been
    TMark start;
    // For {$IFDEF S} / {$IFNDEF S} and its {$ELSE}: S, and whether the branch is in force
    // when S is defined; empty after an {$ELSEIF} or for {$IF}.
    std::string symbol;
    bool whenDefined = true;
};

bool IsBlankText(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

class TFlattener {
public:
    TFlattener(const TIncludeOptions& options, IScanMessages& log)
        : m_options(options), m_resolver(options.folders, log)
    {
    }

    TFlatSource Run(const std::string& path, TLines lines);

private:
    struct TWalk {
        int file = 0;
        std::string folder;
        int depth = 0;
        bool certain = true; // every branch around the include was certainly in force
        std::vector<TBranch> branches;
        std::string text; // the line's text gathered so far
        int line = 0;
    };

    void Walk(TWalk& walk, const TLines& lines, TDirectiveLexer& lexer);
    void Condition(TWalk& walk, const TDirectiveEvent& event);
    void CutBranch(TWalk& walk);
    void Follow(TWalk& walk, std::string_view name, TDirectiveLexer& lexer);
    void Note(TWalk& walk, std::string_view name, const char* reason);
    void Push(std::string text, int file, int line)
    {
        m_out.codes.push_back(std::move(text));
        m_out.map.origins.push_back({file, line});
    }
    TMark Mark(const TWalk& walk) const
    {
        return {m_out.codes.size(), m_out.map.notes.size(), walk.line, walk.text};
    }
    static bool Active(const TWalk& walk)
    {
        return std::none_of(walk.branches.begin(), walk.branches.end(),
                            [](const TBranch& b) { return b.truth == TTruth::False; });
    }
    static bool Certain(const TWalk& walk)
    {
        return walk.certain && std::all_of(walk.branches.begin(), walk.branches.end(),
                                           [](const TBranch& b) { return b.truth == TTruth::True; });
    }

    const TIncludeOptions& m_options;
    TIncludeResolver m_resolver;
    TFlatSource m_out;
    std::size_t m_bytes = 0;
    int m_includes = 0; // includes followed
    // The files being included, outermost first (their canonical paths).
    TLines m_stack;
    // Texts read, by canonical path: a file included again is not read again.
    std::unordered_map<std::string, std::optional<TLines>> m_texts;
    std::unordered_map<std::string, int> m_fileIndex;
    // Symbols met by a {$DEFINE} or {$UNDEF}: certainly defined (True), undefined (False),
    // or either (Unknown, one met in a branch that may not be in force).
    std::unordered_map<std::string, TTruth> m_symbols;
    // The symbols the source itself defines or undefines somewhere: switches the source sets
    // for its includes (such as read_interface / read_implementation), undefined until set.
    std::unordered_set<std::string> m_switches;
};

std::string Canonical(const std::string& path)
{
    std::error_code ec;
    fs::path canonical = fs::weakly_canonical(path, ec);
    return ec ? path : canonical.string();
}

TFlatSource TFlattener::Run(const std::string& path, TLines lines)
{
    std::error_code ec;
    const std::string absolute = fs::path(fs::absolute(path, ec)).lexically_normal().string();
    m_out.map.files.push_back(absolute);
    m_bytes = fs::file_size(path, ec);
    if (ec)
        m_bytes = 0;
    m_stack.push_back(Canonical(absolute));
    TDirectiveLexer switches;
    for (const auto& line : lines)
        for (const TDirectiveEvent& event : switches.Line(line))
            if (event.kind == TDirectiveKind::Define || event.kind == TDirectiveKind::Undef)
                m_switches.insert(UpperCase(event.argument));
    TWalk walk;
    walk.folder = fs::path(absolute).parent_path().string();
    TDirectiveLexer lexer;
    m_out.codes.reserve(lines.size());
    m_out.map.origins.reserve(lines.size());
    Walk(walk, lines, lexer);
    return std::move(m_out);
}

void TFlattener::Walk(TWalk& walk, const TLines& lines, TDirectiveLexer& lexer)
{
    // The source's own text is all kept; an included file's only where it is in force.
    const bool all = walk.depth == 0;
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const std::string_view line = lines[n];
        walk.line = static_cast<int>(n);
        walk.text.clear();
        bool kept = all || Active(walk);
        std::size_t from = 0; // the part of the line not yet taken or left
        for (const TDirectiveEvent& event : lexer.Line(line)) {
            const bool active = Active(walk);
            if (all || active)
                walk.text.append(line.substr(from, event.begin - from));
            from = event.begin;
            if (event.kind == TDirectiveKind::Include) {
                if (active) {
                    Follow(walk, event.argument, lexer);
                    from = event.end;
                }
            } else if (event.kind == TDirectiveKind::UnitStart || event.kind == TDirectiveKind::UnitEnd) {
                if (!all && active)
                    CutBranch(walk);
            } else {
                Condition(walk, event);
            }
            kept = kept || Active(walk);
        }
        if (all || Active(walk))
            walk.text.append(line.substr(from));
        if (kept)
            Push(std::move(walk.text), walk.file, walk.line);
    }
    // A comment left open at the end of an included file ends with it.
    if (std::string closing = lexer.CloseComments(); !closing.empty() && !all)
        Push(std::move(closing), walk.file, std::max(0, static_cast<int>(lines.size()) - 1));
}

void TFlattener::Condition(TWalk& walk, const TDirectiveEvent& event)
{
    auto known = [&](bool defined) {
        const std::string name = UpperCase(event.argument);
        const auto symbol = m_symbols.find(name);
        const TTruth truth = symbol != m_symbols.end() ? symbol->second
                             : m_switches.contains(name) ? TTruth::False
                                                         : TTruth::Unknown;
        if (truth == TTruth::Unknown)
            return truth;
        return (truth == TTruth::True) == defined ? TTruth::True : TTruth::False;
    };
    switch (event.kind) {
    case TDirectiveKind::Define:
    case TDirectiveKind::Undef:
        if (!Active(walk) || event.argument.empty())
            break;
        m_symbols[UpperCase(event.argument)] = !Certain(walk)                         ? TTruth::Unknown
                                               : event.kind == TDirectiveKind::Define ? TTruth::True
                                                                                      : TTruth::False;
        break;
    case TDirectiveKind::IfDef:
    case TDirectiveKind::IfNDef:
        walk.branches.push_back({known(event.kind == TDirectiveKind::IfDef), false, false, Mark(walk),
                                 UpperCase(event.argument), event.kind == TDirectiveKind::IfDef});
        break;
    case TDirectiveKind::If:
        walk.branches.push_back({TTruth::Unknown, false, false, Mark(walk), {}, true});
        break;
    case TDirectiveKind::ElseIf:
    case TDirectiveKind::Else:
        if (!walk.branches.empty()) {
            TBranch& branch = walk.branches.back();
            branch.taken = branch.taken || branch.truth == TTruth::True;
            branch.uncertain = branch.uncertain || branch.truth == TTruth::Unknown;
            if (branch.taken)
                branch.truth = TTruth::False;
            else if (branch.uncertain || event.kind == TDirectiveKind::ElseIf)
                branch.truth = TTruth::Unknown;
            else
                branch.truth = TTruth::True;
            branch.start = Mark(walk);
            branch.whenDefined = !branch.whenDefined;
            if (event.kind == TDirectiveKind::ElseIf)
                branch.symbol.clear();
        }
        break;
    case TDirectiveKind::EndIf:
        if (!walk.branches.empty())
            walk.branches.pop_back();
        break;
    case TDirectiveKind::Include:
    case TDirectiveKind::UnitStart:
    case TDirectiveKind::UnitEnd:
        break;
    }
}

// A unit's heading or its "end." in a branch of an included file that may or may not be in
// force: the file that includes it is a unit already and goes on after the include, so the
// branch is not in force and is left out. When the branch stands for a symbol being defined
// or not, that tells the symbol for the rest of the text.
void TFlattener::CutBranch(TWalk& walk)
{
    const auto branch = std::find_if(walk.branches.rbegin(), walk.branches.rend(),
                                     [](const TBranch& b) { return b.truth == TTruth::Unknown; });
    if (branch == walk.branches.rend())
        return;
    const TMark& start = branch->start;
    m_out.codes.resize(start.codes);
    m_out.map.origins.resize(start.codes);
    m_out.map.notes.resize(start.notes);
    if (start.line == walk.line) {
        walk.text = start.head;
    } else {
        if (!IsBlankText(start.head))
            Push(start.head, walk.file, start.line);
        walk.text.clear();
    }
    branch->truth = TTruth::False;
    if (!branch->symbol.empty())
        m_symbols[branch->symbol] = branch->whenDefined ? TTruth::False : TTruth::True;
}

void TFlattener::Note(TWalk& walk, std::string_view name, const char* reason)
{
    if (m_out.map.notes.size() >= TIncludeOptions::kMaxNotes)
        return;
    // A line of its own, empty, at the directive: the entry's place in the text.
    m_out.map.notes.push_back({static_cast<int>(m_out.codes.size()), std::string(name), reason});
    Push({}, walk.file, walk.line);
}

void TFlattener::Follow(TWalk& walk, std::string_view name, TDirectiveLexer& lexer)
{
    // The text before the directive, on a line of its own.
    if (!IsBlankText(walk.text))
        Push(std::move(walk.text), walk.file, walk.line);
    walk.text.clear();
    if (walk.depth >= TIncludeOptions::kMaxDepth)
        return Note(walk, name, "nested too deep");
    if (m_includes >= TIncludeOptions::kMaxIncludes)
        return Note(walk, name, "too many includes");
    const std::string path = m_resolver.Resolve(name, walk.folder);
    if (path.empty())
        return Note(walk, name, "not found");
    const std::string canonical = Canonical(path);
    if (std::find(m_stack.begin(), m_stack.end(), canonical) != m_stack.end())
        return Note(walk, name, "includes itself");
    std::error_code ec;
    if (!fs::is_regular_file(canonical, ec))
        return Note(walk, name, "cannot be read");
    const std::uintmax_t size = fs::file_size(canonical, ec);
    if (ec)
        return Note(walk, name, "cannot be read");
    if (m_bytes + size > m_options.maxSourceBytes)
        return Note(walk, name, "over the size limit");
    auto text = m_texts.find(canonical);
    if (text == m_texts.end())
        text = m_texts.emplace(canonical, LoadSourceLines(canonical)).first;
    if (!text->second)
        return Note(walk, name, "cannot be read");
    m_bytes += size;
    ++m_includes;

    auto [index, added] = m_fileIndex.emplace(path, static_cast<int>(m_out.map.files.size()));
    if (added)
        m_out.map.files.push_back(path);
    TWalk included;
    included.file = index->second;
    included.folder = fs::path(path).parent_path().string();
    included.depth = walk.depth + 1;
    included.certain = Certain(walk);
    TDirectiveLexer inner;
    inner.SetNesting(lexer.Nesting());
    m_stack.push_back(canonical);
    Walk(included, *text->second, inner);
    m_stack.pop_back();
    lexer.SetNesting(inner.Nesting());
}

} // namespace

TFlatSource FlattenIncludes(const std::string& path, TLines lines, const TIncludeOptions& options,
                            IScanMessages& log)
{
    if (!MayHoldInclude(lines))
        return {std::move(lines), {}};
    TFlattener flattener(options, log);
    return flattener.Run(path, std::move(lines));
}
