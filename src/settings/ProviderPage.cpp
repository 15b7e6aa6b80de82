// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ProviderPage.h"

#include "core/SettingsModel.h"
#include "llm/ProviderTable.h"
#include "platform/Preferences.h"
#include "settings/SegmentedControl.h"
#include "settings/SpinnerView.h"
#include "ui/SettingsColors.h"
#include "ui/SettingsSymbols.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QToolButton>

namespace {

constexpr int kControlWidth = 240;
constexpr int kModelMenuWidth = 200;

QStringList providerLabels()
{
    QStringList labels;
    for (LLMProvider provider : allLLMProviders())
        labels << ProviderTable::traits(provider).displayName;
    return labels;
}

QStringList themeLabels()
{
    QStringList labels;
    for (AppTheme theme : allValues<AppTheme>())
        labels << rawValue(theme);
    return labels;
}

// The provider's name as the start of an object name: "openRouter".
QString objectStem(LLMProvider provider)
{
    QString stem = rawValue(provider);
    stem[0] = stem[0].toLower();
    return stem;
}

} // namespace

ProviderPage::ProviderPage(SettingsModel &model, QWidget *parent)
    : FormSection(QStringLiteral("API Configuration"), parent)
    , m_model(model)
{
    addPickers();
    addCloudRows(LLMProvider::Gemini);
    addCloudRows(LLMProvider::OpenRouter);
    addServerRows();
    QLabel *caption = addCaption(m_model.keyStoreCaption());
    caption->setObjectName(QStringLiteral("keyStoreCaption"));
    connect(&m_model, &SettingsModel::keyStoreCaptionChanged, caption,
            [this, caption] { caption->setText(m_model.keyStoreCaption()); });

    connect(&m_model, &SettingsModel::providerChanged, this, &ProviderPage::showProvider);
    connect(&m_model, &SettingsModel::themeChanged, this,
            [this] { m_themePicker->setCurrentIndex(allValues<AppTheme>().indexOf(m_model.theme())); });
    connect(&m_model, &SettingsModel::modelsChanged, this, &ProviderPage::showModels);
    connect(&m_model, &SettingsModel::keyChanged, this, [this](LLMProvider provider, const QString &key) {
        QLineEdit *field = m_rows.value(provider).key;
        if (field->text() != key) {
            const QSignalBlocker quiet(field);
            field->setText(key);
        }
        showServerCaptions();
    });
    m_themePicker->setCurrentIndex(allValues<AppTheme>().indexOf(m_model.theme()));
    for (LLMProvider provider : allLLMProviders())
        showModels(provider);
    showProvider();
    takeColoursFromPalette();
}

void ProviderPage::addPickers()
{
    m_providerPicker = new SegmentedControl(providerLabels(), this);
    m_providerPicker->setObjectName(QStringLiteral("providerPicker"));
    m_providerPicker->setFixedWidth(kControlWidth);
    addRow(QStringLiteral("AI Provider"), m_providerPicker);
    m_themePicker = new SegmentedControl(themeLabels(), this);
    m_themePicker->setObjectName(QStringLiteral("themePicker"));
    m_themePicker->setFixedWidth(kControlWidth);
    addRow(QStringLiteral("App Theme"), m_themePicker);
    // The store's refusal is told by the window's save status.
    connect(m_providerPicker, &SegmentedControl::activated, this, [this](int index) {
        const Result<> stored = m_model.setProvider(allLLMProviders().value(index));
        showProvider();
        if (!stored)
            Q_EMIT storeFailed(stored.message());
    });
    connect(m_themePicker, &SegmentedControl::activated, this, [this](int index) {
        const Result<> stored = m_model.setTheme(allValues<AppTheme>().value(index));
        m_themePicker->setCurrentIndex(allValues<AppTheme>().indexOf(m_model.theme()));
        if (!stored)
            Q_EMIT storeFailed(stored.message());
    });
}

void ProviderPage::addCloudRows(LLMProvider provider)
{
    const ProviderTraits &traits = ProviderTable::traits(provider);
    addKeyField(provider, traits.displayName + QStringLiteral(" API Key"),
                QStringLiteral("Paste %1 key here...").arg(traits.displayName));
    m_rows[provider].rows.first()->setToolTip(QStringLiteral("Get your key at ") + traits.keyPage);
    addModelRow(provider, traits.modelListRequest != nullptr, QStringLiteral("refreshModelsButton"),
                QStringLiteral("Refresh the model list"));
}

