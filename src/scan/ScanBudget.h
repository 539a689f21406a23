#pragma once
// What keeps runaway rules in bounds: caps on the texts they build and on all that one
// scan writes (TScanBudget), and on rule attempts that make no progress (TAttemptGuard).
// Past a cap, a TScanLimit reports what grew.

#include "scan/RuleFault.h"

#include <cstddef>
#include <string>

class TScanBudget {
public:
    // Caps on what the rules build: the buffer, a macro, a source or comment line, a
    // result line; and on everything one scan writes (records, written-back code,
    // comments, picked-up texts) and on what its macro expansions make, each: 64 MB and
    // four times the source.
    static constexpr std::size_t kMaxTextSize = 32u << 20;
    static constexpr std::size_t kScanOutputBase = 64u << 20;
    static constexpr std::size_t kScanOutputPerSourceByte = 4;

    // A new scan of a source of sourceBytes: nothing written or expanded yet.
    void Start(std::size_t sourceBytes);
    // Throws when a text of size bytes would be past the cap on one text.
    static void CheckSize(std::size_t size, const char* what);
    // Counts bytes the scan writes, or that a macro expansion made; past the limit the
    // scan's attempt ends. (Rules that expand large macros on every attempt would
    // otherwise take minutes while each attempt stays within the caps.)
    void Written(std::size_t bytes) { Count(m_written, bytes, "what the scan writes grows"); }
    void Expanded(std::size_t bytes) { Count(m_expanded, bytes, "macro expansions grow"); }

    static std::string Megabytes(std::size_t bytes) { return std::to_string(bytes >> 20) + " MB"; }

private:
    void Count(std::size_t& total, std::size_t bytes, const char* what) const
    {
        total += bytes;
        if (total > m_limit)
            Exceeded(what);
    }
    [[noreturn]] void Exceeded(const char* what) const;

    std::size_t m_written = 0;
    std::size_t m_expanded = 0;
    std::size_t m_limit = 0;
};

// Counts rule attempts (IF jumps included) on one buffer without progress: no new source
// line read and the buffer no shorter than it has been. Rules that never make progress
// are cut off at the cap, their records since the last progress are dropped, and the next
// line is read; once rules of a scan have been cut off, the cap is lower for the rest of
// the scan.
class TAttemptGuard {
public:
    static constexpr int kMaxAttemptsPerBuffer = 10000;
    static constexpr int kMaxAttemptsAfterStall = 1000;

    void StartScan()
    {
        m_linesRead = 0;
        m_cap = kMaxAttemptsPerBuffer;
    }
    // The first attempt of a cycle is progress.
    void StartCycle() { m_progressLines = -1; }
    void LinesRead(long count) { m_linesRead += count; }

    // Counts attempts that failed or matched on a buffer of bufferSize with results
    // records' lines made so far; true when too many were made since the last progress.
    bool Stalled(int attempts, std::size_t bufferSize, std::size_t results)
    {
        if (m_linesRead != m_progressLines || bufferSize < m_progressSize) {
            m_progressLines = m_linesRead;
            m_progressSize = bufferSize;
            m_progressResults = results;
            m_attempts = 0;
            --attempts; // the one that made the progress
        }
        m_attempts += attempts;
        return m_attempts >= m_cap;
    }
    // After a stall: the record lines made up to the last progress, which stay; the cap
    // is lower from now on.
    std::size_t CutOff()
    {
        m_cap = kMaxAttemptsAfterStall;
        return m_progressResults;
    }

private:
    long m_linesRead = 0;
    long m_progressLines = -1;
    std::size_t m_progressSize = 0;
    std::size_t m_progressResults = 0;
    int m_attempts = 0;
    int m_cap = kMaxAttemptsPerBuffer;
};
