#pragma once

#include <QWidget>

class LauncherView;
class QPropertyAnimation;

// The floating panel that hosts the launcher view: frameless, always on top,
// on every desktop, without a taskbar entry. It fades in centred on the
// screen and fades out before hiding.
class LauncherWindow : public QWidget
{
    Q_OBJECT

public:
    explicit LauncherWindow(QWidget *parent = nullptr);

    LauncherView *launcherView() const { return m_hostingView; }

    // Restarts the fade from transparent, also on a visible panel, and cancels
    // a pending hide so that the panel never ends up hidden after a show.
    void animateIn();
    void animateOut();

Q_SIGNALS:
    void settingsRequested();
    void quitRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    Qt::Edges edgesAt(QPoint position) const;
    void centreOnScreen();
    void updateShape();

    LauncherView *m_hostingView;
    QPropertyAnimation *m_fade;
    bool m_hiding = false;
    bool m_translucent = true;
};
