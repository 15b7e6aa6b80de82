#include "settings/SettingsView.h"

#include "core/ModelNames.h"
#include "llm/LLMClient.h"
#include "llm/LLMProvider.h"
#include "llm/ServerAddress.h"
#include "platform/HotkeyBinding.h"
#include "platform/Logging.h"
#include "platform/Preferences.h"
#include "platform/UserDefaults.h"
#include "presets/PresetStore.h"
#include "services/HotkeyManager.h"
#include "services/KeychainHelper.h"
#include "settings/FormSection.h"
#include "settings/HotkeyRecorderView.h"
#include "settings/PresetsPage.h"
#include "settings/SaveStatusView.h"
#include "settings/SegmentedControl.h"
#include "settings/SpinnerView.h"
#include "ui/PaletteFollower.h"
#include "ui/PixelFont.h"
#include "ui/SettingsColors.h"
#include "ui/SettingsSymbols.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QtConcurrent/QtConcurrentRun>
#include <QToolButton>
#include <QUrl>

namespace {

constexpr int kWidth = 540;
constexpr int kHeight = 460;
constexpr int kControlWidth = 240;
constexpr int kModelMenuWidth = 200;

const QStringList kKeyAccounts = {KeychainHelper::geminiAccount, KeychainHelper::openRouterAccount,
                                  KeychainHelper::localAccount};

QStringList themeLabels()
{
    QStringList labels;
    for (AppTheme theme : allAppThemes())
        labels << rawValue(theme);
    return labels;
}

QStringList providerLabels()
{
    QStringList labels;
    for (LLMProvider provider : allLLMProviders())
        labels << rawValue(provider);
    return labels;
}

QWidget *divider(QWidget *parent)
{
    auto *line = new QWidget(parent);
    line->setObjectName(QStringLiteral("divider"));
    line->setFixedHeight(1);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, SettingsColors::separator(parent));
    line->setPalette(palette);
    return line;
}

QLineEdit *keyField(const QString &placeholder, const QString &objectName, QWidget *parent)
{
    auto *field = new QLineEdit(parent);
    field->setObjectName(objectName);
    field->setEchoMode(QLineEdit::Password);
    field->setPlaceholderText(placeholder);
    field->setFixedWidth(kControlWidth);
    // The square border of a plain text box.
    field->setStyleSheet(QStringLiteral("QLineEdit { border: 1px solid palette(mid); border-radius: 0; "
                                        "padding: 2px 4px; background: palette(base); }"));
    return field;
}

} // namespace

SettingsView::SettingsView(HotkeyManager *hotkeys, QWidget *parent)
    : SettingsView(UserDefaults::standard(), hotkeys, parent)
{
}

SettingsView::SettingsView(UserDefaults &defaults, HotkeyManager *hotkeys, QWidget *parent)
    : SettingsView(defaults, KeyStore::system(), hotkeys, parent)
{
}

SettingsView::SettingsView(UserDefaults &defaults, KeyStore &keys, HotkeyManager *hotkeys, QWidget *parent)
    : QWidget(parent)
    , m_defaults(defaults)
    , m_keys(keys)
    , m_hotkeys(hotkeys)
    , m_selectedGeminiModel(defaults.text(Preferences::selectedGeminiModel))
    , m_selectedOpenRouterModel(defaults.text(Preferences::selectedOpenRouterModel))
    , m_selectedLocalModel(defaults.text(Preferences::selectedLocalModel))
{
    setFixedSize(kWidth, kHeight);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildHeader());
    layout->addWidget(divider(this));
    layout->addWidget(buildForm(), 1);
    layout->addWidget(divider(this));
    layout->addWidget(buildFooter());

    readStoredKeys();

    const HotkeyBinding launch =
        HotkeyBinding::load(defaults, Preferences::hotkeyBinding, HotkeyBinding::builtInLaunch());
    const HotkeyBinding screenshot =
        HotkeyBinding::load(defaults, Preferences::screenshotHotkeyBinding, HotkeyBinding::builtInScreenshot());
    m_launchRecorder->setBinding(launch.keyCode, launch.modifiers);
    m_screenshotRecorder->setBinding(screenshot.keyCode, screenshot.modifiers);

    auto *saveShortcut = new QShortcut(QKeySequence(Qt::ControlModifier | Qt::Key_Return), this);
    auto *keypadSaveShortcut =
        new QShortcut(QKeySequence(Qt::ControlModifier | Qt::KeypadModifier | Qt::Key_Enter), this);
    for (QShortcut *shortcut : {saveShortcut, keypadSaveShortcut}) {
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, &SettingsView::save);
    }

    // Provider and theme are bound to the preferences: a change made
    // elsewhere (the launcher's model switcher) shows here too.
    connect(&m_defaults, &UserDefaults::changed, this, [this](const QString &key) {
        if (key == Preferences::selectedProvider)
            showProviderRows();
        else if (key == Preferences::appTheme)
            showStoredTheme();
    });
    if (m_hotkeys)
        connect(m_hotkeys.data(), &HotkeyManager::statusChanged, this, &SettingsView::showHotkeyProblems);
    if (m_hotkeys)
        connect(m_hotkeys.data(), &HotkeyManager::bindingChanged, this, &SettingsView::showHotkeyProblems);
    connect(m_launchRecorder, &HotkeyRecorderView::bindingChanged, this, &SettingsView::showHotkeyProblems);
    connect(m_screenshotRecorder, &HotkeyRecorderView::bindingChanged, this, &SettingsView::showHotkeyProblems);

    showProviderRows();
    showStoredTheme();
    showOpenRouterModels();
    showModelsLoading();
    showLocalModels();
    showLocalModelsLoading();
    showHotkeyProblems();
    takeColoursFromPalette();
    new PaletteFollower(this, [this] { takeColoursFromPalette(); });
}

