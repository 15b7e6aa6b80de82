// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/HotkeyRecorderKeyView.h"

#include "platform/AssignIfChanged.h"
#include "platform/HotkeyBinding.h"
#include "platform/KeyTable.h"
#include "ui/PixelFont.h"
#include "ui/SettingsColors.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

#include "platform/x11/X11KeyPressFilter.h"

namespace {

constexpr qreal kCornerRadius = 6;

} // namespace

HotkeyRecorderKeyView::HotkeyRecorderKeyView(QWidget *parent)
    : QWidget(parent)
    , m_bindingText(HotkeyBinding{m_currentKeyCode, m_currentModifiers}.displayText())
{
    // Keys that reach us through the keyboard grab, before the global
    // hotkeys' own filter could take them.
    m_keyFilter = std::make_unique<X11KeyPressFilter>([this](quint32 x11Keycode, quint32 modifiers) {
        if (keyboardGrabber() != this)
            return false;
        capture(x11Keycode, modifiers);
        return true;
    });
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setFont(pixelFont(QFontDatabase::systemFont(QFontDatabase::FixedFont), 13, QFont::Medium));
}

HotkeyRecorderKeyView::~HotkeyRecorderKeyView()
{
    holdKeyboard(false);
}

QString HotkeyRecorderKeyView::displayText() const
{
    return m_isRecording ? QStringLiteral("Press keys… (Esc to cancel)") : m_bindingText;
}

void HotkeyRecorderKeyView::setRecording(bool recording)
{
    if (!assignIfChanged(m_isRecording, recording))
        return;
    if (recording)
        setFocus(Qt::OtherFocusReason);
    holdKeyboard(recording);
    update();
}

void HotkeyRecorderKeyView::setBinding(quint32 keyCode, quint32 modifiers)
{
    m_currentKeyCode = keyCode;
    m_currentModifiers = modifiers;
    m_bindingText = HotkeyBinding{keyCode, modifiers}.displayText();
    update();
}

void HotkeyRecorderKeyView::showUnbound()
{
    m_bindingText = QStringLiteral("Not set");
    update();
}

void HotkeyRecorderKeyView::holdKeyboard(bool hold)
{
    if (!assignIfChanged(m_holdsKeyboard, hold))
        return;
    if (hold) {
        m_keyFilter->setActive(true);
        grabIfX11();
    } else {
        m_keyFilter->setActive(false);
        if (keyboardGrabber() == this)
            releaseKeyboard();
    }
}

void HotkeyRecorderKeyView::grabIfX11()
{
    // Only X11 lets a client take the whole keyboard.
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        grabKeyboard();
}

// The other recorder may have taken the keyboard meanwhile; coming back to
// this one while it still records takes it back.
void HotkeyRecorderKeyView::focusInEvent(QFocusEvent *event)
{
    if (m_holdsKeyboard && keyboardGrabber() != this)
        grabIfX11();
    QWidget::focusInEvent(event);
}

void HotkeyRecorderKeyView::capture(quint32 x11Keycode, quint32 modifiers)
{
    if (!m_isRecording)
        return;
    const std::optional<quint32> keyCode = KeyTable::storedKeyForX11Keycode(x11Keycode);
    // Modifier keys pressed on their own are not a combination yet.
    if (!keyCode || KeyTable::isModifierKey(*keyCode))
        return;
    modifiers &= KeyTable::storedModifierMask;
    const bool escape = KeyTable::qtKeyForStoredKey(*keyCode).value_or(QKeyCombination()).key() == Qt::Key_Escape;
    if (escape && modifiers == 0) {
        Q_EMIT cancelled();
        update();
        return;
    }
    if (modifiers == 0)
        return;
    Q_EMIT changed(*keyCode, modifiers);
    update();
}

bool HotkeyRecorderKeyView::event(QEvent *event)
{
    if (m_isRecording) {
        // Every key belongs to the combination: no window shortcut (Ctrl+Return
        // saves) and no focus move on Tab.
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept();
            return true;
        }
        if (event->type() == QEvent::KeyPress) {
            keyPressEvent(static_cast<QKeyEvent *>(event));
            return true;
        }
    }
    return QWidget::event(event);
}

void HotkeyRecorderKeyView::keyPressEvent(QKeyEvent *event)
{
    // Swallowed in both states, as a control that owns the keyboard does.
    event->accept();
    capture(event->nativeScanCode(), KeyTable::storedModifiersFromQt(event->modifiers()));
}

void HotkeyRecorderKeyView::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    if (m_isRecording)
        return;
    setRecording(true);
    Q_EMIT recordingStarted();
}

void HotkeyRecorderKeyView::hideEvent(QHideEvent *event)
{
    // A closed window must not keep the keyboard.
    if (m_isRecording) {
        setRecording(false);
        Q_EMIT cancelled();
    }
    QWidget::hideEvent(event);
}

void HotkeyRecorderKeyView::paintEvent(QPaintEvent *)
{
    using namespace SettingsColors;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor blue = systemBlue(this);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(m_isRecording ? blue : withOpacity(label(this), 0.15), 1));
    painter.setBrush(m_isRecording ? withOpacity(blue, 0.25) : withOpacity(label(this), 0.05));
    painter.drawRoundedRect(box, kCornerRadius, kCornerRadius);
    painter.setPen(m_isRecording ? blue : label(this));
    painter.drawText(rect(), Qt::AlignCenter, displayText());
}
