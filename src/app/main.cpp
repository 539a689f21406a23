// Program entry: the command-line modes run without a display; otherwise the
// shared objects are created in their start order and the main window runs.

#include "app/CloseOnSignal.h"
#include "app/CommandLine.h"
#include "app/QtPlatform.h"
#include "browser/MainForm.h"
#include "browser/TextViewer.h"
#include "browser/core/OutlineDocument.h"
#include "config/AppContext.h"
#include "config/Config.h"
#include "config/SettingsKeys.h"
#include "search/gui/FormSearch.h"
#include "widgets/OutlineImages.h"

#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QThread>

#include <cstdlib>
#include <optional>
#include <iostream>
#include <string>
#include <vector>

namespace {

// ShowString's message box. The search worker reports through it too: its call is
// carried over to the user-interface thread without waiting there, so a worker that the
// window is stopping and joining can never wait for a box in turn.
void ShowStringBox(const std::string& text)
{
    auto show = [text] {
        QMessageBox box(QMessageBox::NoIcon, "show a string", QString::fromStdString(text),
                        QMessageBox::Ok);
        box.setTextFormat(Qt::PlainText); // paths and source texts are never markup
        box.exec();
    };
    QCoreApplication* app = QCoreApplication::instance();
    if (QThread::currentThread() == app->thread())
        show();
    else
        QMetaObject::invokeMethod(app, show, Qt::QueuedConnection);
}

// The first argument as the start location. A relative path that exists is made absolute,
// so that the location stored for the next start still names it; a folder gets its "/".
std::string StartLocation(const std::string& argument)
{
    if (argument.empty())
        return argument;
    const TLocation location = ParseLocation(argument);
    const QFileInfo info(QString::fromStdString(location.path));
    if (!info.isRelative() || !info.exists())
        return argument;
    std::string path = info.absoluteFilePath().toStdString();
    if (info.isDir())
        path += '/';
    return path + argument.substr(location.path.size());
}

// --screenshot FILE [--filter TEXT] [--line N] [LOCATION...]: shows the window on
// LOCATION (with TEXT in the filter field), saves a picture of it (or of the text viewer
// at line N of the source) to FILE and ends without storing anything in the settings.
struct TScreenshot {
    std::string file;
    std::string filter;
    int line = 0; // from 1; 0: the main window
};

// Takes the screenshot options from the front of args, leaving the locations; none when an
// option lacks its value (the message is written).
std::optional<TScreenshot> TakeScreenshotOptions(std::vector<std::string>& args)
{
    auto take = [&args](const char* what) -> std::optional<std::string> {
        if (args.size() < 2) {
            std::cerr << "quillane: " << args[0] << " needs " << what << '\n';
            return std::nullopt;
        }
        std::string value = args[1];
        args.erase(args.begin(), args.begin() + 2);
        return value;
    };
    TScreenshot shot;
    const auto file = take("a file name");
    if (!file)
        return std::nullopt;
    shot.file = *file;
    while (!args.empty() && (args[0] == "--filter" || args[0] == "--line")) {
        const bool filter = args[0] == "--filter";
        const auto value = take(filter ? "a text" : "a line number");
        if (!value)
            return std::nullopt;
        if (filter) {
            shot.filter = *value;
        } else if ((shot.line = IntOrZero(*value)) < 1) {
            std::cerr << "quillane: --line needs a line number from 1, not '" << *value << "'\n";
            return std::nullopt;
        }
    }
    return shot;
}

// The window's folders from the command line: every "--source-path DIR" and
// "--include-path DIR" taken out of args, made absolute. False (and why on standard error)
// when one lacks its folder.
struct TWindowFolders {
    TLines sources;
    TLines includes;
};

bool TakeWindowFolders(std::vector<std::string>& args, TWindowFolders& folders)
{
    for (std::size_t i = 0; i < args.size();) {
        const bool source = args[i] == "--source-path";
        if (!source && args[i] != "--include-path") {
            ++i;
            continue;
        }
        if (i + 1 >= args.size()) {
            std::cerr << "quillane: " << args[i] << " needs a folder\n";
            return false;
        }
        const std::string folder = QFileInfo(QString::fromStdString(args[i + 1])).absoluteFilePath().toStdString();
        (source ? folders.sources : folders.includes).push_back(folder);
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
    }
    return true;
}

bool HaveDisplay()
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    std::vector<std::string> args(argv + 1, argv + argc);
    std::optional<TScreenshot> screenshot;
    // The window's options may stand anywhere among its locations; the other modes keep
    // their own --include-path.
    TWindowFolders folders;
    const bool window = args.empty() || args[0] == "--screenshot" || args[0] == "--source-path" ||
                        args[0] == "--include-path" || args[0].rfind("--", 0) != 0;
    if (window && !TakeWindowFolders(args, folders))
        return 2;
    if (!args.empty() && args[0] == "--screenshot") {
        screenshot = TakeScreenshotOptions(args);
        if (!screenshot)
            return 2;
    } else if (auto status = RunCommandLine(args)) {
        return FinishOutput(*status);
    }
    if (!HaveDisplay()) {
        std::cerr << "quillane: no display to open the window on; "
                     "use --outline SOURCE to print an outline (see --help)\n";
        return 1;
    }

