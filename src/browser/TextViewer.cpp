#include "browser/TextViewer.h"

#include "scan/SourceText.h"

#include <QFontDatabase>
#include <QPainter>
#include <QTextBlock>
#include <QVBoxLayout>

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
    : QWidget(parent, Qt::Window), m_edit(new TLineNumberedEdit(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_edit);
    resize(760, 560);
    // Closing the main window ends the program even while the viewer is open.
    setAttribute(Qt::WA_QuitOnClose, false);
}

bool TTextViewer::OpenFile(const std::string& path, int sourceLine)
{
    const auto lines = LoadSourceLines(path);
    if (!lines)
        return false;
    QStringList text;
    text.reserve(static_cast<qsizetype>(lines->size()));
    for (const auto& line : *lines)
        text.append(QString::fromUtf8(line));
    m_path = path;
    m_edit->setPlainText(text.join(QLatin1Char('\n')));
    setWindowTitle(QString::fromStdString(path) + QStringLiteral(" - View Text"));

    QList<QTextEdit::ExtraSelection> marks;
    QTextBlock block = m_edit->document()->findBlockByNumber(std::max(0, sourceLine - 1));
    QTextCursor cursor(block.isValid() ? block : m_edit->document()->firstBlock());
    m_edit->setTextCursor(cursor);
    if (sourceLine > 0 && block.isValid()) {
        QTextEdit::ExtraSelection mark;
        mark.format.setBackground(palette().color(QPalette::Highlight).lighter(170));
        mark.format.setProperty(QTextFormat::FullWidthSelection, true);
        mark.cursor = cursor;
        marks.append(mark);
        m_edit->centerCursor();
    }
    m_edit->setExtraSelections(marks);
    return true;
}

int TTextViewer::CurrentLine() const
{
    return m_edit->textCursor().blockNumber() + 1;
}
