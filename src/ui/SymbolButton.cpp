// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/SymbolButton.h"

#include "platform/AssignIfChanged.h"
#include "ui/SymbolIcon.h"

#include <QPainter>

SymbolButton::SymbolButton(const QString &symbolName, int pointSize, ColorRole color, QWidget *parent)
    : QAbstractButton(parent)
    , m_symbolName(symbolName)
    , m_pointSize(pointSize)
    , m_color(std::move(color))
    , m_glyphColor([](const LauncherColors &) { return QColor(Qt::white); })
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SymbolButton::setSymbolName(const QString &name)
{
    if (!assignIfChanged(m_symbolName, name))
        return;
    update();
}

void SymbolButton::setColorRole(ColorRole color)
{
    m_color = std::move(color);
    update();
}

void SymbolButton::setGlyphColorRole(ColorRole color)
{
    m_glyphColor = std::move(color);
    update();
}

void SymbolButton::setSymbolScale(qreal scale)
{
    m_scale = scale;
    update();
}

QSize SymbolButton::sizeHint() const
{
    return QSize(m_pointSize + 4, m_pointSize + 4);
}

void SymbolButton::paintEvent(QPaintEvent *)
{
    const LauncherColors colors = LauncherColors::of(this);
    const qreal dpr = devicePixelRatioF();
    const int side = qRound(m_pointSize * m_scale);
    const QPixmap pixmap = symbolPixmap(m_symbolName, side, m_color(colors), dpr, m_glyphColor(colors));
    QPainter painter(this);
    if (isDown())
        painter.setOpacity(0.6);
    else if (!isEnabled())
        painter.setOpacity(0.85);
    painter.drawPixmap(QPointF((width() - side) / 2.0, (height() - side) / 2.0), pixmap);
}
