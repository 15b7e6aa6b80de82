// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AppDelegate.h"

#include "app/DesktopAppearance.h"
#include "app/LauncherWindow.h"
#include "app/StandardError.h"
#include "core/LauncherSession.h"
#include "platform/Logging.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "platform/x11/X11Window.h"
#include "services/HotkeyManager.h"
#include "services/HotkeyNotice.h"
#include "services/KeyStore.h"
#include "platform/portal/DesktopNotifier.h"
#include "presets/PresetStore.h"
#include "settings/SettingsView.h"
#include "settings/SettingsWindow.h"
#include "store/ConversationStore.h"

#include <QAction>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSystemTrayIcon>

namespace {

using namespace std::chrono_literals;

constexpr auto kScreenshotDelay = 150ms;
// A tray that is not there yet at login usually comes within seconds; a panel
// that has not come after a few, says how to get in without one.
constexpr auto kTrayRetryInterval = 1s;
constexpr int kTrayRetryAttempts = 120;
constexpr int kTrayNoticeAttempt = 5;
// Long enough for the desktop to answer a portal request, short enough to
// come before the user gives up on the hotkey.
constexpr auto kHotkeyNoticeDelay = 1s;

QByteArray hotkeyTraceName(HotkeyManager::Hotkey hotkey, HotkeyManager::Status status)
{
    const QByteArray name = hotkey == HotkeyManager::Hotkey::Launch ? "launch"
        : hotkey == HotkeyManager::Hotkey::Screenshot               ? "screenshot"
                                                                    : "dictate";
    const char *state = "unknown";
    switch (status) {
    case HotkeyManager::Status::Active:
        state = "active";
        break;
    case HotkeyManager::Status::NotRegistered:
        state = "unregistered";
        break;
    case HotkeyManager::Status::Taken:
    case HotkeyManager::Status::SameAsOther:
        state = "taken";
        break;
    case HotkeyManager::Status::UnknownKey:
        state = "unknown-key";
        break;
    case HotkeyManager::Status::Unsupported:
        state = "unsupported";
        break;
    case HotkeyManager::Status::Pending:
        state = "pending";
        break;
    case HotkeyManager::Status::Declined:
        state = "declined";
        break;
    }
    return "hotkey-" + name + '-' + state;
}

} // namespace

AppDelegate::AppDelegate(QObject *parent)
    : QObject(parent)
{
    m_trayRetry.setInterval(kTrayRetryInterval);
    connect(&m_trayRetry, &QTimer::timeout, this, &AppDelegate::showTrayIconWhenReady);
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::start()
{
    if (EventTrace::enabled()) {
        connect(&NotificationCenter::defaultCenter(), &NotificationCenter::posted, this,
                [](const QString &name) { EventTrace::note(("notification " + name.toUtf8()).constData()); });
    }
    // Before the windows, so they open in the desktop's scheme.
    m_appearance = new DesktopAppearance(this);
    // No main menu: the text fields carry the Edit shortcuts themselves, and
    // the panel and the settings window handle Ctrl+Q.
    setupTrayIcon();
    setupLauncherWindow();

    m_hotkeyManager = std::make_unique<HotkeyManager>([this] { toggleLauncher(); }, UserDefaults::standard(),
                                                      HotkeyBackend::createForPlatform(HotkeyManager::namedHotkeys()));
    connect(m_hotkeyManager.get(), &HotkeyManager::statusChanged, this, [this](HotkeyManager::Hotkey hotkey) {
        EventTrace::note(hotkeyTraceName(hotkey, m_hotkeyManager->status(hotkey)).constData());
        updateTrayToolTip();
        if (hotkey == HotkeyManager::Hotkey::Launch && m_hotkeyManager->status(hotkey) == HotkeyManager::Status::Active)
            m_launcherWindow->setHotkeyNotice({});
    });
    connect(m_hotkeyManager.get(), &HotkeyManager::bindingChanged, this, &AppDelegate::updateTrayToolTip);
    connect(m_hotkeyManager.get(), &HotkeyManager::dictatePressed, this, &AppDelegate::toggleDictation);
    m_hotkeyNotice = new HotkeyNotice(*m_hotkeyManager, UserDefaults::standard(), kHotkeyNoticeDelay, this);
    connect(m_hotkeyNotice, &HotkeyNotice::due, this, &AppDelegate::showHotkeyNotice);
    connect(m_hotkeyNotice, &HotkeyNotice::checked, this, [] { EventTrace::note("hotkey-notice-checked"); });
    m_hotkeyManager->registerHotkeys();
    m_hotkeyNotice->start();

    NotificationCenter::defaultCenter().observe(Notifications::takeTarnwickScreenshot, this,
                                                [this] { handleScreenshotHotkey(); });
    EventTrace::note("launched");
}

bool AppDelegate::handleRequest(const QString &request)
{
    EventTrace::note(("request " + request.toUtf8()).constData());
    if (request == QLatin1String("toggle"))
        toggleLauncher();
    else if (request == QLatin1String("open"))
        openLauncher();
    else if (request == QLatin1String("screenshot"))
        NotificationCenter::defaultCenter().post(Notifications::takeTarnwickScreenshot);
    else if (request == QLatin1String("settings"))
        openSettings();
    else if (request == QLatin1String("dictate"))
        toggleDictation();
    else if (request != QLatin1String("start"))
        return false;
    return true;
}

void AppDelegate::setupTrayIcon()
{
    m_trayIcon = new QSystemTrayIcon(this);
    // Not a mask: each variant has a rim of the other tone, so it reads on any
    // panel; its body follows the desktop's scheme.
    const auto showScheme = [this](bool dark) {
        m_trayIcon->setIcon(QIcon(dark ? QStringLiteral(":/tarnwick/tray-icon-dark.svg")
                                       : QStringLiteral(":/tarnwick/tray-icon-light.svg")));
        EventTrace::note(dark ? "tray-icon dark" : "tray-icon light");
    };
    showScheme(m_appearance->isDark());
    connect(m_appearance, &DesktopAppearance::darkChanged, m_trayIcon, showScheme);

    m_trayMenu = std::make_unique<QMenu>();
    m_trayMenu->addAction(tr("Open Tarnwick"), this, &AppDelegate::openLauncher);
    m_trayMenu->addSeparator();
    QAction *settings = m_trayMenu->addAction(tr("Settings..."), this, &AppDelegate::openSettings);
    settings->setShortcut(QKeySequence(Qt::ControlModifier | Qt::Key_Comma));
    m_trayMenu->addSeparator();
    QAction *quitAction = m_trayMenu->addAction(tr("Quit Tarnwick"), this, &AppDelegate::quit);
    quitAction->setShortcut(QKeySequence::Quit);
    m_trayIcon->setContextMenu(m_trayMenu.get());

    connect(m_trayIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        // Two clicks in a row arrive as a double click; each opens the menu.
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            trayIconClicked();
    });
    updateTrayToolTip();
    showTrayIconWhenReady();
}

