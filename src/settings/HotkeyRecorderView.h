// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class HotkeyRecorderKeyView;

// The hotkey recorder as the settings form places it: owns the binding shown
// (stored key code and modifier bits) and the recording state, and keeps its
// key-capturing view in step with them.
class HotkeyRecorderView : public QWidget
{
    Q_OBJECT

public:
    explicit HotkeyRecorderView(QWidget *parent = nullptr);
    ~HotkeyRecorderView() override;

    quint32 keyCode() const { return m_keyCode; }
    quint32 modifiers() const { return m_modifiers; }
    bool isRecording() const { return m_isRecording; }
    // Only a hotkey that may be left unset is ever cleared.
    bool isBound() const { return m_isBound; }
    HotkeyRecorderKeyView *keyView() const { return m_view; }

    void setBinding(quint32 keyCode, quint32 modifiers);
    void setRecording(bool recording);
    void clear();

Q_SIGNALS:
    // A new binding was recorded or set.
    void bindingChanged();
    void recordingChanged(bool recording);

private:
    void updateView();

    quint32 m_keyCode = 49;
    quint32 m_modifiers = 2048;
    bool m_isRecording = false;
    bool m_isBound = true;
    HotkeyRecorderKeyView *m_view;
};
