#include "search/gui/SearchResults.h"

#include "config/AppContext.h"
#include "scan/TextFields.h"
#include "search/core/OutlineCache.h"
#include "widgets/ListViewEx.h"

#include <QFontMetrics>
#include <QLabel>
#include <QTextDocument>

#include <algorithm>
#include <mutex>

// What a run hands to the window, in the order produced.
struct TSearchResults::TEvent {
    enum class TKind { Row, Progress, Finished } kind;
    TSearchRow row;
    TSearchProgress progress;
};

// The hand-over between a run's thread and the window: the worker appends, and posts
// one queued drain call whenever none is outstanding, so a burst of rows reaches the
// window as one batch, in order.
struct TSearchResults::TChannel {
    std::mutex mutex;
    std::vector<TEvent> events; // guarded by mutex
    bool posted = false;        // guarded by mutex
};

// Worker thread only.
class TSearchResults::TQueuedSink : public ISearchSink {
public:
    TQueuedSink(TSearchResults* results, std::uint64_t runId, std::shared_ptr<TChannel> channel)
        : m_results(results), m_runId(runId), m_channel(std::move(channel))
    {
    }
    void AddResult(const TSearchRow& row) override { Push({TEvent::TKind::Row, row, {}}); }
    void ShowProgress(const TSearchProgress& progress) override { Push({TEvent::TKind::Progress, {}, progress}); }
    void Finish() { Push({TEvent::TKind::Finished, {}, {}}); }

private:
    void Push(TEvent event)
    {
        bool post = false;
        {
            std::lock_guard lock(m_channel->mutex);
            m_channel->events.push_back(std::move(event));
            post = !m_channel->posted;
            m_channel->posted = true;
        }
        if (post) {
            TSearchResults* results = m_results;
            const std::uint64_t runId = m_runId;
            QMetaObject::invokeMethod(
                results, [results, runId] { results->DrainRun(runId); }, Qt::QueuedConnection);
        }
    }

    TSearchResults* m_results;
    std::uint64_t m_runId;
    std::shared_ptr<TChannel> m_channel;
};

TSearchResults::TSearchResults(TAppContext& app, TListViewEx* list, QLabel* status, QObject* parent)
    : QObject(parent), m_app(app), m_list(list), m_status(status)
{
    m_list->SetOnCompare([this](const TListRow& a, const TListRow& b) {
        return Compare(a, b, m_columnLetters, m_list->SortColumn(), m_list->SortOrder());
    });
}

int TSearchResults::Compare(const TListRow& a, const TListRow& b, std::string_view letters, int sortColumn,
                            TSortOption order)
{
    if (sortColumn <= 0 || static_cast<std::size_t>(sortColumn) >= letters.size() ||
        letters[static_cast<std::size_t>(sortColumn)] != 'L')
        return DefaultCompare(a, b, sortColumn, order);
    const auto line = [sortColumn](const TListRow& row) {
        const auto i = static_cast<std::size_t>(sortColumn - 1);
        return i < row.subTexts.size() ? IntOrZero(row.subTexts[i]) : 0;
    };
    const int la = line(a);
    const int lb = line(b);
    const int result = (la > lb) - (la < lb);
    return order == TSortOption::soDescending ? -result : result;
}

TSearchResults::~TSearchResults()
{
    for (auto& run : m_runs)
        run.thread.request_stop();
    for (auto& run : m_runs)
        if (run.thread.joinable())
            run.thread.join();
}

void TSearchResults::Start(TSearchRequest request)
{
    Stop();
    m_list->clear();
    ShowProgress({});
    m_lastRowFile.clear();
    m_rowFilesSinceProgress = 0;
    TRun& run = m_runs.emplace_back();
    run.id = m_nextRunId++;
    run.channel = std::make_shared<TChannel>();
    m_activeRunId = run.id;
    emit SearchingChanged(true);
    TAppContext& app = m_app;
    if (!app.Paths().cacheFolder.empty())
        request.cacheFile = TOutlineCache::FileIn(app.Paths().cacheFolder);
    run.thread = std::jthread([this, &app, id = run.id, channel = run.channel,
                               request = std::move(request)](std::stop_token stop) {
        TQueuedSink sink(this, id, channel);
        try {
            RunSearch(request, app.SharedRules(), app.Config(), app.DebugLog(), stop, sink);
        } catch (const std::exception& e) {
            app.DebugLog().AddLine(std::string("error:Search;") + e.what());
        } catch (...) {
            app.DebugLog().AddLine("error:Search;");
        }
        sink.Finish();
    });
}

