// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcher/CaptionStrip.h"

#include "ui/LauncherMetrics.h"
#include "ui/PaletteFollower.h"
#include "ui/PixelFont.h"
#include "ui/SymbolIcon.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

CaptionStrip::CaptionStrip(const QString &symbol, QColor LauncherColors::*tint, Qt::TextElideMode elide,
                           QWidget *parent)
    : QWidget(parent)
    , m_symbol(symbol)
    , m_tint(tint)
    , m_elide(elide)
    , m_icon(new QLabel(this))
    , m_text(new QLabel(this))
{
    usePixelFont(m_text, 11);
    m_text->setForegroundRole(QPalette::PlaceholderText);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(LauncherMetrics::edgeInset, 6, LauncherMetrics::edgeInset, 6);
    row->setSpacing(6);
    row->addWidget(m_icon);
    row->addWidget(m_text, 1);
    applyColors();
    new PaletteFollower(this, [this] { applyColors(); });
}

void CaptionStrip::setText(const QString &text)
{
    m_caption = text;
    elide();
}

QColor CaptionStrip::tint() const
{
    return LauncherColors::of(this).*m_tint;
}

void CaptionStrip::applyColors()
{
    m_icon->setPixmap(symbolPixmap(m_symbol, 10, tint(), devicePixelRatioF()));
}

void CaptionStrip::elide()
{
    m_text->setText(m_text->fontMetrics().elidedText(m_caption, m_elide, qMax(0, m_text->width())));
}

void CaptionStrip::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    elide();
}

void CaptionStrip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), withOpacity(tint(), 0.06));
}