QString SettingsView::geminiKeyPage()
{
    return QStringLiteral("https://aistudio.google.com/apikey");
}

QString SettingsView::openRouterKeyPage()
{
    return QStringLiteral("https://openrouter.ai/keys");
}

QWidget *SettingsView::buildHeader()
{
    auto *header = new QWidget(this);
    auto *layout = new QHBoxLayout(header);
    layout->setContentsMargins(24, 22, 24, 18);
    layout->setSpacing(10);
    auto *mark = new QLabel(header);
    mark->setPixmap(settingsSymbol(QStringLiteral("bolt.leaf.fill"), 20, {}, devicePixelRatioF()));
    auto *title = new QLabel(QStringLiteral("Tarnwick Settings"), header);
    usePixelFont(title, 16, QFont::DemiBold);
    layout->addWidget(mark);
    layout->addWidget(title);
    layout->addStretch(1);
    return header;
}

QWidget *SettingsView::buildForm()
{
    auto *scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setMinimumHeight(280);
    auto *form = new QWidget(scroll);
    form->setObjectName(QStringLiteral("settingsForm"));
    auto *layout = new QVBoxLayout(form);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->setSpacing(18);
    layout->addWidget(buildApiSection(form));
    layout->addWidget(buildHotkeySection(form));
    layout->addWidget(new PresetsPage(PresetStore::standard(), form));
    layout->addStretch(1);
    scroll->setWidget(form);
    scroll->viewport()->setAutoFillBackground(false);
    form->setAutoFillBackground(false);
    return scroll;
}

