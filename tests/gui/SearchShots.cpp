// Pictures of the search window, drawn offscreen, for a look at it after a change (no test:
// it checks nothing). search_shots FOLDER writes search_start.png, search_results.png,
// search_running.png and folder_dialog.png into FOLDER.

#include "config/AppContext.h"
#include "config/SettingsKeys.h"
#include "platform/Platform.h"
#include "search/gui/FormPath.h"
#include "search/gui/FormSearch.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>

namespace fs = std::filesystem;

namespace {

class TQuietPlatform : public IPlatform {
public:
    void OpenInShell(const std::string&, TShellFailed) override {}
    bool ShowHelp(const std::string&) override { return true; }
    void ShowMessage(const std::string&, const std::string&) override {}
    bool Confirm(const std::string&, const std::string&) override { return true; }
    void SetClipboardText(const std::string&) override {}
};

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    if (argc != 2) {
        std::cerr << "usage: search_shots FOLDER\n";
        return 2;
    }
    const QString target = QString::fromLocal8Bit(argv[1]);
    const QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    auto write = [&folder](const std::string& relative, const std::string& content) {
        const fs::path path = folder + relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << content;
    };
    fs::copy_file(std::string(QUILLANE_TEST_DATA) + "/search/rules.dll", folder + "CodeScan.dll");
    TAppPaths paths = TAppPaths::InFolder(folder);
    paths.cacheFolder = folder + "cache/quillane/";
    TAppContext app(paths, TAppContext::TSettingsAtEnd::Keep);
    TQuietPlatform platform;
    TFormSearch form(app, platform, [](const std::string&, int, const std::string&) {});

    write("tree/sub/u.pas", "// Widget title\nprocedure MakeWidget; // Widget maker\nprocedure Other;\n");
    write("tree/main.dpr", "procedure RunWidget;\n");
    fs::create_directories(folder + "other/folder");
    app.Config().WriteList(kSearchPathList, {folder + "tree", folder + "other/folder"});
    app.Config().WriteBool(kSearchInDecl, true);
    app.Config().WriteBool(kSearchInCom, true);
    bool ok = true;
    auto shoot = [&](QWidget& widget, const char* name) {
        if (!widget.grab().save(target + "/" + name)) {
            std::cerr << "search_shots: cannot write " << name << " into " << argv[1] << '\n';
            ok = false;
        }
    };
    auto waitFor = [&ok](const char* what, const std::function<bool()>& done) {
        if (!QTest::qWaitFor(done, 20000)) {
            std::cerr << "search_shots: " << what << " took over 20 s\n";
            ok = false;
        }
    };
    auto searchEnds = [&form] { return form.RunsInProgress() == 0; };

    form.show();
    shoot(form, "search_start.png");
    form.CKeyWords->setEditText("Widget");
    form.ButtonSearch->click();
    waitFor("the search", searchEnds);
    shoot(form, "search_results.png");
    for (int i = 0; i < 3000; ++i)
        write("tree/many/f" + std::to_string(i) + ".pas", "procedure Widget" + std::to_string(i) + ";\n");
    form.ButtonSearch->click();
    waitFor("the first rows", [&form] { return form.Searching->text().contains(" rows  "); });
    shoot(form, "search_running.png");
    waitFor("the search", searchEnds);
    TFormPath dialog;
    dialog.SelectPath(QString::fromStdString(folder + "tree/sub"));
    dialog.show();
    QTest::qWait(500);
    shoot(dialog, "folder_dialog.png");
    return ok ? 0 : 1;
}
