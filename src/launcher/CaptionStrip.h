// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/LauncherColors.h"

#include <QWidget>

class QLabel;

// A thin row above the input: a small symbol and one line of caption on a faint
// wash of the symbol's colour, which follows the launcher's appearance. A caption
// too long for the row is elided where the strip says.
class CaptionStrip : public QWidget
{
    Q_OBJECT

public:
    CaptionStrip(const QString &symbol, QColor LauncherColors::*tint, Qt::TextElideMode elide,
                 QWidget *parent = nullptr);

    QString text() const { return m_caption; }
    void setText(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QColor tint() const;
    void applyColors();
    void elide();

    const QString m_symbol;
    QColor LauncherColors::*const m_tint;
    const Qt::TextElideMode m_elide;
    QString m_caption;
    QLabel *m_icon;
    QLabel *m_text;
};
