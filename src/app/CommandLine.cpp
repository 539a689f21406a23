#include "app/CommandLine.h"

#include "app/EditorCommands.h"
#include "app/SearchCommand.h"
#include "config/AppContext.h"
#include "config/SettingsKeys.h"
#include "editor/JsonRecords.h"
#include "scan/CodeScanner.h"
#include "scan/IncludeScan.h"
#include "scan/OutlineRecord.h"
#include "scan/SourceText.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

namespace {

constexpr const char* kUsage =
    "Usage: quillane [--source-path DIR]... [--include-path DIR]... [LOCATION...]\n"
    "       quillane --records SOURCE [--rules RULEFILE] [--indicator N] [--json]\n"
    "                         [--includes [--include-path DIR]...]\n"
    "       quillane --title   SOURCE [--rules RULEFILE] [--indicator N]\n"
    "                         [--includes [--include-path DIR]...]\n"
    "       quillane --outline SOURCE [--rules RULEFILE] [--indicator N] [--json]\n"
    "                         [--includes [--include-path DIR]...]\n"
    "       quillane --search KEYWORD FOLDER... [--in title,decl,comment,type]\n"
    "                         [--types pas,dpr] [--ignore-case] [--rules RULEFILE] [--jobs N]\n"
    "                         [--no-cache] [--json]\n"
    "       quillane --tags FOLDER... [-o FILE] [-e] [--rules RULEFILE] [--no-cache]\n"
    "       quillane --lsp [--rules RULEFILE] [--no-cache]\n"
    "       quillane --screenshot FILE [--filter TEXT] [--line N] [LOCATION]\n"
    "\n"
    "Without options, opens the outline browser on LOCATION (a Pascal source, a folder,\n"
    "or SOURCE?ENTRY), or on the place viewed last. Further locations are opened in turn\n"
    "after the first; the window shows the last one, and Previous goes back. ENTRY is a\n"
    "declaration, by its name and the names of the declarations that hold it, joined by\n"
    "dots (Example.pas?TStockItem.Create), or the entry index at which a level starts\n"
    "(4 x the number of its first entry, from 0). A level or name not found opens the\n"
    "top level. The window's outline follows include files, looked for after the\n"
    "including file's folder in each --include-path DIR; Ctrl+Enter on a uses clause opens\n"
    "a unit, looked for after the open file's folder in each --source-path DIR.\n"
    "\n"
    "  --records   print the scanner's result records, four lines each\n"
    "  --title     print the comment block at the head of SOURCE\n"
    "  --outline   print the outline, indented by level\n"
    "  --includes  follow the include files of SOURCE ({$I name}) as if their text stood\n"
    "              in its place; a record from an include file ends its header with [FILE]\n"
    "              and that file's path, and its line is the line in that file\n"
    "  --include-path DIR\n"
    "              with --includes: a folder searched for include files after the\n"
    "              including file's own, before INCLUDE_PATH of the settings (repeatable)\n"
    "  --search    search the outlines of the files under FOLDER... for KEYWORD (exact,\n"
    "              letter case counts unless --ignore-case); prints File, Line,\n"
    "              Declaration, Comment, Type separated by tabs, one row per line;\n"
    "              in a cell, tab, CR, LF and \\ are written \\t, \\r, \\n and \\\\, other\n"
    "              control characters and bytes that are not UTF-8 as \\xNN\n"
    "  --in        the fields searched (default: all four)\n"
    "  --types     the file types searched (default: every type the rule file lists)\n"
    "  --ignore-case\n"
    "              ignore the case of ASCII letters, as Pascal does in its names\n"
    "  --rules     the rule file (default: the delivered CodeScan.dll)\n"
    "  --jobs      the files scanned at once (default: one per processor core)\n"
    "  --no-cache  scan every file, without reading or writing the outline cache\n"
    "              ($XDG_CACHE_HOME/quillane/, which keeps the outlines of unchanged files)\n"
    "  --indicator the comment indicator, -5 to 5 (default: CMT_INDICATOR of the settings)\n"
    "  --json      print one JSON object per entry or row and line: file, line, level,\n"
    "              kind (the Type), declaration, comment; an entry from an included file\n"
    "              names that file\n"
    "  --tags      write a tags file of the outlines of the files under FOLDER... (the\n"
    "              format universal-ctags writes, sorted, with kind:, line: and the scope of\n"
    "              members, such as class:TStack), through the outline cache\n"
    "  -o FILE     with --tags: the tags file (default: tags, or TAGS with -e; - for\n"
    "              standard output)\n"
    "  -e          with --tags: the etags format Emacs reads\n"
    "  --lsp       run as a language server on standard input and output (document and\n"
    "              workspace symbols of the outlines, for editors)\n"
    "  --screenshot\n"
    "              open the window on LOCATION, save a picture of it to FILE (PNG) and end,\n"
    "              without storing anything in the settings\n"
    "  --filter    with --screenshot: type TEXT into the filter field first\n"
    "  --line      with --screenshot: take the text viewer showing line N of the source\n"
    "  --help      show this text\n"
    "  --version   show the program's version\n";

struct TScanOptions {
    std::string mode;
    std::string source;
    std::string rules;
    std::optional<int> indicator;
    bool json = false;
    bool includes = false;
    TLines includeFolders;
};

int Fail(const std::string& message, int status)
{
    std::cerr << "quillane: " << message << '\n';
    return status;
}

} // namespace

