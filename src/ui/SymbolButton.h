// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/LauncherColors.h"

#include <QAbstractButton>

#include <functional>

// A plain button (no bezel, no background) showing one symbol, dimmed while pressed.
class SymbolButton : public QAbstractButton
{
    Q_OBJECT
    Q_PROPERTY(qreal symbolScale READ symbolScale WRITE setSymbolScale)

public:
    using ColorRole = std::function<QColor(const LauncherColors &)>;

    SymbolButton(const QString &symbolName, int pointSize, ColorRole color, QWidget *parent = nullptr);

    QString symbolName() const { return m_symbolName; }
    void setSymbolName(const QString &name);
    void setColorRole(ColorRole color);
    // Colour of the glyph inside a "*.circle.fill" symbol.
    void setGlyphColorRole(ColorRole color);
    qreal symbolScale() const { return m_scale; }
    void setSymbolScale(qreal scale);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_symbolName;
    int m_pointSize;
    ColorRole m_color;
    ColorRole m_glyphColor;
    qreal m_scale = 1.0;
};
