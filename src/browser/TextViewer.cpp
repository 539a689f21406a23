#include "browser/TextViewer.h"

#include "browser/PascalHighlighter.h"
#include "platform/WindowPlacement.h"
#include "scan/SourceText.h"

#include <QAction>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QTextBlock>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>

namespace {

// The viewer's colours beside those of the text: the palette's own where they suit a dark
// background as well as a light one, otherwise made from its base, text and highlight.
bool IsDark(const QPalette& palette)
{
    return palette.color(QPalette::Base).lightness() < palette.color(QPalette::Text).lightness();
}

QColor Mix(const QColor& from, const QColor& to, qreal share)
{
    return QColor::fromRgbF(from.redF() + (to.redF() - from.redF()) * share,
                            from.greenF() + (to.greenF() - from.greenF()) * share,
                            from.blueF() + (to.blueF() - from.blueF()) * share);
}

QColor MarginColour(const QPalette& palette)
{
    const QColor alternate = palette.color(QPalette::AlternateBase);
    return (alternate.lightness() < 128) == IsDark(palette)
               ? alternate
               : Mix(palette.color(QPalette::Base), palette.color(QPalette::Text), 0.06);
}

QColor LineNumberColour(const QPalette& palette)
{
    return IsDark(palette) ? Mix(palette.color(QPalette::Base), palette.color(QPalette::Text), 0.55)
                           : palette.color(QPalette::PlaceholderText);
}

QColor MarkedLineColour(const QPalette& palette)
{
    const QColor highlight = palette.color(QPalette::Highlight);
    return IsDark(palette) ? Mix(palette.color(QPalette::Base), highlight, 0.35) : highlight.lighter(170);
}

class TMargin : public QWidget {
public:
    explicit TMargin(TLineNumberedEdit* edit) : QWidget(edit), m_edit(edit) {}
    QSize sizeHint() const override { return {m_edit->MarginWidth(), 0}; }

protected:
    void paintEvent(QPaintEvent* event) override { m_edit->PaintMargin(event); }

private:
    TLineNumberedEdit* m_edit;
};

} // namespace

TLineNumberedEdit::TLineNumberedEdit(QWidget* parent)
    : QPlainTextEdit(parent), m_margin(new TMargin(this))
{
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    connect(this, &QPlainTextEdit::blockCountChanged, this,
            [this] { setViewportMargins(MarginWidth(), 0, 0, 0); });
    connect(this, &QPlainTextEdit::updateRequest, this, &TLineNumberedEdit::UpdateMargin);
    setViewportMargins(MarginWidth(), 0, 0, 0);
}

int TLineNumberedEdit::MarginWidth() const
{
    int digits = 1;
    for (int n = std::max(1, blockCount()); n >= 10; n /= 10)
        ++digits;
    return 12 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * std::max(digits, 3);
}

void TLineNumberedEdit::UpdateMargin(const QRect& rect, int dy)
{
    if (dy != 0)
        m_margin->scroll(0, dy);
    else
        m_margin->update(0, rect.y(), m_margin->width(), rect.height());
}

void TLineNumberedEdit::resizeEvent(QResizeEvent* event)
{
    QPlainTextEdit::resizeEvent(event);
    const QRect r = contentsRect();
    m_margin->setGeometry(QRect(r.left(), r.top(), MarginWidth(), r.height()));
}

void TLineNumberedEdit::PaintMargin(QPaintEvent* event)
{
    QPainter painter(m_margin);
    painter.fillRect(event->rect(), MarginColour(palette()));
    painter.setPen(LineNumberColour(palette()));
    QTextBlock block = firstVisibleBlock();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    while (block.isValid() && top <= event->rect().bottom()) {
        const int height = qRound(blockBoundingRect(block).height());
        if (block.isVisible() && top + height >= event->rect().top()) {
            painter.drawText(0, top, m_margin->width() - 6, fontMetrics().height(), Qt::AlignRight,
                             QString::number(block.blockNumber() + 1));
        }
        block = block.next();
        top += height;
    }
}

TTextViewer::TTextViewer(QWidget* parent)
    : QWidget(parent, Qt::Window), m_edit(new TLineNumberedEdit(this)), m_bar(new QWidget(this)),
      m_barLabel(new QLabel(m_bar)), m_barEdit(new QLineEdit(m_bar)), m_barNote(new QLabel(m_bar)),
      m_lineValidator(new QIntValidator(this))
{
    setObjectName("TextViewer");
    m_highlighter = new TPascalHighlighter(m_edit->document());
    m_highlighter->SetDarkBackground(IsDark(palette()));
    m_barEdit->setObjectName("ViewerBarEdit");
    m_barEdit->installEventFilter(this);
    auto* barLayout = new QHBoxLayout(m_bar);
    barLayout->setContentsMargins(6, 3, 6, 3);
    barLayout->addWidget(m_barLabel);
    barLayout->addWidget(m_barEdit, 1);
    barLayout->addWidget(m_barNote);
    m_bar->hide();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_edit);
    layout->addWidget(m_bar);
    resize(760, 560);
    // Closing the main window ends the program even while the viewer is open.
    setAttribute(Qt::WA_QuitOnClose, false);

    auto addKeys = [this](const QList<QKeySequence>& keys, auto handler) {
        auto* action = new QAction(this);
        action->setShortcuts(keys);
        connect(action, &QAction::triggered, this, handler);
        addAction(action);
    };
    addKeys({QKeySequence::Find}, [this] { ShowFindBar(); });
    addKeys({QKeySequence("Ctrl+G")}, [this] { ShowGoToBar(); });
    addKeys({QKeySequence::FindNext}, [this] { Find(m_barEdit->text()); });
    addKeys({QKeySequence::FindPrevious}, [this] { Find(m_barEdit->text(), true); });
}