void TSearchResults::Stop()
{
    if (m_activeRunId == 0)
        return;
    for (auto& run : m_runs)
        if (run.id == m_activeRunId)
            run.thread.request_stop();
    // The run ends by itself; its end is collected in DrainRun.
    m_activeRunId = 0;
    TSearchProgress stopped = m_progress;
    stopped.filesDone += m_rowFilesSinceProgress;
    stopped.rows = static_cast<std::size_t>(m_list->topLevelItemCount());
    m_status->setText(QString::fromStdString(StoppedText(stopped)));
    m_status->setToolTip({});
    SortRows();
    emit SearchingChanged(false);
}

void TSearchResults::DrainRun(std::uint64_t runId)
{
    auto run = std::find_if(m_runs.begin(), m_runs.end(), [runId](const TRun& r) { return r.id == runId; });
    if (run == m_runs.end())
        return;
    std::vector<TEvent> events;
    {
        std::lock_guard lock(run->channel->mutex);
        events.swap(run->channel->events);
        run->channel->posted = false;
    }
    // A stopped run's rows and status texts are dropped, even those already queued.
    const bool active = runId == m_activeRunId;
    bool finished = false;
    std::vector<QStringList> rows;
    const TSearchProgress* progress = nullptr; // the latest of the batch
    for (const auto& event : events) {
        switch (event.kind) {
        case TEvent::TKind::Row:
            if (active) {
                rows.push_back(CellsOf(event.row));
                // Progress comes at intervals; the files of the rows since tell how far
                // the run has come in between.
                if (event.row.file != m_lastRowFile) {
                    m_lastRowFile = event.row.file;
                    ++m_rowFilesSinceProgress;
                }
            }
            break;
        case TEvent::TKind::Progress:
            if (active) {
                progress = &event.progress;
                m_lastRowFile = event.progress.path;
                m_rowFilesSinceProgress = 0;
            }
            break;
        case TEvent::TKind::Finished:
            finished = true;
            break;
        }
    }
    if (!rows.empty())
        m_list->AddRows(rows);
    if (progress)
        ShowProgress(*progress);
    if (finished) {
        if (active) {
            m_activeRunId = 0;
            SortRows();
            emit SearchingChanged(false);
        }
        run->thread.join();
        m_runs.erase(run);
    }
}

void TSearchResults::SortRows()
{
    // Writing the sort column again sorts the rows by it (when the list has an order).
    m_list->SetSortColumn(m_list->SortColumn());
}

void TSearchResults::ShowProgress(const TSearchProgress& progress)
{
    m_progress = progress;
    QString text = QString::fromStdString(ProgressText(progress));
    QString path;
    if (progress.phase == TSearchProgress::TPhase::Scanning) {
        // The counts, then as much of the path as fits, its middle left out.
        text += "  ";
        path = QString::fromStdString(progress.path);
        const QFontMetrics metrics = m_status->fontMetrics();
        const int room = m_status->contentsRect().width() - metrics.horizontalAdvance(text);
        text += metrics.elidedText(path, Qt::ElideMiddle, std::max(0, room));
    }
    m_status->setText(text);
    // A tooltip takes markup it finds in its text: the path is made into markup that shows it as written.
    m_status->setToolTip(path.isEmpty() ? path : Qt::convertFromPlainText(path, Qt::WhiteSpaceNoWrap));
}

QStringList TSearchResults::CellsOf(const TSearchRow& row) const
{
    // The caption is always the file; the other cells follow the column letters.
    QStringList cells{QString::fromStdString(row.file)};
    for (std::size_t i = 1; i < m_columnLetters.size(); ++i) {
        switch (m_columnLetters[i]) {
        case 'C': cells << QString::fromStdString(row.comment); break;
        case 'D': cells << QString::fromStdString(row.declaration); break;
        case 'L': cells << QString::fromStdString(row.line); break;
        case 'T': cells << QString::fromStdString(row.type); break;
        default: break;
        }
    }
    return cells;
}
