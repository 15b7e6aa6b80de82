// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcher/ThinkingBlock.h"

#include "ui/LauncherColors.h"
#include "ui/PaletteFollower.h"
#include "ui/PixelFont.h"
#include "ui/SymbolIcon.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {
constexpr QMargins kPadding(12, 8, 12, 8);
constexpr int kBodySpacing = 6;
constexpr int kRadius = 12;
// The lines of a live thought kept in sight while it is folded.
constexpr int kTailLines = 4;
// Laying out only the end of a long thought keeps each streamed piece cheap.
constexpr qsizetype kTailCharacters = 1200;
} // namespace

ThinkingBlock::ThinkingBlock(QWidget *parent)
    : QWidget(parent)
    , m_icon(new QLabel(this))
    , m_header(new QLabel(this))
    , m_clip(new QWidget(this))
    , m_body(new QLabel(m_clip))
{
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(QStringLiteral("Reasoning"));
    usePixelFont(m_header, 12, QFont::Medium);
    usePixelFont(m_body, 12);
    m_body->setWordWrap(true);
    m_body->setTextFormat(Qt::PlainText);
    m_body->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    for (QWidget *child :
         {static_cast<QWidget *>(m_icon), static_cast<QWidget *>(m_header), m_clip, static_cast<QWidget *>(m_body)})
        child->setAttribute(Qt::WA_TransparentForMouseEvents);
    applyColors();
    new PaletteFollower(this, [this] { applyColors(); });
}

void ThinkingBlock::setThought(const QString &reasoning, bool live, std::optional<double> seconds)
{
    // The answer has started: the thought folds away.
    if (m_live && !live)
        m_expanded = false;
    m_reasoning = reasoning;
    m_live = live;
    m_seconds = seconds;
    syncTexts();
}

void ThinkingBlock::setExpanded(bool expanded)
{
    if (m_expanded == expanded)
        return;
    m_expanded = expanded;
    syncTexts();
}

QString ThinkingBlock::headerText() const
{
    return m_header->text();
}

QString ThinkingBlock::shownText() const
{
    return bodyShown() ? m_body->text() : QString();
}

bool ThinkingBlock::bodyShown() const
{
    return m_live || m_expanded;
}

void ThinkingBlock::syncTexts()
{
    const QString chevron = m_expanded ? QStringLiteral("  ▾") : QStringLiteral("  ▸");
    if (m_live)
        m_header->setText(QStringLiteral("Thinking…") + chevron);
    else if (m_seconds)
        m_header->setText(QStringLiteral("Thought for %1 s").arg(qMax(1, qRound(*m_seconds))) + chevron);
    else
        m_header->setText(QStringLiteral("Thought") + chevron);

    QString text = m_reasoning.trimmed();
    if (m_live && !m_expanded && text.size() > kTailCharacters) {
        text = text.right(kTailCharacters);
        const qsizetype lineStart = text.indexOf(QLatin1Char('\n'));
        text = QStringLiteral("…") + (lineStart >= 0 ? text.mid(lineStart + 1) : text);
    }
    m_body->setText(text);
    m_clip->setVisible(bodyShown() && !text.isEmpty());
    if (width() > 0)
        layoutFor(width());
    update();
    Q_EMIT heightChanged();
}

void ThinkingBlock::applyColors()
{
    const LauncherColors colors = LauncherColors::of(this);
    for (QLabel *label : {m_header, m_body}) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, colors.secondary);
        label->setPalette(palette);
    }
    m_icon->setPixmap(symbolPixmap(QStringLiteral("brain"), 11, colors.secondary, devicePixelRatioF()));
}

int ThinkingBlock::widthFor(int available) const
{
    if (m_clip->isVisibleTo(this))
        return available;
    const int header = m_icon->sizeHint().width() + 6 + m_header->sizeHint().width();
    return qMin(available, header + kPadding.left() + kPadding.right());
}

int ThinkingBlock::heightForWidth(int width) const
{
    const int header = qMax(m_icon->sizeHint().height(), m_header->sizeHint().height());
    int height = kPadding.top() + header + kPadding.bottom();
    if (m_clip->isVisibleTo(this)) {
        const int inner = qMax(1, width - kPadding.left() - kPadding.right());
        int body = m_body->heightForWidth(inner);
        if (m_live && !m_expanded)
            body = qMin(body, kTailLines * m_body->fontMetrics().lineSpacing());
        height += kBodySpacing + body;
    }
    return height;
}

void ThinkingBlock::layoutFor(int width)
{
    const int header = qMax(m_icon->sizeHint().height(), m_header->sizeHint().height());
    const QSize icon = m_icon->sizeHint();
    m_icon->setGeometry(kPadding.left(), kPadding.top() + (header - icon.height()) / 2, icon.width(), icon.height());
    const int textX = kPadding.left() + icon.width() + 6;
    m_header->setGeometry(textX, kPadding.top(), qMax(1, width - textX - kPadding.right()), header);
    if (!m_clip->isVisibleTo(this))
        return;
    const int inner = qMax(1, width - kPadding.left() - kPadding.right());
    const int full = m_body->heightForWidth(inner);
    const int shown = heightForWidth(width) - kPadding.top() - header - kBodySpacing - kPadding.bottom();
    m_clip->setGeometry(kPadding.left(), kPadding.top() + header + kBodySpacing, inner, shown);
    // Folded, the clip shows the text's last lines: the newest thought.
    m_body->setGeometry(0, shown - full, inner, full);
}

void ThinkingBlock::resizeEvent(QResizeEvent *)
{
    layoutFor(width());
}

void ThinkingBlock::paintEvent(QPaintEvent *)
{
    const LauncherColors colors = LauncherColors::of(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), kRadius, kRadius);
    painter.fillPath(shape, withOpacity(colors.secondary, 0.07));
    if (hasFocus()) {
        painter.setPen(QPen(colors.accent, 1.5));
        painter.drawPath(shape);
    }
}

void ThinkingBlock::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        setExpanded(!m_expanded);
    QWidget::mouseReleaseEvent(event);
}

void ThinkingBlock::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space) {
        setExpanded(!m_expanded);
        return;
    }
    QWidget::keyPressEvent(event);
}
