// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/LauncherWindow.h"

#include "core/LauncherSession.h"
#include "launcher/LauncherView.h"
#include "launcher/MessageListView.h"
#include "platform/Logging.h"
#include "platform/x11/X11Window.h"
#include "ui/LauncherColors.h"
#include "ui/LauncherMetrics.h"
#include "ui/NoticeCard.h"

#include <QBitmap>
#include <QCursor>
#include <QEasingCurve>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPropertyAnimation>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

namespace {

constexpr QSize kSize(700, 540);
constexpr QSize kMinimumSize(480, 380);
constexpr int kResizeBorder = 6;
constexpr int kFadeInMs = 220;
constexpr int kFadeOutMs = 150;
// Below the launcher's header.
constexpr int kNoticeTop = 58;
const QRect kFallbackScreen(0, 0, 1440, 900);

// The standard ease-out and ease-in timing curves.
QEasingCurve cubicBezier(QPointF c1, QPointF c2)
{
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(c1, c2, QPointF(1, 1));
    return curve;
}

// Wayland has no window opacity for a client to set: the panel shows and
// hides at once there, instead of warning at every frame of a fade.
bool canFade()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

QPainterPath roundedShape(const QRectF &rect)
{
    QPainterPath path;
    path.addRoundedRect(rect, LauncherMetrics::panelRadius, LauncherMetrics::panelRadius);
    return path;
}

} // namespace

LauncherWindow::LauncherWindow(LauncherSession &session, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_session(session)
    , m_fade(new QPropertyAnimation(this, "windowOpacity", this))
{
    setWindowTitle(QStringLiteral("Tarnwick"));
    setAttribute(Qt::WA_TranslucentBackground);
    setMouseTracking(true);
    setMinimumSize(kMinimumSize);

    const QScreen *screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : kFallbackScreen;
    setGeometry(QRect(
        QPoint(area.x() + (area.width() - kSize.width()) / 2, area.y() + (area.height() - kSize.height()) / 2), kSize));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(kResizeBorder, kResizeBorder, kResizeBorder, kResizeBorder);

    connect(m_fade, &QPropertyAnimation::finished, this, [this] {
        if (m_hiding) {
            m_hiding = false;
            hide();
            EventTrace::note("launcher-hidden");
        }
    });

    connect(&session, &LauncherSession::hideLauncherRequested, this, &LauncherWindow::animateOut);
    connect(&session, &LauncherSession::showLauncherRequested, this, &LauncherWindow::animateIn);
}

LauncherView *LauncherWindow::view()
{
    if (m_view)
        return m_view;
    m_view = new LauncherView(m_session, this);
    layout()->addWidget(m_view);
    connect(m_view, &LauncherView::closeRequested, this, &LauncherWindow::animateOut);
    connect(m_view, &LauncherView::settingsRequested, this, &LauncherWindow::settingsRequested);
    // A child of the view, so that it takes the view's colours.
    m_hotkeyNotice = new NoticeCard(tr("Choose a hotkey"), m_view);
    m_hotkeyNotice->setObjectName(QStringLiteral("hotkeyNotice"));
    m_hotkeyNotice->setText(m_pendingNotice);
    m_hotkeyNotice->setVisible(!m_pendingNotice.isEmpty());
    // The edge follows the view's appearance.
    m_view->installEventFilter(this);
    connect(m_hotkeyNotice, &NoticeCard::actionTriggered, this, &LauncherWindow::chooseHotkeyRequested);
    connect(m_hotkeyNotice, &NoticeCard::actionTriggered, this, &LauncherWindow::placeHotkeyNotice);
    connect(m_hotkeyNotice, &NoticeCard::dismissed, this, &LauncherWindow::placeHotkeyNotice);
    layout()->activate();
    placeHotkeyNotice();
    return m_view;
}

NoticeCard *LauncherWindow::hotkeyNotice()
{
    view();
    return m_hotkeyNotice;
}

void LauncherWindow::animateIn()
{
    view();
    m_fade->stop();
    m_hiding = false;

    const bool translucent = X11Window::compositingManagerRunning();
    if (translucent != m_translucent) {
        m_translucent = translucent;
        updateShape();
        update();
    }
    centreOnScreen();
    if (canFade())
        setWindowOpacity(0);
    if (!isVisible())
        X11Window::prepareFloatingPanel(winId());
    show();
    if (EventTrace::enabled())
        windowHandle()->installEventFilter(this);
    raise();
    activateWindow();
    X11Window::activate(winId());
    m_view->focusInput();
    if (!canFade())
        return;

    m_fade->setDuration(kFadeInMs);
    m_fade->setEasingCurve(cubicBezier({0, 0}, {0.58, 1}));
    m_fade->setStartValue(0.0);
    m_fade->setEndValue(1.0);
    m_fade->start();
}

void LauncherWindow::animateOut()
{
    if (!isVisible())
        return;
    if (!canFade()) {
        hide();
        EventTrace::note("launcher-hidden");
        return;
    }
    m_fade->stop();
    m_hiding = true;
    m_fade->setDuration(kFadeOutMs);
    m_fade->setEasingCurve(cubicBezier({0.42, 0}, {1, 1}));
    m_fade->setStartValue(windowOpacity());
    m_fade->setEndValue(0.0);
    m_fade->start();
}

// Centres on the screen under the mouse pointer, where the user is looking.
void LauncherWindow::centreOnScreen()
{
    const QScreen *screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : kFallbackScreen;
    QRect frame = geometry();
    frame.moveCenter(area.center());
    move(frame.topLeft());
}

bool LauncherWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Expose && watched == windowHandle() && windowHandle()->isExposed())
        EventTrace::note("launcher-exposed");
    if (event->type() == QEvent::PaletteChange && watched == m_view)
        update();
    return QWidget::eventFilter(watched, event);
}

