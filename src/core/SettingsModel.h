// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/AppTheme.h"
#include "dictation/DictationEngine.h"
#include "llm/LLMProvider.h"
#include "platform/HotkeyBinding.h"
#include "platform/Result.h"
#include "services/HotkeyManager.h"
#include "services/KeyStore.h"

#include <QHash>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QThreadPool>

#include <optional>

class UserDefaults;

// What the settings window shows and saves. The provider and the theme are
// stored the moment they are picked; keys, default models, the server address
// and hotkeys only by save(). Everything typed or recorded lives here until
// then, also while the window is closed. The key store is only called on a
// worker thread, one call after another; the model list is asked of the
// provider over the network.
class SettingsModel : public QObject
{
    Q_OBJECT

public:
    // hotkeys may be null: the bindings are then stored for the next start.
    SettingsModel(UserDefaults &defaults, KeyStore &keys, HotkeyManager *hotkeys, QObject *parent = nullptr);
    ~SettingsModel() override;

    // Read from the preferences each time; a pick is stored at once.
    LLMProvider provider() const;
    Result<> setProvider(LLMProvider provider);
    AppTheme theme() const;
    Result<> setTheme(AppTheme theme);

    // The key as typed (or as read from the store while nothing was typed).
    QString key(LLMProvider provider) const;
    void setKey(LLMProvider provider, const QString &key);
    // The transcription server's key, kept beside the providers' keys.
    QString transcriptionKey() const;
    void setTranscriptionKey(const QString &key);
    bool hasReadStoredKeys() const { return m_storedKeys.has_value(); }
    // Where keys are kept, and what could not be read.
    QString keyStoreCaption() const { return m_keyStoreCaption; }

    // The server address as typed, and the one used when nothing is.
    QString serverAddressText() const { return m_serverAddress; }
    void setServerAddressText(const QString &address);
    QString serverAddress() const;
    // Why the address is unsafe for the key, or empty.
    QString plainHttpWarning() const;

    // The model list and selection of one provider: Gemini's is fixed, the
    // others' are fetched; an empty list offers the selection alone.
    QStringList models(LLMProvider provider) const;
    QString selectedModel(LLMProvider provider) const { return m_selectedModels.value(provider); }
    void setSelectedModel(LLMProvider provider, const QString &model);
    bool isLoadingModels(LLMProvider provider) const { return m_modelRequests.contains(provider); }
    // Why the list could not be had, or empty.
    QString modelsProblem(LLMProvider provider) const { return m_modelsProblems.value(provider); }
    // Asks the provider for its models, if it has a list to fetch and what it
    // needs (a key for a cloud provider); the latest answer counts.
    void fetchModels(LLMProvider provider);
    // The list of the provider picked, as the window opens.
    void fetchSelectedProviderModels();

    HotkeyBinding binding(HotkeyManager::Hotkey hotkey) const { return m_bindings.value(hotkey); }
    // Only the dictate hotkey may be left without a binding.
    bool isBound(HotkeyManager::Hotkey hotkey) const { return m_bindings.contains(hotkey); }
    void setBinding(HotkeyManager::Hotkey hotkey, HotkeyBinding binding);
    void clearBinding(HotkeyManager::Hotkey hotkey);

    // Dictation: the engine is stored the moment it is picked; the spoken
    // language and the transcription server's address and model by save().
    DictationEngine dictationEngine() const;
    Result<> setDictationEngine(DictationEngine engine);
    enum class DictationField { Language, ServerAddress, ServerModel };
    QString dictationText(DictationField field) const { return m_dictationTexts.value(field); }
    void setDictationText(DictationField field, const QString &text) { m_dictationTexts.insert(field, text); }
    // What holds the binding in force and what is wrong with it; nothing
    // about a recording not yet saved.
    QString hotkeyMechanism(HotkeyManager::Hotkey hotkey) const;
    QString hotkeyProblem(HotkeyManager::Hotkey hotkey) const;

    // Writes everything; saved() tells how it went. Waits for the stored keys
    // first: what is stored must be known before it is replaced.
    void save();

Q_SIGNALS:
    void providerChanged();
    void themeChanged();
    void keyChanged(LLMProvider provider, const QString &key);
    void transcriptionKeyChanged(const QString &key);
    void dictationEngineChanged();
    void storedKeysRead();
    void keyStoreCaptionChanged();
    // The list, the selection, the loading or the problem of one provider.
    void modelsChanged(LLMProvider provider);
    void hotkeyStatusChanged();
    // failures: what could not be stored, a line each; empty when all was.
    void saved(const QStringList &failures);

private:
    struct StoredKeys
    {
        QHash<QString, KeyStore::Lookup> lookups; // by account
        QString storeDescription;
    };
    struct KeyWrites
    {
        QHash<QString, Result<>> results; // by account; absent: not written
        QString storeDescription;
    };

    void readStoredKeys();
    void takeStoredKeys(const StoredKeys &keys);
    void writeKeys(const QStringList &preferenceFailures);
    QStringList storePreferences();
    void takeModelList(LLMProvider provider, quint64 request, const QStringList &models, const QString &problem);
    QString keyStoreCaptionFor(const StoredKeys &keys) const;

    UserDefaults &m_defaults;
    KeyStore &m_keys;
    // The program's manager may go first when the program ends.
    QPointer<HotkeyManager> m_hotkeys;
    // One thread: a save never overtakes the read before it.
    QThreadPool m_keyThread;

    void setTypedKey(const QString &account, const QString &key);

    QHash<QString, QString> m_typedKeys; // by account
    QMap<DictationField, QString> m_dictationTexts;
    QMap<LLMProvider, QString> m_selectedModels;
    QMap<LLMProvider, QStringList> m_models;
    QMap<LLMProvider, QString> m_modelsProblems;
    QMap<LLMProvider, quint64> m_modelRequests; // the one in flight; older answers are dropped
    quint64 m_lastRequest = 0;
    QString m_serverAddress;
    QMap<HotkeyManager::Hotkey, HotkeyBinding> m_bindings;
    std::optional<StoredKeys> m_storedKeys;
    QString m_keyStoreCaption;
    bool m_saveWaitsForKeys = false;
};
