// The text and HTML exports of the level on screen, and the rescan after the comment
// indicator dialog, driven through the window's actions.

#include "OutlineSupport.h"

#include "config/SettingsKeys.h"
#include "widgets/ListViewEx.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QtTest>

namespace {

QStringList FileLines(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(file.readAll());
    if (text.endsWith("\r\n"))
        text.chop(2);
    return text.split("\r\n");
}

QString FileText(const std::string& path)
{
    return FileLines(path).join('\n');
}

QStringList Comments(const TMForm& form)
{
    QStringList comments;
    for (int i = 0; i < form.ListView()->topLevelItemCount(); ++i)
        comments << form.FieldText(form.ListView()->topLevelItem(i), 'C');
    return comments;
}

// Classes inside a class, a comment with markup, and two containers on one line.
const char* const kExportUnit = R"(// Export: <b>not bold</b> & more
unit Nest;
A = class // holds <T> & more
  A1 = record
    A1a: Integer;
  end;
  A2: Integer;
end;
B = class
  C = class end;
end;
)";


} // namespace

class ExportTest : public QObject {
    Q_OBJECT
private slots:
    void textTableOfTheLevelOnScreen()
    {
        TTestWindow w;
        const std::string source = w.OpenSource("src/Shapes.pas", kShapesUnit);
        const std::string file = w.folder.Path() + "TempFile.txt";
        // The level is exported, not the filter's matches, and the status bar says where.
        w.form->FilterEdit()->setText("Shape");
        w.form->ExportTXTExecute();
        QVERIFY(!w.form->IsFiltering());
        QCOMPARE(w.form->NoticeText(), QString::fromStdString("Exported 5 rows to " + file));
        QCOMPARE(w.platform.opened, std::vector<std::string>{file});
        QStringList lines = FileLines(file);
        QVERIFY(lines.size() > 5);
        QCOMPARE(lines[0], "Export:" + QString::fromStdString(source));
        QCOMPARE(lines[1], "Shapes: a small unit for the outline tests");
        QCOMPARE(lines[2], "second title line");
        QCOMPARE(lines[3], "");
        QVERIFY2(lines[4].startsWith("Declaration|Comment"), qPrintable(lines[4]));
        for (int i = 5; i < lines.size(); ++i)
            QCOMPARE(lines[i].size(), lines[4].size());
        QCOMPARE(lines.size(), 4 + 1 + w.form->ListView()->topLevelItemCount());

        // The Comment column dragged in front of the Declaration column leads the table.
        QHeaderView* header = w.form->ListView()->header();
        header->moveSection(header->visualIndex(2), header->visualIndex(1));
        StepInto(*w.form, "TShape");
        w.form->ExportTXTExecute();
        lines = FileLines(file);
        QVERIFY2(lines[4].startsWith("Comment ") && lines[4].section('|', 1, 1).trimmed() == "Declaration",
                 qPrintable(lines[4]));
        QVERIFY2(lines[5].section('|', 1, 1).trimmed() == "..< TShape >", qPrintable(lines[5]));
        QVERIFY2(!FileText(file).contains("MaxShapes"), "the second export replaced the first");

        // When no program opens the file, the status bar says so, with the path.
        w.platform.openFailure = "no program is set to open it";
        w.form->ExportTXTExecute();
        QCOMPARE(w.form->NoticeText(),
                 QString::fromStdString("Cannot open the export " + file + ": no program is set to open it"));
        w.form->ExtOpenExecute();
        QCOMPARE(w.form->NoticeText(), QString::fromStdString("Cannot open " + source + ": no program is set to open it"));
    }

    void htmlPagesOfEveryLevel()
    {
        TTestWindow w;
        w.OpenSource("Nest.pas", kExportUnit);
        const QTemporaryDir out;
        const std::string dir = out.path().toStdString() + "/";
        w.form->saveAnswer = dir + "Index.html";
        const QStringList before = Declarations(*w.form);
        w.form->ExportHTMExecute();

        QCOMPARE(w.platform.opened, std::vector<std::string>{dir + "Index.html"});
        QCOMPARE(w.form->NoticeText(),
                 QString::fromStdString("Exported 5 HTML pages to " + dir + ", starting with Index.html"));
        QCOMPARE(Declarations(*w.form), before);
        const QString index = FileText(dir + "Index.html");
        const QString a = FileText(dir + "3.html");
        const QString a1 = FileText(dir + "4.html");
        const QString b = FileText(dir + "9.html");
        QVERIFY(index.startsWith("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n"
                                 "<title>Export Table</title>"));
        QVERIFY(index.contains("<pre>\nExport: &lt;b&gt;not bold&lt;/b&gt; &amp; more\n</pre>"));
        QVERIFY(index.contains("<td><a href=\"3.html\">A</a></td>"));
        QVERIFY(index.contains("<td><a href=\"3.html\">holds &lt;T&gt; &amp; more</a></td>"));
        QVERIFY(index.contains("<td><a href=\"9.html\">B</a></td>"));
        QVERIFY(a.contains("<td><a href=\"Index.html\">..&lt; A &gt;</a></td>"));
        QVERIFY(a.contains("<td><a href=\"4.html\">A1</a></td>"));
        QVERIFY(a.contains("<td>A2</td>"));
        QVERIFY(a1.contains("<td><a href=\"3.html\">..&lt; A1 &gt;</a></td>"));
        QVERIFY(a1.contains("<td>A1a</td>"));
        QVERIFY(b.contains("<td><a href=\"10.html\">C</a></td>"));
        QVERIFY(QFile::exists(QString::fromStdString(dir + "10.html")));
    }

