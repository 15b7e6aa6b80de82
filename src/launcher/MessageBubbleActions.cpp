// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcher/MessageBubbleActions.h"

#include "ui/SymbolButton.h"

#include <QTimer>

namespace {

constexpr int kSymbolSize = 13;
constexpr int kSpacing = 8;

SymbolButton *actionButton(const QString &symbol, const QString &name, const QString &toolTip, QWidget *parent)
{
    auto *button = new SymbolButton(
        symbol, kSymbolSize, [](const LauncherColors &c) { return c.secondary; }, parent);
    button->setAccessibleName(name);
    button->setToolTip(toolTip);
    return button;
}

} // namespace

MessageBubbleActions::MessageBubbleActions(QWidget *parent)
    : QWidget(parent)
    , m_copy(actionButton(QStringLiteral("doc.on.doc"), tr("Copy"), tr("Copy"), this))
    , m_regenerate(actionButton(QStringLiteral("sparkles"), tr("Regenerate"), tr("Regenerate (Ctrl+R)"), this))
    , m_edit(actionButton(QStringLiteral("pencil.line"), tr("Edit"), tr("Edit (Up in an empty input)"), this))
{
    for (const Action action : {Action::Copy, Action::Regenerate, Action::Edit})
        connect(button(action), &QAbstractButton::clicked, this, [this, action] { Q_EMIT triggered(action); });
    setActions({});
}

SymbolButton *MessageBubbleActions::button(Action action) const
{
    switch (action) {
    case Action::Copy:
        return m_copy;
    case Action::Regenerate:
        return m_regenerate;
    case Action::Edit:
        return m_edit;
    }
    return nullptr;
}

void MessageBubbleActions::setActions(Actions actions)
{
    m_actions = actions;
    m_copy->setVisible(actions & Action::Copy);
    m_regenerate->setVisible(actions & Action::Regenerate);
    m_edit->setVisible(actions & Action::Edit);
    place();
}

void MessageBubbleActions::showCopied()
{
    m_copy->setSymbolName(QStringLiteral("checkmark"));
    QTimer::singleShot(2000, m_copy, [this] { m_copy->setSymbolName(QStringLiteral("doc.on.doc")); });
}

QSize MessageBubbleActions::sizeHint() const
{
    int width = 0;
    for (SymbolButton *button : {m_copy, m_regenerate, m_edit}) {
        if (!button->isHidden())
            width += button->sizeHint().width() + kSpacing;
    }
    return QSize(qMax(0, width - kSpacing), m_copy->sizeHint().height());
}

void MessageBubbleActions::place()
{
    int x = 0;
    for (SymbolButton *button : {m_copy, m_regenerate, m_edit}) {
        if (button->isHidden())
            continue;
        button->setGeometry(x, 0, button->sizeHint().width(), button->sizeHint().height());
        x += button->sizeHint().width() + kSpacing;
    }
}