FormSection *SettingsView::buildApiSection(QWidget *parent)
{
    auto *section = new FormSection(QStringLiteral("API Configuration"), parent);

    m_providerPicker = new SegmentedControl(providerLabels(), section);
    m_providerPicker->setObjectName(QStringLiteral("providerPicker"));
    m_providerPicker->setFixedWidth(kControlWidth);
    connect(m_providerPicker, &SegmentedControl::activated, this, &SettingsView::pickProvider);
    section->addRow(QStringLiteral("AI Provider"), m_providerPicker);

    m_themePicker = new SegmentedControl(themeLabels(), section);
    m_themePicker->setObjectName(QStringLiteral("themePicker"));
    m_themePicker->setFixedWidth(kControlWidth);
    connect(m_themePicker, &SegmentedControl::activated, this, &SettingsView::pickTheme);
    section->addRow(QStringLiteral("App Theme"), m_themePicker);

    m_geminiKeyField =
        keyField(QStringLiteral("Paste Gemini key here..."), QStringLiteral("geminiKeyField"), section);
    m_geminiKeyRow = section->addRow(QStringLiteral("Gemini API Key"), m_geminiKeyField);
    m_geminiKeyRow->setToolTip(QStringLiteral("Get your key at ") + geminiKeyPage());

    m_geminiModelMenu = new QComboBox(section);
    m_geminiModelMenu->setObjectName(QStringLiteral("geminiModelMenu"));
    m_geminiModelMenu->setFixedWidth(kControlWidth);
    m_geminiModelMenu->addItems(defaultGeminiModels());
    // A stored model the list does not offer shows as no entry and is kept.
    m_geminiModelMenu->setCurrentIndex(m_geminiModelMenu->findText(m_selectedGeminiModel));
    connect(m_geminiModelMenu, &QComboBox::activated, this,
            [this](int index) { m_selectedGeminiModel = m_geminiModelMenu->itemText(index); });
    m_geminiModelRow = section->addRow(QStringLiteral("Default Model"), m_geminiModelMenu);

    m_openRouterKeyField =
        keyField(QStringLiteral("Paste OpenRouter key here..."), QStringLiteral("openRouterKeyField"), section);
    m_openRouterKeyRow = section->addRow(QStringLiteral("OpenRouter API Key"), m_openRouterKeyField);
    m_openRouterKeyRow->setToolTip(QStringLiteral("Get your key at ") + openRouterKeyPage());

    const ModelRow openRouter =
        modelRow(section, QStringLiteral("openRouterModelMenu"), QStringLiteral("refreshModelsButton"),
                 QStringLiteral("Refresh the model list"), &SettingsView::m_selectedOpenRouterModel,
                 &SettingsView::fetchModelsIfPossible);
    m_openRouterModelMenu = openRouter.menu;
    m_spinner = openRouter.spinner;
    m_refreshButton = openRouter.refresh;
    m_openRouterModelRow = openRouter.row;

    buildLocalRows(section);

    m_keyStoreCaption = section->addCaption(QStringLiteral("Reading the keyring…"));
    m_keyStoreCaption->setObjectName(QStringLiteral("keyStoreCaption"));
    return section;
}

void SettingsView::buildLocalRows(FormSection *section)
{
    m_localAddressField = new QLineEdit(section);
    m_localAddressField->setObjectName(QStringLiteral("localAddressField"));
    m_localAddressField->setFixedWidth(kControlWidth);
    m_localAddressField->setPlaceholderText(Preferences::localServerAddress.fallback);
    m_localAddressField->setText(m_defaults.text(Preferences::localServerAddress));
    connect(m_localAddressField, &QLineEdit::editingFinished, this, &SettingsView::fetchLocalModels);
    QWidget *addressRow = section->addRow(QStringLiteral("Server address"), m_localAddressField);
    addressRow->setToolTip(QStringLiteral("The OpenAI-compatible address of a server such as Ollama, llama.cpp, "
                                          "LM Studio or vLLM, ending in /v1"));
    m_localProblem = section->addCaption({});
    m_localProblem->setObjectName(QStringLiteral("localServerProblem"));
    m_localProblem->setWordWrap(true);
    m_plainHttpWarning = section->addCaption({});
    m_plainHttpWarning->setObjectName(QStringLiteral("plainHttpWarning"));
    m_plainHttpWarning->setWordWrap(true);

    m_localKeyField =
        keyField(QStringLiteral("Only if the server asks for one"), QStringLiteral("localKeyField"), section);
    connect(m_localAddressField, &QLineEdit::textChanged, this, &SettingsView::showPlainHttpWarning);
    connect(m_localKeyField, &QLineEdit::textChanged, this, &SettingsView::showPlainHttpWarning);
    QWidget *keyRow = section->addRow(QStringLiteral("API Key (optional)"), m_localKeyField);

    const ModelRow local =
        modelRow(section, QStringLiteral("localModelMenu"), QStringLiteral("refreshLocalModelsButton"),
                 QStringLiteral("Ask the server for its models"), &SettingsView::m_selectedLocalModel,
                 &SettingsView::fetchLocalModels);
    m_localModelMenu = local.menu;
    m_localSpinner = local.spinner;
    m_localRefreshButton = local.refresh;
    m_localRows = {addressRow, keyRow, local.row};
}