std::string RuleFileProblem(const TStructureTexts& rules)
{
    const std::string& problem = rules.LoadProblem();
    return "cannot read the rule file " + rules.FileName() + (problem.empty() ? "" : ": " + problem);
}

namespace {

std::optional<TScanOptions> ParseScanOptions(const std::vector<std::string>& args, std::string& error)
{
    TScanOptions options;
    options.mode = args[0];
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return std::nullopt;
            }
            return args[++i];
        };
        if (a == "--rules") {
            auto v = value();
            if (!v)
                return std::nullopt;
            options.rules = *v;
        } else if (a == "--indicator") {
            auto v = value();
            if (!v)
                return std::nullopt;
            const std::string t = Trim(*v);
            if (t.empty() || (IntOrZero(t) == 0 && t != "0" && t != "-0" && t != "+0")) {
                error = "--indicator needs a whole number, not '" + *v + "'";
                return std::nullopt;
            }
            options.indicator = IntOrZero(t);
        } else if (a == "--include-path") {
            auto v = value();
            if (!v)
                return std::nullopt;
            options.includeFolders.push_back(*v);
        } else if (a == "--includes") {
            options.includes = true;
        } else if (a == "--json" && options.mode != "--title") {
            options.json = true;
        } else if (a.rfind("--", 0) == 0) {
            error = "unknown option " + a;
            return std::nullopt;
        } else if (options.source.empty()) {
            options.source = a;
        } else {
            error = "more than one source file given";
            return std::nullopt;
        }
    }
    if (options.source.empty()) {
        error = options.mode + " needs a source file";
        return std::nullopt;
    }
    return options;
}

void PrintOutline(const TLines& results)
{
    std::vector<TOutlineRecord> records;
    for (int i = 0; HasRecordAt(results, i); i += kRecordLines)
        records.push_back(ReadRecord(results, i));
    // The shallowest level of the file is its top; deeper entries are indented below it.
    int top = -1;
    for (const TOutlineRecord& record : records) {
        if (top < 0 || record.level < top)
            top = record.level;
    }
    for (const TOutlineRecord& record : records) {
        std::string line(static_cast<std::size_t>(2 * std::max(0, record.level - top)), ' ');
        line += record.declaration;
        // An entry from an include file names the file.
        const std::string file = record.file.empty() ? std::string() : FileNameOf(record.file) + " ";
        line += "  (" + std::string(record.type) + ", " + file + "line " + record.line + ")";
        const std::string comment = Trim(record.comment);
        if (!comment.empty())
            line += "  " + comment;
        std::cout << line << '\n';
    }
}

