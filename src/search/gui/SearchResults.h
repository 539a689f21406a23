#pragma once
// The search window's results: each search runs on a thread of its own; the rows and
// progress it reports reach the window thread in batches and go into the result list,
// their cells in the order of the column letters, and the status line: the counts
// while it gathers and scans (with the file handed over last), "Done: ..." at its end,
// "Stopped: ..." with the counts when stopped. The rows stand in the order found while
// the run goes on, and are sorted by the list's sort column once it ends or is stopped.
// A new run replaces the one in front; a stopped run adds nothing more, ends by itself
// and is joined when it does. Owned by the search window; used on the window thread,
// apart from the workers' sinks.

#include "widgets/core/ListCompare.h"
#include "search/core/Search.h"

#include <QObject>

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

class QLabel;
class TAppContext;
class TListViewEx;

class TSearchResults : public QObject {
    Q_OBJECT
public:
    // The designed result columns: File, Line, Declaration, Comment, Type.
    static constexpr std::string_view kDesignedColumnLetters = "FLDCT";

    // list receives the rows, status the progress. The list sorts its rows by the
    // search's rule (Compare).
    TSearchResults(TAppContext& app, TListViewEx* list, QLabel* status, QObject* parent = nullptr);
    // Stops every run still going and waits for its thread, so no worker outlives the
    // shared objects it reads.
    ~TSearchResults() override;

    // Empties the list and starts a run, replacing the one in front.
    void Start(TSearchRequest request);
    // Stops the run in front: its rows and progress are dropped from now on.
    void Stop();
    bool IsSearching() const { return m_activeRunId != 0; }
    // Runs whose threads have not ended yet, stopped ones included.
    std::size_t RunsInProgress() const { return m_runs.size(); }

    // One letter per result column, in column order: C Comment, D Declaration, F File,
    // L Line, T Type. The worker's cells follow it.
    const std::string& ColumnLetters() const { return m_columnLetters; }
    void SetColumnLetters(std::string letters) { m_columnLetters = std::move(letters); }

    // The result list's compare rule: the column that the letter L marks (Line) by its
    // number, as IntOrZero reads it; every other column as the list's case-insensitive
    // text compare. Negated when descending; equal rows compare as 0.
    static int Compare(const TListRow& a, const TListRow& b, std::string_view letters, int sortColumn,
                       TSortOption order);

signals:
    // A run started, or the run in front ended or was stopped.
    void SearchingChanged(bool searching);

private:
    struct TEvent;
    struct TChannel;
    class TQueuedSink;
    struct TRun {
        std::uint64_t id = 0;
        std::shared_ptr<TChannel> channel;
        std::jthread thread;
    };

    void DrainRun(std::uint64_t runId);
    // Sorts the rows by the list's sort column and order, once a run has ended.
    void SortRows();
    void ShowProgress(const TSearchProgress& progress);
    QStringList CellsOf(const TSearchRow& row) const;

    TAppContext& m_app;
    TListViewEx* m_list;
    QLabel* m_status;
    TSearchProgress m_progress; // shown last
    // The files whose rows came after that progress, and the file of the row that came last.
    std::size_t m_rowFilesSinceProgress = 0;
    std::string m_lastRowFile;
    std::string m_columnLetters{kDesignedColumnLetters};
    std::uint64_t m_nextRunId = 1;
    std::uint64_t m_activeRunId = 0; // 0: no search runs
    // The run in front and the runs stopped but not yet ended; each ends by itself.
    std::list<TRun> m_runs;
};