// A model menu with a spinner and a refresh button beside it.
SettingsView::ModelRow SettingsView::modelRow(FormSection *section, const QString &menuName, const QString &refreshName,
                                              const QString &refreshTip, QString SettingsView::*selection,
                                              void (SettingsView::*refresh)())
{
    ModelRow row;
    auto *control = new QWidget(section);
    auto *layout = new QHBoxLayout(control);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    row.menu = new QComboBox(control);
    row.menu->setObjectName(menuName);
    row.menu->setFixedWidth(kModelMenuWidth);
    connect(row.menu, &QComboBox::activated, this,
            [this, menu = row.menu, selection](int index) { this->*selection = menu->itemText(index); });
    row.spinner = new SpinnerView(control);
    row.refresh = new QToolButton(control);
    row.refresh->setObjectName(refreshName);
    row.refresh->setAutoRaise(true);
    row.refresh->setToolTip(refreshTip);
    row.refresh->setFixedSize(22, 22);
    connect(row.refresh, &QToolButton::clicked, this, refresh);
    layout->addWidget(row.menu);
    layout->addWidget(row.spinner);
    layout->addWidget(row.refresh);
    row.row = section->addRow(QStringLiteral("Default Model"), control);
    return row;
}

QWidget *SettingsView::hotkeyControl(HotkeyRecorderView *recorder)
{
    auto *control = new QWidget(recorder->parentWidget());
    auto *layout = new QHBoxLayout(control);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    recorder->setParent(control);
    auto *button = new QPushButton(QStringLiteral("Click to change"), control);
    button->setObjectName(recorder->objectName() + QStringLiteral("Button"));
    // A click must leave the keyboard focus to the recorder it starts.
    button->setFocusPolicy(Qt::TabFocus);
    usePixelFont(button, 11);
    connect(button, &QPushButton::clicked, recorder, [recorder] { recorder->setRecording(!recorder->isRecording()); });
    connect(recorder, &HotkeyRecorderView::recordingChanged, button, [button](bool recording) {
        button->setText(recording ? QStringLiteral("Cancel") : QStringLiteral("Click to change"));
    });
    layout->addWidget(recorder);
    layout->addWidget(button);
    return control;
}

FormSection *SettingsView::buildHotkeySection(QWidget *parent)
{
    auto *section = new FormSection(QStringLiteral("Hotkey"), parent);
    const auto problemLabel = [section](const QString &name) {
        QLabel *label = section->addCaption({}, FormSection::Tone::problem);
        label->setObjectName(name);
        label->hide();
        return label;
    };

    const auto mechanismLabel = [section](const QString &name) {
        QLabel *label = section->addCaption({});
        label->setObjectName(name);
        label->hide();
        return label;
    };

    m_launchRecorder = new HotkeyRecorderView(section);
    m_launchRecorder->setObjectName(QStringLiteral("launchRecorder"));
    section->addRow(QStringLiteral("Launch Hotkey"), hotkeyControl(m_launchRecorder));
    m_launchMechanism = mechanismLabel(QStringLiteral("launchHotkeyMechanism"));
    m_launchProblem = problemLabel(QStringLiteral("launchHotkeyProblem"));
    section->addCaption(QStringLiteral("Click the hotkey field, then press your desired key combination (requires at "
                                       "least one of Ctrl, Alt, Shift or Super). Esc cancels."));

    m_screenshotRecorder = new HotkeyRecorderView(section);
    m_screenshotRecorder->setObjectName(QStringLiteral("screenshotRecorder"));
    section->addRow(QStringLiteral("Screenshot Hotkey"), hotkeyControl(m_screenshotRecorder));
    m_screenshotMechanism = mechanismLabel(QStringLiteral("screenshotHotkeyMechanism"));
    m_screenshotProblem = problemLabel(QStringLiteral("screenshotHotkeyProblem"));
    section->addCaption(QStringLiteral("This hotkey works globally. Press it anywhere to hide Tarnwick, crop a "
                                       "region, then it reappears with the screenshot attached."));
    return section;
}