    // Pages of the folder are replaced only after one question, and a link named like a page
    // is replaced, never written through.
    void htmlExportAsksBeforeReplacingPages()
    {
        TTestWindow w;
        w.OpenSource("Nest.pas", kExportUnit);
        const QTemporaryDir out;
        const QTemporaryDir elsewhere;
        const std::string dir = out.path().toStdString() + "/";
        const QString outside = elsewhere.filePath("mine.txt");
        for (const auto& [path, text] : {std::pair{outside, "outside"}, {out.filePath("3.html"), "my page"}}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(text);
        }
        QVERIFY(QFile::link(outside, out.filePath("9.html")));
        const QStringList before = QDir(out.path()).entryList(QDir::Files | QDir::System);
        w.form->saveAnswer = dir + "Index.html";

        w.platform.confirmAnswer = false;
        w.form->ExportHTMExecute();
        QCOMPARE(w.platform.questions.size(), std::size_t(1));
        QVERIFY2(QString::fromStdString(w.platform.questions[0]).contains("3.html, 9.html"),
                 w.platform.questions[0].c_str());
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::System), before);
        QCOMPARE(FileText(dir + "3.html"), "my page");
        QVERIFY(w.platform.opened.empty());

        w.platform.confirmAnswer = true;
        w.form->ExportHTMExecute();
        QCOMPARE(w.platform.questions.size(), std::size_t(2));
        QVERIFY(FileText(dir + "3.html").contains("<td><a href=\"4.html\">A1</a></td>"));
        QVERIFY(!QFileInfo(out.filePath("9.html")).isSymLink());
        QCOMPARE(FileText(outside.toStdString()), "outside");
        QCOMPARE(QDir(out.path()).entryList(QDir::Files).size(), 5);
    }

    void htmlExportFromASubLevelAndCancelled()
    {
        TTestWindow w;
        w.OpenSource("Nest.pas", kExportUnit);
        StepInto(*w.form, "A");
        const QTemporaryDir out;
        const std::string dir = out.path().toStdString() + "/";
        w.form->saveAnswer = dir + "Sub.html";
        w.form->ExportHTMExecute();
        const QString page = FileText(dir + "Sub.html");
        QVERIFY2(page.contains("<td>..&lt; A &gt;</td>"), "no page for the level above");
        QVERIFY(QFile::exists(QString::fromStdString(dir + "4.html")));
        QVERIFY(!QFile::exists(QString::fromStdString(dir + "3.html")));
        QCOMPARE(Declarations(*w.form).first(), "..< A >");

        w.platform.opened.clear();
        w.form->saveAnswer.clear();
        w.form->ExportHTMExecute();
        QVERIFY(w.platform.opened.empty());
    }

    void rescanAfterTheCommentIndicator()
    {
        TTestWindow w;
        w.OpenSource("Shapes.pas", kShapesUnit);
        StepInto(*w.form, "TShape");
        const int levelStart = w.form->Browser().LevelStart();
        const QString lineCount = w.form->StatusPanelText(0);
        const QStringList before = Comments(*w.form);
        QVERIFY(before.contains("paints it"));

        // Cancel: nothing stored, nothing scanned.
        w.form->ActConfigExecute();
        QCOMPARE(w.form->configDialogs, 1);
        QCOMPARE(Comments(*w.form), before);

        // OK with -1: every row takes the comment of the line above it, on the same level.
        w.form->configDialog = [&] {
            w.context->Config().WriteInteger(kCmtIndicator, -1);
            return true;
        };
        w.form->ActConfigExecute();
        QCOMPARE(w.form->Browser().LevelStart(), levelStart);
        QCOMPARE(Comments(*w.form),
                 QStringList({"", "the base of all shapes", "the shape's name", "paints it"}));
        QCOMPARE(w.form->StatusPanelText(0), lineCount);
    }

    void rescanFailureKeepsTheDocument()
    {
        TTestWindow w;
        w.OpenSource("Shapes.pas", kShapesUnit);
        const QStringList before = Declarations(*w.form);
        w.folder.Write("Shapes.pas", ""); // an empty source fails the scan
        w.form->configDialog = [] { return true; };
        w.form->ActConfigExecute();
        QCOMPARE(Declarations(*w.form), before);
        QCOMPARE(w.context->DebugLog().Lines(), TLines{"error in TMForm.UpDateUName(UN:String);"});
        QVERIFY2(w.form->isEnabled(), "the busy state ended");
    }

    void noRescanWhileTheShellPageShows()
    {
        TTestWindow w;
        w.OpenSource("Shapes.pas", kShapesUnit);
        w.form->findChild<QAction*>("ActGoUp")->trigger(); // top level -> the Shell page
        QVERIFY(w.form->IsShellPageShowing());
        w.folder.Write("Shapes.pas", "");
        w.form->configDialog = [&] {
            w.context->Config().WriteInteger(kCmtIndicator, 2);
            return true;
        };
        w.form->ActConfigExecute();
        QCOMPARE(w.context->Config().ReadInteger(kCmtIndicator), 2);
        QVERIFY2(w.context->DebugLog().Lines().empty(), "nothing was read");
    }
};

QTEST_MAIN(ExportTest)
#include "ExportTest.moc"
