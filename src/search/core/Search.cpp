#include "search/core/Search.h"

#include "scan/CodeScanner.h"
#include "search/core/FileHelpers.h"

#include "config/Debug.h"

#include <set>
#include <tuple>

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

TLines GatherSearchFiles(const TSearchRequest& request)
{
    TLines files;
    for (const auto& folder : request.folders) {
        if (folder.empty())
            continue;
        for (const auto& entry : request.fileTypes)
            FindFiles(folder, FileTypeKey(TagTail(entry, 0)), files);
    }
    return files;
}

bool ContainsKeyword(std::string_view text, std::string_view keyword)
{
    return text.find(keyword) != std::string_view::npos;
}

namespace {

// Sends status texts no more often than kSearchStatusInterval; Flush sends the
// latest one when it was held back.
class TStatusThrottle {
public:
    explicit TStatusThrottle(ISearchSink& sink) : m_sink(sink) {}

    void Show(const std::string& path)
    {
        const auto now = std::chrono::steady_clock::now();
        if (m_sentOnce && now - m_lastSent < kSearchStatusInterval) {
            m_pending = path;
            m_held = true;
            return;
        }
        m_sink.ShowStatus(path);
        m_sentOnce = true;
        m_lastSent = now;
        m_held = false;
    }

    void Flush()
    {
        if (m_held)
            m_sink.ShowStatus(m_pending);
        m_held = false;
    }

private:
    ISearchSink& m_sink;
    bool m_sentOnce = false;
    bool m_held = false;
    std::string m_pending;
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

} // namespace

TSearchSummary RunSearch(const TSearchRequest& request, const TStructureTexts& sharedRules,
                         const TConfig& config, TDebug& debugLog, std::stop_token stop,
                         ISearchSink& sink)
{
    TSearchSummary summary;
    const std::string& keyword = request.keyword;
    const TSearchChoices noChoices;
    const TSearchChoices& choices = request.choices ? *request.choices : noChoices;

    const TLines files = GatherSearchFiles(request);
    summary.filesGathered = files.size();
    if (stop.stop_requested() || files.empty()) {
        summary.stopped = stop.stop_requested();
        return summary;
    }

    // Created after the gathering, so the run uses the comment indicator in force now.
    TCodeScanner scanner(sharedRules, config, debugLog);
    scanner.SetStopToken(stop);
    if (request.minimizeMainWindow)
        scanner.SetMinimizeCallback(request.minimizeMainWindow);
    TStatusThrottle status(sink);
    TSearchFaults faults(debugLog);
    auto add = [&](TSearchRow row) {
        if (stop.stop_requested())
            return false;
        sink.AddResult(row);
        ++summary.rows;
        return true;
    };

    for (const auto& path : files) {
        if (stop.stop_requested()) {
            summary.stopped = true;
            return summary;
        }
        status.Show(path);
        ++summary.filesScanned;
        bool scanned = true;
        try {
            scanner.ScanFile(path, FileTypeKey(path));
        } catch (const TScanStopped&) {
            summary.stopped = true;
            return summary;
        } catch (...) {
            scanned = false;
        }
        summary.ruleFaults += faults.Add(path, scanner.RuleFaults());
        if (!scanned) {
            ++summary.filesSkipped;
            continue;
        }
        const TLines& results = scanner.Results();
        if (results.size() < 2) {
            ++summary.filesSkipped;
            continue;
        }

        if (choices.Has(TSearchChoices::Titles)) {
            const TLines& title = scanner.CommentBlockAt(0);
            for (std::size_t i = 0; i < title.size(); ++i) {
                if (ContainsKeyword(title[i], keyword)) {
                    add({path, std::to_string(i), {}, title[i], {}});
                    break;
                }
            }
        }

        for (std::size_t r = 0; r + 3 < results.size(); r += 4) {
            const std::string& type = results[r + 1];
            const std::string& declaration = results[r + 2];
            const std::string& comment = results[r + 3];
            const bool hits[] = {
                choices.Has(TSearchChoices::Types) && ContainsKeyword(type, keyword),
                choices.Has(TSearchChoices::Declarations) && ContainsKeyword(declaration, keyword),
                choices.Has(TSearchChoices::Comments) && ContainsKeyword(comment, keyword),
            };
            for (const bool hit : hits) {
                if (hit && !add({path, TagValue(results[r], "LINE"), declaration, comment, type}))
                    break;
            }
        }
    }
    if (stop.stop_requested()) {
        summary.stopped = true;
        return summary;
    }
    status.Flush();
    return summary;
}