bool TTextViewer::OpenFile(const std::string& path, int sourceLine)
{
    std::error_code ec;
    const auto size = static_cast<std::int64_t>(std::filesystem::file_size(path, ec));
    const std::int64_t time =
        ec ? 0 : std::filesystem::last_write_time(path, ec).time_since_epoch().count();
    if (ec)
        return false;
    if (path != m_path || size != m_fileSize || time != m_fileTime) {
        const auto lines = LoadSourceLines(path);
        if (!lines)
            return false;
        QStringList text;
        text.reserve(static_cast<qsizetype>(lines->size()));
        for (const auto& line : *lines)
            text.append(QString::fromUtf8(line));
        // The colours are made in one pass once the text is in (and shown), not block by
        // block while it goes in.
        m_highlighter->setDocument(nullptr);
        m_edit->setPlainText(text.join(QLatin1Char('\n')));
        m_highlighter->setDocument(m_edit->document());
        m_path = path;
        m_fileSize = size;
        m_fileTime = time;
        setWindowTitle(QString::fromStdString(path) + QStringLiteral(" - View Text"));
    }
    // What the bar said of the last search belongs to the text shown before this jump.
    ResetBarNote();
    if (sourceLine > 0) {
        GoToLine(sourceLine);
    } else {
        m_highlightedLine = 0;
        m_edit->setExtraSelections({});
        m_edit->setTextCursor(QTextCursor(m_edit->document()->firstBlock()));
    }
    return true;
}

void TTextViewer::ShowBeside(const QWidget* window)
{
    if (!m_placed && window && window->screen()) {
        m_placed = true;
        // Narrowed to the room beside the window when that is still wide enough to read.
        constexpr int kNarrowestPx = 400;
        PlaceWindowBeside(*this, *window, size(), kNarrowestPx);
    }
    show();
    raise();
    // Centred again now that the text has its size on screen.
    m_edit->centerCursor();
}

void TTextViewer::GoToLine(int sourceLine)
{
    const QTextBlock block = m_edit->document()->findBlockByNumber(
        std::clamp(sourceLine, 1, m_edit->document()->blockCount()) - 1);
    QTextCursor cursor(block);
    m_edit->setTextCursor(cursor);
    m_edit->centerCursor();
    m_highlightedLine = block.blockNumber() + 1;
    MarkLine();
}

void TTextViewer::MarkLine()
{
    if (m_highlightedLine <= 0)
        return;
    QTextEdit::ExtraSelection mark;
    mark.format.setBackground(MarkedLineColour(palette()));
    mark.format.setProperty(QTextFormat::FullWidthSelection, true);
    mark.cursor = QTextCursor(m_edit->document()->findBlockByNumber(m_highlightedLine - 1));
    m_edit->setExtraSelections({mark});
}

void TTextViewer::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        m_highlighter->SetDarkBackground(IsDark(palette()));
        MarkLine();
    }
}

int TTextViewer::CurrentLine() const
{
    return m_edit->textCursor().blockNumber() + 1;
}

bool TTextViewer::Find(const QString& text, bool backward)
{
    m_barNote->clear();
    if (text.isEmpty())
        return false;
    const QTextDocument::FindFlags flags = backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    QTextDocument* document = m_edit->document();
    QTextCursor found = document->find(text, m_edit->textCursor(), flags);
    if (found.isNull()) {
        // Once round the end of the text.
        QTextCursor from(document);
        if (backward)
            from.movePosition(QTextCursor::End);
        found = document->find(text, from, flags);
    }
    if (found.isNull()) {
        m_barNote->setText("Not found");
        return false;
    }
    m_edit->setTextCursor(found);
    m_edit->centerCursor();
    return true;
}

void TTextViewer::ShowFindBar()
{
    ShowBar(TBar::Find);
}

void TTextViewer::ShowGoToBar()
{
    ShowBar(TBar::GoTo);
}

QString TTextViewer::BarNote() const
{
    return m_barNote->text();
}

void TTextViewer::ShowBar(TBar bar)
{
    if (bar != m_barMode || m_bar->isHidden())
        m_barEdit->clear();
    m_barMode = bar;
    m_barLabel->setText(bar == TBar::Find ? "Find:" : "Go to line:");
    m_barEdit->setValidator(bar == TBar::Find ? nullptr : m_lineValidator);
    ResetBarNote();
    m_bar->show();
    m_barEdit->setFocus(Qt::ShortcutFocusReason);
    m_barEdit->selectAll();
}

void TTextViewer::ResetBarNote()
{
    const int lines = m_edit->document()->blockCount();
    m_lineValidator->setRange(1, lines);
    m_barNote->setText(m_barMode == TBar::Find ? QString() : QStringLiteral("1 to %1").arg(lines));
}

void TTextViewer::HideBar()
{
    m_bar->hide();
    m_edit->setFocus();
}

void TTextViewer::RunBar(bool backward)
{
    if (m_barMode == TBar::Find) {
        Find(m_barEdit->text(), backward);
        return;
    }
    bool number = false;
    const int line = m_barEdit->text().toInt(&number);
    if (number && line >= 1) {
        GoToLine(line);
        HideBar();
    }
}

bool TTextViewer::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_barEdit && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            HideBar();
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            RunBar(key->modifiers().testFlag(Qt::ShiftModifier));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
