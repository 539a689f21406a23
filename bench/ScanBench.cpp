// Times the scanner with the delivered Pascal rules.
//
//   scan_bench generated [--mb N] [--rules FILE]
//       scans a generated Pascal source of about N MB (default 8) and prints lines/s and MB/s
//   scan_bench tree FOLDER... [--rules FILE] [--types LIST] [--trace] [--dump FILE]
//       scans every .pas, .pp, .dpr and .lpr file below the folders (--types inc: the include
//       files; a comma-separated list of extensions) and prints the files, MB, MB/s, the
//       slowest five files and how many took more than one second;
//       --trace names each file on standard error before it is scanned;
//       --dump FILE writes what each scan gave (records, code lines, comments, faults) to
//       FILE, so that two builds can be compared with cmp; --includes follows the include
//       files of each source (with the --include-path folders)
//   scan_bench includes SOURCE... [--include-path DIR]... [--runs N] [--rules FILE]
//       for each source, the best of N runs (default 10) of the scan alone and of the scan
//       that follows the include files, with the time the includes took to put in place,
//       the lines scanned and the records

#include "config/Debug.h"
#include "scan/CodeScanner.h"
#include "scan/IncludeScan.h"
#include "scan/StructureTexts.h"
#include "scan/TextFields.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using TClock = std::chrono::steady_clock;

namespace {

// The declarations and the bodies of one group of realistic Pascal: comments of all
// styles, strings with keywords in them, a class with visibility sections, a record,
// an enum, routines with a nested routine, asm, case and try blocks. The generated
// source is one unit: every group's declarations in its interface, every group's
// bodies in its implementation.
std::string InterfacePart(int n)
{
    const std::string k = std::to_string(n);
    std::ostringstream s;
    s << "type\n  TColor" << k << " = (clRed" << k << ", clGreen" << k << ", clBlue" << k << ");\n\n"
      << "  TPoint" << k << " = record\n    X, Y: Integer; // coordinates\n"
      << "    function Length: Double;\n  end;\n\n"
      << "  { TShape" << k << " draws itself }\n"
      << "  TShape" << k << " = class(TObject)\n  strict private\n"
      << "    FName: string;\n    FColor: TColor" << k << ";\n"
      << "    FPoints: array of TPoint" << k << ";\n  protected\n"
      << "    procedure Changed; virtual;\n  public\n"
      << "    constructor Create(const AName: string;\n      AColor: TColor" << k << ");\n"
      << "    destructor Destroy; override;\n"
      << "    function Area(Scale: Double = 1.0): Double; virtual; abstract;\n"
      << "    property Name: string read FName write FName;\n"
      << "    property Color: TColor" << k << " read FColor;\n  end;\n\n"
      << "const\n  Version" << k << " = 'procedure begin end; { not code }';\n"
      << "  Limits" << k << ": array[0..2] of Integer = (1, 2,\n    3);\n\n"
      << "var\n  Count" << k << ", Total" << k << ": Integer;\n\n"
      << "function Describe" << k << "(Shape: TShape" << k << "): string;\n\n";
    return s.str();
}

std::string ImplementationPart(int n)
{
    const std::string k = std::to_string(n);
    std::ostringstream s;
    s << "(* The record's method *)\n"
      << "function TPoint" << k << ".Length: Double;\nbegin\n  Result := Sqrt(X * X + Y * Y);\nend;\n\n"
      << "constructor TShape" << k << ".Create(const AName: string;\n  AColor: TColor" << k << ");\n"
      << "begin\n  inherited Create;\n  FName := AName; // keep it\n  FColor := AColor;\nend;\n\n"
      << "destructor TShape" << k << ".Destroy;\nbegin\n  FPoints := nil;\n  inherited Destroy;\nend;\n\n"
      << "procedure TShape" << k << ".Changed;\nbegin\n  case FColor of\n    clRed" << k << ": Inc(Count" << k
      << ");\n    clGreen" << k << ", clBlue" << k << ":\n      begin\n        Inc(Total" << k
      << ");\n      end;\n  end;\nend;\n\n"
      << "function Describe" << k << "(Shape: TShape" << k << "): string;\n\n"
      << "  function Quote(const S: string): string;\n  begin\n    Result :=  + S + ;\n  end;\n\n"
      << "var\n  I: Integer;\nbegin\n  Result := '';\n  try\n    for I := 0 to 3 do\n"
      << "      Result := Result + Quote(Shape.Name) + ' end; ';\n  finally\n    Inc(Count" << k << ");\n"
      << "  end;\nend;\n\n"
      << "function Sum" << k << "(A, B: LongInt): LongInt; assembler; nostackframe;\nasm\n"
      << "  movl %edi, %eax\n  addl %esi, %eax\nend;\n\n";
    return s.str();
}

std::string GeneratedUnit(double megabytes)
{
    std::string head = "{ The generated benchmark source.\n  It repeats the constructs that real code is made of. }\n"
                       "unit Bench;\n\n{$mode objfpc}{$H+}\n\ninterface\n\nuses\n  SysUtils, Classes,\n  Math;\n\n";
    std::string interfacePart, implementationPart;
    for (int n = 0; head.size() + interfacePart.size() + implementationPart.size() < megabytes * 1024 * 1024; ++n) {
        interfacePart += InterfacePart(n);
        implementationPart += ImplementationPart(n);
    }
    return head + interfacePart + "implementation\n\n" + implementationPart +
           "initialization\n  Count0 := 0;\nfinalization\n  Total0 := 0;\nend.\n";
}

struct TTiming {
    std::string path;
    double seconds = 0;
    std::uintmax_t bytes = 0;
};

struct TBench {
    TStructureTexts rules;
    TDebug log{(fs::temp_directory_path() / "scan_bench.TXT").string()};
    int messages = 0;