int RunScanMode(const TScanOptions& options)
{
    TAppPaths paths = TAppPaths::ForProgram();
    if (!options.rules.empty())
        paths.rulesFile = options.rules;
    // A command-line run changes no settings, so the store is never written back.
    TAppContext app(paths, TAppContext::TSettingsAtEnd::Keep);
    if (options.indicator)
        app.Config().WriteInteger(kCmtIndicator, *options.indicator);
    if (!options.rules.empty() && app.SharedRules().Lines().empty())
        return Fail(RuleFileProblem(app.SharedRules()), 1);

    TCodeScanner scanner(app.SharedRules(), app.DebugLog(), app.Config().ReadInteger(kCmtIndicator));
    scanner.SetSourceLimit(SourceLimitBytes(app.Config().ReadInteger(kMaxSourceMb)));
    const std::string key = FileTypeKey(options.source);
    if (!scanner.IsKnownType(key))
        return Fail("the rule file lists no rules for the file type '" + key + "'", 2);
    try {
        if (options.includes) {
            TIncludeOptions includes;
            includes.folders = options.includeFolders;
            for (auto& folder : app.Config().ReadList(kIncludePath))
                includes.folders.push_back(std::move(folder));
            ScanWithIncludes(scanner, options.source, key, includes, app.DebugLog());
        } else {
            scanner.ScanFile(options.source, key);
        }
    } catch (const std::exception& e) {
        return Fail("scanning " + options.source + " failed: " + e.what(), 1);
    }
    if (!scanner.LoadProblem().empty())
        return Fail("cannot read " + options.source + ": " + scanner.LoadProblem(), 1);
    // The outline is of the text before the NUL; the run still succeeds.
    if (scanner.NulLine() > 0)
        std::cerr << "quillane: " << options.source << ": " << NulLineText(scanner.NulLine()) << '\n';
    // Faults of the rules: the outline below is what the rules still made of the source.
    for (const auto& fault : scanner.RuleFaults())
        std::cerr << "quillane: " << fault.Text() << '\n';
    if (options.json) {
        WriteJsonRecords(std::cout, options.source, scanner.Results());
    } else if (options.mode == "--records") {
        for (const auto& line : scanner.Results())
            std::cout << line << '\n';
    } else if (options.mode == "--title") {
        for (const auto& line : scanner.CommentBlockAt(0))
            std::cout << line << '\n';
    } else {
        PrintOutline(scanner.Results());
    }
    std::cout.flush();
    return scanner.RuleFaults().empty() ? 0 : 1;
}

} // namespace

int FinishOutput(int status)
{
    std::cout.flush();
    const bool streamWritten = !std::cout.fail();
    errno = 0;
    const bool stdioWritten = std::fflush(stdout) == 0 && !std::ferror(stdout);
    const int error = errno;
    if (streamWritten && stdioWritten)
        return status;
    std::cerr << "quillane: cannot write the output" << (error ? std::string(": ") + std::strerror(error) : "")
              << '\n';
    return status == 0 ? 1 : status;
}

std::optional<int> RunCommandLine(const std::vector<std::string>& args)
{
    if (args.empty())
        return std::nullopt;
    const std::string& first = args[0];
    if (first == "--help" || first == "-h") {
        std::cout << kUsage;
        return 0;
    }
    if (first == "--version") {
        std::cout << "Quillane " << QUILLANE_VERSION << '\n';
        return 0;
    }
    if (first == "--records" || first == "--title" || first == "--outline") {
        std::string error;
        const auto options = ParseScanOptions(args, error);
        if (!options) {
            std::cerr << "quillane: " << error << "\n\n" << kUsage;
            return 2;
        }
        return RunScanMode(*options);
    }
    if (first == "--search")
        return RunSearchCommand(args);
    if (first == "--tags")
        return RunTagsCommand(args);
    if (first == "--lsp")
        return RunLspCommand(args);
    if (first.rfind("--", 0) == 0) {
        std::cerr << "quillane: unknown option " << first << "\n\n" << kUsage;
        return 2;
    }
    return std::nullopt;
}
