// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcher/ErrorBubble.h"

#include "ui/LauncherColors.h"
#include "ui/PaletteFollower.h"
#include "ui/PixelFont.h"
#include "ui/RoundedCard.h"
#include "ui/SymbolIcon.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

ErrorBubble::ErrorBubble(const QString &text, QWidget *parent)
    : QWidget(parent)
    , m_icon(new QLabel(this))
    , m_text(new QLabel(text, this))
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(10, 8, 10, 8);
    row->setSpacing(8);
    row->addWidget(m_icon, 0, Qt::AlignTop);
    row->addWidget(m_text, 1);
    m_text->setWordWrap(true);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    usePixelFont(m_text, 13);
    applyColors();
    new PaletteFollower(this, [this] { applyColors(); });
}

QString ErrorBubble::text() const
{
    return m_text->text();
}

void ErrorBubble::setText(const QString &text)
{
    m_text->setText(text);
}

void ErrorBubble::applyColors()
{
    const LauncherColors colors = LauncherColors::of(this);
    m_icon->setPixmap(
        symbolPixmap(QStringLiteral("exclamationmark.triangle.fill"), 14, colors.orange, devicePixelRatioF()));
    QPalette palette = m_text->palette();
    palette.setColor(QPalette::WindowText, withOpacity(colors.orange, 0.9));
    m_text->setPalette(palette);
}

void ErrorBubble::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintRoundedCard(painter, rect(), 8, {withOpacity(LauncherColors::of(this).secondary, 0.08)});
}