    explicit TBench(const std::string& rulesFile)
    {
        rules.LoadFromFile(rulesFile);
        log.SetAutoSave(false);
        log.SetMessageSink([this](const std::string&) { ++messages; });
    }
};

int Generated(TBench& bench, double megabytes)
{
    const fs::path file = fs::temp_directory_path() / "scan_bench_generated.pas";
    const std::string text = GeneratedUnit(megabytes);
    const std::uintmax_t bytes = text.size();
    const long lines = static_cast<long>(std::count(text.begin(), text.end(), '\n'));
    std::ofstream(file, std::ios::binary) << text;
    TCodeScanner scanner(bench.rules, bench.log);
    const auto start = TClock::now();
    scanner.ScanFile(file.string(), "PAS");
    const double seconds = std::chrono::duration<double>(TClock::now() - start).count();
    const double mb = static_cast<double>(bytes) / (1024.0 * 1024.0);
    std::printf("generated source: %ld lines, %.2f MB, %zu records, %d messages\n", lines, mb,
                scanner.Results().size() / 4, bench.messages);
    std::printf("scan time %.3f s: %.0f lines/s, %.2f MB/s\n", seconds, lines / seconds, mb / seconds);
    fs::remove(file);
    return 0;
}

bool IsPascalSource(const fs::path& p, const std::vector<std::string>& types)
{
    return std::find(types.begin(), types.end(), FileTypeKey(p.string())) != types.end();
}

// "pas,inc" as the keys of the rule file: PAS, INC.
std::vector<std::string> TypeKeys(const std::string& list)
{
    std::vector<std::string> keys;
    std::string key;
    for (const char c : list + ",") {
        if (c != ',') {
            key += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        } else if (!key.empty()) {
            keys.push_back(key);
            key.clear();
        }
    }
    return keys;
}

void Dump(std::ostream& out, const std::string& path, const TCodeScanner& scanner)
{
    out << "== " << path << '\n';
    for (const TLines* lines : {&scanner.Results(), &scanner.Codes(), &scanner.Comments()}) {
        for (const auto& line : *lines)
            out << line << '\n';
        out << "--\n";
    }
    for (const auto& fault : scanner.RuleFaults())
        out << fault.Text() << '\n';
}

// The time of a call of work, in seconds, kept in best when it is the shortest yet.
template <typename TWork>
void Time(double& best, TWork work)
{
    const auto start = TClock::now();
    work();
    const double seconds = std::chrono::duration<double>(TClock::now() - start).count();
    best = best == 0 ? seconds : std::min(best, seconds);
}

// The three kinds of run take turns, so that the load of a shared machine weighs on each alike.
int Includes(TBench& bench, const std::vector<std::string>& sources, const TIncludeOptions* includes, int runs)
{
    TCodeScanner scanner(bench.rules, bench.log);
    for (const auto& source : sources) {
        const std::string key = FileTypeKey(source);
        double alone = 0, followed = 0, flatten = 0;
        std::size_t aloneRecords = 0;
        TLines files;
        for (int i = 0; i < runs; ++i) {
            Time(alone, [&] { scanner.ScanFile(source, key); });
            aloneRecords = scanner.Results().size() / 4;
            Time(flatten, [&] {
                if (auto text = LoadSourceLines(source))
                    FlattenIncludes(source, std::move(*text), *includes, bench.log);
            });
            Time(followed, [&] { files = ScanWithIncludes(scanner, source, key, *includes, bench.log); });
        }
        std::printf("%s\n  alone: %.1f ms, %zu records\n"
                    "  with includes: %.1f ms (reading the source and putting %zu include files in place: %.1f ms), "
                    "%zu lines, %zu records\n",
                    source.c_str(), alone * 1000, aloneRecords, followed * 1000, files.size() - 1, flatten * 1000,
                    scanner.Codes().size(), scanner.Results().size() / 4);
    }
    return 0;
}

int Tree(TBench& bench, const std::vector<std::string>& folders, const std::vector<std::string>& types, bool trace,
         const std::string& dumpFile, const TIncludeOptions* includes)
{
    std::ofstream dump;
    if (!dumpFile.empty())
        dump.open(dumpFile, std::ios::binary);
    std::vector<TTiming> timings;
    std::vector<std::string> reported; // files whose scan reported a failed rule attempt
    int failed = 0;
    TCodeScanner scanner(bench.rules, bench.log);
    const auto start = TClock::now();
    for (const auto& folder : folders) {
        std::error_code ec;
        for (fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
             it != end; it.increment(ec)) {
            if (ec || !it->is_regular_file(ec) || !IsPascalSource(it->path(), types))
                continue;
            TTiming t{it->path().string(), 0, it->file_size(ec)};
            if (trace)
                std::fprintf(stderr, "%s\n", t.path.c_str());
            const int messagesBefore = bench.messages;
            const auto fileStart = TClock::now();
            try {
                if (includes)
                    ScanWithIncludes(scanner, t.path, FileTypeKey(t.path), *includes, bench.log);
                else
                    scanner.ScanFile(t.path, FileTypeKey(t.path));
            } catch (const std::exception& e) {
                ++failed;
                std::printf("scan failed: %s: %s\n", t.path.c_str(), e.what());
            }
            if (dump.is_open())
                Dump(dump, t.path, scanner);
            t.seconds = std::chrono::duration<double>(TClock::now() - fileStart).count();
            if (bench.messages != messagesBefore)
                reported.push_back(t.path);
            timings.push_back(t);
        }
    }
    const double seconds = std::chrono::duration<double>(TClock::now() - start).count();
    std::uintmax_t bytes = 0;
    for (const auto& t : timings)
        bytes += t.bytes;
    const double mb = static_cast<double>(bytes) / (1024.0 * 1024.0);
    std::printf("files %zu, %.2f MB, %.3f s, %.2f MB/s, %d failed scans, %d messages\n", timings.size(), mb,
                seconds, mb / seconds, failed, bench.messages);
    std::sort(timings.begin(), timings.end(), [](const TTiming& a, const TTiming& b) { return a.seconds > b.seconds; });
    std::printf("slowest files:\n");
    for (std::size_t i = 0; i < std::min<std::size_t>(5, timings.size()); ++i)
        std::printf("  %.3f s  %7.1f KB  %s\n", timings[i].seconds, timings[i].bytes / 1024.0, timings[i].path.c_str());
    for (const auto& path : reported)
        std::printf("messages from: %s\n", path.c_str());
    const auto over = std::count_if(timings.begin(), timings.end(), [](const TTiming& t) { return t.seconds > 1.0; });
    std::printf("files over one second: %ld\n", static_cast<long>(over));
    return over == 0 && failed == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string rulesFile = std::string(QUILLANE_DATA_DIR) + "/CodeScan.dll";
    double megabytes = 8;
    int runs = 10;
    bool trace = false;
    bool followIncludes = false;
    TIncludeOptions includes;
    std::string dumpFile;
    std::string types = "pas,pp,dpr,lpr";
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--rules" && i + 1 < args.size())
            rulesFile = args[++i];
        else if (args[i] == "--types" && i + 1 < args.size())
            types = args[++i];
        else if (args[i] == "--trace")
            trace = true;
        else if (args[i] == "--dump" && i + 1 < args.size())
            dumpFile = args[++i];
        else if (args[i] == "--mb" && i + 1 < args.size())
            megabytes = std::stod(args[++i]);
        else if (args[i] == "--runs" && i + 1 < args.size())
            runs = std::max(1, std::stoi(args[++i]));
        else if (args[i] == "--includes")
            followIncludes = true;
        else if (args[i] == "--include-path" && i + 1 < args.size())
            includes.folders.push_back(args[++i]);
        else
            rest.push_back(args[i]);
    }
    const bool known = !rest.empty() && (rest[0] == "generated" || rest[0] == "tree" || rest[0] == "includes");
    if (!known || (rest[0] != "generated" && rest.size() < 2)) {
        std::fprintf(stderr, "usage: scan_bench generated [--mb N] [--rules FILE]\n"
                             "       scan_bench tree FOLDER... [--rules FILE] [--types LIST] [--trace] [--dump FILE]\n"
                             "                      [--includes [--include-path DIR]...]\n"
                             "       scan_bench includes SOURCE... [--include-path DIR]... [--runs N] [--rules FILE]\n");
        return 2;
    }
    TBench bench(rulesFile);
    if (bench.rules.Lines().empty()) {
        std::fprintf(stderr, "scan_bench: cannot read the rule file %s\n", rulesFile.c_str());
        return 2;
    }
    if (rest[0] == "generated")
        return Generated(bench, megabytes);
    const std::vector<std::string> paths(rest.begin() + 1, rest.end());
    if (rest[0] == "includes")
        return Includes(bench, paths, &includes, runs);
    return Tree(bench, paths, TypeKeys(types), trace, dumpFile, followIncludes ? &includes : nullptr);
}
