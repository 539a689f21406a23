// Opening a unit with its include files followed, in the window (offscreen): each open is
// timed from the step to the level shown (read, includes put in place, scanned, listed).
// Then, on the core alone, a source without includes is outlined with and without
// following includes, to show what looking for includes costs a file that has none.
//
//   QT_QPA_PLATFORM=offscreen include_open_bench [UNIT] [PLAIN-SOURCE]
//
// UNIT defaults to rtl/unix/classes.pp of the Free Pascal tree (Debian package
// fpc-source-3.2.2), which includes classesh.inc and classes.inc; PLAIN-SOURCE to a large
// source of that tree without includes. The rules and settings are the delivered ones of
// data/, read only.

#include "BenchSupport.h"
#include "browser/MainForm.h"
#include "browser/core/OutlineScan.h"
#include "config/AppContext.h"
#include "scan/OutlineRecord.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kRuns = 7;

double Ms(const QElapsedTimer& timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication qapp(argc, argv);
    const std::string unit = argc > 1 ? argv[1] : "/usr/share/fpcsrc/3.2.2/rtl/unix/classes.pp";
    const std::string plain =
        argc > 2 ? argv[2] : "/usr/share/fpcsrc/3.2.2/packages/odata/src/sharepoint.pp";

    TBenchApp bench("include_open_bench.TXT");
    TAppContext& app = bench.app;
    TMForm form(bench.WindowServices());
    form.resize(1000, 700);
    form.show();
    QApplication::processEvents();

    // Another file between the opens, so that each open reads and scans the unit anew.
    std::vector<double> opens;
    QElapsedTimer timer;
    for (int i = 0; i < kRuns; ++i) {
        form.OpenFile(bench.paths.dataFolder + "Example.pas");
        timer.restart();
        form.OpenFile(unit);
        QApplication::processEvents();
        opens.push_back(Ms(timer));
    }
    const TOutlineStore& entries = form.Browser().Entries();
    std::size_t included = 0;
    for (int i = 0; HasRecordAt(entries, i); i += kRecordLines)
        included += !entries.File(i).empty();
    const double worst = *std::max_element(opens.begin(), opens.end());
    std::printf("unit        %s\nentries     %zu (%zu from include files)\n"
                "window open median %.0f ms, worst %.0f ms (target: under 300 ms)\n\n",
                unit.c_str(), RecordCount(entries), included, Median(opens), worst);

    const std::string key = FileTypeKey(plain);
    for (const bool follow : {false, true, false, true}) {
        std::vector<double> times;
        std::size_t count = 0;
        for (int i = 0; i < kRuns; ++i) {
            timer.restart();
            const TScanOutcome outcome =
                ScanOutline(app.SharedRules(), app.Config(), app.DebugLog(), plain, key, {},
                            follow ? std::optional<TIncludeOptions>(TIncludeOptions{}) : std::nullopt);
            times.push_back(Ms(timer));
            count = RecordCount(outcome.entries);
        }
        std::printf("core: %s %s  median %.1f ms (%zu entries)\n", plain.c_str(),
                    follow ? "following includes" : "on its own        ", Median(times), count);
    }
    return worst < 300 ? 0 : 1;
}
