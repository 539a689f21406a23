#include "editor/WorkspaceSymbols.h"

#include "editor/LspMessages.h"
#include "search/core/FileOutline.h"
#include "search/core/Search.h"
#include "scan/StructureTexts.h"

#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <array>
#include <filesystem>
#include <set>

namespace {

// How long the search waits for the client to create the progress token it asked for.
constexpr std::chrono::seconds kTokenWait{10};

std::string NormalPath(const std::string& path) { return std::filesystem::path(path).lexically_normal().string(); }

QString Text(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// Takes the whole outlines the search hands over and keeps the best matches.
class TSymbolMatcher : public ISearchSink {
public:
    TSymbolMatcher(std::string query, std::set<std::string> skipped,
                   std::function<void(const TSearchProgress&)> progress)
        : m_lowerQuery(LowerCase(query)), m_skipped(std::move(skipped)),
          m_progress(std::move(progress))
    {
    }

    void AddResult(const TSearchRow&) override {}
    void ShowProgress(const TSearchProgress& progress) override
    {
        if (m_progress)
            m_progress(progress);
    }
    void AddOutline(const std::string& path, const TFileOutline& outline) override
    {
        if (!m_skipped.count(NormalPath(path)))
            Match(path, outline);
    }

    void Match(const std::string& path, const TFileOutline& outline)
    {
        const auto holdsQuery = [this](std::string_view text) { return HoldsQuery(text); };
        VisitIndexSymbols(outline, holdsQuery, [&](const TIndexSymbol& symbol) {
            if (!holdsQuery(symbol.name))
                return;
            const std::string lowerName = LowerCase(symbol.name);
            const std::size_t rank = lowerName == m_lowerQuery ? 0 : lowerName.rfind(m_lowerQuery, 0) == 0 ? 1 : 2;
            std::size_t better = 0;
            for (std::size_t r = 0; r <= rank; ++r)
                better += m_found[r].size();
            if (better >= kMaxWorkspaceSymbols)
                return;
            const int line = std::max(0, symbol.line - 1);
            QJsonObject item{{"name", Text(symbol.name)},
                             {"kind", static_cast<int>(symbol.kind)},
                             {"location", QJsonObject{{"uri", FileUriOf(path)}, {"range", LspRange(line, 0, line, 0)}}}};
            const std::string_view container = symbol.scope.empty() ? symbol.module : symbol.scope;
            if (!container.empty())
                item.insert("containerName", Text(container));
            m_found[rank].push_back(item);
        });
    }

    QJsonArray Result() const
    {
        QJsonArray result;
        for (const auto& found : m_found)
            for (const auto& item : found)
                if (static_cast<std::size_t>(result.size()) < kMaxWorkspaceSymbols)
                    result.append(item);
        return result;
    }

private:
    // ContainsKeyword ignoring case, made for the many short texts of a whole tree: the
    // first letter of the query is looked for in its two cases at once.
    bool HoldsQuery(std::string_view text) const
    {
        const std::size_t n = m_lowerQuery.size();
        if (n == 0)
            return true;
        const char first = m_lowerQuery[0];
        const char firstUpper = first >= 'a' && first <= 'z' ? static_cast<char>(first - 'a' + 'A') : first;
        for (std::size_t i = 0; i + n <= text.size(); ++i) {
            if (text[i] != first && text[i] != firstUpper)
                continue;
            std::size_t k = 1;
            while (k < n && LowerAscii(text[i + k]) == m_lowerQuery[k])
                ++k;
            if (k == n)
                return true;
        }
        return false;
    }
    static char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

    std::string m_lowerQuery;
    std::set<std::string> m_skipped;
    std::function<void(const TSearchProgress&)> m_progress;
    std::array<std::vector<QJsonObject>, 3> m_found; // exact, prefix, inside
};

} // namespace

TWorkspaceSymbols::TWorkspaceSymbols(const TOutlineSetup& setup, TLspOutput& output)
    : m_setup(setup), m_output(output), m_worker([this](std::stop_token stop) { Work(stop); })
{
}

TWorkspaceSymbols::~TWorkspaceSymbols()
{
    m_worker.request_stop();
    {
        std::lock_guard lock(m_mutex);
        m_workingStop.request_stop();
    }
    m_changed.notify_all();
}

void TWorkspaceSymbols::Start(TWorkspaceQuery query)
{
    {
        std::lock_guard lock(m_mutex);
        m_waiting.push_back(std::move(query));
    }
    m_changed.notify_all();
}

void TWorkspaceSymbols::Cancel(const QJsonValue& id)
{
    std::unique_lock lock(m_mutex);
    for (auto it = m_waiting.begin(); it != m_waiting.end(); ++it) {
        if (it->id == id) {
            m_waiting.erase(it);
            lock.unlock();
            m_output.Fail(id, LspError::RequestCancelled, "cancelled");
            return;
        }
    }
    if (!m_workingId.isNull() && m_workingId == id)
        m_workingStop.request_stop();
}

void TWorkspaceSymbols::CancelProgress(const QJsonValue& token)
{
    QJsonValue id;
    {
        std::lock_guard lock(m_mutex);
        if (!m_workingToken.isNull() && m_workingToken == token) {
            m_workingStop.request_stop();
            return;
        }
        for (const auto& query : m_waiting)
            if (!query.progressToken.isNull() && query.progressToken == token)
                id = query.id;
    }
    if (!id.isNull())
        Cancel(id);
}

void TWorkspaceSymbols::CancelAll()
{
    std::unique_lock lock(m_mutex);
    std::deque<TWorkspaceQuery> waiting = std::move(m_waiting);
    m_waiting.clear();
    m_workingStop.request_stop();
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return m_workingId.isNull(); });
    lock.unlock();
    for (const auto& query : waiting)
        m_output.Fail(query.id, LspError::RequestCancelled, "cancelled");
}

