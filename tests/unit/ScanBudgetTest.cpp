#include "scan/ScanBudget.h"

#include <gtest/gtest.h>

namespace {

TEST(ScanBudget, WritingAndExpandingHaveALimitEachInProportionToTheSource)
{
    TScanBudget budget;
    budget.Start(1u << 20); // 64 MB and four times a megabyte: 68 MB each
    budget.Written(68u << 20);
    budget.Expanded(68u << 20);
    EXPECT_THROW(budget.Written(1), TScanLimit);
    try {
        budget.Expanded(1);
        ADD_FAILURE() << "the expansions are past their limit";
    } catch (const TScanLimit& limit) {
        EXPECT_STREQ(limit.what(), "macro expansions grow past 68 MB, four times the source and 64 MB");
    }
    budget.Start(0);
    EXPECT_NO_THROW(budget.Written(64u << 20)) << "a new scan starts from nothing";
    EXPECT_NO_THROW(TScanBudget::CheckSize(TScanBudget::kMaxTextSize, "a text"));
    EXPECT_THROW(TScanBudget::CheckSize(TScanBudget::kMaxTextSize + 1, "a text"), TScanLimit);
}

// Steps on one guard: attempts (each of them on a buffer of a size, with records so far),
// lines read, a cut-off after a stall, a new cycle.
TEST(ScanBudget, AttemptsWithoutProgressStallAtTheCap)
{
    enum class TStep { Attempts, ReadLine, CutOff, NewCycle };
    const struct {
        TStep step;
        int attempts;
        std::size_t bufferSize;
        std::size_t results;
        bool stalled; // after the attempts; the results kept, after a cut-off
    } steps[] = {
        {TStep::Attempts, 1, 100, 0, false},   // the first attempt of a cycle is progress
        {TStep::Attempts, 9999, 100, 8, false},
        {TStep::Attempts, 1, 100, 8, true},    // 10 000 without progress
        {TStep::Attempts, 5000, 99, 12, false}, // a shorter buffer is progress
        {TStep::Attempts, 5001, 99, 16, true},
        {TStep::CutOff, 0, 0, 12, false},      // the records since the progress go
        {TStep::ReadLine, 0, 0, 0, false},
        {TStep::Attempts, 1000, 200, 16, false}, // a new line is progress; 1000 from now on
        {TStep::Attempts, 1, 200, 16, true},
        {TStep::NewCycle, 0, 0, 0, false},
        {TStep::Attempts, 999, 300, 0, false},
        {TStep::Attempts, 1, 300, 0, false},   // a new cycle's first is progress again
        {TStep::Attempts, 1, 300, 0, true},
    };
    TAttemptGuard guard;
    guard.StartScan();
    guard.StartCycle();
    int n = 0;
    for (const auto& s : steps) {
        SCOPED_TRACE(n++);
        switch (s.step) {
        case TStep::Attempts:
            EXPECT_EQ(guard.Stalled(s.attempts, s.bufferSize, s.results), s.stalled);
            break;
        case TStep::ReadLine:
            guard.LinesRead(1);
            break;
        case TStep::CutOff:
            EXPECT_EQ(guard.CutOff(), s.results);
            break;
        case TStep::NewCycle:
            guard.StartCycle();
            break;
        }
    }
}

} // namespace
