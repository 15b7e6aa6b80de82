// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/HotkeyRecorderView.h"

#include "platform/AssignIfChanged.h"
#include "settings/HotkeyRecorderKeyView.h"

#include <QHBoxLayout>

HotkeyRecorderView::HotkeyRecorderView(QWidget *parent)
    : QWidget(parent)
    , m_view(new HotkeyRecorderKeyView(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    setFixedSize(160, 28);
    setFocusProxy(m_view);

    connect(m_view, &HotkeyRecorderKeyView::changed, this, [this](quint32 keyCode, quint32 modifiers) {
        setBinding(keyCode, modifiers);
        setRecording(false);
    });
    connect(m_view, &HotkeyRecorderKeyView::cancelled, this, [this] { setRecording(false); });
    // A click starts recording in the view; the state follows, so that the
    // form's button reads "Cancel" meanwhile.
    connect(m_view, &HotkeyRecorderKeyView::recordingStarted, this, [this] { setRecording(true); });
    updateView();
}

// The view cancels a recording when it is hidden, also while this is destroyed.
HotkeyRecorderView::~HotkeyRecorderView()
{
    m_view->disconnect(this);
}

void HotkeyRecorderView::setBinding(quint32 keyCode, quint32 modifiers)
{
    if (m_isBound && keyCode == m_keyCode && modifiers == m_modifiers)
        return;
    m_isBound = true;
    m_keyCode = keyCode;
    m_modifiers = modifiers;
    updateView();
    Q_EMIT bindingChanged();
}

void HotkeyRecorderView::setRecording(bool recording)
{
    if (!assignIfChanged(m_isRecording, recording))
        return;
    updateView();
    Q_EMIT recordingChanged(recording);
}

void HotkeyRecorderView::clear()
{
    if (!assignIfChanged(m_isBound, false))
        return;
    updateView();
    Q_EMIT bindingChanged();
}

void HotkeyRecorderView::updateView()
{
    m_view->setRecording(m_isRecording);
    if (m_isBound)
        m_view->setBinding(m_keyCode, m_modifiers);
    else
        m_view->showUnbound();
}
