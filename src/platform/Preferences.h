#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>

// Every preference key the program uses, with its default.
namespace Preferences {

inline const QString selectedProvider = QStringLiteral("selectedProvider");
inline const QString selectedGeminiModel = QStringLiteral("selectedGeminiModel");
inline const QString selectedOpenRouterModel = QStringLiteral("selectedOpenRouterModel");
inline const QString appTheme = QStringLiteral("appTheme");
inline const QString cachedOpenRouterModels = QStringLiteral("cachedOpenRouterModels");
// The Local provider: the server's base address, its chosen model and its last model list.
inline const QString localServerAddress = QStringLiteral("localServerAddress");
inline const QString selectedLocalModel = QStringLiteral("selectedLocalModel");
inline const QString cachedLocalModels = QStringLiteral("cachedLocalModels");
inline const QString hotkeyBinding = QStringLiteral("hotkeyBinding");
inline const QString screenshotHotkeyBinding = QStringLiteral("screenshotHotkeyBinding");
// Launch bindings the user was told do not work ("keyCode/modifiers" texts).
inline const QString hotkeyNoticesShown = QStringLiteral("hotkeyNoticesShown");

inline const QString defaultProvider = QStringLiteral("Gemini");
inline const QString defaultGeminiModel = QStringLiteral("gemini-3-flash-preview");
inline const QString defaultOpenRouterModel = QStringLiteral("openai/o3-mini");
// No local model is known before the server has been asked.
inline const QString defaultLocalModel = QString();
inline const QString defaultLocalServerAddress = QStringLiteral("http://localhost:11434/v1");
inline const QString defaultAppTheme = QStringLiteral("System");

// Binding records: {"keyCode": n, "modifiers": mask}; virtual key codes and Carbon modifier bits.
inline const QString keyCodeEntry = QStringLiteral("keyCode");
inline const QString modifiersEntry = QStringLiteral("modifiers");
constexpr quint32 defaultLaunchKeyCode = 49;        // Space
constexpr quint32 defaultLaunchModifiers = 2048;    // Option (Alt)
constexpr quint32 defaultScreenshotKeyCode = 1;     // S
constexpr quint32 defaultScreenshotModifiers = 4352; // Control + Command (Ctrl + Super)

} // namespace Preferences
