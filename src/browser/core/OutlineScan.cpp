#include "browser/core/OutlineScan.h"

#include "config/Config.h"
#include "config/Debug.h"
#include "config/SettingsKeys.h"
#include "scan/CodeScanner.h"
#include "scan/SourceText.h"

#include <filesystem>

std::string OpenFailureText(const std::string& fileName, TOpenFailure failure,
                            const std::string& detail)
{
    std::string reason;
    switch (failure) {
    case TOpenFailure::None:
        return {};
    case TOpenFailure::UnknownType:
        reason = "the file type " + detail + " is unknown";
        break;
    case TOpenFailure::Missing:
        reason = "the file does not exist";
        break;
    case TOpenFailure::Unreadable:
        reason = detail.empty() ? "the file cannot be read" : "the file cannot be read (" + detail + ")";
        break;
    case TOpenFailure::Empty:
        reason = "the file is empty";
        break;
    case TOpenFailure::ScanFailed:
        reason = detail.empty() ? "the scan failed" : "the scan failed (" + detail + ")";
        break;
    case TOpenFailure::Stopped:
        return "Stopped: " + fileName + " was not outlined";
    }
    return "Cannot outline " + fileName + ": " + reason;
}

TScanOutcome ScanOutline(const TStructureTexts& rules, const TConfig& config, TDebug& log,
                         const std::string& path, std::string_view key,
                         std::function<void()> minimize, const std::optional<TIncludeOptions>& includes,
                         const TScanControl& control)
{
    TScanOutcome outcome;
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        outcome.failure = TOpenFailure::Missing;
        return outcome;
    }
    TSourceText source = LoadSourceText(path, SourceLimitBytes(config.ReadInteger(kMaxSourceMb)));
    std::optional<TLines>& lines = source.lines;
    outcome.nulLine = source.nulLine;
    if (!lines) {
        outcome.failure = TOpenFailure::Unreadable;
        outcome.error = source.problem;
        return outcome;
    }
    if (lines->empty()) {
        outcome.failure = TOpenFailure::Empty;
        return outcome;
    }
    // The status bar counts the source's own lines, also when its includes are followed.
    std::optional<int> ownLines;
    TCodeScanner scanner(rules, log, config.ReadInteger(kCmtIndicator));
    scanner.SetMinimizeCallback(std::move(minimize));
    scanner.SetStopToken(control.stop);
    scanner.SetProgress(control.progress);
    try {
        if (includes) {
            // The text read above, with its include files put in place; they count against
            // the size limit too.
            ownLines = static_cast<int>(lines->size());
            TIncludeOptions limited = *includes;
            limited.maxSourceBytes = SourceLimitBytes(config.ReadInteger(kMaxSourceMb));
            TFlatSource flat = FlattenIncludes(path, std::move(*lines), limited, log);
            source.lines = std::move(flat.codes);
            scanner.ScanText(path, std::move(source), key, std::move(flat.map));
        } else {
            scanner.ScanLines(std::move(*lines), key);
        }
    } catch (const TScanStopped&) {
        outcome.failure = TOpenFailure::Stopped;
        return outcome;
    } catch (const std::exception& e) {
        outcome.failure = TOpenFailure::ScanFailed;
        outcome.error = e.what();
    }
    // Faults of the rules: one box at most, all of them in the trace log.
    ReportRuleFaults(scanner.RuleFaults(), log, true);
    if (outcome.failure != TOpenFailure::None)
        return outcome;
    outcome.entries = TOutlineStore(scanner.TakeResults());
    outcome.lineCount = ownLines.value_or(static_cast<int>(scanner.Codes().size()));
    outcome.title = scanner.CommentBlockAt(0);
    return outcome;
}
