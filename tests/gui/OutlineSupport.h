#pragma once
// Shared pieces of the window tests: a platform that records what the window asks
// of it, a temporary program folder with a small Pascal rule file and sources, and
// a main window whose dialogs answer from fields instead of asking the user.

#include "browser/MainForm.h"
#include "config/AppContext.h"
#include "platform/Platform.h"

#include <QTemporaryDir>

class QTreeWidgetItem;

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TFakePlatform : public IPlatform {
public:
    void OpenInShell(const std::string& target, TShellFailed onFailure) override
    {
        opened.push_back(target);
        if (!openFailure.empty())
            onFailure(openFailure);
    }
    bool ShowHelp(const std::string& topic) override
    {
        helpTopics.push_back(topic);
        return true;
    }
    void ShowMessage(const std::string& text, const std::string&) override
    {
        messages.push_back(text);
    }
    // Records the question and gives confirmAnswer.
    bool Confirm(const std::string& text, const std::string&) override
    {
        questions.push_back(text);
        return confirmAnswer;
    }
    void SetClipboardText(const std::string& text) override { clipboard.push_back(text); }

    bool confirmAnswer = false;
    std::vector<std::string> questions;
    std::vector<std::string> opened;
    std::string openFailure; // when set, no program opens what is asked for, for this reason
    std::vector<std::string> helpTopics;
    std::vector<std::string> messages;
    std::vector<std::string> clipboard;
};

class TTestForm : public TMForm {
public:
    using TMForm::TMForm;
    std::string openAnswer;
    std::string saveAnswer;
    std::optional<QFont> fontAnswer;
    int exitCalls = 0;
    std::function<bool()> configDialog;
    int configDialogs = 0;

protected:
    std::string ChooseOpenFile() override { return openAnswer; }
    std::string ChooseSaveFile(const std::string&, const std::string&, const QString&) override
    {
        return saveAnswer;
    }
    // Answers the comment indicator dialog: runs configDialog when set (it may store a
    // new indicator) and reports its answer; without it the dialog is cancelled.
    bool RunConfigDialog() override
    {
        ++configDialogs;
        return configDialog ? configDialog() : false;
    }
    std::optional<QFont> ChooseFont(const QFont&) override { return fontAnswer; }
};

// A temporary program folder: the rule file CodeScan.dll (file types PAS and DPR, or only
// those given), and files written by the test.
class TProgramFolder {
public:
    explicit TProgramFolder(const std::string& fileTypes = "PAS,DPR");

    // The folder, ending with "/".
    std::string Path() const;
    // Writes a file (creating its folders) and returns its full path.
    std::string Write(const std::string& name, const std::string& text) const;
    void WriteSettings(const std::vector<std::string>& lines) const;

    // Creates the shared objects over the folder; settings are written back when the
    // context ends, so that a later context reads what the window stored.
    std::unique_ptr<TAppContext> MakeContext() const;
    // A window over a context, started with the given first argument.
    std::unique_ptr<TTestForm> MakeForm(TAppContext& context, TFakePlatform& platform,
                                        const std::string& startArgument) const;

private:
    QTemporaryDir m_dir;
};

// A program folder with settings that sort the list by Line ascending, and a window over it.
struct TTestWindow {
    explicit TTestWindow(const std::string& fileTypes = "PAS,DPR");
    // Starts the window (after ending the one open) on a start location.
    void Open(const std::string& start);
    // Ends the window and its context, which writes the settings back, as the program's end does.
    void Close();
    // Writes a source into the folder and opens the window on it.
    std::string OpenSource(const std::string& name, const std::string& text);

    TProgramFolder folder;
    std::unique_ptr<TAppContext> context;
    TFakePlatform platform;
    std::unique_ptr<TTestForm> form;
};

// A unit with a title, classes and records with members, a constant and a routine.
extern const char* const kShapesUnit;
// Entries A (level 1), A1 (2), A1a (3), A1b (3), A2 (2), B (1), in this order.
extern const char* const kNestedUnit;

// The texts of a list row: caption, then the sub-texts.
QStringList RowTexts(const QTreeWidgetItem* row);
// The first row of the list whose Declaration is the given text, or null.
QTreeWidgetItem* RowNamed(const TMForm& form, const QString& declaration);
// Selects the row and steps into it as a double click does.
void StepInto(TMForm& form, const QString& declaration);
// The Declaration texts of every row of the window's list, in list order.
QStringList Declarations(const TMForm& form);
