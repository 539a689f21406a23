#include "search/core/Search.h"

#include "config/Config.h"
#include "config/Debug.h"
#include "config/SettingsKeys.h"
#include "files/FileHelpers.h"
#include "scan/CodeScanner.h"
#include "scan/SourceText.h"
#include "search/core/OutlineCache.h"

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <tuple>
#include <unordered_set>
#include <vector>

void TSearchChoices::Set(TField field, bool on)
{
    if (on)
        m_fields.fetch_or(field, std::memory_order_relaxed);
    else
        m_fields.fetch_and(~static_cast<unsigned>(field), std::memory_order_relaxed);
}

std::string SearchFileTypeEntry(const std::string& varLine)
{
    const std::size_t eq = varLine.find('=');
    const std::string key = varLine.substr(0, eq);
    const std::string name = eq == std::string::npos ? std::string() : varLine.substr(eq + 1);
    return LowerCase("*." + key + "  [" + name + "]");
}

unsigned SearchJobs(unsigned requested)
{
    return requested > 0 ? requested : std::max(1u, std::thread::hardware_concurrency());
}

TLines GatherSearchFiles(const TSearchRequest& request, std::stop_token stop,
                         const std::function<void(std::size_t)>& found, TDebug* log,
                         std::size_t* unreadableFolders)
{
    TLines keys;
    for (const auto& entry : request.fileTypes)
        keys.push_back(UpperCase(FileTypeKey(TagTail(entry, 0))));
    TLines files;
    std::size_t count = 0;
    // One walk per folder; its files are sorted into one list per type, in walk order.
    std::vector<TLines> byType(keys.size());
    for (const auto& folder : request.folders) {
        if (folder.empty() || keys.empty())
            continue;
        const std::string top = folder.back() == '/' ? folder : folder + '/';
        const auto unreadable = [&](const std::string& path, const std::error_code& why) {
            if (path == top && why == std::errc::no_such_file_or_directory)
                return;
            if (log)
                log->AddLine("error:Search;cannot read the folder;" + path + ";" + why.message());
            if (unreadableFolders)
                ++*unreadableFolders;
        };
        const bool complete = ForEachFile(
            folder,
            [&](const std::string& path) {
                const std::string key = FileTypeKey(path);
                for (std::size_t i = 0; i < keys.size(); ++i) {
                    if (keys[i].empty() || keys[i] == "*" || keys[i] == key) {
                        byType[i].push_back(path);
                        ++count;
                    }
                }
                if (found)
                    found(count);
            },
            stop, unreadable);
        for (auto& typeFiles : byType) {
            files.insert(files.end(), std::make_move_iterator(typeFiles.begin()),
                         std::make_move_iterator(typeFiles.end()));
            typeFiles.clear();
        }
        if (!complete)
            break;
    }
    return files;
}

bool ContainsKeyword(std::string_view text, std::string_view keyword, bool ignoreCase)
{
    if (!ignoreCase)
        return text.find(keyword) != std::string_view::npos;
    const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::search(text.begin(), text.end(), keyword.begin(), keyword.end(),
                       [&fold](char a, char b) { return fold(a) == fold(b); }) != text.end();
}

namespace {

// Files each worker may be ahead of the hand-over: enough to keep every worker busy
// while one long file holds the hand-over up, few enough that memory stays small.
constexpr std::size_t kFilesPerWorker = 4;
// Cache writes are held and written together once this many are held.
constexpr std::size_t kCacheBatchCount = 64;
constexpr std::size_t kCacheBatchBytes = 4u << 20;

// Sends progress no more often than kSearchStatusInterval, the first report at once.
class TStatusThrottle {
public:
    explicit TStatusThrottle(ISearchSink& sink) : m_sink(sink) {}

    bool Due() const
    {
        return !m_sentOnce || std::chrono::steady_clock::now() - m_lastSent >= kSearchStatusInterval;
    }

    void Send(const TSearchProgress& progress)
    {
        m_sink.ShowProgress(progress);
        m_sentOnce = true;
        m_lastSent = std::chrono::steady_clock::now();
    }

private:
    ISearchSink& m_sink;
    bool m_sentOnce = false;
    std::chrono::steady_clock::time_point m_lastSent;
};

// The faults of the rules met in one search: each to the trace log once, with the first
// file it was met in, and the first of them also to the user, however many files meet them.
class TSearchFaults {
public:
    explicit TSearchFaults(TDebug& log) : m_log(log) {}