// A click opens the menu, as the right button does.
void AppDelegate::trayIconClicked()
{
    m_trayMenu->popup(QCursor::pos());
}

void AppDelegate::showTrayIconWhenReady()
{
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        m_trayRetry.stop();
        m_trayIcon->show();
        EventTrace::note("tray-ready");
        return;
    }
    // Without any tray the program stays reachable through `tarnwick --open`
    // and `tarnwick --settings`.
    if (++m_trayAttempts == kTrayNoticeAttempt) {
        qCWarning(lcDesktop).noquote() << "No system tray has appeared yet: until one does, open Tarnwick with its "
                                          "hotkey or \"tarnwick --open\", and its settings with "
                                          "\"tarnwick --settings\".";
    }
    if (m_trayAttempts >= kTrayRetryAttempts)
        m_trayRetry.stop();
    else if (!m_trayRetry.isActive())
        m_trayRetry.start();
}

void AppDelegate::updateTrayToolTip()
{
    QStringList lines{QStringLiteral("Tarnwick")};
    if (m_session && !m_session->store().saveProblem().isEmpty())
        lines << tr("History could not be saved: %1").arg(m_session->store().saveProblem());
    if (m_hotkeyManager) {
        const struct
        {
            HotkeyManager::Hotkey hotkey;
            QString problem;
            QString active;
        } texts[] = {
            {HotkeyManager::Hotkey::Launch, tr("Launch hotkey: %1"), tr("%1 opens and closes the panel")},
            {HotkeyManager::Hotkey::Screenshot, tr("Screenshot hotkey: %1"), tr("%1 takes a screenshot")},
            {HotkeyManager::Hotkey::Dictate, tr("Dictate hotkey: %1"), tr("%1 starts and stops dictation")},
        };
        for (const auto &text : texts) {
            const QString problem = m_hotkeyManager->statusText(text.hotkey);
            if (!problem.isEmpty())
                lines << text.problem.arg(problem);
            else if (m_hotkeyManager->status(text.hotkey) == HotkeyManager::Status::Active)
                lines << text.active.arg(m_hotkeyManager->triggerText(text.hotkey));
        }
    }
    m_trayIcon->setToolTip(lines.join(QLatin1Char('\n')));
}

// Told where the user will see it: a desktop notification (the tray's balloon
// without a notification server) and the panel, opened once with the notice.
void AppDelegate::showHotkeyNotice()
{
    const QString summary = m_hotkeyNotice->summary();
    const QString body = m_hotkeyNotice->body();
    if (!m_notifier)
        m_notifier = new DesktopNotifier(this);
    m_notifier->notify(summary, body, [this, summary, body](bool shown) {
        if (!shown && m_trayIcon && m_trayIcon->isVisible())
            m_trayIcon->showMessage(summary, body, QSystemTrayIcon::Warning);
        EventTrace::note(shown ? "hotkey-notice-notification" : "hotkey-notice-balloon");
    });
    m_launcherWindow->setHotkeyNotice(m_hotkeyManager->statusText(HotkeyManager::Hotkey::Launch));
    m_launcherWindow->animateIn();
    EventTrace::note("hotkey-notice");
}

void AppDelegate::chooseLaunchHotkey()
{
    openSettings();
    m_settingsWindow->view()->recordLaunchHotkey();
}