QWidget *SettingsView::buildFooter()
{
    auto *footer = new QWidget(this);
    auto *layout = new QHBoxLayout(footer);
    layout->setContentsMargins(24, 14, 24, 14);
    layout->setSpacing(10);

    m_keyPageLink = new QPushButton(footer);
    m_keyPageLink->setObjectName(QStringLiteral("keyPageLink"));
    m_keyPageLink->setFlat(true);
    m_keyPageLink->setCursor(Qt::PointingHandCursor);
    m_keyPageLink->setStyleSheet(
        QStringLiteral("QPushButton { border: none; padding: 0; color: palette(link); text-align: left; }"
                       "QPushButton:hover { text-decoration: underline; }"));
    connect(m_keyPageLink, &QPushButton::clicked, this, &SettingsView::openKeyPage);

    m_saveStatus = new SaveStatusView(footer);
    m_saveButton = new QPushButton(QStringLiteral("Save"), footer);
    m_saveButton->setObjectName(QStringLiteral("saveButton"));
    m_saveButton->setToolTip(QStringLiteral("Save (%1)")
                                 .arg(QKeySequence(Qt::ControlModifier | Qt::Key_Return)
                                          .toString(QKeySequence::NativeText)));
    const QColor green = SettingsColors::systemGreen(this);
    m_saveButton->setStyleSheet(
        QStringLiteral("QPushButton { background: %1; color: white; border: none; border-radius: 6px; "
                       "padding: 5px 16px; font-weight: 600; }"
                       "QPushButton:hover { background: %2; } QPushButton:pressed { background: %3; }")
            .arg(green.name(), green.lighter(110).name(), green.darker(115).name()));
    connect(m_saveButton, &QPushButton::clicked, this, &SettingsView::save);

    layout->addWidget(m_keyPageLink);
    layout->addStretch(1);
    layout->addWidget(m_saveStatus, 0, Qt::AlignVCenter);
    layout->addWidget(m_saveButton);
    return footer;
}

QString SettingsView::selectedProvider() const
{
    return m_defaults.text(Preferences::selectedProvider);
}

AppTheme SettingsView::appTheme() const
{
    const QString stored = m_defaults.text(Preferences::appTheme);
    return appThemeFromRawValue(stored).value_or(AppTheme::System);
}

QString SettingsView::geminiApiKey() const
{
    return m_geminiKeyField->text();
}

QString SettingsView::openRouterApiKey() const
{
    return m_openRouterKeyField->text();
}

QString SettingsView::localApiKey() const
{
    return m_localKeyField->text();
}

QString SettingsView::localServerAddress() const
{
    const QString typed = m_localAddressField->text().trimmed();
    return typed.isEmpty() ? Preferences::localServerAddress.fallback : typed;
}

QString SettingsView::localServerProblem() const
{
    return m_localProblem->text();
}

bool SettingsView::savedConfirmation() const
{
    return m_saveStatus->savedConfirmation();
}

QString SettingsView::saveStatusText() const
{
    return m_saveStatus->text();
}

void SettingsView::pickProvider(int index)
{
    const QString provider = m_providerPicker->labels().value(index);
    if (!m_defaults.set(Preferences::selectedProvider, provider))
        m_saveStatus->showFailure(QStringLiteral("Could not store the provider in %1.").arg(m_defaults.filePath()));
    showProviderRows();
    // Whether the server answers is worth knowing the moment it is picked.
    if (provider == rawValue(LLMProvider::Local))
        fetchLocalModels();
}

void SettingsView::pickTheme(int index)
{
    const QString theme = m_themePicker->labels().value(index);
    if (!m_defaults.set(Preferences::appTheme, theme))
        m_saveStatus->showFailure(QStringLiteral("Could not store the theme in %1.").arg(m_defaults.filePath()));
    showStoredTheme();
}

void SettingsView::showProviderRows()
{
    const QString provider = selectedProvider();
    m_providerPicker->setCurrentIndex(m_providerPicker->labels().indexOf(provider));
    const bool gemini = provider == rawValue(LLMProvider::Gemini);
    const bool local = provider == rawValue(LLMProvider::Local);
    m_geminiKeyRow->setVisible(gemini);
    m_geminiModelRow->setVisible(gemini);
    m_openRouterKeyRow->setVisible(!gemini && !local);
    m_openRouterModelRow->setVisible(!gemini && !local);
    for (QWidget *row : std::as_const(m_localRows))
        row->setVisible(local);
    m_localProblem->setVisible(local && !m_localProblem->text().isEmpty());
    showPlainHttpWarning();
    m_keyPageLink->setText(QStringLiteral("Get ") + provider + QStringLiteral(" Key"));
    // A server of the user's own has no key page.
    m_keyPageLink->setVisible(!local);
}

void SettingsView::showStoredTheme()
{
    m_themePicker->setCurrentIndex(allAppThemes().indexOf(appTheme()));
}

void SettingsView::openKeyPage()
{
    QDesktopServices::openUrl(QUrl(selectedProvider() == rawValue(LLMProvider::Gemini) ? geminiKeyPage()
                                                                                        : openRouterKeyPage()));
}

