#include "app/EditorCommands.h"

#include "config/AppContext.h"
#include "config/SafeFiles.h"
#include "editor/LspFraming.h"
#include "editor/LspServer.h"
#include "editor/TagsFile.h"
#include "search/core/OutlineCache.h"

#include <csignal>
#include <cerrno>
#include <filesystem>
#include <iostream>
#include <optional>
#include <sstream>
#include <unistd.h>

namespace {

struct TEditorOptions {
    TLines folders;
    std::string output;
    bool etags = false;
    std::string rules;
    bool useCache = true;
};

// --rules and --no-cache for both modes; folders, -o and -e for --tags only.
std::optional<TEditorOptions> ParseEditorOptions(const std::vector<std::string>& args, std::string& error)
{
    const bool tags = args[0] == "--tags";
    TEditorOptions options;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool takesValue = a == "--rules" || (tags && a == "-o");
        if (takesValue && i + 1 >= args.size()) {
            error = a + " needs a value";
            return std::nullopt;
        }
        if (a == "--rules")
            options.rules = args[++i];
        else if (a == "--no-cache")
            options.useCache = false;
        else if (tags && a == "-o")
            options.output = args[++i];
        else if (tags && a == "-e")
            options.etags = true;
        else if (tags && (a.empty() || a[0] != '-'))
            options.folders.push_back(a);
        else {
            error = "unknown option " + a + " for " + args[0];
            return std::nullopt;
        }
    }
    if (tags && options.folders.empty()) {
        error = "--tags needs at least one folder";
        return std::nullopt;
    }
    return options;
}

TAppPaths EditorPaths(const TEditorOptions& options)
{
    TAppPaths paths = TAppPaths::ForProgram();
    if (!options.rules.empty())
        paths.rulesFile = options.rules;
    return paths;
}

std::string CacheFile(const TEditorOptions& options, const TAppPaths& paths)
{
    return options.useCache && !paths.cacheFolder.empty() ? TOutlineCache::FileIn(paths.cacheFolder) : std::string();
}

int Fail(const std::string& message, int status)
{
    std::cerr << "quillane: " << message << '\n';
    return status;
}

// Writes all of data to the file descriptor; false when it cannot (the client is gone).
bool WriteAll(int fd, const QByteArray& data)
{
    const char* at = data.constData();
    std::size_t left = static_cast<std::size_t>(data.size());
    while (left > 0) {
        const ssize_t n = write(fd, at, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        at += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

std::size_t ReadSome(char* buffer, std::size_t size)
{
    for (;;) {
        const ssize_t n = read(STDIN_FILENO, buffer, size);
        if (n < 0 && errno == EINTR)
            continue;
        return n > 0 ? static_cast<std::size_t>(n) : 0;
    }
}

// Tells how a long run stands, on a terminal only.
class TTagsProgress : public TTagsCollector {
public:
    using TTagsCollector::TTagsCollector;
    void ShowProgress(const TSearchProgress& progress) override
    {
        if (m_terminal)
            std::cerr << '\r' << ProgressText(progress) << "\x1b[K" << (progress.phase == TSearchProgress::TPhase::Done ? "\n" : "")
                      << std::flush;
    }

private:
    bool m_terminal = isatty(STDERR_FILENO) == 1;
};

} // namespace

int RunLspCommand(const std::vector<std::string>& args)
{
    std::string error;
    const auto options = ParseEditorOptions(args, error);
    if (!options)
        return Fail(error + "\n(see quillane --help)", 2);
    // Standard output carries the protocol alone: whatever else would be written there
    // goes to standard error. A client that went away ends the server, not a signal.
    const int protocolOut = dup(STDOUT_FILENO);
    if (protocolOut < 0 || dup2(STDERR_FILENO, STDOUT_FILENO) < 0)
        return Fail("cannot set up standard output", 1);
    std::signal(SIGPIPE, SIG_IGN);

    const TAppPaths paths = EditorPaths(*options);
    TAppContext app(paths, TAppContext::TSettingsAtEnd::Keep);
    if (!options->rules.empty() && app.SharedRules().Lines().empty())
        return Fail("cannot read the rule file " + options->rules, 1);
    const TOutlineSetup setup{app.SharedRules(), app.Config(), app.DebugLog(), CacheFile(*options, paths)};
    bool clientGone = false;
    TLspServer server(setup, [&](const QByteArray& body) {
        if (!clientGone && !WriteAll(protocolOut, FrameLspMessage(body)))
            clientGone = true;
    });
    TLspReader reader(ReadSome);
    while (!server.Ended() && !clientGone) {
        TLspReader::TFrame frame = reader.Next();
        if (frame.kind == TLspReader::TFrame::TKind::End)
            break;
        if (frame.kind == TLspReader::TFrame::TKind::BadHeader)
            server.ReceiveBadHeader(frame.problem);
        else
            server.Receive(frame.body);
    }
    return server.ExitStatus();
}

int RunTagsCommand(const std::vector<std::string>& args)
{
    std::string error;
    const auto options = ParseEditorOptions(args, error);
    if (!options)
        return Fail(error + "\n(see quillane --help)", 2);
    const TAppPaths paths = EditorPaths(*options);
    TAppContext app(paths, TAppContext::TSettingsAtEnd::Keep);
    if (!options->rules.empty() && app.SharedRules().Lines().empty())
        return Fail("cannot read the rule file " + options->rules, 1);

    TSearchRequest request;
    request.folders = options->folders;
    for (const auto& line : app.SharedRules().Section("VAR"))
        request.fileTypes.push_back(SearchFileTypeEntry(line));
    if (request.fileTypes.empty())
        return Fail("the rule file lists no file types", 2);
    request.cacheFile = CacheFile(*options, paths);
    request.wholeOutlines = true;
    for (const auto& folder : request.folders) {
        std::error_code ec;
        if (!std::filesystem::is_directory(folder, ec))
            std::cerr << "quillane: no folder " << folder << '\n';
    }

    // Written to a file of its own beside the tags file, which then takes its place, so an
    // editor never reads half a file and a failed run leaves the old one.
    const std::string output = options->output.empty() ? (options->etags ? "TAGS" : "tags") : options->output;
    const bool toStdout = output == "-";
    const std::filesystem::path outputPath(output);
    TTagsProgress tags(options->etags ? TTagsCollector::TFormat::Etags : TTagsCollector::TFormat::Ctags,
                       toStdout ? std::string() : outputPath.parent_path().empty() ? std::string(".")
                                                                              : outputPath.parent_path().string());
    TSearchSummary summary;
    try {
        summary = RunSearch(request, app.SharedRules(), app.Config(), app.DebugLog(), {}, tags);
    } catch (const std::exception& e) {
        return Fail(std::string("the search failed: ") + e.what(), 1);
    }
    if (toStdout) {
        tags.Write(std::cout);
        std::cout.flush();
        return std::cout ? (summary.ruleFaults == 0 ? 0 : 1) : 1;
    }
    // The temporary file is made new (never opened through a link planted under its name).
    std::ostringstream text;
    tags.Write(text);
    if (const std::string problem = ReplaceFile(output, text.str()); !problem.empty())
        return Fail(problem, 1);
    return summary.ruleFaults == 0 ? 0 : 1;
}