    // A picture is taken without storing anything, so a signal may end that run at once.
    std::optional<TCloseOnSignal> closeOnSignal;
    if (!screenshot)
        closeOnSignal.emplace();
    QApplication qapp(argc, argv);
    QApplication::setApplicationName("Quillane");
    QApplication::setWindowIcon(ProgramIcon());
    QGuiApplication::setDesktopFileName("quillane");
    TAppContext app(TAppPaths::ForProgram(), screenshot ? TAppContext::TSettingsAtEnd::Keep
                                                        : TAppContext::TSettingsAtEnd::Write);
    app.DebugLog().SetMessageSink(ShowStringBox);
    TQtPlatform platform(app.Paths().dataFolder);
    TMForm form({app.DebugLog(), app.Config(), app.SharedRules(), platform, app.Paths(),
                 StartLocation(args.empty() ? std::string() : args[0]), folders.sources, folders.includes});
    // Further locations (several files opened together) follow the first one into the
    // history, each opened as File Open does; the window shows the last.
    for (std::size_t i = 1; i < args.size(); ++i)
        form.OpenFile(StartLocation(args[i]));
    // The search window: made on first use as a child of the main window, so it is gone
    // (and its worker joined) before the shared objects are released.
    TFormSearch* formSearch = nullptr;
    form.SetSearchHandler([&] {
        ShowSearchWindow(
            formSearch, &form, app, platform,
            [&form](const std::string& path, int sourceLine, const std::string& declaration) {
                form.OpenEntry(path, sourceLine, declaration);
            },
            form.SearchAction());
    });
    // A used unit is looked for below the folders the search window lists now.
    form.SetSearchFolders([&formSearch, &app] {
        if (!formSearch)
            return app.Config().ReadList(kSearchPathList);
        TLines folders;
        for (int i = 0; i < formSearch->PathList->count(); ++i)
            folders.push_back(formSearch->PathList->item(i)->text().toStdString());
        return folders;
    });
    form.show();
    if (screenshot) {
        QApplication::processEvents();
        if (!screenshot->filter.empty()) {
            form.FilterEdit()->setText(QString::fromStdString(screenshot->filter));
            QApplication::processEvents();
        }
        QWidget* shown = &form;
        if (screenshot->line > 0) {
            form.ViewSourceLine(screenshot->line);
            shown = form.TextViewer();
            QApplication::processEvents();
        }
        const bool saved = shown->grab().save(QString::fromStdString(screenshot->file));
        if (!saved)
            std::cerr << "quillane: cannot write " << screenshot->file << '\n';
        return saved ? 0 : 1;
    }
    closeOnSignal->Start();
    const int status = QApplication::exec();
    app.DebugLog().SetMessageSink(nullptr);
    return status;
}
