// The window over places apart from its data, as an installed program has them: the first
// start opens the data folder's Example.pas, the text export goes to the export folder
// (made when missing), the settings to the user's file, and the about box names them all.

#include "OutlineSupport.h"

#include "dialogs/FormAbout.h"

#include <QFile>
#include <QLabel>
#include <QtTest>

class PlacesTest : public QObject {
    Q_OBJECT
private slots:
    void windowUsesTheDataAndUserPlaces()
    {
        TProgramFolder folder;
        folder.Write("Example.pas", "unit Example;\n");
        folder.WriteSettings({"APP_CAPTION=Quillane"});
        TAppPaths paths = TAppPaths::InFolder(folder.Path());
        paths.seedSettingsFile = paths.settingsFile;
        paths.settingsFile = folder.Path() + "config/quillane/quillane.ini";
        paths.logFile = folder.Path() + "state/quillane/quillane.TXT";
        paths.exportFolder = folder.Path() + "cache/quillane/";
        paths.writePlace = TAppPaths::TWritePlace::UserFolders;
        TFakePlatform platform;
        {
            TAppContext context(paths);
            TTestForm form(TMFormServices{context.DebugLog(), context.Config(), context.SharedRules(),
                                          platform, paths, "", {}, {}});
            QCOMPARE(form.Browser().SourcePath(), folder.Path() + "Example.pas");
            QCOMPARE(form.windowTitle(), QString::fromStdString(form.Browser().SourcePath() + " - Quillane"));

            form.ExportTXTExecute();
            const std::string exported = paths.exportFolder + "TempFile.txt";
            QCOMPARE(platform.opened, std::vector<std::string>{exported});
            QVERIFY(QFile::exists(QString::fromStdString(exported)));
            form.close();
        }
        QFile settings(QString::fromStdString(paths.settingsFile));
        QVERIFY(settings.open(QIODevice::ReadOnly));
        const QByteArray text = settings.readAll();
        QVERIFY(text.startsWith("APP_CAPTION=Quillane\r\n"));
        QVERIFY(text.contains("LASTVIEW=" + QByteArray::fromStdString(folder.Path()) + "\r\n"));
        QVERIFY(!QFile::exists(QString::fromStdString(folder.Path() + "TempFile.txt")));
    }

    void aboutBoxNamesThePlaces()
    {
        for (const auto place : {TAppPaths::TWritePlace::BesideProgram, TAppPaths::TWritePlace::UserFolders}) {
            TAppPaths paths = TAppPaths::InFolder("/usr/share/quillane/");
            paths.writePlace = place;
            paths.settingsFile = "/home/someone/.config/quillane/quillane.ini";
            paths.logFile = "/home/someone/.local/state/quillane/quillane.TXT";
            paths.exportFolder = "/home/someone/.cache/quillane/with/a/long/folder/name/to/widen/the/box/";
            TFormAbout about(paths);
            const auto* label = about.findChild<QLabel*>("Places");
            QVERIFY(label);
            const QString text = label->text();
            QVERIFY(text.contains(place == TAppPaths::TWritePlace::UserFolders ? "your user folders"
                                                                               : "beside the program"));
            for (const std::string& shown : {paths.dataFolder, paths.settingsFile, paths.logFile, paths.exportFolder})
                QVERIFY2(text.contains(QString::fromStdString(shown)), shown.c_str());
            QVERIFY2(label->geometry().right() < about.width(), "the box is as wide as its longest path");
            QVERIFY(!about.findChild<QLabel*>("Icon")->pixmap().isNull());
            QVERIFY(about.findChild<QLabel*>("Licence")->text().contains("MIT licence"));
        }
    }
};

QTEST_MAIN(PlacesTest)
#include "PlacesTest.moc"