void SettingsView::showOpenRouterModels()
{
    const QStringList entries =
        m_openRouterModels.isEmpty() ? QStringList{m_selectedOpenRouterModel} : m_openRouterModels;
    const QSignalBlocker blocker(m_openRouterModelMenu);
    m_openRouterModelMenu->clear();
    m_openRouterModelMenu->addItems(entries);
    m_openRouterModelMenu->setCurrentIndex(entries.indexOf(m_selectedOpenRouterModel));
}

void SettingsView::showModelsLoading()
{
    m_spinner->setVisible(m_isLoadingModels);
    m_refreshButton->setVisible(!m_isLoadingModels);
}

void SettingsView::showLocalModels()
{
    const QStringList entries = m_localModels.isEmpty() ? QStringList{m_selectedLocalModel} : m_localModels;
    const QSignalBlocker blocker(m_localModelMenu);
    m_localModelMenu->clear();
    m_localModelMenu->addItems(entries);
    m_localModelMenu->setCurrentIndex(entries.indexOf(m_selectedLocalModel));
}

void SettingsView::showLocalModelsLoading()
{
    m_localSpinner->setVisible(m_isLoadingLocalModels);
    m_localRefreshButton->setVisible(!m_isLoadingLocalModels);
}

void SettingsView::showLocalServerProblem(const QString &problem)
{
    m_localProblem->setText(problem);
    m_localProblem->setVisible(!problem.isEmpty() && selectedProvider() == rawValue(LLMProvider::Local));
}

void SettingsView::showPlainHttpWarning()
{
    const QString warning =
        ServerAddress::plainHttpWarning(LLMClient::localBaseUrl(localServerAddress()), !localApiKey().isEmpty());
    m_plainHttpWarning->setText(warning);
    m_plainHttpWarning->setVisible(!warning.isEmpty() && selectedProvider() == rawValue(LLMProvider::Local));
}

void SettingsView::fetchLocalModels()
{
    const QString address = ServerAddress::shown(LLMClient::localBaseUrl(localServerAddress()));
    m_isLoadingLocalModels = true;
    showLocalModelsLoading();
    const quint64 request = ++m_localModelsRequest;
    LLMClient::fetchLocalModels(localServerAddress(), localApiKey(), this,
                                [this, address, request](const LLMClient::ModelList &result) {
        // An answer about an address typed before is of no use any more.
        if (request != m_localModelsRequest)
            return;
        m_isLoadingLocalModels = false;
        showLocalModelsLoading();
        if (result.error) {
            showLocalServerProblem(result.error->errorDescription());
            return;
        }
        if (result.models.isEmpty()) {
            showLocalServerProblem(
                QStringLiteral("The server at %1 offers no models yet. Download or load one, then refresh.").arg(address));
            return;
        }
        showLocalServerProblem({});
        m_localModels = result.models;
        m_defaults.set(Preferences::cachedLocalModels, m_localModels);
        // The new selection is stored by Save.
        if (!m_localModels.contains(m_selectedLocalModel))
            m_selectedLocalModel = m_localModels.first();
        showLocalModels();
    });
}

void SettingsView::fetchModelsIfPossible()
{
    const QString key = openRouterApiKey();
    if (key.isEmpty())
        return;
    m_isLoadingModels = true;
    showModelsLoading();
    // Neither cancelled nor merged: the last answer to arrive sets the list,
    // the first one clears the spinner.
    LLMClient::fetchOpenRouterModels(key, this, [this](const LLMClient::ModelList &result) {
        if (!result.error && !result.models.isEmpty()) {
            m_openRouterModels = result.models;
            m_defaults.set(Preferences::cachedOpenRouterModels, m_openRouterModels);
            // The new selection is stored by Save.
            if (!m_openRouterModels.contains(m_selectedOpenRouterModel))
                m_selectedOpenRouterModel = m_openRouterModels.first();
            showOpenRouterModels();
        }
        m_isLoadingModels = false;
        showModelsLoading();
    });
}

// The keyring may take seconds (an unlock prompt, a service that hangs): the
// keys are read on a worker thread and the window stays usable meanwhile.
void SettingsView::readStoredKeys()
{
    m_keysRead = new QFutureWatcher<StoredKeys>(this);
    connect(m_keysRead, &QFutureWatcher<StoredKeys>::finished, this, &SettingsView::showStoredKeys);
    m_keysRead->setFuture(QtConcurrent::run([&store = m_keys] {
        StoredKeys keys;
        for (const QString &account : kKeyAccounts)
            keys.lookups.insert(account, store.lookup(account));
        keys.storeDescription = store.description();
        return keys;
    }));
}

