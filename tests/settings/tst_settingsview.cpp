// SPDX-License-Identifier: GPL-3.0-or-later
// The settings form offscreen, against a real keyring (the test session's
// gnome-keyring), a real preferences file and a loopback OpenRouter.
#include "platform/HotkeyBinding.h"
#include "platform/Preferences.h"
#include "platform/UserDefaults.h"
#include "presets/PresetStore.h"
#include "services/HotkeyManager.h"
#include "services/KeychainHelper.h"
#include "platform/NullHotkeyBackend.h"
#include "settings/HotkeyRecorderKeyView.h"
#include "settings/HotkeyRecorderView.h"
#include "settings/PresetsPage.h"
#include "presets/PresetStore.h"
#include "settings/SegmentedControl.h"
#include "core/SettingsModel.h"
#include "llm/ProviderTable.h"
#include "settings/SettingsView.h"
#include "settings/SettingsWindow.h"
#include "support/IsolatedHome.h"
#include "support/ScriptedHotkeyBackend.h"
#include "support/LoopbackServer.h"
#include "support/X11Keys.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace {

void clearKeyring()
{
    for (const QString &account : {KeychainHelper::geminiAccount, KeychainHelper::openRouterAccount,
                                   KeychainHelper::localAccount, KeychainHelper::transcriptionAccount}) {
        QProcess::execute(QStringLiteral("secret-tool"),
                          {QStringLiteral("clear"), QStringLiteral("service"), KeychainHelper::service,
                           QStringLiteral("account"), account});
    }
}

QByteArray catalogue(const QStringList &ids)
{
    QByteArray body = "{\"data\":[";
    for (const QString &id : ids)
        body += (body.endsWith('[') ? "" : ",") + QByteArray("{\"id\":\"") + id.toUtf8() + "\",\"pricing\":{}}";
    return body + "]}";
}

template<typename T> T *child(const QWidget &parent, const char *name)
{
    T *found = parent.findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}

void clickSegment(SegmentedControl *control, const QString &label)
{
    QTest::mouseClick(control, Qt::LeftButton, {}, control->segmentRect(control->labels().indexOf(label)).center());
}

} // namespace

class TestSettingsView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void firstOpeningWithEmptyStores();
    void providerAndThemeAreStoredAtOnce();
    void saveWritesEverythingAndReRegistersHotkeys();
    void hotkeyThatCannotBeRegisteredIsShown();
    void withoutGlobalGrabsTheDesktopShortcutIsSuggested();
    void fetchSelectsFirstAndCaches();
    void unsavedEditsSurviveClosing();
    void savedConfirmationGoesAfterFirstPress();
    void localServerSettingsPersistAcrossARestart();
    void dictationChoicesAndTheDictateHotkey();
    void settingsEditsPresets();

    // The recorder alone, with key events carrying X11 key codes as the X
    // server sends them (Linux evdev code + 8).
    void keyCapture_data();
    void keyCapture();
    void clickAndButtonBothStartRecording();

    // Receives what QDesktopServices would open in a browser.
    void openUrl(const QUrl &url) { m_openedUrls << url; }

private:
    std::unique_ptr<SettingsView> makeView();

    std::unique_ptr<IsolatedHome> m_home;
    std::unique_ptr<UserDefaults> m_defaults;
    std::unique_ptr<PresetStore> m_presets;
    std::unique_ptr<LoopbackServer> m_server;
    ScriptedHotkeyBackend *m_backend = nullptr;
    std::unique_ptr<HotkeyManager> m_hotkeys;
    QList<QUrl> m_openedUrls;
};

void TestSettingsView::init()
{
    m_home = std::make_unique<IsolatedHome>();
    m_defaults = std::make_unique<UserDefaults>(m_home->preferencesFile());
    m_presets = std::make_unique<PresetStore>(m_home->presetsFile());
    m_server = std::make_unique<LoopbackServer>();
    qputenv("TARNWICK_OPENROUTER_BASE_URL", m_server->baseUrl().toUtf8());
    qunsetenv("TARNWICK_LOCAL_BASE_URL");
    auto backend = std::make_unique<ScriptedHotkeyBackend>();
    m_backend = backend.get();
    m_hotkeys = std::make_unique<HotkeyManager>([] {}, *m_defaults, std::move(backend));
    m_hotkeys->registerHotkeys();
    clearKeyring();
    m_openedUrls.clear();
    QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "openUrl");
}

