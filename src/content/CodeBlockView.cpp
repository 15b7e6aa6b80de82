// SPDX-License-Identifier: GPL-3.0-or-later
#include "content/CodeBlockView.h"

#include "content/HoverScrollBar.h"
#include "content/SyntaxColoredCodeView.h"
#include "platform/AssignIfChanged.h"
#include "ui/CodeBlockColors.h"
#include "ui/LauncherColors.h"
#include "ui/LauncherMetrics.h"
#include "ui/PixelFont.h"
#include "ui/SymbolIcon.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

namespace {

constexpr int kPadX = 12;
constexpr int kHeaderPadY = 6;
constexpr int kCodePadY = 10;
constexpr int kHeaderSpacing = 8;

// "Copy" with its symbol, or "Copied!" with a green check mark.
class CopyButton : public QAbstractButton
{
public:
    explicit CopyButton(QWidget *parent)
        : QAbstractButton(parent)
    {
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::NoFocus);
        usePixelFont(this, 10);
        setCopied(false);
    }

    void setCopied(bool copied)
    {
        m_copied = copied;
        setText(copied ? QStringLiteral("Copied!") : QStringLiteral("Copy"));
        updateGeometry();
        update();
    }

    QSize sizeHint() const override
    {
        const QFontMetrics metrics(font());
        return QSize(10 + 3 + metrics.horizontalAdvance(text()), qMax(10, metrics.height()));
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        const CodeBlockColors colors = CodeBlockColors::forAppearance(LauncherColors::of(this).dark);
        const QColor colour = m_copied ? colors.copied : colors.label;
        QPainter painter(this);
        if (isDown())
            painter.setOpacity(0.6);
        const QString symbol = m_copied ? QStringLiteral("checkmark") : QStringLiteral("doc.on.doc");
        painter.drawPixmap(QPointF(0, (height() - 10) / 2.0), symbolPixmap(symbol, 10, colour, devicePixelRatioF()));
        painter.setPen(colour);
        painter.drawText(rect().adjusted(13, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text());
    }

private:
    bool m_copied = false;
};

} // namespace

CodeBlockView::CodeBlockView(const QString &lang, const QString &codeBody, QWidget *parent)
    : SidewaysBlockView(parent)
    , m_lang(lang)
    , m_codeBody(codeBody)
    , m_label(new QLabel(lang.isEmpty() ? QStringLiteral("code") : lang, this))
    , m_copyButton(new CopyButton(this))
    , m_code(new SyntaxColoredCodeView(codeBody, lang, this))
{
    scrollSidewaysWith(m_code);
    m_label->setFont(pixelFont(QFontDatabase::systemFont(QFontDatabase::FixedFont), 10, QFont::Medium));
    m_label->setTextFormat(Qt::PlainText);
    showLabelColour();
    connect(m_copyButton, &QAbstractButton::clicked, this, &CodeBlockView::copyCode);
    connect(m_code, &SyntaxColoredCodeView::contentSizeChanged, this, [this] {
        resizeEvent(nullptr);
        Q_EMIT contentSizeChanged();
    });
}

void CodeBlockView::showLabelColour()
{
    const QColor colour = CodeBlockColors::forAppearance(LauncherColors::of(this).dark).label;
    if (m_label->palette().color(QPalette::WindowText) == colour)
        return;
    QPalette palette = m_label->palette();
    palette.setColor(QPalette::WindowText, colour);
    m_label->setPalette(palette);
}

void CodeBlockView::changeEvent(QEvent *event)
{
    SidewaysBlockView::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        showLabelColour();
}

void CodeBlockView::setCodeBody(const QString &codeBody)
{
    if (!assignIfChanged(m_codeBody, codeBody))
        return;
    m_code->setCode(codeBody);
}

void CodeBlockView::copyCode()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(m_codeBody);
    setCopied(true);
    QTimer::singleShot(2000, this, [this] { setCopied(false); });
}

void CodeBlockView::setCopied(bool copied)
{
    m_copied = copied;
    static_cast<CopyButton *>(m_copyButton)->setCopied(copied);
    resizeEvent(nullptr);
    update();
}

int CodeBlockView::headerHeight() const
{
    return kHeaderPadY * 2 + qMax(m_label->sizeHint().height(), m_copyButton->sizeHint().height());
}

int CodeBlockView::headerWidth() const
{
    return kPadX * 2 + m_label->sizeHint().width() + kHeaderSpacing + m_copyButton->sizeHint().width();
}

int CodeBlockView::idealWidth() const
{
    return qMax(headerWidth(), kPadX * 2 + m_code->naturalWidth());
}

int CodeBlockView::heightForWidth(int) const
{
    return headerHeight() + kCodePadY * 2 + m_code->contentHeight();
}

void CodeBlockView::resizeEvent(QResizeEvent *)
{
    const int header = headerHeight();
    const QSize label = m_label->sizeHint();
    const QSize button = m_copyButton->sizeHint();
    m_label->setGeometry(kPadX, (header - label.height()) / 2, label.width(), label.height());
    m_copyButton->setGeometry(kPadX + label.width() + kHeaderSpacing, (header - button.height()) / 2, button.width(),
                              button.height());
    m_code->setGeometry(kPadX, header + kCodePadY, qMax(1, width() - kPadX * 2), m_code->contentHeight());
    // The sideways bar sits in the bottom padding, shown on hover.
    sidewaysBar()->setGeometry(kPadX, height() - kCodePadY + 1, qMax(1, width() - kPadX * 2),
                               HoverScrollBar::kThickness);
}

void CodeBlockView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath block;
    block.addRoundedRect(QRectF(rect()), LauncherMetrics::bubbleRadius, LauncherMetrics::bubbleRadius);
    const CodeBlockColors colors = CodeBlockColors::forAppearance(LauncherColors::of(this).dark);
    painter.fillPath(block, colors.blockFill);
    // The band stays inside the block's rounded corner.
    painter.save();
    painter.setClipPath(block);
    painter.fillRect(QRect(0, 0, qMin(width(), headerWidth()), headerHeight()), colors.headerFill);
    painter.restore();
    painter.setPen(QPen(colors.edge, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
}
