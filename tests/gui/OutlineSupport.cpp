#include "OutlineSupport.h"

#include "widgets/ListViewEx.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

namespace {

// A small Pascal rule block: comments after "//", unit names, classes and records with
// their members (nested ones one level deeper), routines, constants and uses clauses.
const char* const kRules = R"([BEGIN]
[+VAR]
%TYPES%
[-VAR]
[BEGIN] NAME=TESTPAS
[+CYC0]
.
S0=//\s*
*=#2
B=#0
.
S1=^\s*unit\s+(\w+)\s*;
D=$1
T=unit
I=0
?
<=u
B=#2
.
S2=^\s*(\w+)\s*=\s*(class|record)\b
D=$1
T=$2
I=3
?
<=c
B=#2
[PUSH] MEMBERS
S3=^\s*(procedure|function)\s+(\w+)[^;]*;
D=$2
T=$1
I=1
?
<=r
B=#2
.
S4=^\s*(\w+)\s*=\s*[^;]+;
D=$1
T=const
I=2
?
<=k
B=#2
.
S5=^\s*uses\s+([^;]+);
D=$1
T=uses
I=2
?
<=s
B=#2
.
S6=^\s*\S+
B=#2
.
[-CYC0]
[+MEMBERS]
.
S0=//\s*
*=#2
B=#0
.
S1=^\s*end\s*;
<=e
B=#2
[POP]
S2=^\s*(\w+)\s*=\s*(class|record)\b
D=$1
T=$2
I=3
?
<=c
B=#2
[PUSH] MEMBERS
S3=^\s*(procedure|function)\s+(\w+)[^;]*;
D=$2
T=$1
I=1
?
<=r
B=#2
.
S4=^\s*property\s+(\w+)[^;]*;
D=$1
T=property
I=2
?
<=p
B=#2
.
S5=^\s*(\w+)\s*:\s*[^;]+;
D=$1
T=field
I=2
?
<=f
B=#2
.
S6=^\s*\S+
B=#2
.
[-MEMBERS]
[END]
[END]
)";

} // namespace

const char* const kShapesUnit = R"(// Shapes: a small unit for the outline tests
// second title line
unit Shapes;

interface

type
  TShape = class // the base of all shapes
    FName: string; // the shape's name
    procedure Draw; // paints it
    property Name: string read FName; // read-only name
  end;

  TPoint = record // a plain point
    X: Integer;
    Y: Integer;
  end;

const
  MaxShapes = 10; // how many fit

procedure Clear; // empties the canvas

implementation

end.
)";

const char* const kNestedUnit = R"(A = class // outer
  A1 = record
    A1a: Integer;
    A1b: Integer;
  end;
  A2: Integer;
end;
B = 1;
)";

TProgramFolder::TProgramFolder(const std::string& fileTypes)
{
    std::string types;
    for (const QString& key : QString::fromStdString(fileTypes).split(',', Qt::SkipEmptyParts))
        types += key.toStdString() + "=TESTPAS\n";
    std::string rules = kRules;
    rules.replace(rules.find("%TYPES%\n"), 8, types);
    Write("CodeScan.dll", rules);
}

std::string TProgramFolder::Path() const
{
    return m_dir.path().toStdString() + "/";
}

std::string TProgramFolder::Write(const std::string& name, const std::string& text) const
{
    const QString path = QString::fromStdString(Path() + name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text.data(), static_cast<qint64>(text.size()));
    return path.toStdString();
}

void TProgramFolder::WriteSettings(const std::vector<std::string>& lines) const
{
    std::string text;
    for (const auto& line : lines)
        text += line + "\r\n";
    Write("quillane.ini", text);
}

std::unique_ptr<TAppContext> TProgramFolder::MakeContext() const
{
    return std::make_unique<TAppContext>(TAppPaths::InFolder(Path()));
}

std::unique_ptr<TTestForm> TProgramFolder::MakeForm(TAppContext& context, TFakePlatform& platform,
                                                    const std::string& startArgument) const
{
    return std::make_unique<TTestForm>(TMFormServices{context.DebugLog(), context.Config(),
                                                      context.SharedRules(), platform,
                                                      TAppPaths::InFolder(Path()),
                                                      startArgument, {}, {}});
}

QTreeWidgetItem* RowNamed(const TMForm& form, const QString& declaration)
{
    for (int i = 0; i < form.ListView()->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = form.ListView()->topLevelItem(i);
        if (form.FieldText(row, 'D') == declaration)
            return row;
    }
    return nullptr;
}

void StepInto(TMForm& form, const QString& declaration)
{
    QTreeWidgetItem* row = RowNamed(form, declaration);
    QVERIFY2(row, qPrintable(declaration));
    form.ListView()->setCurrentItem(row);
    form.ListViewDblClick();
}

TTestWindow::TTestWindow(const std::string& fileTypes) : folder(fileTypes)
{
    folder.WriteSettings({"LIST_HEADER_SORTCOL=4", "LIST_HEADER_SORTORDER=T", "APP_CAPTION=Quillane"});
}

void TTestWindow::Open(const std::string& start)
{
    Close();
    context = folder.MakeContext();
    form = folder.MakeForm(*context, platform, start);
}

void TTestWindow::Close()
{
    form.reset();
    context.reset();
}

std::string TTestWindow::OpenSource(const std::string& name, const std::string& text)
{
    const std::string source = folder.Write(name, text);
    Open(source);
    return source;
}

QStringList RowTexts(const QTreeWidgetItem* row)
{
    QStringList texts;
    for (int c = 0; c < row->columnCount(); ++c)
        texts << row->text(c);
    return texts;
}

QStringList Declarations(const TMForm& form)
{
    QStringList names;
    for (int i = 0; i < form.ListView()->topLevelItemCount(); ++i)
        names << form.FieldText(form.ListView()->topLevelItem(i), 'D');
    return names;
}