void TestSettingsView::cleanup()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    m_hotkeys.reset();
    m_server.reset();
    m_presets.reset();
    m_defaults.reset();
    m_home.reset();
    clearKeyring();
}

std::unique_ptr<SettingsView> TestSettingsView::makeView()
{
    auto view = std::make_unique<SettingsView>(*m_defaults, KeyStore::system(), *m_presets, m_hotkeys.get());
    view->show();
    if (!QTest::qWaitForWindowActive(view.get()))
        qWarning("the settings view did not become active");
    // The keys are read off the GUI thread.
    if (!QTest::qWaitFor([&view] { return view->model().hasReadStoredKeys(); }, 10000))
        qWarning("the stored keys were not read");
    return view;
}

void TestSettingsView::firstOpeningWithEmptyStores()
{
    const auto view = makeView();
    QCOMPARE(child<SegmentedControl>(*view, "providerPicker")->currentIndex(), 0);
    QCOMPARE(child<SegmentedControl>(*view, "themePicker")->currentIndex(), 0);
    QVERIFY(child<QLineEdit>(*view, "geminiKeyField")->text().isEmpty());
    QVERIFY(child<QLineEdit>(*view, "geminiKeyField")->isVisible());
    QVERIFY(!child<QLineEdit>(*view, "openRouterKeyField")->isVisible());
    QCOMPARE(child<QComboBox>(*view, "geminiModelMenu")->currentText(), QStringLiteral("gemini-3-flash-preview"));
    QCOMPARE(view->launchRecorder()->keyView()->displayText(), QStringLiteral("Alt+Space"));
    QCOMPARE(view->screenshotRecorder()->keyView()->displayText(), QStringLiteral("Ctrl+Super+S"));
    QCOMPARE(child<QLabel>(*view, "keyStoreCaption")->text(), KeychainHelper::storeDescription());
    QVERIFY(!child<QLabel>(*view, "launchHotkeyProblem")->isVisible());

    QTest::mouseClick(child<QPushButton>(*view, "keyPageLink"), Qt::LeftButton);
    QCOMPARE(m_openedUrls, QList<QUrl>{QUrl(ProviderTable::traits(LLMProvider::Gemini).keyPage)});
    // Opening reads, it writes nothing.
    QVERIFY(!QFile::exists(m_defaults->filePath()));
    QVERIFY(m_server->requests().isEmpty());
}

void TestSettingsView::providerAndThemeAreStoredAtOnce()
{
    QVERIFY(KeychainHelper::save(KeychainHelper::openRouterAccount, QStringLiteral("or-key")));
    const auto view = makeView();
    QCOMPARE(view->model().key(LLMProvider::OpenRouter), QStringLiteral("or-key"));

    clickSegment(child<SegmentedControl>(*view, "providerPicker"), QStringLiteral("OpenRouter"));
    QCOMPARE(UserDefaults(m_defaults->filePath()).string(Preferences::selectedProvider), QStringLiteral("OpenRouter"));
    QVERIFY(child<QLineEdit>(*view, "openRouterKeyField")->isVisible());
    QVERIFY(child<QComboBox>(*view, "openRouterModelMenu")->isVisible());
    QVERIFY(!child<QLineEdit>(*view, "geminiKeyField")->isVisible());
    QVERIFY(!child<QComboBox>(*view, "geminiModelMenu")->isVisible());
    QCOMPARE(child<QPushButton>(*view, "keyPageLink")->text(), QStringLiteral("Get OpenRouter Key"));
    // With an empty catalogue the menu offers the stored model alone.
    QCOMPARE(child<QComboBox>(*view, "openRouterModelMenu")->count(), 1);
    QCOMPARE(child<QComboBox>(*view, "openRouterModelMenu")->currentText(), QStringLiteral("openai/o3-mini"));
    QTest::mouseClick(child<QPushButton>(*view, "keyPageLink"), Qt::LeftButton);
    QCOMPARE(m_openedUrls.value(0), QUrl(ProviderTable::traits(LLMProvider::OpenRouter).keyPage));

    clickSegment(child<SegmentedControl>(*view, "themePicker"), QStringLiteral("Dark"));
    QCOMPARE(UserDefaults(m_defaults->filePath()).string(Preferences::appTheme), QStringLiteral("Dark"));
    QCOMPARE(view->model().theme(), AppTheme::Dark);

    // Switching is no reason to ask for the catalogue, and nothing else was stored.
    QTest::qWait(100);
    QVERIFY(m_server->requests().isEmpty());
    QVERIFY(!m_defaults->contains(Preferences::selectedOpenRouterModel));

    // A provider picked elsewhere (the launcher's switcher) shows here too.
    m_defaults->set(Preferences::selectedProvider, QStringLiteral("Gemini"));
    QVERIFY(child<QLineEdit>(*view, "geminiKeyField")->isVisible());
}

