#pragma once
// Reading and scanning one source file for the outline browser, with the reason
// when the file cannot be outlined. Each call makes its own scanner, so it reads the
// comment indicator stored last; runs on the calling thread.

#include "scan/IncludeFlattener.h"
#include "scan/OutlineStore.h"
#include "scan/ScanProgress.h"
#include "scan/TextFields.h"

#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

class TConfig;
class TDebug;
class TStructureTexts;

// Why a location's file could not be outlined.
enum class TOpenFailure { None, UnknownType, Missing, Unreadable, Empty, ScanFailed, Stopped };

// What reading and scanning one file gave.
struct TScanOutcome {
    TOpenFailure failure = TOpenFailure::None;
    std::string error; // the scanner's message when the scan failed; why an unreadable file is
    TOutlineStore entries; // the scanner's result lines, four per entry
    int lineCount = 0; // source lines read
    TLines title;      // the comment block at the head of the file
    std::size_t nulLine = 0; // the line (from 1) at which a NUL character ended the text; 0: none
};

// "Cannot outline NAME: REASON", the status bar's account of a failure ("Stopped: NAME was
// not outlined" for a scan the user stopped). detail is the
// file-type key of an unknown type, why an unreadable file is, or the scanner's message of
// a failed scan.
std::string OpenFailureText(const std::string& fileName, TOpenFailure failure,
                            const std::string& detail);

// Reads the file and scans it with the rule block VAR names for key. A missing, unreadable
// or empty file is not scanned; an error escaping the scan gives ScanFailed. Faults of the
// rules go to the trace log, and the first of them to the user (ShowString). minimize is
// called before the scanner shows its trace (trace mode). With includes, the include files
// the source names are put in place with those folders (entries from them name their file),
// and they count against the size limit; without, the file is outlined on its own. A scan
// run on a worker thread is watched through control: a stop request ends it with Stopped,
// and it writes its progress there.
struct TScanControl {
    std::stop_token stop;
    TScanProgress* progress = nullptr;
};
TScanOutcome ScanOutline(const TStructureTexts& rules, const TConfig& config, TDebug& log,
                         const std::string& path, std::string_view key,
                         std::function<void()> minimize = {},
                         const std::optional<TIncludeOptions>& includes = std::nullopt,
                         const TScanControl& control = {});