    // Returns how many new faults the scan of path met.
    std::size_t Add(const std::string& path, const std::vector<TRuleFault>& faults)
    {
        std::size_t added = 0;
        for (const auto& fault : faults) {
            if (!m_seen.emplace(fault.set, fault.ruleLine, fault.rule).second)
                continue;
            ++added;
            m_log.AddLine(path + ": " + fault.Text());
            if (m_seen.size() == 1)
                m_log.ShowString(path + ":\n" + fault.Text() + "\n\nFurther faults of the rules go to the trace log " +
                                 m_log.FileName());
        }
        return added;
    }

private:
    TDebug& m_log;
    std::set<std::tuple<std::string, int, std::string>> m_seen;
};

// One gathered file on its way from a worker to the hand-over.
struct TFileWork {
    enum class TState { Waiting, Outline, Skipped };
    enum class TCacheAction { None, Store, Touch, Drop };

    TState state = TState::Waiting;
    TFileOutline outline;
    std::vector<TRuleFault> faults; // met by the scan, reported at the hand-over
    std::string unreadable;         // why the file could not be read; reported at the hand-over
    std::size_t nulLine = 0;        // where a NUL character ended the text; noted at the hand-over
    bool fromCache = false;
    TCacheAction cacheAction = TCacheAction::None;
    std::string cachePath; // the file's absolute path: its key in the cache
    TFileStamp stamp;
    std::int64_t context = 0;
};

// The files of a run between the workers and the hand-over. A worker takes the next
// file only while it lies within a window of files past the one to hand over next, and
// puts its work into that file's slot; the run thread takes the slots in file order.
// Each side is woken only when the other made room or finished what it waits for.
class TFileQueue {
public:
    TFileQueue(std::size_t files, std::size_t window) : m_files(files), m_slots(window) {}

    // Worker threads: the index of the next file, or none when every file is taken or
    // the run stops.
    std::optional<std::size_t> Take(std::stop_token stop)
    {
        std::unique_lock lock(m_mutex);
        m_roomMade.wait(lock, stop, [&] { return m_nextToTake >= m_files || m_nextToTake < m_nextToHand + m_slots.size(); });
        if (stop.stop_requested() || m_nextToTake >= m_files)
            return std::nullopt;
        return m_nextToTake++;
    }

    void Finish(std::size_t index, TFileWork work)
    {
        bool awaited = false;
        {
            std::lock_guard lock(m_mutex);
            m_slots[index % m_slots.size()] = std::move(work);
            awaited = index == m_nextToHand;
        }
        if (awaited)
            m_finished.notify_one();
    }