void TestSettingsView::saveWritesEverythingAndReRegistersHotkeys()
{
    const auto view = makeView();
    child<QLineEdit>(*view, "geminiKeyField")->setText(QStringLiteral("gem-ключ-🔑"));
    auto *menu = child<QComboBox>(*view, "geminiModelMenu");
    menu->setFocus();
    QTest::keyClick(menu, Qt::Key_Down);
    QCOMPARE(view->model().selectedModel(LLMProvider::Gemini), QStringLiteral("gemini-3.1-flash-lite-preview"));

    // Command-Shift-K for the launch hotkey, through its "Click to change" button.
    QTest::mouseClick(child<QPushButton>(*view, "launchRecorderButton"), Qt::LeftButton);
    QCOMPARE(child<QPushButton>(*view, "launchRecorderButton")->text(), QStringLiteral("Cancel"));
    pressX11Key(view->launchRecorder()->keyView(), x11Keycode(KEY_K), Qt::Key_K, Qt::MetaModifier | Qt::ShiftModifier);
    QCOMPARE(child<QPushButton>(*view, "launchRecorderButton")->text(), QStringLiteral("Click to change"));
    QCOMPARE(view->launchRecorder()->keyView()->displayText(), QStringLiteral("Shift+Super+K"));
    // Nothing is stored or grabbed before Save.
    QCOMPARE(m_hotkeys->binding(HotkeyManager::Hotkey::Launch), HotkeyBinding::builtInLaunch());
    QVERIFY(!m_defaults->contains(Preferences::hotkeyBinding));
    QVERIFY(!KeychainHelper::load(KeychainHelper::geminiAccount));

    QTest::keyClick(view.get(), Qt::Key_Return, Qt::ControlModifier);
    QTRY_COMPARE(view->saveStatusText(), QStringLiteral("Saved!"));

    QCOMPARE(KeychainHelper::load(KeychainHelper::geminiAccount), QStringLiteral("gem-ключ-🔑"));
    // The empty OpenRouter field is stored as typed.
    QCOMPARE(KeychainHelper::load(KeychainHelper::openRouterAccount), QString());
    const UserDefaults stored(m_defaults->filePath());
    QCOMPARE(stored.string(Preferences::selectedGeminiModel), QStringLiteral("gemini-3.1-flash-lite-preview"));
    QCOMPARE(stored.string(Preferences::selectedOpenRouterModel), QStringLiteral("openai/o3-mini"));
    const QVariantMap launch{{QStringLiteral("keyCode"), qint64(40)}, {QStringLiteral("modifiers"), qint64(768)}};
    const QVariantMap screenshot{{QStringLiteral("keyCode"), qint64(1)}, {QStringLiteral("modifiers"), qint64(4352)}};
    QCOMPARE(stored.dictionary(Preferences::hotkeyBinding), launch);
    QCOMPARE(stored.dictionary(Preferences::screenshotHotkeyBinding), screenshot);
    // Provider and theme are not part of Save.
    QVERIFY(!stored.contains(Preferences::selectedProvider));
    QVERIFY(!stored.contains(Preferences::appTheme));

    QCOMPARE(m_hotkeys->binding(HotkeyManager::Hotkey::Launch), (HotkeyBinding{40, 768}));
    QCOMPARE(m_hotkeys->status(HotkeyManager::Hotkey::Launch), HotkeyManager::Status::Active);
    QVERIFY(m_backend->grabbed.contains(HotkeyBinding{40, 768}));
}

