// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QGraphicsOpacityEffect;
class QLabel;
class QPropertyAnimation;

// The footer's answer to Save: "Saved!" in green for 1.5 seconds when every
// write succeeded, otherwise what failed, in red, until the next Save.
class SaveStatusView : public QWidget
{
    Q_OBJECT

public:
    explicit SaveStatusView(QWidget *parent = nullptr);

    bool savedConfirmation() const { return m_savedConfirmation; }
    QString text() const;

    // Each call schedules its own reset, none is cancelled: after two saves
    // less than 1.5 s apart, "Saved!" goes 1.5 s after the first.
    void showSaved();
    void showFailure(const QString &message);

private:
    void setSavedConfirmation(bool shown);
    void fadeTo(qreal opacity);

    QLabel *m_icon;
    QLabel *m_text;
    QGraphicsOpacityEffect *m_opacity;
    QPropertyAnimation *m_fade;
    bool m_savedConfirmation = false;
};
