// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class NoticeCard;
class LauncherSession;
class LauncherView;
class QPropertyAnimation;

// The floating panel that hosts the launcher view: frameless, always on top,
// on every desktop, without a taskbar entry. It fades in centred on the
// screen and fades out before hiding, also when the session's screenshot
// flow asks it to.
class LauncherWindow : public QWidget
{
    Q_OBJECT

public:
    explicit LauncherWindow(LauncherSession &session, QWidget *parent = nullptr);

    // Restarts the fade from transparent, also on a visible panel, and cancels
    // a pending hide so that the panel never ends up hidden after a show.
    void animateIn();
    void animateOut();

    // The notice that the launch hotkey does not work, over the top of the
    // panel until dismissed; an empty text takes it away.
    void setHotkeyNotice(const QString &text);
    NoticeCard *hotkeyNotice();

Q_SIGNALS:
    void settingsRequested();
    void quitRequested();
    void chooseHotkeyRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // The launcher view, built when the panel is first wanted: the tray
    // program starts and idles without its widgets, fonts and icons.
    LauncherView *view();
    Qt::Edges edgesAt(QPoint position) const;
    void centreOnScreen();
    void updateShape();
    void placeHotkeyNotice();

    LauncherSession &m_session;
    LauncherView *m_view = nullptr;
    QPropertyAnimation *m_fade;
    NoticeCard *m_hotkeyNotice = nullptr;
    QString m_pendingNotice; // the hotkey notice until the view is built
    bool m_hiding = false;
    bool m_translucent = true;
};
