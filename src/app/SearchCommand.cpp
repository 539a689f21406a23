#include "app/SearchCommand.h"

#include "app/CommandLine.h"

#include "config/AppContext.h"
#include "editor/JsonRecords.h"
#include "search/core/OutlineCache.h"
#include "scan/SourceText.h"
#include "search/core/Search.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>

namespace {

struct TSearchOptions {
    std::string keyword;
    bool ignoreCase = false;
    TLines folders;
    unsigned fields = TSearchChoices::All;
    TLines types; // file-type keys, upper-cased; empty: every key of VAR
    std::string rules;
    unsigned jobs = 0; // 0: one per core
    bool useCache = true;
    bool json = false;
};

// More worker threads than this only cost memory.
constexpr unsigned kMaxJobs = 256;

TLines CommaList(const std::string& text)
{
    TLines items;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string item = Trim(text.substr(start, comma - start));
        if (!item.empty())
            items.push_back(item);
        start = comma + 1;
    }
    return items;
}

std::optional<unsigned> ParseFields(const std::string& text, std::string& error)
{
    unsigned fields = 0;
    for (const auto& name : CommaList(text)) {
        const std::string n = LowerCase(name);
        if (n == "title")
            fields |= TSearchChoices::Titles;
        else if (n == "decl")
            fields |= TSearchChoices::Declarations;
        else if (n == "comment")
            fields |= TSearchChoices::Comments;
        else if (n == "type")
            fields |= TSearchChoices::Types;
        else {
            error = "--in takes title, decl, comment and type, not '" + name + "'";
            return std::nullopt;
        }
    }
    if (fields == 0) {
        error = "--in needs at least one field";
        return std::nullopt;
    }
    return fields;
}

std::optional<TSearchOptions> ParseSearchOptions(const std::vector<std::string>& args, std::string& error)
{
    TSearchOptions options;
    bool haveKeyword = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool takesValue = a == "--in" || a == "--types" || a == "--rules" || a == "--jobs";
        if (takesValue && i + 1 >= args.size()) {
            error = a + " needs a value";
            return std::nullopt;
        }
        if (a == "--in") {
            const auto fields = ParseFields(args[++i], error);
            if (!fields)
                return std::nullopt;
            options.fields = *fields;
        } else if (a == "--types") {
            options.types.clear();
            for (const auto& key : CommaList(args[++i]))
                options.types.push_back(UpperCase(key));
        } else if (a == "--rules") {
            options.rules = args[++i];
        } else if (a == "--jobs") {
            const std::string value = Trim(args[++i]);
            const int jobs = IntOrZero(value);
            if (jobs < 1 || jobs > static_cast<int>(kMaxJobs) || std::to_string(jobs) != value) {
                error = "--jobs needs a whole number from 1 to " + std::to_string(kMaxJobs) + ", not '" +
                        args[i] + "'";
                return std::nullopt;
            }
            options.jobs = static_cast<unsigned>(jobs);
        } else if (a == "--no-cache") {
            options.useCache = false;
        } else if (a == "--ignore-case") {
            options.ignoreCase = true;
        } else if (a == "--json") {
            options.json = true;
        } else if (a.rfind("--", 0) == 0 && haveKeyword) {
            error = "unknown option " + a;
            return std::nullopt;
        } else if (!haveKeyword) {
            options.keyword = a;
            haveKeyword = true;
        } else {
            options.folders.push_back(a);
        }
    }
    if (!haveKeyword || options.keyword.empty()) {
        error = "--search needs a keyword";
        return std::nullopt;
    }
    if (options.folders.empty()) {
        error = "--search needs at least one folder";
        return std::nullopt;
    }
    return options;
}

