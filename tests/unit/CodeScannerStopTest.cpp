#include "scan/CodeScanner.h"

#include "TempPath.h"
#include "config/Debug.h"

#include <gtest/gtest.h>


namespace {

TEST(CodeScannerStop, AStopRequestEndsTheScan)
{
    TStructureTexts rules;
    rules.LoadFromList({"[BEGIN]", "[+VAR]", "PAS=P", "[-VAR]", "[BEGIN] NAME=P", "[+CYC0]", ".",
                        "S0=(\\w+)", "D=$1", "?", "B=#2", ".", "[-CYC0]", "[END]", "[END]"});
    TDebug log(TestTempPath("quillane_stop_test.TXT"));
    TCodeScanner scanner(rules, log);
    const TLines source{"alpha beta", "gamma"};

    scanner.ScanLines(source, "PAS");
    ASSERT_EQ(scanner.Results().size(), 12u) << "the rules emit one record per word";

    std::stop_source stop;
    scanner.SetStopToken(stop.get_token());
    scanner.ScanLines(source, "PAS");
    EXPECT_EQ(scanner.Results().size(), 12u) << "no stop request: the scan runs as before";
    stop.request_stop();
    EXPECT_THROW(scanner.ScanLines(source, "PAS"), TScanError);
}

TEST(CodeScannerStop, AStopRequestEndsAnIfJumpLoop)
{
    TStructureTexts rules;
    rules.LoadFromList({"[BEGIN]", "[+VAR]", "PAS=P", "[-VAR]", "[BEGIN] NAME=P", "[+CYC0]", ".", "S0=x",
                        "[MSG] again", "R=x", "[IF#1THEN] S0", "[-CYC0]", "[END]", "[END]"});
    TDebug log(TestTempPath("quillane_stop_test.TXT"));
    std::stop_source stop;
    int shown = 0;
    // The stop comes while the rule jumps back to itself.
    log.SetMessageSink([&](const std::string&) {
        ++shown;
        stop.request_stop();
    });
    TCodeScanner scanner(rules, log);
    scanner.SetStopToken(stop.get_token());
    EXPECT_THROW(scanner.ScanLines({"x"}, "PAS"), TScanStopped);
    EXPECT_EQ(shown, 1);
}

} // namespace