void TestSettingsView::dictationChoicesAndTheDictateHotkey()
{
    QVERIFY(KeychainHelper::save(KeychainHelper::transcriptionAccount, QStringLiteral("old-server-key")));
    const auto view = makeView();
    QCOMPARE(child<QLineEdit>(*view, "transcriptionKeyField")->text(), QStringLiteral("old-server-key"));
    auto *recorder = child<HotkeyRecorderView>(*view, "dictateRecorder");
    QCOMPARE(recorder->keyView()->displayText(), QStringLiteral("Not set"));
    QVERIFY(!child<QPushButton>(*view, "dictateRecorderClear")->isEnabled());

    // The engine is stored when picked; the server's rows show only where it may be used.
    auto *engine = child<QComboBox>(*view, "dictationEnginePicker");
    engine->setFocus();
    QTest::keyClick(engine, Qt::Key_End); // Offline
    QCOMPARE(UserDefaults(m_defaults->filePath()).string(Preferences::dictationEngine), QStringLiteral("Offline"));
    QVERIFY(!child<QLineEdit>(*view, "transcriptionServerField")->isVisible());
    QTest::keyClick(engine, Qt::Key_Up); // Transcription server
    QVERIFY(child<QLineEdit>(*view, "transcriptionServerField")->isVisible());

    child<QLineEdit>(*view, "dictationLanguageField")->setText(QStringLiteral(" de-AT "));
    child<QLineEdit>(*view, "transcriptionServerField")->setText(QStringLiteral("http://gpu-box:9000/v1"));
    child<QLineEdit>(*view, "transcriptionModelField")->clear();
    child<QLineEdit>(*view, "transcriptionKeyField")->clear();
    QTest::mouseClick(recorder->keyView(), Qt::LeftButton);
    pressX11Key(recorder->keyView(), x11Keycode(KEY_D), Qt::Key_D, Qt::ControlModifier | Qt::AltModifier);
    QVERIFY(!m_hotkeys->isBound(HotkeyManager::Hotkey::Dictate));
    QTest::mouseClick(child<QPushButton>(*view, "saveButton"), Qt::LeftButton);
    QTRY_COMPARE(view->saveStatusText(), QStringLiteral("Saved!"));

    const UserDefaults stored(m_defaults->filePath());
    QCOMPARE(stored.string(Preferences::dictationLanguage), QStringLiteral("de-AT"));
    QCOMPARE(stored.string(Preferences::transcriptionServerAddress), QStringLiteral("http://gpu-box:9000/v1"));
    // An emptied model field stores the default, not nothing.
    QCOMPARE(stored.string(Preferences::transcriptionModel), Preferences::transcriptionModel.fallback);
    QCOMPARE(KeychainHelper::load(KeychainHelper::transcriptionAccount), QString());
    QVERIFY(m_hotkeys->isBound(HotkeyManager::Hotkey::Dictate));
    QCOMPARE(m_hotkeys->binding(HotkeyManager::Hotkey::Dictate), (HotkeyBinding{2, 6144}));

    QTest::mouseClick(child<QPushButton>(*view, "dictateRecorderClear"), Qt::LeftButton);
    QCOMPARE(recorder->keyView()->displayText(), QStringLiteral("Not set"));
    QTest::mouseClick(child<QPushButton>(*view, "saveButton"), Qt::LeftButton);
    QTRY_VERIFY(!m_hotkeys->isBound(HotkeyManager::Hotkey::Dictate));
    QVERIFY(!UserDefaults(m_defaults->filePath()).contains(Preferences::dictateHotkeyBinding));
}

void TestSettingsView::hotkeyThatCannotBeRegisteredIsShown()
{
    m_backend->takenByOthers << HotkeyBinding{3, 4096};
    const auto view = makeView();
    auto *problem = child<QLabel>(*view, "screenshotHotkeyProblem");
    QTest::mouseClick(view->screenshotRecorder()->keyView(), Qt::LeftButton);
    QVERIFY(view->screenshotRecorder()->isRecording());
    pressX11Key(view->screenshotRecorder()->keyView(), x11Keycode(KEY_F), Qt::Key_F, Qt::ControlModifier);
    QVERIFY(!problem->isVisible());

    QTest::mouseClick(child<QPushButton>(*view, "saveButton"), Qt::LeftButton);
    QCOMPARE(m_hotkeys->status(HotkeyManager::Hotkey::Screenshot), HotkeyManager::Status::Taken);
    QVERIFY(problem->isVisible());
    QCOMPARE(
        problem->text(),
        QStringLiteral("Ctrl+F is taken by another program, often the window manager: choose another combination."));
    QVERIFY(!child<QLabel>(*view, "launchHotkeyProblem")->isVisible());
    // The store worked, so Save says so; the hotkey's trouble is told beside it.
    QTRY_COMPARE(view->saveStatusText(), QStringLiteral("Saved!"));

    // A new recording has not been tried yet: the warning goes with the old binding.
    view->screenshotRecorder()->setRecording(true);
    pressX11Key(view->screenshotRecorder()->keyView(), x11Keycode(KEY_G), Qt::Key_G, Qt::ControlModifier);
    QVERIFY(!problem->isVisible());
}

