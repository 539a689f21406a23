// Responsiveness of the search window while a search runs: starts a search over a
// folder tree in the window (offscreen) and measures, with a 10 ms timer, the longest
// time the window's event loop was kept from running until the run ended.
//
//   QT_QPA_PLATFORM=offscreen search_window_bench [FOLDER] [KEYWORD]
//
// FOLDER defaults to the Free Pascal sources (Debian package fpc-source-3.2.2), KEYWORD
// to "Create"; the rules and settings are the delivered ones of data/, read only.

#include "BenchSupport.h"
#include "config/AppContext.h"
#include "config/SettingsKeys.h"
#include "search/gui/FormSearch.h"
#include "widgets/ListViewEx.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication qapp(argc, argv);
    const std::string folder = argc > 1 ? argv[1] : "/usr/share/fpcsrc/3.2.2";
    const QString keyword = argc > 2 ? argv[2] : "Create";

    TBenchApp bench("search_window_bench.TXT");
    TAppContext& app = bench.app;
    app.Config().WriteList(kSearchPathList, {folder});
    for (auto key : {kSearchInTitle, kSearchInDecl, kSearchInCom, kSearchInType})
        app.Config().WriteBool(key, true);
    TFormSearch form(app, bench.platform, {}, nullptr);
    form.show();
    QApplication::processEvents();
    form.CKeyWords->setCurrentText(keyword);

    QElapsedTimer total;
    QElapsedTimer gap;
    qint64 worstGap = 0;
    QTimer tick;
    tick.setInterval(10);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        worstGap = std::max(worstGap, gap.restart());
        if (!form.IsSearching()) {
            std::printf("folder     %s\nkeyword    %s\nrows       %d\nseconds    %.2f\n"
                        "longest event-loop gap  %lld ms (timer interval 10 ms)\n",
                        folder.c_str(), keyword.toUtf8().constData(), form.SearchRes->topLevelItemCount(),
                        total.elapsed() / 1000.0, static_cast<long long>(worstGap));
            QApplication::quit();
        }
    });
    total.start();
    form.DoSearchExecute();
    gap.start();
    tick.start();
    return QApplication::exec();
}
