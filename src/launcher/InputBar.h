// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class MultilineTextField;
class QSequentialAnimationGroup;
class SymbolButton;

// The rounded input bar: the message field over the row of tools, with the
// send button that becomes a stop button while an answer loads.
class InputBar : public QWidget
{
    Q_OBJECT

public:
    explicit InputBar(QWidget *parent = nullptr);

    MultilineTextField *field() const { return m_field; }
    SymbolButton *attachButton() const { return m_attach; }
    SymbolButton *pasteButton() const { return m_paste; }
    SymbolButton *screenshotButton() const { return m_screenshot; }
    SymbolButton *grabButton() const { return m_grab; }
    SymbolButton *dictateButton() const { return m_dictate; }
    SymbolButton *sendButton() const { return m_send; }

    // The send button's state: stop while loading; otherwise send, enabled and
    // green only when there is something to send.
    void setSendState(bool loading, bool canSend);
    void setListening(bool listening);

Q_SIGNALS:
    void sendRequested();
    void stopRequested();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    MultilineTextField *m_field;
    SymbolButton *m_attach;
    SymbolButton *m_paste;
    SymbolButton *m_screenshot;
    SymbolButton *m_grab;
    SymbolButton *m_dictate;
    SymbolButton *m_send;
    QSequentialAnimationGroup *m_pulse;
    bool m_loading = false;
};