void SettingsView::showStoredKeys()
{
    m_storedKeys = m_keysRead->result();
    QStringList problems;
    for (const QString &account : kKeyAccounts) {
        const KeyStore::Lookup &found = m_storedKeys->lookups.value(account);
        QLineEdit *field = fieldForAccount(account);
        // What the user typed meanwhile stays.
        if (field->text().isEmpty() && found.value) {
            const QSignalBlocker quiet(field);
            field->setText(*found.value);
        }
        if (!found.problem.isEmpty() && !problems.contains(found.problem))
            problems << found.problem;
    }
    QString caption = m_storedKeys->storeDescription;
    if (!problems.isEmpty())
        caption += QStringLiteral("\nThe stored keys could not be read: ") + problems.join(QLatin1Char(' '));
    m_keyStoreCaption->setText(caption);
    connect(m_openRouterKeyField, &QLineEdit::textChanged, this, &SettingsView::fetchModelsIfPossible);
    if (isVisible())
        fetchProviderModels();
    EventTrace::note("settings-keys-read");
}

QLineEdit *SettingsView::fieldForAccount(const QString &account) const
{
    if (account == KeychainHelper::geminiAccount)
        return m_geminiKeyField;
    return account == KeychainHelper::localAccount ? m_localKeyField : m_openRouterKeyField;
}

void SettingsView::save()
{
    if (!m_storedKeys) {
        // Saved at once after opening: what is stored must be known before it is replaced.
        m_keysRead->waitForFinished();
        showStoredKeys();
    }
    QStringList failures;
    const auto storeKey = [this, &failures](const QString &account, const QString &value, const QString &name) {
        // A key that could not be read is not wiped by its empty field.
        if (value.isEmpty() && !m_storedKeys->lookups.value(account).problem.isEmpty())
            return;
        const Result<> saved = m_keys.save(account, value);
        if (saved) {
            m_storedKeys->lookups[account] = {value, {}};
            return;
        }
        failures << QStringLiteral("Could not store the %1 key: %2").arg(name, saved.message());
    };
    storeKey(KeychainHelper::geminiAccount, geminiApiKey(), QStringLiteral("Gemini"));
    storeKey(KeychainHelper::openRouterAccount, openRouterApiKey(), QStringLiteral("OpenRouter"));
    storeKey(KeychainHelper::localAccount, localApiKey(), QStringLiteral("Local"));

    const HotkeyBinding launch{m_launchRecorder->keyCode(), m_launchRecorder->modifiers()};
    const HotkeyBinding screenshot{m_screenshotRecorder->keyCode(), m_screenshotRecorder->modifiers()};
    // Every write is tried, whatever failed before it.
    bool preferencesStored = m_defaults.set(Preferences::selectedGeminiModel, m_selectedGeminiModel);
    preferencesStored = m_defaults.set(Preferences::selectedOpenRouterModel, m_selectedOpenRouterModel)
                        && preferencesStored;
    preferencesStored = m_defaults.set(Preferences::selectedLocalModel, m_selectedLocalModel) && preferencesStored;
    preferencesStored = m_defaults.set(Preferences::localServerAddress, localServerAddress()) && preferencesStored;
    preferencesStored = launch.store(m_defaults, Preferences::hotkeyBinding) && preferencesStored;
    preferencesStored = screenshot.store(m_defaults, Preferences::screenshotHotkeyBinding) && preferencesStored;
    if (!preferencesStored)
        failures << QStringLiteral("Could not write the preferences file %1.").arg(m_defaults.filePath());

    if (m_hotkeys) {
        m_hotkeys->update(launch.keyCode, launch.modifiers);
        m_hotkeys->updateScreenshot(screenshot.keyCode, screenshot.modifiers);
    }
    showHotkeyProblems();
    // The keyring may have come or gone since the window was opened.
    m_keyStoreCaption->setText(m_keys.description());

    if (failures.isEmpty()) {
        m_saveStatus->showSaved();
        EventTrace::note("settings-saved");
    } else {
        m_saveStatus->showFailure(failures.join(QLatin1Char('\n')));
        EventTrace::note("settings-save-failed");
    }
}