// Keys reach the panel only when the focused view leaves them unhandled.
void LauncherWindow::keyPressEvent(QKeyEvent *event)
{
    const QKeyCombination key = event->keyCombination();
    if (key == QKeyCombination(Qt::Key_Escape)) {
        animateOut();
    } else if (key == QKeyCombination(Qt::ControlModifier, Qt::Key_Comma)) {
        Q_EMIT settingsRequested();
    } else if (key == QKeyCombination(Qt::ControlModifier, Qt::Key_Q)) {
        Q_EMIT quitRequested();
    } else {
        QWidget::keyPressEvent(event);
    }
}

Qt::Edges LauncherWindow::edgesAt(QPoint position) const
{
    Qt::Edges edges;
    if (position.x() < kResizeBorder)
        edges |= Qt::LeftEdge;
    if (position.x() >= width() - kResizeBorder)
        edges |= Qt::RightEdge;
    if (position.y() < kResizeBorder)
        edges |= Qt::TopEdge;
    if (position.y() >= height() - kResizeBorder)
        edges |= Qt::BottomEdge;
    return edges;
}

// The border resizes the panel; the rest of its background moves it.
void LauncherWindow::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !windowHandle())
        return QWidget::mousePressEvent(event);
    const Qt::Edges edges = edgesAt(event->position().toPoint());
    if (edges)
        windowHandle()->startSystemResize(edges);
    else
        windowHandle()->startSystemMove();
}

void LauncherWindow::mouseMoveEvent(QMouseEvent *event)
{
    const Qt::Edges edges = edgesAt(event->position().toPoint());
    const bool horizontal = edges & (Qt::LeftEdge | Qt::RightEdge);
    const bool vertical = edges & (Qt::TopEdge | Qt::BottomEdge);
    if (horizontal && vertical) {
        const bool falling = edges == (Qt::LeftEdge | Qt::TopEdge) || edges == (Qt::RightEdge | Qt::BottomEdge);
        setCursor(falling ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor);
    } else if (horizontal) {
        setCursor(Qt::SizeHorCursor);
    } else if (vertical) {
        setCursor(Qt::SizeVerCursor);
    } else {
        unsetCursor();
    }
    QWidget::mouseMoveEvent(event);
}

// A translucent rounded shape in the launcher's appearance stands in for the
// blurred background; its edge is a faint line, never a dark frame. Without a
// compositing manager alpha is ignored: then the panel is painted opaque and
// its corners are cut away by the window's shape.
void LauncherWindow::paintEvent(QPaintEvent *)
{
    const bool dark = LauncherColors::of(m_view ? static_cast<QWidget *>(m_view) : this).dark;
    const QColor opaque = dark ? QColor(36, 36, 41) : QColor(246, 246, 248);
    const QColor ground = dark ? QColor(22, 22, 26, 214) : QColor(246, 246, 248, 242);
    const QColor edge = dark ? QColor(255, 255, 255, 38) : QColor(0, 0, 0, 30);
    QPainter painter(this);
    if (!m_translucent)
        painter.fillRect(rect(), opaque); // no half-covered edge pixels left to show black
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(edge, 1));
    painter.setBrush(m_translucent ? ground : opaque);
    painter.drawPath(roundedShape(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5)));
}

void LauncherWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    updateShape();
    placeHotkeyNotice();
}

void LauncherWindow::setHotkeyNotice(const QString &text)
{
    m_pendingNotice = text;
    if (!m_view)
        return;
    m_hotkeyNotice->setText(text);
    m_hotkeyNotice->setVisible(!text.isEmpty());
    placeHotkeyNotice();
    m_hotkeyNotice->raise();
}

void LauncherWindow::placeHotkeyNotice()
{
    if (!m_view)
        return;
    const int width = m_view->width() - 2 * LauncherMetrics::edgeInset;
    m_hotkeyNotice->setGeometry(LauncherMetrics::edgeInset, kNoticeTop, width, m_hotkeyNotice->heightForWidth(width));
    // The conversation starts below the card rather than behind it.
    MessageListView *list = m_view->messageList();
    const int listTop = list->mapTo(m_view, QPoint(0, 0)).y();
    list->setTopInset(m_hotkeyNotice->isHidden() ? 0 : qMax(0, m_hotkeyNotice->geometry().bottom() - listTop));
}

void LauncherWindow::updateShape()
{
    if (m_translucent) {
        clearMask();
        return;
    }
    QBitmap shape(size());
    shape.fill(Qt::color0);
    QPainter painter(&shape);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::color1);
    painter.drawPath(roundedShape(QRectF(rect())));
    painter.end();
    setMask(shape);
}
