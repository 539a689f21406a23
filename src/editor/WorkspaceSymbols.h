#pragma once
// workspace/symbol: the declarations whose names hold the query (ASCII letter case
// ignored), found by the search over the workspace folders through its outline cache,
// with the open documents outlined from their text instead of their files. Queries are
// answered one after another on a thread of their own, so the server reads on meanwhile:
// a cancel request stops the search, and a long first search reports its progress.

#include "editor/DocumentScan.h"
#include "editor/LspDocuments.h"

#include <QJsonValue>
#include <QString>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <stop_token>
#include <thread>
#include <vector>

class TLspOutput;

// At most this many symbols answer one query: exact names first, then names that begin
// with the query, then the rest, each in the search's file order.
inline constexpr std::size_t kMaxWorkspaceSymbols = 1000;

struct TWorkspaceQuery {
    QJsonValue id;
    std::string query;
    TLines folders;
    std::vector<TOpenOutline> open;
    QJsonValue progressToken; // null: no progress is reported
    bool tokenAsked = false;  // the server asked the client to create the token
};

class TWorkspaceSymbols {
public:
    TWorkspaceSymbols(const TOutlineSetup& setup, TLspOutput& output);
    // Stops the query at work and drops those waiting, unanswered.
    ~TWorkspaceSymbols();

    void Start(TWorkspaceQuery query);
    // A waiting query is answered as cancelled at once; the one at work is stopped.
    void Cancel(const QJsonValue& id);
    void CancelProgress(const QJsonValue& token);
    // Cancels every query, waiting and at work, and returns once all are answered.
    void CancelAll();
    // The client's answer to the server's request to create a progress token.
    void TokenAnswered(const QJsonValue& token, bool created);

private:
    void Work(std::stop_token stop);
    void Answer(TWorkspaceQuery& query, std::stop_token serverStop);
    // Waits for the client's answer about the query's token; true when progress may be sent.
    bool AwaitToken(const TWorkspaceQuery& query, std::stop_token stop);

    const TOutlineSetup& m_setup;
    TLspOutput& m_output;
    std::mutex m_mutex;
    std::condition_variable_any m_changed;
    std::deque<TWorkspaceQuery> m_waiting;                  // guarded by m_mutex
    QJsonValue m_workingId;                                 // guarded by m_mutex; null: none
    QJsonValue m_workingToken;                              // guarded by m_mutex
    std::stop_source m_workingStop;                         // guarded by m_mutex
    std::vector<std::pair<QJsonValue, bool>> m_tokenAnswers; // guarded by m_mutex
    std::jthread m_worker; // last: starts when everything else is made, ends first
};
