// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/SettingsModel.h"

#include "core/ModelNames.h"
#include "llm/LLMClient.h"
#include "llm/ProviderTable.h"
#include "llm/ServerAddress.h"
#include "platform/Logging.h"
#include "platform/Preferences.h"
#include "platform/UserDefaults.h"

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

namespace {

QStringList keyAccounts()
{
    QStringList accounts;
    for (LLMProvider provider : allLLMProviders())
        accounts << ProviderTable::traits(provider).keyAccount;
    return accounts << ProviderTable::transcriptionKeyAccount();
}

// Whose key an account holds, as a failure names it.
QString keyOwner(const QString &account)
{
    for (LLMProvider provider : allLLMProviders()) {
        if (ProviderTable::traits(provider).keyAccount == account)
            return ProviderTable::traits(provider).displayName;
    }
    return QStringLiteral("transcription server");
}

// Runs work on the pool and hands its whole result to then, on context's thread.
template<typename T, typename Work, typename Then>
void runThen(QThreadPool &pool, QObject *context, Work work, Then then)
{
    auto *watcher = new QFutureWatcher<T>(context);
    QObject::connect(watcher, &QFutureWatcher<T>::finished, context, [watcher, then = std::move(then)] {
        watcher->deleteLater();
        then(watcher->result());
    });
    watcher->setFuture(QtConcurrent::run(&pool, std::move(work)));
}

} // namespace