// A cell as one run of UTF-8 without tabs or line breaks, from which the text can be had
// back: tab, CR, LF and the backslash are written \t, \r, \n and \\, other control
// characters and bytes that are not UTF-8 (a file name may hold any byte) as \xNN.
std::string Cell(std::string_view text)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string cell;
    cell.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const std::size_t length = Utf8SequenceLength(text, i);
        switch (byte) {
        case '\t': cell += "\\t"; break;
        case '\r': cell += "\\r"; break;
        case '\n': cell += "\\n"; break;
        case '\\': cell += "\\\\"; break;
        default:
            if (length > 0 && byte >= 0x20 && byte != 0x7F) {
                cell.append(text.substr(i, length));
                i += length;
                continue;
            }
            cell += "\\x";
            cell += kHex[byte >> 4];
            cell += kHex[byte & 0x0F];
        }
        ++i;
    }
    return cell;
}

class TPrintingSink : public ISearchSink {
public:
    explicit TPrintingSink(bool json) : m_json(json) {}

    void AddResult(const TSearchRow& row) override
    {
        if (m_json) {
            // A title row's line is its position in the title.
            const std::string line = JsonEntryLine(
                {row.file, IntOrZero(row.line), row.level, row.type, row.declaration, row.comment, row.title});
            std::fwrite(line.data(), 1, line.size(), stdout);
            return;
        }
        std::string line = Cell(row.file);
        for (const std::string* cell : {&row.line, &row.declaration, &row.comment, &row.type}) {
            line += '\t';
            line += Cell(*cell);
        }
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    void ShowProgress(const TSearchProgress&) override {}

private:
    bool m_json;
};

int Fail(const std::string& message, int status)
{
    std::cerr << "quillane: " << message << '\n';
    return status;
}

} // namespace

int RunSearchCommand(const std::vector<std::string>& args)
{
    std::string error;
    const auto options = ParseSearchOptions(args, error);
    if (!options) {
        std::cerr << "quillane: " << error << "\n(see quillane --help)\n";
        return 2;
    }

    TAppPaths paths = TAppPaths::ForProgram();
    if (!options->rules.empty())
        paths.rulesFile = options->rules;
    TAppContext app(paths, TAppContext::TSettingsAtEnd::Keep);
    if (!options->rules.empty() && app.SharedRules().Lines().empty())
        return Fail(RuleFileProblem(app.SharedRules()), 1);

    const TLines var = app.SharedRules().Section("VAR");
    TSearchRequest request;
    request.keyword = options->keyword;
    request.ignoreCase = options->ignoreCase;
    request.folders = options->folders;
    request.choices = std::make_shared<TSearchChoices>(options->fields);
    request.jobs = options->jobs;
    if (options->useCache && !paths.cacheFolder.empty())
        request.cacheFile = TOutlineCache::FileIn(paths.cacheFolder);
    if (options->types.empty()) {
        for (const auto& line : var)
            request.fileTypes.push_back(SearchFileTypeEntry(line));
    } else {
        for (const auto& key : options->types) {
            auto it = std::find_if(var.begin(), var.end(),
                                   [&](const std::string& line) { return SameText(PairName(line), key); });
            if (it == var.end())
                return Fail("the rule file lists no rules for the file type '" + key + "'", 2);
            request.fileTypes.push_back(SearchFileTypeEntry(*it));
        }
    }
    if (request.fileTypes.empty())
        return Fail("the rule file lists no file types", 2);
    for (const auto& folder : request.folders) {
        std::error_code ec;
        if (!std::filesystem::is_directory(folder, ec))
            std::cerr << "quillane: no folder " << folder << '\n';
    }

    TPrintingSink sink(options->json);
    TSearchSummary summary;
    try {
        summary = RunSearch(request, app.SharedRules(), app.Config(), app.DebugLog(), {}, sink);
    } catch (const std::exception& e) {
        std::fflush(stdout);
        return Fail(std::string("the search failed: ") + e.what(), 1);
    }
    std::fflush(stdout);
    // Each file and folder that could not be read is named in the trace log.
    if (summary.filesUnreadable + summary.foldersUnreadable > 0)
        std::cerr << "quillane: " << UnreadableText(summary.filesUnreadable, summary.foldersUnreadable) << '\n';
    // The first fault of the rules went to standard error; all are in the trace log.
    return summary.ruleFaults == 0 && summary.filesUnreadable + summary.foldersUnreadable == 0 ? 0 : 1;
}