void TestSettingsView::withoutGlobalGrabsTheDesktopShortcutIsSuggested()
{
    HotkeyManager hotkeys([] {}, *m_defaults, std::make_unique<NullHotkeyBackend>());
    hotkeys.registerHotkeys();
    SettingsView view(*m_defaults, KeyStore::system(), *m_presets, &hotkeys);
    view.show();
    QCOMPARE(child<QLabel>(view, "launchHotkeyProblem")->text(),
             QStringLiteral("Global hotkeys do not work in this session: bind \"tarnwick --toggle\" in your desktop's "
                            "keyboard settings."));
    QVERIFY(child<QLabel>(view, "screenshotHotkeyProblem")->text().contains(QStringLiteral("tarnwick --screenshot")));
}

void TestSettingsView::fetchSelectsFirstAndCaches()
{
    m_defaults->set(Preferences::selectedProvider, QStringLiteral("OpenRouter"));
    m_defaults->set(Preferences::selectedOpenRouterModel, QStringLiteral("openai/o3-mini"));
    QVERIFY(KeychainHelper::save(KeychainHelper::openRouterAccount, QStringLiteral("sk-or-1")));
    m_server->enqueue(ScriptedResponse::withBody(
        200, catalogue({QStringLiteral("zeta/z"), QStringLiteral("b/x"), QStringLiteral("a/y")}), 0, 300,
        "application/json"));

    // Opening with OpenRouter asks at once; the spinner stands in for the button meanwhile.
    const auto view = makeView();
    QVERIFY(view->model().isLoadingModels(LLMProvider::OpenRouter));
    QVERIFY(!child<QToolButton>(*view, "refreshModelsButton")->isVisible());
    QTRY_VERIFY(!view->model().isLoadingModels(LLMProvider::OpenRouter));
    QVERIFY(child<QToolButton>(*view, "refreshModelsButton")->isVisible());
    QCOMPARE(m_server->requests().size(), 1);
    QCOMPARE(m_server->requests().first().path, QByteArray("/api/v1/models"));
    QCOMPARE(m_server->requests().first().header("Authorization"), QByteArray("Bearer sk-or-1"));

    const QStringList sorted{QStringLiteral("a/y"), QStringLiteral("b/x"), QStringLiteral("zeta/z")};
    QCOMPARE(view->model().models(LLMProvider::OpenRouter), sorted);
    auto *menu = child<QComboBox>(*view, "openRouterModelMenu");
    QCOMPARE(menu->count(), 3);
    QCOMPARE(menu->currentText(), QStringLiteral("a/y"));
    const UserDefaults stored(m_defaults->filePath());
    QCOMPARE(stored.stringList(Preferences::cachedOpenRouterModels), sorted);
    QCOMPARE(stored.string(Preferences::selectedOpenRouterModel), QStringLiteral("openai/o3-mini"));

    // Every change of the key asks again with the key as typed; a list that
    // holds the selection keeps it.
    menu->setFocus();
    QTest::keyClick(menu, Qt::Key_Down);
    QCOMPARE(view->model().selectedModel(LLMProvider::OpenRouter), QStringLiteral("b/x"));
    m_server->enqueue(ScriptedResponse::withBody(200, catalogue({QStringLiteral("b/x"), QStringLiteral("c/w")}), 0, 0,
                                                 "application/json"));
    child<QLineEdit>(*view, "openRouterKeyField")->setText(QStringLiteral("sk-or-2"));
    QTRY_COMPARE(view->model().models(LLMProvider::OpenRouter).size(), 2);
    QCOMPARE(m_server->requests().last().header("Authorization"), QByteArray("Bearer sk-or-2"));
    QCOMPARE(view->model().selectedModel(LLMProvider::OpenRouter), QStringLiteral("b/x"));

    QTest::mouseClick(child<QPushButton>(*view, "saveButton"), Qt::LeftButton);
    QCOMPARE(UserDefaults(m_defaults->filePath()).string(Preferences::selectedOpenRouterModel), QStringLiteral("b/x"));
}