void AppDelegate::setupLauncherWindow()
{
    m_session = std::make_unique<LauncherSession>(UserDefaults::standard(), KeyStore::system(), PresetStore::standard(),
                                                  ConversationStore::defaultFilePath());
    connect(&m_session->store(), &ConversationStore::saveProblemChanged, this, [this] {
        EventTrace::note(m_session->store().saveProblem().isEmpty() ? "history-saved-again" : "history-save-failed");
        updateTrayToolTip();
    });
    m_launcherWindow = std::make_unique<LauncherWindow>(*m_session);
    if (EventTrace::enabled())
        EventTrace::note(("launcher-window " + QByteArray::number(m_launcherWindow->winId())).constData());
    connect(m_launcherWindow.get(), &LauncherWindow::settingsRequested, this, &AppDelegate::openSettings);
    connect(m_launcherWindow.get(), &LauncherWindow::quitRequested, this, &AppDelegate::quit);
    connect(m_launcherWindow.get(), &LauncherWindow::chooseHotkeyRequested, this, &AppDelegate::chooseLaunchHotkey);
}

void AppDelegate::toggleLauncher()
{
    EventTrace::note("toggle");
    if (!m_launcherWindow)
        return;
    if (m_launcherWindow->isVisible())
        m_launcherWindow->animateOut();
    else
        m_launcherWindow->animateIn();
}

void AppDelegate::openLauncher()
{
    if (m_launcherWindow)
        m_launcherWindow->animateIn();
}

void AppDelegate::toggleDictation()
{
    if (!m_launcherWindow)
        return;
    if (!m_launcherWindow->isVisible())
        m_launcherWindow->animateIn();
    m_session->toggleDictation();
}

void AppDelegate::handleScreenshotHotkey()
{
    if (!m_launcherWindow)
        return;
    auto start = [this] {
        // The name stays observable for the event trace.
        NotificationCenter::defaultCenter().post(Notifications::tarnwickTakeScreenshot);
        m_session->takeScreenshot();
    };
    if (m_launcherWindow->isVisible()) {
        start();
        return;
    }
    m_launcherWindow->animateIn();
    QTimer::singleShot(kScreenshotDelay, this, start);
}

void AppDelegate::openSettings()
{
    if (!m_settingsWindow) {
        m_settingsWindow = std::make_unique<SettingsWindow>(UserDefaults::standard(), KeyStore::system(),
                                                            PresetStore::standard(), m_hotkeyManager.get());
        if (EventTrace::enabled())
            EventTrace::note(("settings-window " + QByteArray::number(m_settingsWindow->winId())).constData());
        auto *quitShortcut = new QShortcut(QKeySequence::Quit, m_settingsWindow.get());
        connect(quitShortcut, &QShortcut::activated, this, &AppDelegate::quit);
    }
    const QScreen *screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        QRect frame = m_settingsWindow->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        m_settingsWindow->move(frame.topLeft());
    }
    m_settingsWindow->showNormal();
    m_settingsWindow->raise();
    m_settingsWindow->activateWindow();
    X11Window::activate(m_settingsWindow->winId());
}

void AppDelegate::quit()
{
    flushPendingWrites();
    if (m_session && m_session->store().hasUnsavedChanges() && !confirmQuitWithUnsavedChanges())
        return;
    QCoreApplication::exit(0);
}

void AppDelegate::terminate()
{
    flushPendingWrites();
    if (m_session && m_session->store().hasUnsavedChanges()) {
        StandardError::tell(QStringLiteral("tarnwick: quitting with history changes that could not be saved: ")
                            + m_session->store().saveProblem());
    }
    QCoreApplication::exit(0);
}

bool AppDelegate::confirmQuitWithUnsavedChanges()
{
    EventTrace::note("unsaved-changes-asked");
    // Over the panel, which stays on top of every other window.
    QWidget *over = m_launcherWindow && m_launcherWindow->isVisible() ? m_launcherWindow.get() : nullptr;
    QMessageBox box(QMessageBox::Warning, tr("Tarnwick"), tr("Your latest conversation changes are not saved."),
                    QMessageBox::NoButton, over);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.setObjectName(QStringLiteral("unsavedChangesDialog"));
    box.setInformativeText(tr("History could not be saved: %1\nIf you quit now, these changes are lost.")
                               .arg(m_session->store().saveProblem()));
    QPushButton *stay = box.addButton(tr("Stay"), QMessageBox::RejectRole);
    box.addButton(tr("Quit Anyway"), QMessageBox::DestructiveRole);
    box.setDefaultButton(stay);
    box.setEscapeButton(stay);
    box.exec();
    // Saving may have come back while the question was open.
    const bool quitting = box.clickedButton() != stay || !m_session->store().hasUnsavedChanges();
    if (!quitting && over) {
        over->activateWindow();
        X11Window::activate(over->winId());
    }
    return quitting;
}

// The history store writes as conversations change; a write still pending
// when the user quits is finished here, before the process ends.
void AppDelegate::flushPendingWrites()
{
    if (m_session)
        m_session->flush();
}
