// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>

// A preference that holds a text: its key, the text a read gives when the file
// holds none under the key (or something else), and, where only some texts make
// sense, those texts. It stands for its key where only the key matters (writes,
// change signals).
struct TextPreference
{
    QString key;
    QString fallback;
    QStringList choices = {};

    operator const QString &() const { return key; }
};

// Every preference key the program uses, with its default.
namespace Preferences {

inline const TextPreference selectedProvider{
    QStringLiteral("selectedProvider"),
    QStringLiteral("Gemini"),
    {QStringLiteral("Gemini"), QStringLiteral("OpenRouter"), QStringLiteral("Local")}};
inline const TextPreference selectedGeminiModel{QStringLiteral("selectedGeminiModel"),
                                                QStringLiteral("gemini-3-flash-preview")};
inline const TextPreference selectedOpenRouterModel{QStringLiteral("selectedOpenRouterModel"),
                                                    QStringLiteral("openai/o3-mini")};
// No local model is known before the server has been asked.
inline const TextPreference selectedLocalModel{QStringLiteral("selectedLocalModel"), QString()};
// The base address of the Local provider's server.
inline const TextPreference localServerAddress{QStringLiteral("localServerAddress"),
                                               QStringLiteral("http://localhost:11434/v1")};
inline const TextPreference appTheme{QStringLiteral("appTheme"),
                                     QStringLiteral("System"),
                                     {QStringLiteral("System"), QStringLiteral("Light"), QStringLiteral("Dark")}};
// The last model lists of OpenRouter and of the Local server.
inline const QString cachedOpenRouterModels = QStringLiteral("cachedOpenRouterModels");
inline const QString cachedLocalModels = QStringLiteral("cachedLocalModels");
inline const QString hotkeyBinding = QStringLiteral("hotkeyBinding");
inline const QString screenshotHotkeyBinding = QStringLiteral("screenshotHotkeyBinding");
// Absent until the user binds one: dictation has no default hotkey.
inline const QString dictateHotkeyBinding = QStringLiteral("dictateHotkeyBinding");
// Launch bindings the user was told do not work ("keyCode/modifiers" texts).
inline const QString hotkeyNoticesShown = QStringLiteral("hotkeyNoticesShown");

// Dictation: the engine ("Automatic" or one by name), the spoken language (a
// code such as "en-GB"; empty: the system's), the transcription server's
// address and model, and whether the user was told that audio leaves the machine.
inline const TextPreference dictationEngine{QStringLiteral("dictationEngine"),
                                            QStringLiteral("Automatic"),
                                            {QStringLiteral("Automatic"), QStringLiteral("Gemini"),
                                             QStringLiteral("OpenRouter"), QStringLiteral("Server"),
                                             QStringLiteral("Offline")}};
inline const TextPreference dictationLanguage{QStringLiteral("dictationLanguage"), QString()};
inline const TextPreference transcriptionServerAddress{QStringLiteral("transcriptionServerAddress"),
                                                       QStringLiteral("http://localhost:8080/v1")};
inline const TextPreference transcriptionModel{QStringLiteral("transcriptionModel"), QStringLiteral("whisper-1")};
inline const QString cloudDictationNoticeShown = QStringLiteral("cloudDictationNoticeShown");

// Binding records: {"keyCode": n, "modifiers": mask}; stored key codes and modifier bits (see KeyTable).
inline const QString keyCodeEntry = QStringLiteral("keyCode");
inline const QString modifiersEntry = QStringLiteral("modifiers");
constexpr quint32 defaultLaunchKeyCode = 49; // Space
constexpr quint32 defaultLaunchModifiers = 2048; // Alt
constexpr quint32 defaultScreenshotKeyCode = 1; // S
constexpr quint32 defaultScreenshotModifiers = 4352; // Ctrl + Super

} // namespace Preferences