void TestSettingsView::unsavedEditsSurviveClosing()
{
    SettingsWindow window(*m_defaults, KeyStore::system(), *m_presets, m_hotkeys.get());
    SettingsView *view = window.view();
    QCOMPARE(window.size(), QSize(540, 460));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    child<QLineEdit>(window, "geminiKeyField")->setText(QStringLiteral("typed-not-saved"));
    view->launchRecorder()->setRecording(true);
    pressX11Key(view->launchRecorder()->keyView(), x11Keycode(KEY_K), Qt::Key_K, Qt::AltModifier | Qt::ControlModifier);
    // Closing mid-recording gives the keyboard back and keeps the old binding.
    view->screenshotRecorder()->setRecording(true);

    window.close();
    QVERIFY(!view->screenshotRecorder()->isRecording());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(child<QLineEdit>(window, "geminiKeyField")->text(), QStringLiteral("typed-not-saved"));
    QCOMPARE(view->launchRecorder()->keyView()->displayText(), QStringLiteral("Ctrl+Alt+K"));
    QCOMPARE(view->screenshotRecorder()->keyView()->displayText(), QStringLiteral("Ctrl+Super+S"));
    QVERIFY(!KeychainHelper::load(KeychainHelper::geminiAccount));
    QCOMPARE(m_hotkeys->binding(HotkeyManager::Hotkey::Launch), HotkeyBinding::builtInLaunch());
}

void TestSettingsView::savedConfirmationGoesAfterFirstPress()
{
    const auto view = makeView();
    QVERIFY(!view->savedConfirmation());
    QTest::mouseClick(child<QPushButton>(*view, "saveButton"), Qt::LeftButton);
    QTRY_VERIFY(view->savedConfirmation());
    QTRY_VERIFY_WITH_TIMEOUT(!view->savedConfirmation(), 5000);
    QTRY_VERIFY(view->saveStatusText().isEmpty());

    // Each press schedules its own reset and none is cancelled.
    QTest::mouseClick(child<QPushButton>(*view, "saveButton"), Qt::LeftButton);
    QTest::qWait(1000);
    QTest::mouseClick(child<QPushButton>(*view, "saveButton"), Qt::LeftButton);
    QTRY_VERIFY(view->savedConfirmation());
    QTRY_VERIFY_WITH_TIMEOUT(!view->savedConfirmation(), 1000);
}

