// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <memory>

class X11KeyPressFilter;

// Shows a hotkey binding and, while recording, turns the next key pressed
// with at least one of Ctrl, Alt, Shift or Super into a binding: a stored key
// code and stored modifier bits. Esc alone cancels.
// While recording it holds the keyboard, so that global hotkeys (our own
// included) cannot take the combination being recorded.
class HotkeyRecorderKeyView : public QWidget
{
    Q_OBJECT

public:
    explicit HotkeyRecorderKeyView(QWidget *parent = nullptr);
    ~HotkeyRecorderKeyView() override;

    bool isRecording() const { return m_isRecording; }
    QString displayText() const;

    void setRecording(bool recording);
    void setBinding(quint32 keyCode, quint32 modifiers);
    void showUnbound();

Q_SIGNALS:
    void changed(quint32 keyCode, quint32 modifiers);
    void cancelled();
    // A click started recording.
    void recordingStarted();

protected:
    bool event(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    // x11Keycode: the X11 key code (Linux evdev code + 8); modifiers: stored bits.
    void capture(quint32 x11Keycode, quint32 modifiers);
    void holdKeyboard(bool hold);
    void grabIfX11();

    bool m_isRecording = false;
    quint32 m_currentKeyCode = 49;
    quint32 m_currentModifiers = 2048;
    QString m_bindingText;
    bool m_holdsKeyboard = false;
    std::unique_ptr<X11KeyPressFilter> m_keyFilter;
};