void ProviderPage::addServerRows()
{
    m_addressField = new QLineEdit(this);
    m_addressField->setObjectName(QStringLiteral("localAddressField"));
    m_addressField->setFixedWidth(kControlWidth);
    m_addressField->setPlaceholderText(Preferences::localServerAddress.fallback);
    m_addressField->setText(m_model.serverAddressText());
    connect(m_addressField, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_model.setServerAddressText(text);
        showServerCaptions();
    });
    connect(m_addressField, &QLineEdit::editingFinished, this, [this] { m_model.fetchModels(LLMProvider::Local); });
    QWidget *addressRow = addRow(QStringLiteral("Server address"), m_addressField);
    addressRow->setToolTip(QStringLiteral("The OpenAI-compatible address of a server such as Ollama, llama.cpp, "
                                          "LM Studio or vLLM, ending in /v1"));
    m_rows[LLMProvider::Local].rows << addressRow;
    m_serverProblem = addCaption({});
    m_serverProblem->setObjectName(QStringLiteral("localServerProblem"));
    m_serverProblem->setWordWrap(true);
    m_plainHttpWarning = addCaption({});
    m_plainHttpWarning->setObjectName(QStringLiteral("plainHttpWarning"));
    m_plainHttpWarning->setWordWrap(true);
    addKeyField(LLMProvider::Local, QStringLiteral("API Key (optional)"),
                QStringLiteral("Only if the server asks for one"));
    addModelRow(LLMProvider::Local, true, QStringLiteral("refreshLocalModelsButton"),
                QStringLiteral("Ask the server for its models"));
}

void ProviderPage::addKeyField(LLMProvider provider, const QString &label, const QString &placeholder)
{
    auto *field = new QLineEdit(this);
    field->setObjectName(objectStem(provider) + QStringLiteral("KeyField"));
    field->setEchoMode(QLineEdit::Password);
    field->setPlaceholderText(placeholder);
    field->setFixedWidth(kControlWidth);
    // The square border of a plain text box.
    field->setStyleSheet(QStringLiteral("QLineEdit { border: 1px solid palette(mid); border-radius: 0; "
                                        "padding: 2px 4px; background: palette(base); }"));
    connect(field, &QLineEdit::textChanged, this,
            [this, provider](const QString &text) { m_model.setKey(provider, text); });
    m_rows[provider].key = field;
    m_rows[provider].rows << addRow(label, field);
}

void ProviderPage::addModelRow(LLMProvider provider, bool fetched, const QString &refreshName,
                               const QString &refreshTip)
{
    Rows &rows = m_rows[provider];
    auto *control = fetched ? new QWidget(this) : nullptr;
    rows.menu = new QComboBox(fetched ? control : this);
    rows.menu->setObjectName(objectStem(provider) + QStringLiteral("ModelMenu"));
    rows.menu->setFixedWidth(fetched ? kModelMenuWidth : kControlWidth);
    connect(rows.menu, &QComboBox::activated, this, [this, provider, menu = rows.menu](int index) {
        m_model.setSelectedModel(provider, menu->itemText(index));
    });
    if (!fetched) {
        rows.rows << addRow(QStringLiteral("Default Model"), rows.menu);
        return;
    }
    auto *layout = new QHBoxLayout(control);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    rows.spinner = new SpinnerView(control);
    rows.refresh = new QToolButton(control);
    rows.refresh->setObjectName(refreshName);
    rows.refresh->setAutoRaise(true);
    rows.refresh->setToolTip(refreshTip);
    rows.refresh->setFixedSize(22, 22);
    connect(rows.refresh, &QToolButton::clicked, this, [this, provider] { m_model.fetchModels(provider); });
    layout->addWidget(rows.menu);
    layout->addWidget(rows.spinner);
    layout->addWidget(rows.refresh);
    rows.rows << addRow(QStringLiteral("Default Model"), control);
}

void ProviderPage::showProvider()
{
    const LLMProvider picked = m_model.provider();
    m_providerPicker->setCurrentIndex(allLLMProviders().indexOf(picked));
    for (auto it = m_rows.cbegin(); it != m_rows.cend(); ++it) {
        for (QWidget *row : it->rows)
            row->setVisible(it.key() == picked);
    }
    showServerCaptions();
}

void ProviderPage::showModels(LLMProvider provider)
{
    const Rows &rows = m_rows.value(provider);
    const QString selected = m_model.selectedModel(provider);
    const QStringList listed = m_model.models(provider);
    // A stored model the list does not offer shows as no entry and is kept.
    const QStringList entries = listed.isEmpty() ? QStringList{selected} : listed;
    const QSignalBlocker blocker(rows.menu);
    rows.menu->clear();
    rows.menu->addItems(entries);
    rows.menu->setCurrentIndex(entries.indexOf(selected));
    if (rows.spinner) {
        rows.spinner->setVisible(m_model.isLoadingModels(provider));
        rows.refresh->setVisible(!m_model.isLoadingModels(provider));
    }
    if (ProviderTable::traits(provider).serverAddress)
        showServerCaptions();
}

void ProviderPage::showServerCaptions()
{
    const bool server = ProviderTable::traits(m_model.provider()).serverAddress != nullptr;
    m_serverProblem->setText(m_model.modelsProblem(LLMProvider::Local));
    m_serverProblem->setVisible(server && !m_serverProblem->text().isEmpty());
    m_plainHttpWarning->setText(m_model.plainHttpWarning());
    m_plainHttpWarning->setVisible(server && !m_plainHttpWarning->text().isEmpty());
}

void ProviderPage::takeColoursFromPalette()
{
    for (const Rows &rows : std::as_const(m_rows)) {
        if (rows.refresh)
            rows.refresh->setIcon(QIcon(settingsSymbol(QStringLiteral("arrow.triangle.2.circlepath"), 16,
                                                       SettingsColors::secondaryLabel(this), devicePixelRatioF())));
    }
}