void TestSettingsView::localServerSettingsPersistAcrossARestart()
{
    const QString address = m_server->baseUrl() + QStringLiteral("/v1");
    m_server->enqueue(ScriptedResponse::withBody(
        200,
        R"({"object":"list","data":[{"id":"qwen3:8b","object":"model","created":1754524122,"owned_by":"library"},)"
        R"({"id":"llama3.2:latest","object":"model","created":1733486061,"owned_by":"library"}]})",
        0, 0, "application/json"));
    {
        const auto view = makeView();
        QCOMPARE(child<SegmentedControl>(*view, "providerPicker")->labels(),
                 (QStringList{"Gemini", "OpenRouter", "Local"}));
        QLineEdit *addressField = child<QLineEdit>(*view, "localAddressField");
        QCOMPARE(addressField->text(), QStringLiteral("http://localhost:11434/v1"));
        addressField->setText(address);
        clickSegment(child<SegmentedControl>(*view, "providerPicker"), QStringLiteral("Local"));
        QCOMPARE(m_defaults->string(Preferences::selectedProvider), QStringLiteral("Local"));
        QVERIFY(addressField->isVisible());
        QVERIFY(child<QLineEdit>(*view, "localKeyField")->isVisible());
        QVERIFY(!child<QLineEdit>(*view, "openRouterKeyField")->isVisible());
        QVERIFY(!child<QPushButton>(*view, "keyPageLink")->isVisible());

        // Picking the provider asks the server for its models.
        QTRY_COMPARE(view->model().models(LLMProvider::Local), (QStringList{"llama3.2:latest", "qwen3:8b"}));
        QCOMPARE(m_server->requests().first().path, "/v1/models");
        QVERIFY(m_server->requests().first().header("Authorization").isEmpty());
        QCOMPARE(m_defaults->stringList(Preferences::cachedLocalModels), view->model().models(LLMProvider::Local));
        QComboBox *menu = child<QComboBox>(*view, "localModelMenu");
        QCOMPARE(menu->currentText(), QStringLiteral("llama3.2:latest"));
        QVERIFY(view->model().modelsProblem(LLMProvider::Local).isEmpty());
        QVERIFY(!m_defaults->contains(Preferences::selectedLocalModel)); // not before Save

        menu->activated(1);
        QTest::keyClicks(child<QLineEdit>(*view, "localKeyField"), QStringLiteral("lk-1"));
        view->save();
        QTRY_VERIFY(view->savedConfirmation());
    }
    QCOMPARE(KeychainHelper::load(KeychainHelper::localAccount), QStringLiteral("lk-1"));

    // The next start reads the same file and keyring.
    m_defaults = std::make_unique<UserDefaults>(m_defaults->filePath());
    m_server->enqueue(
        ScriptedResponse::withBody(200, R"({"object":"list","data":[{"id":"qwen3:8b"}]})", 0, 0, "application/json"));
    const auto reopened = makeView();
    QCOMPARE(reopened->model().provider(), LLMProvider::Local);
    QCOMPARE(child<QLineEdit>(*reopened, "localAddressField")->text(), address);
    QCOMPARE(reopened->model().key(LLMProvider::Local), QStringLiteral("lk-1"));
    QCOMPARE(reopened->model().selectedModel(LLMProvider::Local), QStringLiteral("qwen3:8b"));
    QCOMPARE(child<QComboBox>(*reopened, "localModelMenu")->currentText(), QStringLiteral("qwen3:8b"));
    // Opening with Local picked asks again, now with the stored key.
    QTRY_COMPARE(m_server->requests().size(), 2);
    QCOMPARE(m_server->requests().last().header("Authorization"), "Bearer lk-1");
}

// Edits in Settings reach the file at once; a clash is told and changes nothing.
void TestSettingsView::settingsEditsPresets()
{
    const QString path = m_home->configHome() + QStringLiteral("/Tarnwick/presets.json");
    PresetStore store(path);
    PresetsPage page(store);
    QCOMPARE(page.list()->count(), 4);
    page.list()->setCurrentRow(1);
    auto *name = page.findChildren<QLineEdit *>().at(0);
    QCOMPARE(name->text(), QStringLiteral("explain"));
    name->setText(QStringLiteral("eli5"));
    page.findChildren<QPlainTextEdit *>().at(0)->setPlainText(QStringLiteral("Explain it simply."));
    page.findChild<QComboBox *>()->setCurrentText(QStringLiteral("OpenRouter"));
    page.savePreset();
    QVERIFY(page.problemText().isEmpty());
    const std::optional<Preset> saved = PresetStore(path).find(QStringLiteral("eli5"));
    QVERIFY(saved);
    QCOMPARE(saved->instructions, QStringLiteral("Explain it simply."));
    QCOMPARE(saved->provider, QStringLiteral("OpenRouter"));
    QCOMPARE(saved->promptTemplate, QStringLiteral("Explain this:\n\n{selection}"));
    QCOMPARE(page.list()->currentItem()->text(), QStringLiteral("/eli5"));

    name->setText(QStringLiteral("fix"));
    page.savePreset();
    QVERIFY(page.problemText().contains(QStringLiteral("already a preset named fix")));
    page.list()->setCurrentRow(0);
    page.deletePreset();
    QCOMPARE(PresetStore(path).names(), (QStringList{"eli5", "translate", "summarize"}));
}