void SettingsView::showHotkeyProblems()
{
    const auto show = [this](HotkeyManager::Hotkey hotkey, HotkeyRecorderView *recorder, QLabel *mechanismLabel,
                             QLabel *label) {
        QString problem;
        QString mechanism;
        // Only about the binding in force: an unsaved recording has not been tried.
        if (m_hotkeys && m_hotkeys->binding(hotkey) == HotkeyBinding{recorder->keyCode(), recorder->modifiers()}) {
            problem = m_hotkeys->statusText(hotkey);
            mechanism = hotkeyMechanismText(hotkey);
        }
        mechanismLabel->setText(mechanism);
        mechanismLabel->setVisible(!mechanism.isEmpty());
        label->setText(problem);
        label->setVisible(!problem.isEmpty());
        if (!problem.isEmpty())
            EventTrace::note(("settings-hotkey-problem " + recorder->objectName().toUtf8()).constData());
    };
    show(HotkeyManager::Hotkey::launch, m_launchRecorder, m_launchMechanism, m_launchProblem);
    show(HotkeyManager::Hotkey::screenshot, m_screenshotRecorder, m_screenshotMechanism, m_screenshotProblem);
}

QString SettingsView::hotkeyMechanismText(HotkeyManager::Hotkey hotkey) const
{
    switch (m_hotkeys->mechanism(hotkey)) {
    case HotkeyBackend::Mechanism::desktopShortcut:
        return QStringLiteral("Desktop shortcut: %1").arg(m_hotkeys->triggerText(hotkey));
    case HotkeyBackend::Mechanism::ownGrab:
        return QStringLiteral("Grabbed by Tarnwick");
    case HotkeyBackend::Mechanism::none:
        break;
    }
    switch (m_hotkeys->status(hotkey)) {
    case HotkeyManager::Status::pending:
        return QStringLiteral("Waiting for the desktop to grant it…");
    case HotkeyManager::Status::notRegistered:
        return {};
    default:
        return QStringLiteral("Not available");
    }
}

void SettingsView::recordLaunchHotkey()
{
    if (auto *scroll = findChild<QScrollArea *>())
        scroll->ensureWidgetVisible(m_launchRecorder);
    m_launchRecorder->setFocus(Qt::OtherFocusReason);
    m_launchRecorder->setRecording(true);
}

// Where the controls a system test clicks are, relative to the window.
void SettingsView::traceControlPositions()
{
    if (!EventTrace::enabled())
        return;
    for (QWidget *control : {static_cast<QWidget *>(m_launchRecorder), static_cast<QWidget *>(m_screenshotRecorder),
                             static_cast<QWidget *>(m_saveButton)}) {
        const QPoint centre = control->mapTo(window(), control->rect().center());
        const QByteArray name = "settings-control " + control->objectName().toUtf8();
        EventTrace::note((name + "-x " + QByteArray::number(centre.x())).constData());
        EventTrace::note((name + "-y " + QByteArray::number(centre.y())).constData());
    }
}

// The desktop switched between light and dark: what took its colours from the
// palette when built takes them again (style sheets resolve palette() once).
void SettingsView::takeColoursFromPalette()
{
    for (QWidget *child : findChildren<QWidget *>()) {
        if (child->styleSheet().contains(QLatin1String("palette(")))
            child->setStyleSheet(child->styleSheet());
        if (child->objectName() == QLatin1String("divider")) {
            QPalette palette = child->palette();
            palette.setColor(QPalette::Window, SettingsColors::separator(this));
            child->setPalette(palette);
        }
    }
    for (QToolButton *button : {m_refreshButton, m_localRefreshButton}) {
        if (button)
            button->setIcon(QIcon(settingsSymbol(QStringLiteral("arrow.triangle.2.circlepath"), 16,
                                                 SettingsColors::secondaryLabel(this), devicePixelRatioF())));
    }
}

void SettingsView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    traceControlPositions();
    // Until the keys are read, the lists wait for them.
    if (!event->spontaneous() && m_storedKeys)
        fetchProviderModels();
}

void SettingsView::fetchProviderModels()
{
    if (selectedProvider() == rawValue(LLMProvider::OpenRouter))
        fetchModelsIfPossible();
    if (selectedProvider() == rawValue(LLMProvider::Local))
        fetchLocalModels();
}