SettingsModel::SettingsModel(UserDefaults &defaults, KeyStore &keys, HotkeyManager *hotkeys, QObject *parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_keys(keys)
    , m_hotkeys(hotkeys)
    , m_serverAddress(defaults.text(Preferences::localServerAddress))
{
    m_keyThread.setMaxThreadCount(1);
    for (LLMProvider provider : allLLMProviders())
        m_selectedModels.insert(provider, defaults.text(ProviderTable::traits(provider).selectedModel));
    m_bindings.insert(HotkeyManager::Hotkey::Launch,
                      HotkeyBinding::load(defaults, Preferences::hotkeyBinding, HotkeyBinding::builtInLaunch()));
    m_bindings.insert(
        HotkeyManager::Hotkey::Screenshot,
        HotkeyBinding::load(defaults, Preferences::screenshotHotkeyBinding, HotkeyBinding::builtInScreenshot()));
    if (const QVariantMap dictate = defaults.dictionary(Preferences::dictateHotkeyBinding); !dictate.isEmpty())
        m_bindings.insert(HotkeyManager::Hotkey::Dictate,
                          HotkeyBinding::load(defaults, Preferences::dictateHotkeyBinding, {}));
    m_dictationTexts.insert(DictationField::Language, defaults.text(Preferences::dictationLanguage));
    m_dictationTexts.insert(DictationField::ServerAddress, defaults.text(Preferences::transcriptionServerAddress));
    m_dictationTexts.insert(DictationField::ServerModel, defaults.text(Preferences::transcriptionModel));
    m_keyStoreCaption = QStringLiteral("Reading the keyring…");

    // A provider or theme picked elsewhere (the launcher's model switcher) shows here too.
    connect(&m_defaults, &UserDefaults::changed, this, [this](const QString &key) {
        if (key == Preferences::selectedProvider)
            Q_EMIT providerChanged();
        else if (key == Preferences::appTheme)
            Q_EMIT themeChanged();
        else if (key == Preferences::dictationEngine)
            Q_EMIT dictationEngineChanged();
    });
    if (m_hotkeys) {
        connect(m_hotkeys.data(), &HotkeyManager::statusChanged, this, &SettingsModel::hotkeyStatusChanged);
        connect(m_hotkeys.data(), &HotkeyManager::bindingChanged, this, &SettingsModel::hotkeyStatusChanged);
    }
    readStoredKeys();
}

SettingsModel::~SettingsModel()
{
    m_keyThread.waitForDone();
}

LLMProvider SettingsModel::provider() const
{
    return llmProviderFromRawValue(m_defaults.text(Preferences::selectedProvider)).value_or(LLMProvider::Gemini);
}

Result<> SettingsModel::setProvider(LLMProvider provider)
{
    const bool stored = m_defaults.set(Preferences::selectedProvider, rawValue(provider));
    // Whether the server answers is worth knowing the moment it is picked.
    if (ProviderTable::traits(provider).serverAddress)
        fetchModels(provider);
    if (!stored)
        return Result<>::failure(QStringLiteral("Could not store the provider in %1.").arg(m_defaults.filePath()));
    return {};
}

AppTheme SettingsModel::theme() const
{
    return fromRawValue<AppTheme>(m_defaults.text(Preferences::appTheme)).value_or(AppTheme::System);
}

Result<> SettingsModel::setTheme(AppTheme theme)
{
    if (!m_defaults.set(Preferences::appTheme, rawValue(theme)))
        return Result<>::failure(QStringLiteral("Could not store the theme in %1.").arg(m_defaults.filePath()));
    return {};
}

QString SettingsModel::key(LLMProvider provider) const
{
    return m_typedKeys.value(ProviderTable::traits(provider).keyAccount);
}

QString SettingsModel::transcriptionKey() const
{
    return m_typedKeys.value(ProviderTable::transcriptionKeyAccount());
}

void SettingsModel::setTranscriptionKey(const QString &key)
{
    const QString account = ProviderTable::transcriptionKeyAccount();
    if (m_typedKeys.value(account) == key)
        return;
    m_typedKeys.insert(account, key);
    Q_EMIT transcriptionKeyChanged(key);
}

void SettingsModel::setKey(LLMProvider provider, const QString &key)
{
    const QString account = ProviderTable::traits(provider).keyAccount;
    if (m_typedKeys.value(account) == key)
        return;
    m_typedKeys.insert(account, key);
    Q_EMIT keyChanged(provider, key);
    // A new key may see another list; a server's key only on its next refresh.
    if (m_storedKeys && ProviderTable::traits(provider).needsKey && ProviderTable::traits(provider).modelListRequest)
        fetchModels(provider);
}

void SettingsModel::setServerAddressText(const QString &address)
{
    m_serverAddress = address;
}

QString SettingsModel::serverAddress() const
{
    const QString typed = m_serverAddress.trimmed();
    return typed.isEmpty() ? Preferences::localServerAddress.fallback : typed;
}

QString SettingsModel::plainHttpWarning() const
{
    return ServerAddress::plainHttpWarning(ProviderTable::baseUrl(LLMProvider::Local, serverAddress()),
                                           !key(LLMProvider::Local).isEmpty());
}

QStringList SettingsModel::models(LLMProvider provider) const
{
    if (!ProviderTable::traits(provider).modelListRequest)
        return defaultGeminiModels();
    return m_models.value(provider);
}

void SettingsModel::setSelectedModel(LLMProvider provider, const QString &model)
{
    if (m_selectedModels.value(provider) == model)
        return;
    m_selectedModels[provider] = model;
    Q_EMIT modelsChanged(provider);
}

void SettingsModel::fetchModels(LLMProvider provider)
{
    const ProviderTraits &traits = ProviderTable::traits(provider);
    const QString key = this->key(provider);
    if (!traits.modelListRequest || (traits.needsKey && key.isEmpty()))
        return;
    const QString address = traits.serverAddress ? serverAddress() : QString();
    const QString shown = ServerAddress::shown(ProviderTable::baseUrl(provider, address));
    const quint64 request = ++m_lastRequest;
    m_modelRequests.insert(provider, request);
    Q_EMIT modelsChanged(provider);
    LLMClient::fetchModels(provider, address, key, this,
                           [this, provider, request, shown](const LLMClient::ModelList &result) {
        QString problem;
        if (result.error)
            problem = result.error->errorDescription();
        else if (result.models.isEmpty())
            problem =
                QStringLiteral("The server at %1 offers no models yet. Download or load one, then refresh.").arg(shown);
        takeModelList(provider, request, result.models, problem);
    });
}

void SettingsModel::takeModelList(LLMProvider provider, quint64 request, const QStringList &models,
                                  const QString &problem)
{
    // An answer to an earlier question (another key, another address) is of no use any more.
    if (m_modelRequests.value(provider) != request)
        return;
    m_modelRequests.remove(provider);
    m_modelsProblems[provider] = problem;
    // A failed or empty answer keeps the list there was.
    if (problem.isEmpty()) {
        m_models[provider] = models;
        m_defaults.set(ProviderTable::traits(provider).cachedModels, models);
        // The new selection is stored by save().
        if (!models.contains(m_selectedModels.value(provider)))
            m_selectedModels[provider] = models.first();
    }
    Q_EMIT modelsChanged(provider);
}

void SettingsModel::fetchSelectedProviderModels()
{
    // Until the keys are read, the lists wait for them.
    if (m_storedKeys)
        fetchModels(provider());
}

void SettingsModel::setBinding(HotkeyManager::Hotkey hotkey, HotkeyBinding binding)
{
    m_bindings.insert(hotkey, binding);
    Q_EMIT hotkeyStatusChanged();
}

void SettingsModel::clearBinding(HotkeyManager::Hotkey hotkey)
{
    if (hotkey != HotkeyManager::Hotkey::Dictate)
        return;
    m_bindings.remove(hotkey);
    Q_EMIT hotkeyStatusChanged();
}

DictationEngine SettingsModel::dictationEngine() const
{
    return fromRawValue<DictationEngine>(m_defaults.text(Preferences::dictationEngine))
        .value_or(DictationEngine::Automatic);
}

Result<> SettingsModel::setDictationEngine(DictationEngine engine)
{
    if (!m_defaults.set(Preferences::dictationEngine, rawValue(engine)))
        return Result<>::failure(
            QStringLiteral("Could not store the dictation engine in %1.").arg(m_defaults.filePath()));
    return {};
}

QString SettingsModel::hotkeyProblem(HotkeyManager::Hotkey hotkey) const
{
    if (!m_hotkeys || m_hotkeys->binding(hotkey) != binding(hotkey))
        return {};
    return m_hotkeys->statusText(hotkey);
}

QString SettingsModel::hotkeyMechanism(HotkeyManager::Hotkey hotkey) const
{
    if (!m_hotkeys || m_hotkeys->binding(hotkey) != binding(hotkey))
        return {};
    switch (m_hotkeys->mechanism(hotkey)) {
    case HotkeyBackend::Mechanism::DesktopShortcut:
        return QStringLiteral("Desktop shortcut: %1").arg(m_hotkeys->triggerText(hotkey));
    case HotkeyBackend::Mechanism::OwnGrab:
        return QStringLiteral("Grabbed by Tarnwick");
    case HotkeyBackend::Mechanism::None:
        break;
    }
    switch (m_hotkeys->status(hotkey)) {
    case HotkeyManager::Status::Pending:
        return QStringLiteral("Waiting for the desktop to grant it…");
    case HotkeyManager::Status::NotRegistered:
        return {};
    default:
        return QStringLiteral("Not available");
    }
}

// The keyring may take seconds (an unlock prompt, a service that hangs): the
// window stays usable meanwhile.
void SettingsModel::readStoredKeys()
{
    runThen<StoredKeys>(
        m_keyThread, this,
        [&store = m_keys] {
        StoredKeys keys;
        for (const QString &account : keyAccounts())
            keys.lookups.insert(account, store.lookup(account));
        keys.storeDescription = store.description();
        return keys;
        },
        [this](const StoredKeys &keys) { takeStoredKeys(keys); });
}

void SettingsModel::takeStoredKeys(const StoredKeys &keys)
{
    m_storedKeys = keys;
    // What the user typed meanwhile stays; reading a key is no reason to fetch a list.
    for (LLMProvider provider : allLLMProviders()) {
        const QString account = ProviderTable::traits(provider).keyAccount;
        const KeyStore::Lookup &found = keys.lookups.value(account);
        if (key(provider).isEmpty() && found.value) {
            m_typedKeys.insert(account, *found.value);
            Q_EMIT keyChanged(provider, *found.value);
        }
    }
    const KeyStore::Lookup &server = keys.lookups.value(ProviderTable::transcriptionKeyAccount());
    if (transcriptionKey().isEmpty() && server.value)
        setTranscriptionKey(*server.value);
    m_keyStoreCaption = keyStoreCaptionFor(keys);
    Q_EMIT keyStoreCaptionChanged();
    Q_EMIT storedKeysRead();
    EventTrace::note("settings-keys-read");
    if (m_saveWaitsForKeys) {
        m_saveWaitsForKeys = false;
        save();
    }
}

QString SettingsModel::keyStoreCaptionFor(const StoredKeys &keys) const
{
    QStringList problems;
    for (const QString &account : keyAccounts()) {
        const QString &problem = keys.lookups.value(account).problem;
        if (!problem.isEmpty() && !problems.contains(problem))
            problems << problem;
    }
    QString caption = keys.storeDescription;
    if (!problems.isEmpty())
        caption += QStringLiteral("\nThe stored keys could not be read: ") + problems.join(QLatin1Char(' '));
    return caption;
}

void SettingsModel::save()
{
    if (!m_storedKeys) {
        m_saveWaitsForKeys = true;
        return;
    }
    const QStringList failures = storePreferences();
    if (m_hotkeys) {
        const HotkeyBinding launch = binding(HotkeyManager::Hotkey::Launch);
        const HotkeyBinding screenshot = binding(HotkeyManager::Hotkey::Screenshot);
        m_hotkeys->update(launch.keyCode, launch.modifiers);
        m_hotkeys->updateScreenshot(screenshot.keyCode, screenshot.modifiers);
        const HotkeyManager::Hotkey dictate = HotkeyManager::Hotkey::Dictate;
        m_hotkeys->setBinding(dictate, isBound(dictate) ? std::optional(binding(dictate)) : std::nullopt);
    }
    Q_EMIT hotkeyStatusChanged();
    writeKeys(failures);
}

// Every write is tried, whatever failed before it.
QStringList SettingsModel::storePreferences()
{
    bool stored = true;
    for (LLMProvider provider : allLLMProviders())
        stored = m_defaults.set(ProviderTable::traits(provider).selectedModel, selectedModel(provider)) && stored;
    stored = m_defaults.set(Preferences::localServerAddress, serverAddress()) && stored;
    stored = binding(HotkeyManager::Hotkey::Launch).store(m_defaults, Preferences::hotkeyBinding) && stored;
    stored =
        binding(HotkeyManager::Hotkey::Screenshot).store(m_defaults, Preferences::screenshotHotkeyBinding) && stored;
    if (isBound(HotkeyManager::Hotkey::Dictate))
        stored = binding(HotkeyManager::Hotkey::Dictate).store(m_defaults, Preferences::dictateHotkeyBinding) && stored;
    else
        stored = m_defaults.remove(Preferences::dictateHotkeyBinding) && stored;
    stored =
        m_defaults.set(Preferences::dictationLanguage, dictationText(DictationField::Language).trimmed()) && stored;
    const QString server = dictationText(DictationField::ServerAddress).trimmed();
    stored = m_defaults.set(Preferences::transcriptionServerAddress,
                            server.isEmpty() ? Preferences::transcriptionServerAddress.fallback : server)
        && stored;
    const QString model = dictationText(DictationField::ServerModel).trimmed();
    stored = m_defaults.set(Preferences::transcriptionModel,
                            model.isEmpty() ? Preferences::transcriptionModel.fallback : model)
        && stored;
    if (stored)
        return {};
    return {QStringLiteral("Could not write the preferences file %1.").arg(m_defaults.filePath())};
}

void SettingsModel::writeKeys(const QStringList &preferenceFailures)
{
    QHash<QString, QString> writes;
    for (const QString &account : keyAccounts()) {
        const QString typed = m_typedKeys.value(account);
        // A key that could not be read is not wiped by its empty field.
        if (typed.isEmpty() && !m_storedKeys->lookups.value(account).problem.isEmpty())
            continue;
        writes.insert(account, typed);
    }
    runThen<KeyWrites>(
        m_keyThread, this,
        [&store = m_keys, writes] {
        KeyWrites done;
        for (auto it = writes.cbegin(); it != writes.cend(); ++it)
            done.results.insert(it.key(), store.save(it.key(), it.value()));
        // The keyring may have come or gone since the window was opened.
        done.storeDescription = store.description();
        return done;
        },
        [this, writes, preferenceFailures](const KeyWrites &done) {
        QStringList failures;
        for (const QString &account : keyAccounts()) {
            if (!done.results.contains(account))
                continue;
            const Result<> saved = done.results.value(account);
            if (saved)
                m_storedKeys->lookups[account] = {writes.value(account), {}};
            else
                failures << QStringLiteral("Could not store the %1 key: %2").arg(keyOwner(account), saved.message());
        }
        m_keyStoreCaption = done.storeDescription;
        Q_EMIT keyStoreCaptionChanged();
        failures << preferenceFailures;
        EventTrace::note(failures.isEmpty() ? "settings-saved" : "settings-save-failed");
        Q_EMIT saved(failures);
    });
}
