// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcher/InputBar.h"

#include "launcher/MultilineTextField.h"
#include "ui/LauncherMetrics.h"
#include "ui/RoundedCard.h"
#include "ui/SymbolButton.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPropertyAnimation>
#include <QSequentialAnimationGroup>
#include <QVBoxLayout>

namespace {

QColor secondaryRole(const LauncherColors &colors)
{
    return colors.secondary;
}

SymbolButton *toolButton(const QString &symbol, const QString &tooltip, QWidget *parent)
{
    auto *button = new SymbolButton(symbol, 14, secondaryRole, parent);
    button->setToolTip(tooltip);
    return button;
}

QPropertyAnimation *scaleStep(SymbolButton *target, qreal from, qreal to, QObject *parent)
{
    auto *step = new QPropertyAnimation(target, "symbolScale", parent);
    step->setStartValue(from);
    step->setEndValue(to);
    step->setDuration(450);
    step->setEasingCurve(QEasingCurve::InOutSine);
    return step;
}

} // namespace

InputBar::InputBar(QWidget *parent)
    : QWidget(parent)
    , m_field(new MultilineTextField(this))
    , m_attach(toolButton(QStringLiteral("paperclip"), QStringLiteral("Attach image, text or PDF"), this))
    , m_paste(toolButton(QStringLiteral("doc.on.clipboard"), QStringLiteral("Paste image from clipboard"), this))
    , m_screenshot(toolButton(QStringLiteral("camera.viewfinder"), QStringLiteral("Screenshot"), this))
    , m_grab(toolButton(QStringLiteral("text.cursor"), QStringLiteral("Grab selected text"), this))
    , m_dictate(toolButton(QStringLiteral("mic"), QStringLiteral("Dictate"), this))
    , m_send(new SymbolButton(QStringLiteral("arrow.up.circle.fill"), 26, secondaryRole, this))
    , m_pulse(new QSequentialAnimationGroup(this))
{
    m_field->setPlaceholderText(QStringLiteral("Message Tarnwick…"));
    m_field->setHeightLimits(28, 120);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto *fieldBox = new QVBoxLayout;
    fieldBox->setContentsMargins(14, 12, 14, 4);
    fieldBox->addWidget(m_field);
    column->addLayout(fieldBox);

    auto *tools = new QHBoxLayout;
    tools->setContentsMargins(10, 0, 10, 8);
    tools->setSpacing(6);
    for (SymbolButton *button : {m_attach, m_paste, m_screenshot, m_grab, m_dictate})
        tools->addWidget(button);
    tools->addStretch(1);
    tools->addWidget(m_send);
    column->addLayout(tools);

    m_pulse->addAnimation(scaleStep(m_dictate, 1.0, 1.1, m_pulse));
    m_pulse->addAnimation(scaleStep(m_dictate, 1.1, 1.0, m_pulse));
    m_pulse->setLoopCount(-1);

    connect(m_send, &QAbstractButton::clicked, this, [this] {
        if (m_loading)
            Q_EMIT stopRequested();
        else
            Q_EMIT sendRequested();
    });
    setSendState(false, false);
}

void InputBar::setSendState(bool loading, bool canSend)
{
    m_loading = loading;
    if (loading) {
        m_send->setSymbolName(QStringLiteral("stop.circle.fill"));
        m_send->setColorRole([](const LauncherColors &colors) { return colors.red; });
        m_send->setGlyphColorRole([](const LauncherColors &) { return QColor(Qt::white); });
        m_send->setEnabled(true);
        return;
    }
    m_send->setSymbolName(QStringLiteral("arrow.up.circle.fill"));
    if (canSend)
        m_send->setColorRole([](const LauncherColors &colors) { return colors.green; });
    else
        m_send->setColorRole([](const LauncherColors &colors) { return withOpacity(colors.secondary, 0.3); });
    m_send->setGlyphColorRole([](const LauncherColors &) { return QColor(Qt::black); });
    m_send->setEnabled(canSend);
}

void InputBar::setListening(bool listening)
{
    m_dictate->setSymbolName(listening ? QStringLiteral("waveform.circle.fill") : QStringLiteral("mic"));
    if (listening) {
        m_dictate->setColorRole([](const LauncherColors &colors) { return colors.red; });
        m_pulse->start();
    } else {
        m_dictate->setColorRole(secondaryRole);
        m_pulse->stop();
        m_dictate->setSymbolScale(1.0);
    }
}

void InputBar::paintEvent(QPaintEvent *)
{
    const LauncherColors colors = LauncherColors::of(this);
    QPainter painter(this);
    paintRoundedCard(painter, rect(), LauncherMetrics::bubbleRadius, {withOpacity(colors.controlBackground, 0.4)},
                     withOpacity(colors.secondary, 0.2));
}