void TWorkspaceSymbols::TokenAnswered(const QJsonValue& token, bool created)
{
    {
        std::lock_guard lock(m_mutex);
        m_tokenAnswers.emplace_back(token, created);
    }
    m_changed.notify_all();
}

void TWorkspaceSymbols::Work(std::stop_token stop)
{
    for (;;) {
        TWorkspaceQuery query;
        {
            std::unique_lock lock(m_mutex);
            if (!m_changed.wait(lock, stop, [this] { return !m_waiting.empty(); }))
                return;
            query = std::move(m_waiting.front());
            m_waiting.pop_front();
            m_workingId = query.id;
            m_workingToken = query.progressToken;
            m_workingStop = std::stop_source();
        }
        Answer(query, stop);
        {
            std::lock_guard lock(m_mutex);
            m_workingId = QJsonValue();
            m_workingToken = QJsonValue();
        }
        m_changed.notify_all();
    }
}

bool TWorkspaceSymbols::AwaitToken(const TWorkspaceQuery& query, std::stop_token stop)
{
    std::unique_lock lock(m_mutex);
    const std::stop_source working = m_workingStop;
    std::optional<bool> created;
    m_changed.wait_until(lock, stop, std::chrono::steady_clock::now() + kTokenWait, [&] {
        for (const auto& [token, answer] : m_tokenAnswers)
            if (token == query.progressToken)
                created = answer;
        return created.has_value() || working.stop_requested();
    });
    return created.value_or(false);
}

void TWorkspaceSymbols::Answer(TWorkspaceQuery& query, std::stop_token serverStop)
{
    std::stop_source runStop;
    {
        std::lock_guard lock(m_mutex);
        runStop = m_workingStop;
    }
    const std::stop_callback serverStopped(serverStop, [runStop]() mutable { runStop.request_stop(); });
    const bool progress = !query.progressToken.isNull() && (!query.tokenAsked || AwaitToken(query, serverStop));
    const auto report = [&](const QJsonObject& value) {
        if (progress)
            m_output.Notify("$/progress", QJsonObject{{"token", query.progressToken}, {"value", value}});
    };
    report({{"kind", "begin"}, {"title", "Searching the outlines"}, {"cancellable", true}, {"percentage", 0}});

    std::set<std::string> openPaths;
    for (const auto& open : query.open)
        openPaths.insert(NormalPath(open.path));
    std::size_t files = 0;
    TSymbolMatcher matcher(query.query, openPaths, [&](const TSearchProgress& step) {
        files = step.files;
        if (step.phase == TSearchProgress::TPhase::Gathering)
            report({{"kind", "report"}, {"message", QString("%1 files found").arg(step.files)}, {"percentage", 0}});
        else if (step.phase == TSearchProgress::TPhase::Scanning && step.files > 0)
            report({{"kind", "report"},
                    {"message", QString("%1 of %2 files").arg(step.filesDone).arg(step.files)},
                    {"percentage", static_cast<int>(100 * step.filesDone / step.files)}});
    });
    TSearchRequest request;
    request.folders = query.folders;
    for (const auto& line : m_setup.rules.Section("VAR"))
        request.fileTypes.push_back(SearchFileTypeEntry(line));
    request.cacheFile = m_setup.cacheFile;
    request.jobs = m_setup.jobs;
    request.wholeOutlines = true;
    QString failure;
    TSearchSummary summary;
    try {
        summary = RunSearch(request, m_setup.rules, m_setup.config, m_setup.log, runStop.get_token(), matcher);
        for (const auto& open : query.open)
            matcher.Match(open.path, *open.outline);
    } catch (const std::exception& e) {
        failure = QString::fromStdString(e.what());
    }
    if (serverStop.stop_requested())
        return;
    report({{"kind", "end"}, {"message", QString("%1 files").arg(files)}});
    if (!failure.isEmpty())
        m_output.Fail(query.id, LspError::RequestFailed, "the search failed: " + failure);
    else if (summary.stopped || runStop.stop_requested())
        m_output.Fail(query.id, LspError::RequestCancelled, "cancelled");
    else
        m_output.Respond(query.id, matcher.Result());
}
