#include "TempPath.h"
#include "config/Debug.h"
#include "scan/CodeScanner.h"
#include "scan/StructureTexts.h"

#include <gtest/gtest.h>

#include <future>
#include <string>
#include <vector>

namespace {

struct TGuardCase {
    const char* name;
    TLines rules;    // the rule block's sets, between its begin and end lines
    TLines source;
    std::size_t records;
};

// A re-match that gives up at the end of the source moves the line index past the
// last line without reading anything. A rule that keeps matching after that must
// still be cut off by the attempt cap, with one message, and the scan must end.
TEST(ScanProgressGuard, GivingUpAtTheEndIsNoProgress)
{
    const TGuardCase cases[] = {
        {"re-match gives up on the last line",
         {"[+CYC0]", ".", "S0=^open", "S=never", ".", "[-CYC0]"}, {"text", "open"}, 0},
        {"re-match gives up on an earlier line",
         {"[+CYC0]", ".", "S0=^open", "S=never", "B=#2", ".", "[-CYC0]"}, {"open", "more", "end"}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TLines file = {"[BEGIN]", "[+VAR]", "PAS=P", "[-VAR]", "[BEGIN] NAME=P"};
        file.insert(file.end(), c.rules.begin(), c.rules.end());
        file.insert(file.end(), {"[END]", "[END]"});
        TStructureTexts rules;
        rules.LoadFromList(file);
        TDebug log(TestTempPath("progress_guard.TXT"));
        log.SetAutoSave(false);
        std::vector<std::string> messages;
        log.SetMessageSink([&](const std::string& text) { messages.push_back(text); });
        TCodeScanner scanner(rules, log);
        auto scan = std::async(std::launch::async, [&] { scanner.ScanLines(c.source, "PAS"); });
        ASSERT_EQ(scan.wait_for(std::chrono::seconds(20)), std::future_status::ready) << "the scan does not end";
        scan.get();
        EXPECT_EQ(scanner.Results().size() / 4, c.records);
        EXPECT_LE(messages.size(), 1u);
    }
}

} // namespace
