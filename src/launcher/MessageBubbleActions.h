// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFlags>
#include <QWidget>

class SymbolButton;

// The small buttons under a message: Copy (an answer's Markdown source),
// Regenerate (the last answer) and Edit (the last prompt). Shown while the
// pointer is over the message; the host keeps their room either way.
class MessageBubbleActions : public QWidget
{
    Q_OBJECT

public:
    enum class Action { Copy = 0x1, Regenerate = 0x2, Edit = 0x4 };
    Q_DECLARE_FLAGS(Actions, Action)

    explicit MessageBubbleActions(QWidget *parent = nullptr);

    void setActions(Actions actions);
    Actions actions() const { return m_actions; }
    // Copy's check mark, for two seconds.
    void showCopied();
    SymbolButton *button(Action action) const;

    QSize sizeHint() const override;

Q_SIGNALS:
    void triggered(MessageBubbleActions::Action action);

private:
    void place();

    Actions m_actions;
    SymbolButton *m_copy;
    SymbolButton *m_regenerate;
    SymbolButton *m_edit;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(MessageBubbleActions::Actions)
