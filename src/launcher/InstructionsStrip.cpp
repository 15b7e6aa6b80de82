// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcher/InstructionsStrip.h"

#include "ui/LauncherColors.h"
#include "ui/LauncherMetrics.h"
#include "ui/PaletteFollower.h"
#include "ui/PixelFont.h"
#include "ui/SymbolIcon.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

InstructionsStrip::InstructionsStrip(QWidget *parent)
    : QWidget(parent)
    , m_icon(new QLabel(this))
    , m_text(new QLabel(this))
{
    setObjectName(QStringLiteral("instructionsStrip"));
    setCursor(Qt::PointingHandCursor);
    setToolTip(tr("Instructions sent with every message of this conversation"));
    usePixelFont(m_text, 12);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(LauncherMetrics::edgeInset, 7, LauncherMetrics::edgeInset, 7);
    row->setSpacing(8);
    row->addWidget(m_icon, 0, Qt::AlignTop);
    row->addWidget(m_text, 1);
    applyColors();
    new PaletteFollower(this, [this] { applyColors(); });
    hide();
}

void InstructionsStrip::setText(const QString &instructions)
{
    if (instructions != m_instructions)
        m_expanded = false;
    m_instructions = instructions;
    setVisible(!instructions.isEmpty());
    showText();
}

void InstructionsStrip::setExpanded(bool expanded)
{
    m_expanded = expanded;
    showText();
}

void InstructionsStrip::showText()
{
    m_text->setWordWrap(m_expanded);
    if (m_expanded) {
        m_text->setText(m_instructions);
    } else {
        const QString line = QString(m_instructions).replace(QLatin1Char('\n'), QLatin1Char(' ')).simplified();
        m_text->setText(m_text->fontMetrics().elidedText(line, Qt::ElideRight, qMax(0, m_text->width())));
    }
    updateGeometry();
}

void InstructionsStrip::applyColors()
{
    const LauncherColors colors = LauncherColors::of(this);
    // The accent's blue sinks into its own wash on the dark ground; the text's grey reads on both.
    m_icon->setPixmap(symbolPixmap(QStringLiteral("sparkles"), 12, colors.secondary, devicePixelRatioF()));
    QPalette palette = m_text->palette();
    palette.setColor(QPalette::WindowText, colors.secondary);
    m_text->setPalette(palette);
}

void InstructionsStrip::mousePressEvent(QMouseEvent *)
{
    setExpanded(!m_expanded);
}

void InstructionsStrip::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (!m_expanded)
        showText();
}

void InstructionsStrip::paintEvent(QPaintEvent *)
{
    const LauncherColors colors = LauncherColors::of(this);
    QPainter painter(this);
    painter.fillRect(rect(), withOpacity(colors.accent, colors.dark ? 0.10 : 0.07));
    painter.fillRect(QRect(0, height() - 1, width(), 1), colors.separator);
}
