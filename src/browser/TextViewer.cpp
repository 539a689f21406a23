#include "browser/TextViewer.h"

#include "browser/PascalHighlighter.h"
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
    painter.fillRect(event->rect(), palette().color(QPalette::AlternateBase));
    painter.setPen(palette().color(QPalette::PlaceholderText));
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
        const auto lines = LoadSourceText(path).lines;
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
        // Beside the window on the side with room, narrowed to the room when that is
        // still wide enough to read; otherwise at the screen's right edge, over the window.
        constexpr int kNarrowestPx = 400;
        const QRect main = window->frameGeometry();
        const QRect area = window->screen()->availableGeometry();
        const int roomRight = area.right() - main.right();
        const int roomLeft = main.left() - area.left();
        const bool right = roomRight >= width() || (roomRight >= roomLeft && roomLeft < width());
        const int room = right ? roomRight : roomLeft;
        if (room < width() && room >= kNarrowestPx)
            resize(room, height());
        const int top = std::clamp(main.top(), area.top(), std::max(area.top(), area.bottom() - height()));
        if (room >= width())
            move(right ? main.right() + 1 : main.left() - width(), top);
        else
            move(area.right() + 1 - width(), top);
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
    QTextEdit::ExtraSelection mark;
    mark.format.setBackground(palette().color(QPalette::Highlight).lighter(170));
    mark.format.setProperty(QTextFormat::FullWidthSelection, true);
    mark.cursor = cursor;
    m_edit->setExtraSelections({mark});
    m_highlightedLine = block.blockNumber() + 1;
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
    const int lines = m_edit->document()->blockCount();
    m_barLabel->setText(bar == TBar::Find ? "Find:" : "Go to line:");
    m_lineValidator->setRange(1, lines);
    m_barEdit->setValidator(bar == TBar::Find ? nullptr : m_lineValidator);
    m_barNote->setText(bar == TBar::Find ? QString() : QStringLiteral("1 to %1").arg(lines));
    m_bar->show();
    m_barEdit->setFocus(Qt::ShortcutFocusReason);
    m_barEdit->selectAll();
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
