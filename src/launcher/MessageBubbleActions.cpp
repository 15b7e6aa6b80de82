#include "launcher/MessageBubbleActions.h"

#include "ui/SymbolButton.h"

#include <QTimer>

namespace {

constexpr int kSymbolSize = 13;
constexpr int kSpacing = 8;

} // namespace

MessageBubbleActions::MessageBubbleActions(QWidget *parent)
    : QWidget(parent)
    , m_copy(new SymbolButton(QStringLiteral("doc.on.doc"), kSymbolSize,
                              [](const LauncherColors &c) { return c.secondary; }, this))
    , m_regenerate(new SymbolButton(QStringLiteral("sparkles"), kSymbolSize,
                                    [](const LauncherColors &c) { return c.secondary; }, this))
    , m_edit(new SymbolButton(QStringLiteral("pencil.line"), kSymbolSize,
                              [](const LauncherColors &c) { return c.secondary; }, this))
{
    m_copy->setToolTip(tr("Copy"));
    m_copy->setAccessibleName(tr("Copy"));
    m_regenerate->setToolTip(tr("Regenerate (Ctrl+R)"));
    m_regenerate->setAccessibleName(tr("Regenerate"));
    m_edit->setToolTip(tr("Edit (Up in an empty input)"));
    m_edit->setAccessibleName(tr("Edit"));
    connect(m_copy, &QAbstractButton::clicked, this, [this] { Q_EMIT triggered(Action::Copy); });
    connect(m_regenerate, &QAbstractButton::clicked, this, [this] { Q_EMIT triggered(Action::Regenerate); });
    connect(m_edit, &QAbstractButton::clicked, this, [this] { Q_EMIT triggered(Action::Edit); });
    setActions({});
}

SymbolButton *MessageBubbleActions::button(Action action) const
{
    switch (action) {
    case Action::Copy: return m_copy;
    case Action::Regenerate: return m_regenerate;
    case Action::Edit: return m_edit;
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
