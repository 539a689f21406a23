#pragma once
// The built-in read-only text viewer of View Text: one source file with line
// numbers in a margin, scrolled to a chosen line, which is highlighted. One
// window, reused for every file; user-interface thread only.

#include <QPlainTextEdit>

#include <string>

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

    // Loads the file (text decoded as the scanner decodes sources) and shows it, with
    // sourceLine (from 1) scrolled into view and highlighted; 0 shows the top. False when
    // the file cannot be read; the window is then left as it was.
    bool OpenFile(const std::string& path, int sourceLine);

    const std::string& FilePath() const { return m_path; }
    // The line (from 1) of the text cursor.
    int CurrentLine() const;
    TLineNumberedEdit* Edit() const { return m_edit; }

private:
    TLineNumberedEdit* m_edit;
    std::string m_path;
};
