#pragma once
// The search job: gathers the files of the chosen types under the chosen folders,
// scans them on worker threads, one TCodeScanner each (or takes their outlines from the
// outline cache), and reports every title line and outline entry whose chosen fields
// contain the keyword, in file-list order. Plain core code: the search window runs it
// on a thread of its own, the command line runs it directly.

#include "scan/TextFields.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <stop_token>
#include <string>

class TConfig;
class TDebug;
class TStructureTexts;

// The four field choices. The window may change them while a run goes on; the job
// reads them each time a title or a field is about to be examined.
class TSearchChoices {
public:
    enum TField : unsigned { Titles = 1, Declarations = 2, Comments = 4, Types = 8, All = 15 };

    explicit TSearchChoices(unsigned fields = 0) : m_fields(fields) {}
    void Set(TField field, bool on);
    bool Has(TField field) const { return (m_fields.load(std::memory_order_relaxed) & field) != 0; }

private:
    std::atomic<unsigned> m_fields;
};

struct TSearchRequest {
    // Matched as given: not trimmed, not split; letter case counts unless ignoreCase.
    std::string keyword;
    // The case of ASCII letters is ignored (Pascal's own rule for names).
    bool ignoreCase = false;
    // Searched in this order; an empty entry is skipped.
    TLines folders;
    // Checked entries of the file-type list ("*.pas  [pascal]"), in list order.
    TLines fileTypes;
    std::shared_ptr<const TSearchChoices> choices;
    // Called by a scanner in trace mode before it shows its trace; on a worker thread.
    std::function<void()> minimizeMainWindow;
    // Worker threads that scan; 0: one per core.
    unsigned jobs = 0;
    // The outline cache's database file; empty: every file is scanned.
    std::string cacheFile;
    // Hands each file's whole outline to the sink (AddOutline) instead of matching the
    // keyword; the choices are not read then.
    bool wholeOutlines = false;
};

// One found row. Line is the source line (from 1) of an entry, or the position (from 0)
// of the matching line within the file's title for a title row.
struct TSearchRow {
    std::string file;
    std::string line;
    std::string declaration;
    std::string comment;
    std::string type;
    int level = 0;      // of the entry; 0 for a title row
    bool title = false; // a line of the file's title

    bool operator==(const TSearchRow&) const = default;
};

// Where a run stands.
struct TSearchProgress {
    enum class TPhase { Gathering, Scanning, Done };
    TPhase phase = TPhase::Gathering;
    std::size_t files = 0;     // found so far while gathering; then all files gathered
    std::size_t filesDone = 0; // files whose rows were handed over
    std::size_t rows = 0;
    std::string path;          // while scanning: the file handed over last
    double seconds = 0;        // when done: the run's time
    std::size_t unreadableFiles = 0;   // when done: files that could not be read
    std::size_t unreadableFolders = 0; // folders that could not be listed

    bool operator==(const TSearchProgress&) const = default;
};

// "N files found ...", "i of N files, R rows" or "Done: R rows in N files (s.s s)", the
// last followed by what could not be read ("; " and UnreadableText) when anything.
std::string ProgressText(const TSearchProgress& progress);
// "N files and M folders could not be read (see the trace log)".
std::string UnreadableText(std::size_t files, std::size_t folders);
// "Stopped: R rows in i of N files", for a run stopped at that progress.
std::string StoppedText(const TSearchProgress& progress);

class TFileOutline;

// Receives what a run produces, on the run's own thread, in the order produced.
class ISearchSink {
public:
    virtual ~ISearchSink() = default;
    virtual void AddResult(const TSearchRow& row) = 0;
    virtual void ShowProgress(const TSearchProgress& progress) = 0;
    // A request for whole outlines gets each file's outline that has entries, in file-list
    // order, instead of rows.
    virtual void AddOutline(const std::string& path, const TFileOutline& outline)
    {
        (void)path;
        (void)outline;
    }
};

struct TSearchSummary {
    std::size_t filesGathered = 0;
    std::size_t filesScanned = 0;   // handed over, from a scan or from the cache
    std::size_t filesFromCache = 0;
    std::size_t filesSkipped = 0;   // unreadable, failed to scan, or without entries
    std::size_t filesUnreadable = 0;   // among the skipped: could not be read, each logged
    std::size_t foldersUnreadable = 0; // could not be listed, each logged
    std::size_t rows = 0;
    std::size_t ruleFaults = 0; // distinct faults of the rules met, each logged once
    bool stopped = false;
};

// Minimum time between two progress reports while gathering and scanning; the end of a
// run that was not stopped is always reported.
inline constexpr std::chrono::milliseconds kSearchStatusInterval{100};

// The worker threads of a run: requested, or one per core when 0.
unsigned SearchJobs(unsigned requested);

// The file-type entry of the search window for one KEY=NAME line of the rule file's
// VAR section: "*.key  [name]", lower-cased.
std::string SearchFileTypeEntry(const std::string& varLine);

// The whole file list of a request: for each folder, for each file type, the files
// FindFiles finds, walking each folder once. A file reached twice stands twice. found
// is told the count so far after each file. A stop ends the walk early (the list is
// then incomplete). Folders that cannot be listed are named in log (when given) and
// counted in unreadableFolders; a searched folder that does not exist is not counted.
TLines GatherSearchFiles(const TSearchRequest& request, std::stop_token stop = {},
                         const std::function<void(std::size_t)>& found = {}, TDebug* log = nullptr,
                         std::size_t* unreadableFolders = nullptr);

// True when keyword occurs in text as a contiguous run of bytes: exact, or ignoring the
// case of ASCII letters.
bool ContainsKeyword(std::string_view text, std::string_view keyword, bool ignoreCase = false);

// Runs one search. The stop request is checked at every entry while gathering, at every
// rule attempt while scanning, and before each row and report; once it is seen, nothing
// more reaches the sink, and the run returns as soon as its workers have ended. Failures
// of single files skip them. Rows reach the sink in the order of a run on one thread.
TSearchSummary RunSearch(const TSearchRequest& request, const TStructureTexts& sharedRules,
                         const TConfig& config, TDebug& debugLog, std::stop_token stop,
                         ISearchSink& sink);
