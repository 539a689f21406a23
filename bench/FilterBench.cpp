// The outline filter's time per keystroke on a large source: the window (offscreen) opens
// the source, then each word is typed into the filter field one character at a time; each
// keystroke is timed from the key to the list filled, sorted and painted. The filter's
// core (indexing the entries, matching) is timed on its own as well.
//
//   QT_QPA_PLATFORM=offscreen filter_bench [SOURCE] [WORD...]
//
// SOURCE defaults to the largest source of the Free Pascal tree (Debian package
// fpc-source-3.2.2), the words to a few that match many, some and no entries. The rules
// and settings are the delivered ones of data/, read only.

#include "BenchSupport.h"
#include "browser/MainForm.h"
#include "browser/core/OutlineFilter.h"
#include "widgets/ListViewEx.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

double Ms(const QElapsedTimer& timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication qapp(argc, argv);
    const std::string source =
        argc > 1 ? argv[1] : "/usr/share/fpcsrc/3.2.2/packages/odata/src/sharepoint.pp";
    std::vector<std::string> words(argv + std::min(argc, 2), argv + argc);
    if (words.empty())
        words = {"getlist", "e", "field", "zzz"};

    TBenchApp bench("filter_bench.TXT");
    QElapsedTimer timer;
    timer.start();
    TMForm form(bench.WindowServices(source));
    const double opened = Ms(timer);
    form.resize(1000, 700);
    form.show();
    timer.restart();
    QApplication::processEvents();
    const TOutlineStore& entries = form.Browser().Entries();
    std::printf("source      %s\nentries     %zu\nopened in   %.0f ms (read, scanned, top level shown)\n"
                "idle work   %.0f ms (first paint; the filter's index, made before the first keystroke)\n\n",
                source.c_str(), entries.size() / 4, opened, Ms(timer));
    if (entries.empty())
        return 1;

    timer.restart();
    const TOutlineFilter filter(entries);
    std::printf("core: indexing the entries  %.2f ms\n", Ms(timer));
    for (const std::string& word : words) {
        timer.restart();
        const std::size_t matches = filter.Match(entries, word).size();
        std::printf("core: matching \"%s\"  %.2f ms, %zu matches\n", word.c_str(), Ms(timer), matches);
    }

    std::printf("\nwindow: one keystroke, from the key to the list painted\n");
    double worst = 0;
    double sum = 0;
    int keystrokes = 0;
    QLineEdit* edit = form.FilterEdit();
    for (const std::string& word : words) {
        edit->setFocus();
        for (const char c : word) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar::fromLatin1(c)));
            timer.restart();
            QApplication::sendEvent(edit, &press);
            QApplication::processEvents();
            const double ms = Ms(timer);
            worst = std::max(worst, ms);
            sum += ms;
            ++keystrokes;
            std::printf("  %-12s %6d rows  %7.2f ms\n", edit->text().toUtf8().constData(),
                        form.ListView()->topLevelItemCount(), ms);
        }
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        timer.restart();
        QApplication::sendEvent(edit, &escape);
        QApplication::processEvents();
        std::printf("  Esc (back to the level, %d rows)  %.2f ms\n", form.ListView()->topLevelItemCount(),
                    Ms(timer));
    }
    std::printf("\nkeystrokes  %d\nmean        %.2f ms\nworst       %.2f ms (target: under 50 ms)\n",
                keystrokes, sum / keystrokes, worst);
    return worst < 50 ? 0 : 1;
}
