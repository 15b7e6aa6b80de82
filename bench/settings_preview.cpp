// SPDX-License-Identifier: GPL-3.0-or-later
// Shows the settings window in the light or dark system appearance and saves
// two pictures of it, the form's top and, after Save, its bottom:
// settings_preview light|dark OUT [OpenRouter]  (OUT-top.png, OUT-bottom.png)
#include "platform/Preferences.h"
#include "platform/UserDefaults.h"
#include "presets/PresetStore.h"
#include "services/HotkeyManager.h"
#include "services/KeyStore.h"
#include "settings/SettingsView.h"
#include "settings/SettingsWindow.h"

#include <QApplication>
#include <QPalette>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyleFactory>
#include <QTimer>

namespace {

QPalette darkPalette()
{
    QPalette p;
    p.setColor(QPalette::Window, QColor(40, 40, 42));
    p.setColor(QPalette::WindowText, QColor(235, 235, 235));
    p.setColor(QPalette::Base, QColor(30, 30, 32));
    p.setColor(QPalette::AlternateBase, QColor(45, 45, 48));
    p.setColor(QPalette::Text, QColor(235, 235, 235));
    p.setColor(QPalette::PlaceholderText, QColor(140, 140, 145));
    p.setColor(QPalette::Button, QColor(58, 58, 60));
    p.setColor(QPalette::ButtonText, QColor(235, 235, 235));
    p.setColor(QPalette::Mid, QColor(90, 90, 94));
    p.setColor(QPalette::Highlight, QColor(10, 132, 255));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(64, 156, 255));
    return p;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return 2;
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    if (args.at(1) == QLatin1String("dark"))
        QApplication::setPalette(darkPalette());
    if (args.size() > 3)
        UserDefaults::standard().set(Preferences::selectedProvider, args.at(3));

    HotkeyManager hotkeys([] {}, UserDefaults::standard(),
                          HotkeyBackend::createForPlatform(HotkeyManager::namedHotkeys()));
    hotkeys.registerHotkeys();
    SettingsWindow window(UserDefaults::standard(), KeyStore::system(), PresetStore::standard(), &hotkeys);
    window.show();
    QTimer::singleShot(800, &app, [&] {
        window.grab().save(args.at(2) + QStringLiteral("-top.png"));
        window.view()->save();
        QScrollBar *bar = window.findChild<QScrollArea *>()->verticalScrollBar();
        bar->setValue(bar->maximum());
    });
    QTimer::singleShot(1400, &app, [&] {
        window.grab().save(args.at(2) + QStringLiteral("-bottom.png"));
        app.quit();
    });
    return app.exec();
}
