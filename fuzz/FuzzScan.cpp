// libFuzzer entry points over the scanner. Built once per target:
//   QUILLANE_FUZZ_SOURCE: the input is a source file's bytes, scanned with the delivered
//                         rules as a PAS file;
//   QUILLANE_FUZZ_RULES:  the input is a rule file's text; a small Pascal source covering
//                         comments, strings, declarations and routines is scanned with it
//                         for the first four file types its VAR section gives blocks of
//                         their own.
// A scan may fail (TScanError) or report faults of the rules; it must not crash, hang,
// overrun memory or trip a sanitizer. Each input is scanned twice, with runs of rules
// searched as one pattern and with every rule searched on its own: the two scans must
// give the same outline, code, comments, faults and failure.

#include "config/Debug.h"
#include "scan/CodeScanner.h"
#include "scan/SourceText.h"
#include "scan/StructureTexts.h"

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

namespace {

struct TFuzzScanner {
    TStructureTexts rules;
    TDebug log{"/dev/null"};

    TFuzzScanner()
    {
        log.SetAutoSave(false);
        log.SetMessageSink([](const std::string&) {});
    }

    static std::string Scan(TCodeScanner& scanner, const TLines& source, std::string_view key)
    {
        std::string failure;
        try {
            scanner.ScanLines(source, key);
        } catch (const TScanError& error) {
            failure = error.what();
        }
        scanner.CommentBlockAt(0);
        scanner.CommentBlockAt(static_cast<int>(scanner.Codes().size()) / 2);
        return failure;
    }

    // Scans with both scanners, one of them searching every rule on its own.
    static void ScanBoth(TCodeScanner& runs, TCodeScanner& single, const TLines& source, std::string_view key)
    {
        single.SetRuleRuns(false);
        const std::string failure = Scan(runs, source, key);
        if (Scan(single, source, key) != failure || runs.Results() != single.Results() ||
            runs.Codes() != single.Codes() || runs.Comments() != single.Comments() ||
            runs.RuleFaults().size() != single.RuleFaults().size())
            __builtin_trap();
        for (std::size_t i = 0; i < runs.RuleFaults().size(); ++i)
            if (runs.RuleFaults()[i].Text() != single.RuleFaults()[i].Text())
                __builtin_trap();
    }
};

#ifdef QUILLANE_FUZZ_RULES
constexpr const char* kSource = R"({ The head comment
  of a small unit. }
unit Small; {$mode objfpc}{$H+}
interface
uses SysUtils, Classes;
type
  TColor = (clRed, clGreen);
  TShape = class(TObject)
  private
    FName: string; // the name
  public
    constructor Create(const AName: string);
    property Name: string read FName;
  end;
const
  Greeting = 'procedure begin end; _!0_';
  Codes = #13#10#$41;
var
  Count, Total: Integer;
function Describe(Shape: TShape): string;
implementation
(* a comment *)
constructor TShape.Create(const AName: string);
begin
  FName := AName;
end;
function Describe(Shape: TShape): string;
  function Quote(const S: string): string;
  begin
    Result := '''' + S + '''';
  end;
begin
  case Count of 0: Result := Quote(Shape.Name); end;
end;
end.
)";
#endif

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static TFuzzScanner fuzz;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
#ifdef QUILLANE_FUZZ_SOURCE
    static const bool loaded = [] {
        fuzz.rules.LoadFromFile(std::string(QUILLANE_DATA_DIR) + "/CodeScan.dll");
        return !fuzz.rules.Lines().empty();
    }();
    if (!loaded)
        __builtin_trap(); // the delivered rules must be there
    // One scanner for every input, as a search uses one for every file.
    static TCodeScanner scanner(fuzz.rules, fuzz.log);
    static TCodeScanner single(fuzz.rules, fuzz.log);
    TFuzzScanner::ScanBoth(scanner, single, DecodeSourceLines(bytes), "PAS");
#else
    static const TLines source = DecodeSourceLines(kSource);
    fuzz.rules.LoadFromText(bytes);
    // A scanner keeps the rules it parsed while the rule file stays the same: a new one.
    TCodeScanner scanner(fuzz.rules, fuzz.log);
    TCodeScanner single(fuzz.rules, fuzz.log);
    // The first four file types with a block of their own.
    std::set<std::string> blocks;
    for (const auto& line : fuzz.rules.Section("VAR"))
        if (blocks.size() < 4 && blocks.insert(line.substr(std::min(line.find('='), line.size()))).second)
            TFuzzScanner::ScanBoth(scanner, single, source, PairName(line));
#endif
    return 0;
}