void TestSettingsView::keyCapture_data()
{
    QTest::addColumn<quint32>("x11Keycode");
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("stillRecording");
    QTest::addColumn<quint32>("keyCode");
    QTest::addColumn<quint32>("stored");
    QTest::addColumn<QString>("shown");

    const int none = Qt::NoModifier;
    // The old binding is Alt+Space.
    QTest::newRow("K alone is ignored") << x11Keycode(KEY_K) << int(Qt::Key_K) << none << true << 49u << 2048u << "";
    QTest::newRow("Command-Shift-K records 40 with 768")
        << x11Keycode(KEY_K) << int(Qt::Key_K) << int(Qt::MetaModifier | Qt::ShiftModifier) << false << 40u << 768u
        << "Shift+Super+K";
    QTest::newRow("Control-Command-S records 1 with 4352")
        << x11Keycode(KEY_S) << int(Qt::Key_S) << int(Qt::ControlModifier | Qt::MetaModifier) << false << 1u << 4352u
        << "Ctrl+Super+S";
    QTest::newRow("Esc alone cancels, the old binding stays")
        << x11Keycode(KEY_ESC) << int(Qt::Key_Escape) << none << false << 49u << 2048u << "Alt+Space";
    QTest::newRow("Command-Esc is recorded")
        << x11Keycode(KEY_ESC) << int(Qt::Key_Escape) << int(Qt::MetaModifier) << false << 53u << 256u << "Super+Esc";
    QTest::newRow("the keypad flag is no modifier")
        << x11Keycode(KEY_F5) << int(Qt::Key_F5) << int(Qt::KeypadModifier) << true << 49u << 2048u << "";
    QTest::newRow("Control-F5 records 96 with 4096")
        << x11Keycode(KEY_F5) << int(Qt::Key_F5) << int(Qt::ControlModifier) << false << 96u << 4096u << "Ctrl+F5";
    QTest::newRow("Shift pressed while Control is held is no combination yet")
        << x11Keycode(KEY_LEFTSHIFT) << int(Qt::Key_Shift) << int(Qt::ControlModifier) << true << 49u << 2048u << "";
    QTest::newRow("a key without a code is ignored")
        << 0u << int(Qt::Key_K) << int(Qt::ControlModifier) << true << 49u << 2048u << "";
}

void TestSettingsView::keyCapture()
{
    QFETCH(quint32, x11Keycode);
    QFETCH(int, qtKey);
    QFETCH(int, modifiers);
    QFETCH(bool, stillRecording);
    QFETCH(quint32, keyCode);
    QFETCH(quint32, stored);
    QFETCH(QString, shown);

    HotkeyRecorderView recorder;
    recorder.show();
    QVERIFY(QTest::qWaitForWindowExposed(&recorder));
    recorder.setRecording(true);
    QCOMPARE(recorder.keyView()->displayText(), QStringLiteral("Press keys… (Esc to cancel)"));

    pressX11Key(recorder.keyView(), x11Keycode, Qt::Key(qtKey), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(recorder.isRecording(), stillRecording);
    QCOMPARE(recorder.keyView()->isRecording(), stillRecording);
    QCOMPARE(recorder.keyCode(), keyCode);
    QCOMPARE(recorder.modifiers(), stored);
    if (!stillRecording)
        QCOMPARE(recorder.keyView()->displayText(), shown);
}

void TestSettingsView::clickAndButtonBothStartRecording()
{
    HotkeyRecorderView recorder;
    recorder.show();
    QVERIFY(QTest::qWaitForWindowExposed(&recorder));

    QTest::mouseClick(recorder.keyView(), Qt::LeftButton);
    QVERIFY(recorder.isRecording());
    QVERIFY(recorder.keyView()->hasFocus() || !recorder.isActiveWindow());
    // A second click while recording changes nothing.
    QTest::mouseClick(recorder.keyView(), Qt::LeftButton);
    QVERIFY(recorder.isRecording());
    recorder.setRecording(false);
    QVERIFY(!recorder.keyView()->isRecording());
    QCOMPARE(recorder.keyView()->displayText(), QStringLiteral("Alt+Space"));

    // As the "Click to change" button does: the very next combination counts.
    recorder.setRecording(true);
    pressX11Key(recorder.keyView(), x11Keycode(KEY_K), Qt::Key_K, Qt::AltModifier);
    QCOMPARE(recorder.keyCode(), 40u);
    QCOMPARE(recorder.modifiers(), 2048u);
    QVERIFY(!recorder.isRecording());

    // Idle, keys change nothing.
    pressX11Key(recorder.keyView(), x11Keycode(KEY_S), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(recorder.keyCode(), 40u);
}

QTEST_MAIN(TestSettingsView)
#include "tst_settingsview.moc"