    // Run thread: the work of the next file in order once it is finished; none on stop.
    std::optional<TFileWork> Next(std::stop_token stop)
    {
        std::optional<TFileWork> work;
        {
            std::unique_lock lock(m_mutex);
            TFileWork& slot = m_slots[m_nextToHand % m_slots.size()];
            if (!m_finished.wait(lock, stop, [&] { return slot.state != TFileWork::TState::Waiting; }))
                return std::nullopt;
            work = std::move(slot);
            slot = TFileWork();
            ++m_nextToHand;
        }
        m_roomMade.notify_one();
        return work;
    }

private:
    const std::size_t m_files;
    std::mutex m_mutex;
    std::condition_variable_any m_roomMade; // workers wait here for a file within the window
    std::condition_variable_any m_finished; // the run thread waits here for the next file
    std::size_t m_nextToTake = 0;   // guarded by m_mutex
    std::size_t m_nextToHand = 0;   // guarded by m_mutex
    std::vector<TFileWork> m_slots; // guarded by m_mutex; file i in slot i % size
};

std::string AbsolutePath(const std::string& path)
{
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    return ec ? path : absolute.lexically_normal().string();
}

// The text of the rule block the scanner runs for a file-type key; none for a key the
// rule file's VAR section does not list.
std::optional<std::string> RuleBlockText(const TStructureTexts& rules, const std::string& key)
{
    const auto name = rules.BlockNameFor(key);
    if (!name)
        return std::nullopt;
    std::string text;
    for (const auto& blockLine : rules.Block(*name))
        text.append(blockLine).append("\n");
    return text;
}

// The message of the exception being handled, for the trace log.
std::string HandledExceptionText()
{
    try {
        throw;
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "an exception of unknown type";
    }
}

// The outline of one file: from the cache when it holds a valid one, else from a scan.
// Worker threads only.
TFileWork WorkOnFile(const std::string& path, TCodeScanner& scanner, TOutlineCache* cache,
                     const std::map<std::string, std::int64_t>& contexts, TDebug& log)
{
    TFileWork work;
    const std::string key = FileTypeKey(path);
    const auto context = contexts.find(key);
    std::optional<TFileStamp> stamp;
    if (context != contexts.end()) {
        work.cachePath = AbsolutePath(path);
        work.context = context->second;
        // Taken before the scan reads the file, so a change during the scan is a miss later.
        stamp = StampOf(work.cachePath);
        if (stamp && cache) {
            if (auto hit = cache->Find(work.cachePath, *stamp, work.context)) {
                work.state = hit->outline.EntryCount() == 0 ? TFileWork::TState::Skipped : TFileWork::TState::Outline;
                work.outline = std::move(hit->outline);
                work.fromCache = true;
                work.cacheAction = hit->stale ? TFileWork::TCacheAction::Touch : TFileWork::TCacheAction::None;
                return work;
            }
        }
        work.cacheAction = stamp ? TFileWork::TCacheAction::Store : TFileWork::TCacheAction::Drop;
        if (stamp)
            work.stamp = *stamp;
    }

    work.state = TFileWork::TState::Skipped;
    bool scanned = true;
    std::string failure;
    try {
        scanner.ScanFile(path, key);
    } catch (const TScanStopped&) {
        work.cacheAction = TFileWork::TCacheAction::None;
        return work;
    } catch (...) {
        failure = HandledExceptionText();
        scanned = false;
    }
    work.faults = scanner.RuleFaults();
    work.unreadable = scanner.LoadProblem();
    work.nulLine = scanner.NulLine();
    // A scan that a fault of the rules ended is reported with the faults, once per search; a
    // file that could not be read is reported at the hand-over.
    if (!scanned && work.unreadable.empty() &&
        std::none_of(work.faults.begin(), work.faults.end(),
                     [&failure](const TRuleFault& fault) { return fault.Text() == failure; }))
        log.AddLine("error:Search;" + path + ";" + failure);
    // A failed scan is not stored (it may pass with the next run), nor one that met faults
    // of the rules: a later search must report them again. What the cache held for the
    // file (outdated, or not matching its checksum) is dropped then.
    if (!scanned || !work.faults.empty()) {
        if (work.cacheAction == TFileWork::TCacheAction::Store)
            work.cacheAction = TFileWork::TCacheAction::Drop;
        if (!scanned)
            return work;
    }
    const TLines& results = scanner.Results();
    if (results.empty() && scanner.Codes().empty()) {
        // Not read at all: nothing to remember about it.
        if (work.cacheAction == TFileWork::TCacheAction::Store)
            work.cacheAction = TFileWork::TCacheAction::Drop;
        return work;
    }
    if (results.size() >= 2) {
        work.state = TFileWork::TState::Outline;
        work.outline = TFileOutline::FromResults(results, scanner.CommentBlockAt(0));
    }
    return work;
}

// The rows of one file: its first title line with the keyword, then each entry once for
// each chosen field that holds it. Stops at once when add refuses a row.
void MatchOutline(const std::string& path, const TFileOutline& outline, const TSearchRequest& request,
                  const TSearchChoices& choices, const std::function<bool(TSearchRow)>& add)
{
    const auto holds = [&request](std::string_view text) {
        return ContainsKeyword(text, request.keyword, request.ignoreCase);
    };
    bool going = true;
    if (choices.Has(TSearchChoices::Titles)) {
        outline.VisitTitle([&](std::size_t i, std::string_view line) {
            if (!holds(line))
                return true;
            going = add({path, std::to_string(i), {}, std::string(line), {}, 0, true});
            return false;
        });
    }
    if (!going)
        return;
    outline.VisitEntries([&](const TFileOutline::TEntry& entry) {
        const bool hits[] = {
            choices.Has(TSearchChoices::Types) && holds(entry.type),
            choices.Has(TSearchChoices::Declarations) && holds(entry.declaration),
            choices.Has(TSearchChoices::Comments) && holds(entry.comment),
        };
        for (const bool hit : hits) {
            if (hit && !add({path, std::string(entry.line), std::string(entry.declaration),
                             std::string(entry.comment), std::string(entry.type), entry.level}))
                return false;
        }
        return true;
    });
}

// The cache's scan context of each file type among files that the rule file knows.
std::map<std::string, std::int64_t> ScanContexts(TOutlineCache& cache, const TLines& files,
                                                 const TStructureTexts& rules, int commentIndicator)
{
    std::set<std::string> keys;
    for (const auto& path : files)
        keys.insert(FileTypeKey(path));
    std::map<std::string, std::int64_t> contexts;
    for (const auto& key : keys) {
        const auto text = RuleBlockText(rules, key);
        if (!text)
            continue;
        if (const auto id = cache.ContextId(*text, commentIndicator))
            contexts.emplace(key, *id);
    }
    return contexts;
}

// After a whole run: writes what is held, drops the entries of files under the searched
// folders that are gone, and keeps the cache under its cap. A database found damaged (by
// this connection or a reader) is made anew instead.
void TidyCache(TOutlineCache& cache, bool damaged, const TLines& folders, const TLines& files,
               const std::stop_token& stop)
{
    cache.Flush();
    if (damaged || cache.Damaged()) {
        cache.Remake();
        return;
    }
    if (!cache.Usable())
        return;
    std::unordered_set<std::string> present;
    for (const auto& path : files)
        present.insert(AbsolutePath(path));
    for (const auto& folder : folders) {
        if (folder.empty() || stop.stop_requested())
            continue;
        std::string absolute = AbsolutePath(folder);
        if (absolute.back() != '/')
            absolute += '/';
        cache.DropVanished(absolute, present);
    }
    if (!stop.stop_requested())
        cache.Trim();
}

// Stops the workers and waits for them when the run ends, however it ends.
struct TJoinWorkers {
    std::stop_source& stop;
    std::vector<std::jthread>& workers;
    ~TJoinWorkers()
    {
        stop.request_stop();
        workers.clear();
    }
};

} // namespace

