#include "launcher/LauncherView.h"

#include <QPlainTextEdit>
#include <QTextBrowser>
#include <QVBoxLayout>

LauncherView::LauncherView(QWidget *parent)
    : QWidget(parent)
    , m_input(new QPlainTextEdit(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QTextBrowser(this), 1);
    m_input->setPlaceholderText(QStringLiteral("Message Tarnwick…"));
    m_input->setMaximumHeight(120);
    layout->addWidget(m_input);
}

void LauncherView::focusInput()
{
    m_input->setFocus(Qt::ActiveWindowFocusReason);
}
