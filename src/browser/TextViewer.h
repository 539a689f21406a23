#pragma once
// The built-in read-only text viewer of View Text and of the jumps to an entry's line:
// one source file with line numbers in a margin and Pascal colouring, scrolled to a
// chosen line, which is highlighted, with a bar to find text and to go to a line. One
// window, reused for every file; user-interface thread only.

#include <QPlainTextEdit>

#include <cstdint>
#include <string>

class QIntValidator;
class QLabel;
class QLineEdit;
class TPascalHighlighter;

class TLineNumberedEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TLineNumberedEdit(QWidget* parent = nullptr);
    int MarginWidth() const;
    void PaintMargin(QPaintEvent* event);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void UpdateMargin(const QRect& rect, int dy);

    QWidget* m_margin;
};

class TTextViewer : public QWidget {
    Q_OBJECT
public:
    explicit TTextViewer(QWidget* parent = nullptr);

    // Loads the file (text decoded as the scanner decodes sources) and shows sourceLine
    // (from 1) highlighted in the middle; 0 shows the top. A file shown already and not
    // changed since is not read again. False when the file cannot be read; the window is
    // then left as it was.
    bool OpenFile(const std::string& path, int sourceLine);
    // Shows the window; the first time beside window, to its right when the screen has
    // room there, else to its left. Later it stays where the user left it.
    void ShowBeside(const QWidget* window);

    // Moves to the line (from 1, within the text) and highlights it.
    void GoToLine(int sourceLine);
    // Finds text, ignoring letter case, after the cursor (before it when backward),
    // going round the end of the text once; the match is selected. False when none.
    bool Find(const QString& text, bool backward = false);
    // The bar under the text: Ctrl+F shows it to find (Enter finds the next match,
    // Shift+Enter the one before), Ctrl+G to go to a line; Esc hides it.
    void ShowFindBar();
    void ShowGoToBar();

    const std::string& FilePath() const { return m_path; }
    // The line (from 1) of the text cursor.
    int CurrentLine() const;
    // The highlighted line (from 1); 0 when none.
    int HighlightedLine() const { return m_highlightedLine; }
    TLineNumberedEdit* Edit() const { return m_edit; }
    QLineEdit* BarEdit() const { return m_barEdit; }
    // What the bar says of the last search ("Not found") or of the line count.
    QString BarNote() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // A new palette brings the colours for its background.
    void changeEvent(QEvent* event) override;

private:
    enum class TBar { Find, GoTo };
    void ShowBar(TBar bar);
    void HideBar();
    // The bar's note before any search: nothing to find, the line range to go to.
    void ResetBarNote();
    // Marks the highlighted line in the colour of the palette.
    void MarkLine();
    void RunBar(bool backward);

    TLineNumberedEdit* m_edit;
    TPascalHighlighter* m_highlighter;
    QWidget* m_bar;
    QLabel* m_barLabel;
    QLineEdit* m_barEdit;
    QLabel* m_barNote;
    QIntValidator* m_lineValidator;
    TBar m_barMode = TBar::Find;
    std::string m_path;
    // The state of the file when it was read, to tell whether it must be read again.
    std::int64_t m_fileSize = -1;
    std::int64_t m_fileTime = 0;
    int m_highlightedLine = 0;
    bool m_placed = false;
};