TSearchSummary RunSearch(const TSearchRequest& request, const TStructureTexts& sharedRules,
                         const TConfig& config, TDebug& debugLog, std::stop_token stop,
                         ISearchSink& sink)
{
    const auto started = std::chrono::steady_clock::now();
    TSearchSummary summary;
    const TSearchChoices noChoices;
    const TSearchChoices& choices = request.choices ? *request.choices : noChoices;
    TStatusThrottle status(sink);
    TSearchFaults faults(debugLog);

    const TLines files = GatherSearchFiles(
        request, stop,
        [&](std::size_t found) {
            if (status.Due() && !stop.stop_requested())
                status.Send({TSearchProgress::TPhase::Gathering, found, 0, 0, {}, 0});
        },
        &debugLog, &summary.foldersUnreadable);
    summary.filesGathered = files.size();
    if (stop.stop_requested()) {
        summary.stopped = true;
        return summary;
    }

    // The run's own stop: the caller's request, or the end of the run, ends the workers.
    std::stop_source runStop;
    const std::stop_callback forwardStop(stop, [&runStop] { runStop.request_stop(); });

    // Made after the gathering, so the run uses the comment indicator in force now.
    const std::size_t jobs = std::max<std::size_t>(1, std::min<std::size_t>(SearchJobs(request.jobs), files.size()));
    const int commentIndicator = config.ReadInteger(kCmtIndicator);
    const std::size_t sourceLimit = SourceLimitBytes(config.ReadInteger(kMaxSourceMb));
    std::vector<std::unique_ptr<TCodeScanner>> scanners;
    for (std::size_t j = 0; j < jobs; ++j) {
        auto& scanner = scanners.emplace_back(std::make_unique<TCodeScanner>(sharedRules, debugLog, commentIndicator));
        scanner->SetSourceLimit(sourceLimit);
        scanner->SetStopToken(runStop.get_token());
        if (request.minimizeMainWindow)
            scanner->SetMinimizeCallback(request.minimizeMainWindow);
    }

    // The cache: written on this thread only; each worker reads through its own connection.
    std::optional<TOutlineCache> cache;
    TOutlineCache::TOptions cacheOptions;
    cacheOptions.stop = runStop.get_token();
    std::map<std::string, std::int64_t> contexts;
    if (!request.cacheFile.empty() && !files.empty()) {
        cache.emplace(request.cacheFile, TOutlineCache::TAccess::ReadWrite, debugLog, cacheOptions);
        contexts = ScanContexts(*cache, files, sharedRules, scanners.front()->CommentIndicator());
    }

    TFileQueue queue(files.size(), kFilesPerWorker * jobs);
    std::atomic<bool> cacheDamaged{false}; // a reader met damage inside the database
    std::vector<std::jthread> workers;
    const TJoinWorkers joinAtEnd{runStop, workers};
    for (std::size_t j = 0; j < jobs; ++j) {
        workers.emplace_back([&, scanner = scanners[j].get(), token = runStop.get_token()] {
            // A worker that cannot read the cache scans every file.
            std::optional<TOutlineCache> reader;
            try {
                if (!contexts.empty())
                    reader.emplace(request.cacheFile, TOutlineCache::TAccess::Read, debugLog, cacheOptions);
            } catch (...) {
                debugLog.AddLine("error:OutlineCache;" + HandledExceptionText() + ";" + request.cacheFile);
            }
            while (const auto index = queue.Take(token)) {
                TFileWork work;
                try {
                    work = WorkOnFile(files[*index], *scanner, reader ? &*reader : nullptr, contexts, debugLog);
                } catch (...) {
                    debugLog.AddLine("error:Search;" + files[*index] + ";" + HandledExceptionText());
                    work.state = TFileWork::TState::Skipped;
                }
                queue.Finish(*index, std::move(work));
            }
            if (reader && reader->Damaged())
                cacheDamaged = true;
        });
    }

    auto add = [&](TSearchRow row) {
        if (stop.stop_requested())
            return false;
        sink.AddResult(row);
        ++summary.rows;
        return true;
    };
    for (std::size_t i = 0; i < files.size() && !stop.stop_requested(); ++i) {
        auto work = queue.Next(runStop.get_token());
        if (!work)
            break;
        ++summary.filesScanned;
        if (work->fromCache)
            ++summary.filesFromCache;
        summary.ruleFaults += faults.Add(files[i], work->faults);
        if (!work->unreadable.empty()) {
            ++summary.filesUnreadable;
            debugLog.AddLine("error:Search;cannot read the file;" + files[i] + ";" + work->unreadable);
        }
        if (work->nulLine > 0)
            debugLog.AddLine("note:Search;" + files[i] + ";" + NulLineText(work->nulLine));
        if (work->state == TFileWork::TState::Outline && request.wholeOutlines)
            sink.AddOutline(files[i], work->outline);
        else if (work->state == TFileWork::TState::Outline)
            MatchOutline(files[i], work->outline, request, choices, add);
        else
            ++summary.filesSkipped;
        if (cache) {
            switch (work->cacheAction) {
            case TFileWork::TCacheAction::Store:
                cache->Store(work->cachePath, work->stamp, work->context, std::move(work->outline).TakeValue());
                break;
            case TFileWork::TCacheAction::Touch: cache->Touch(work->cachePath); break;
            case TFileWork::TCacheAction::Drop: cache->Drop(work->cachePath); break;
            case TFileWork::TCacheAction::None: break;
            }
            if (cache->PendingCount() >= kCacheBatchCount || cache->PendingBytes() >= kCacheBatchBytes)
                cache->Flush();
        }
        if (status.Due() && !stop.stop_requested())
            status.Send({TSearchProgress::TPhase::Scanning, files.size(), i + 1, summary.rows, files[i], 0});
    }
    if (stop.stop_requested()) {
        summary.stopped = true;
        return summary;
    }

    if (cache) {
        // Every file was handed over: the workers end now, and their connections with them.
        workers.clear();
        TidyCache(*cache, cacheDamaged, request.folders, files, stop);
    }
    summary.stopped = stop.stop_requested();
    if (!summary.stopped) {
        const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - started;
        sink.ShowProgress({TSearchProgress::TPhase::Done, files.size(), summary.filesScanned, summary.rows, {},
                           seconds.count(), summary.filesUnreadable, summary.foldersUnreadable});
    }
    return summary;
}
