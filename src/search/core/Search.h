#pragma once
// The search job: gathers the files of the chosen types under the chosen folders,
// scans each with one TCodeScanner and reports every title line and outline entry
// whose chosen fields contain the keyword. Plain core code: the search window runs
// it on a worker thread, the command line runs it directly.

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
    // Matched exactly as given: not trimmed, not split, letter case counts.
    std::string keyword;
    // Searched in this order; an empty entry is skipped.
    TLines folders;
    // Checked entries of the file-type list ("*.pas  [pascal]"), in list order.
    TLines fileTypes;
    std::shared_ptr<const TSearchChoices> choices;
    // Called by the scanner in trace mode before it shows its trace; on the worker thread.
    std::function<void()> minimizeMainWindow;
};

// One found row. Line is the source line (from 1) of an entry, or the position (from 0)
// of the matching line within the file's title for a title row.
struct TSearchRow {
    std::string file;
    std::string line;
    std::string declaration;
    std::string comment;
    std::string type;

    bool operator==(const TSearchRow&) const = default;
};

// Receives what a run produces, on the run's own thread, in the order produced.
class ISearchSink {
public:
    virtual ~ISearchSink() = default;
    virtual void AddResult(const TSearchRow& row) = 0;
    // The path of the file being scanned.
    virtual void ShowStatus(const std::string& path) = 0;
};

struct TSearchSummary {
    std::size_t filesGathered = 0;
    std::size_t filesScanned = 0;
    std::size_t filesSkipped = 0; // unreadable, failed to scan, or without entries
    std::size_t rows = 0;
    std::size_t ruleFaults = 0; // distinct faults of the rules met, each logged once
    bool stopped = false;
};

// Minimum time between two status texts; the last file's path is always reported.
inline constexpr std::chrono::milliseconds kSearchStatusInterval{100};

// The file-type entry of the search window for one KEY=NAME line of the rule file's
// VAR section: "*.key  [name]", lower-cased.
std::string SearchFileTypeEntry(const std::string& varLine);

// The whole file list of a request: for each folder, for each file type, FindFiles.
// A file reached twice stands twice.
TLines GatherSearchFiles(const TSearchRequest& request);

// True when keyword occurs in text as a contiguous run of bytes (exact, case counts).
bool ContainsKeyword(std::string_view text, std::string_view keyword);

// Runs one search. The stop request is checked before each file and before each row;
// once it is seen, nothing more reaches the sink. Failures of single files skip them.
TSearchSummary RunSearch(const TSearchRequest& request, const TStructureTexts& sharedRules,
                         const TConfig& config, TDebug& debugLog, std::stop_token stop,
                         ISearchSink& sink);
