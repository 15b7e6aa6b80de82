// SPDX-License-Identifier: GPL-3.0-or-later
// What Settings stores and fetches, without its window: a real preferences
// file, keys in memory, and a loopback provider.
#include "core/SettingsModel.h"
#include "llm/ProviderTable.h"
#include "platform/Preferences.h"
#include "platform/UserDefaults.h"
#include "support/IsolatedHome.h"
#include "support/LoopbackServer.h"
#include "support/MemoryKeyStore.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <memory>

class TestSettingsModel : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<IsolatedHome> m_home;
    std::unique_ptr<UserDefaults> m_defaults;
    std::unique_ptr<LoopbackServer> m_server;
    std::unique_ptr<MemoryKeyStore> m_keys;

    std::unique_ptr<SettingsModel> makeModel()
    {
        auto model = std::make_unique<SettingsModel>(*m_defaults, *m_keys, nullptr);
        if (!QTest::qWaitFor([&model] { return model->hasReadStoredKeys(); }, 10000))
            qWarning("the stored keys were not read");
        return model;
    }

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<IsolatedHome>();
        m_defaults = std::make_unique<UserDefaults>(m_home->preferencesFile());
        m_server = std::make_unique<LoopbackServer>();
        m_keys = std::make_unique<MemoryKeyStore>();
        qputenv("TARNWICK_OPENROUTER_BASE_URL", m_server->baseUrl().toUtf8());
        qunsetenv("TARNWICK_LOCAL_BASE_URL");
    }

    void cleanup()
    {
        m_server.reset();
        m_defaults.reset();
        m_home.reset();
    }

    void failedOrEmptyFetchChangesNothing()
    {
        m_defaults->set(Preferences::cachedOpenRouterModels, QStringList{QStringLiteral("old/one")});
        const auto model = makeModel();
        // No key, no request.
        model->fetchModels(LLMProvider::OpenRouter);
        QVERIFY(!model->isLoadingModels(LLMProvider::OpenRouter));
        QVERIFY(m_server->requests().isEmpty());

        m_server->enqueue(ScriptedResponse::withBody(401, "{\"error\":{}}", 0, 0, "application/json"));
        model->setKey(LLMProvider::OpenRouter, QStringLiteral("bad"));
        QVERIFY(model->isLoadingModels(LLMProvider::OpenRouter));
        QTRY_VERIFY(!model->isLoadingModels(LLMProvider::OpenRouter));

        m_server->enqueue(ScriptedResponse::withBody(200, "{\"data\":[]}", 0, 0, "application/json"));
        model->fetchModels(LLMProvider::OpenRouter);
        QTRY_VERIFY(!model->isLoadingModels(LLMProvider::OpenRouter));
        QCOMPARE(m_server->requests().size(), 2);

        QVERIFY(model->models(LLMProvider::OpenRouter).isEmpty());
        QCOMPARE(model->selectedModel(LLMProvider::OpenRouter), QStringLiteral("openai/o3-mini"));
        QCOMPARE(UserDefaults(m_defaults->filePath()).stringList(Preferences::cachedOpenRouterModels),
                 QStringList{QStringLiteral("old/one")});
    }

    void unreachableLocalServerIsTold()
    {
        const QString address = m_server->baseUrl() + QStringLiteral("/v1");
        m_server.reset();
        const auto model = makeModel();
        model->setServerAddressText(address);
        model->fetchModels(LLMProvider::Local);
        QTRY_VERIFY(!model->isLoadingModels(LLMProvider::Local));
        QCOMPARE(model->modelsProblem(LLMProvider::Local),
                 QStringLiteral("Cannot reach %1: connection refused. Is the server running?").arg(address));
        QVERIFY(!m_defaults->contains(Preferences::cachedLocalModels));
    }

    // A save before the keys are read waits for them: a stored key is not
    // replaced by a field that was empty only because it had not been filled yet.
    void saveWaitsForTheStoredKeys()
    {
        m_keys->save(ProviderTable::traits(LLMProvider::Gemini).keyAccount, QStringLiteral("stored"));
        m_keys->hold();
        SettingsModel model(*m_defaults, *m_keys, nullptr);
        QSignalSpy saved(&model, &SettingsModel::saved);
        model.save();
        QTest::qWait(50);
        QVERIFY(saved.isEmpty());
        m_keys->release();
        QTRY_COMPARE(saved.size(), 1);
        QCOMPARE(saved.first().first().toStringList(), QStringList());
        QCOMPARE(model.key(LLMProvider::Gemini), QStringLiteral("stored"));
        QCOMPARE(m_keys->lookup(ProviderTable::traits(LLMProvider::Gemini).keyAccount).value, QStringLiteral("stored"));
    }

    // A key that could not be read is not wiped by its empty field; what can be stored is.
    void unreadableKeysAreKept()
    {
        m_keys->save(ProviderTable::traits(LLMProvider::OpenRouter).keyAccount, QStringLiteral("kept"));
        m_keys->setProblem(QStringLiteral("The keyring is locked."));
        const auto model = makeModel();
        QVERIFY(model->keyStoreCaption().endsWith(
            QStringLiteral("The stored keys could not be read: The keyring is locked.")));
        model->setKey(LLMProvider::Gemini, QStringLiteral("typed"));
        QSignalSpy saved(model.get(), &SettingsModel::saved);
        model->save();
        QTRY_COMPARE(saved.size(), 1);
        m_keys->setProblem({});
        QCOMPARE(m_keys->lookup(ProviderTable::traits(LLMProvider::OpenRouter).keyAccount).value,
                 QStringLiteral("kept"));
        QCOMPARE(m_keys->lookup(ProviderTable::traits(LLMProvider::Gemini).keyAccount).value, QStringLiteral("typed"));
    }

    void failedWriteIsToldAndTheKeysAreStillStored()
    {
        // A preferences folder that cannot be made: a file stands in its way
        // (whatever the user's rights, root included).
        QFile blocker(m_home->configHome() + QStringLiteral("/Tarnwick"));
        QVERIFY(QDir().mkpath(m_home->configHome()));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        m_defaults = std::make_unique<UserDefaults>(blocker.fileName() + QStringLiteral("/preferences.json"));
        const auto model = makeModel();
        model->setKey(LLMProvider::Gemini, QStringLiteral("k"));
        QVERIFY(!model->setProvider(LLMProvider::OpenRouter));
        QSignalSpy saved(model.get(), &SettingsModel::saved);
        model->save();
        QTRY_COMPARE(saved.size(), 1);
        const QStringList failures = saved.first().first().toStringList();
        QCOMPARE(failures.size(), 1);
        QVERIFY2(failures.first().startsWith(QStringLiteral("Could not write the preferences file")),
                 qPrintable(failures.first()));
        QCOMPARE(m_keys->lookup(ProviderTable::traits(LLMProvider::Gemini).keyAccount).value, QStringLiteral("k"));
    }
};

QTEST_GUILESS_MAIN(TestSettingsModel)
#include "tst_settingsmodel.moc"
