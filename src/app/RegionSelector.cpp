// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/RegionSelector.h"

#include "app/RegionSelectorWindow.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWindow>

RegionSelector::RegionSelector(QObject *parent)
    : QObject(parent)
{
}

RegionSelector::~RegionSelector() = default;

bool RegionSelector::begin()
{
    // Everything is grabbed before any window of ours can appear in the picture.
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (QScreen *screen : screens) {
        const QImage image = screen->grabWindow(0).toImage();
        if (image.isNull() || screen->geometry().isEmpty())
            return false;
        m_grabs.append({screen->geometry(), image});
        m_bounds |= screen->geometry();
    }
    if (m_grabs.isEmpty())
        return false;

    for (qsizetype i = 0; i < screens.size(); ++i)
        m_windows.push_back(std::make_unique<RegionSelectorWindow>(*this, screens.at(i), m_grabs.at(i).image));
    for (const auto &window : m_windows)
        window->show();
    grabKeyboard(40);
    return true;
}

// The windows bypass the window manager, so nothing gives them focus: grab the
// keyboard for Esc, retrying until the server has mapped a window.
void RegionSelector::grabKeyboard(int attemptsLeft)
{
    QScreen *pointerScreen = QGuiApplication::screenAt(QCursor::pos());
    RegionSelectorWindow *target = m_windows.front().get();
    for (const auto &window : m_windows) {
        if (window->screen() == pointerScreen)
            target = window.get();
    }
    target->activateWindow();
    if (target->windowHandle() && target->windowHandle()->setKeyboardGrabEnabled(true))
        return;
    if (attemptsLeft > 0)
        QTimer::singleShot(25, this, [this, attemptsLeft] { grabKeyboard(attemptsLeft - 1); });
}

void RegionSelector::press(QPoint global)
{
    m_press = global;
    m_selection = {};
    update();
}

void RegionSelector::drag(QPoint global)
{
    if (!m_press)
        return;
    m_selection = RegionSelection::fromDrag(*m_press, global, m_bounds);
    update();
}

void RegionSelector::release(QPoint global)
{
    if (!m_press || m_done)
        return;
    m_selection = RegionSelection::fromDrag(*m_press, global, m_bounds);
    m_press.reset();
    // A click without a drag starts over rather than capturing nothing.
    if (m_selection.isEmpty()) {
        update();
        return;
    }
    m_done = true;
    for (const auto &window : m_windows)
        window->hide();
    Q_EMIT selected(RegionSelection::compose(m_selection, m_grabs));
}

void RegionSelector::cancel()
{
    if (m_done)
        return;
    m_done = true;
    for (const auto &window : m_windows)
        window->hide();
    Q_EMIT cancelled();
}

void RegionSelector::update()
{
    for (const auto &window : m_windows)
        window->update();
}
