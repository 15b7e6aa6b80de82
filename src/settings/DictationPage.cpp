// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/DictationPage.h"

#include "core/SettingsModel.h"
#include "dictation/DictationSettings.h"
#include "platform/Preferences.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

namespace {

constexpr int kControlWidth = 240;

} // namespace

DictationPage::DictationPage(SettingsModel &model, QWidget *parent)
    : FormSection(QStringLiteral("Dictation"), parent)
    , m_model(model)
{
    m_enginePicker = new QComboBox(this);
    m_enginePicker->setObjectName(QStringLiteral("dictationEnginePicker"));
    m_enginePicker->setFixedWidth(kControlWidth);
    for (DictationEngine engine : allValues<DictationEngine>())
        m_enginePicker->addItem(displayName(engine));
    addRow(QStringLiteral("Engine"), m_enginePicker);
    connect(m_enginePicker, &QComboBox::activated, this, [this](int index) {
        const Result<> stored = m_model.setDictationEngine(allValues<DictationEngine>().value(index));
        showEngine();
        if (!stored)
            Q_EMIT storeFailed(stored.message());
    });
    connect(&m_model, &SettingsModel::dictationEngineChanged, this, &DictationPage::showEngine);

    const QString system = DictationSettings::systemLanguage();
    QLineEdit *language =
        addField(QStringLiteral("dictationLanguageField"), QStringLiteral("Language"),
                 system.isEmpty() ? QStringLiteral("As spoken") : QStringLiteral("System (%1)").arg(system));
    language->setText(m_model.dictationText(SettingsModel::DictationField::Language));
    language->setToolTip(QStringLiteral("A language code such as en, de or pt-BR; empty follows the desktop"));
    connect(language, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_model.setDictationText(SettingsModel::DictationField::Language, text); });

    const struct
    {
        SettingsModel::DictationField field;
        const char *name;
        QString label;
        QString placeholder;
    } serverFields[] = {
        {SettingsModel::DictationField::ServerAddress, "transcriptionServerField",
         QStringLiteral("Transcription server"), Preferences::transcriptionServerAddress.fallback},
        {SettingsModel::DictationField::ServerModel, "transcriptionModelField", QStringLiteral("Server model"),
         Preferences::transcriptionModel.fallback},
    };
    for (const auto &entry : serverFields) {
        QLineEdit *field = addField(QString::fromLatin1(entry.name), entry.label, entry.placeholder, true);
        field->setText(m_model.dictationText(entry.field));
        connect(field, &QLineEdit::textChanged, this,
                [this, which = entry.field](const QString &text) { m_model.setDictationText(which, text); });
    }
    m_keyField = addField(QStringLiteral("transcriptionKeyField"), QStringLiteral("Server key (optional)"),
                          QStringLiteral("Only if the server asks for one"), true);
    m_keyField->setEchoMode(QLineEdit::Password);
    m_keyField->setText(m_model.transcriptionKey());
    connect(m_keyField, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_model.setTranscriptionKey(text); });
    connect(&m_model, &SettingsModel::transcriptionKeyChanged, this, [this](const QString &key) {
        if (m_keyField->text() != key) {
            const QSignalBlocker quiet(m_keyField);
            m_keyField->setText(key);
        }
    });

    addCaption(QStringLiteral("Automatic uses the chat provider when it is Gemini or OpenRouter and has a key, else "
                              "the transcription server when one answers, else Offline. Gemini, OpenRouter and a "
                              "server send the recording away to be written down; Offline keeps it on this "
                              "computer but gets many words wrong."))
        ->setWordWrap(true);
    showEngine();
}

QLineEdit *DictationPage::addField(const QString &name, const QString &label, const QString &placeholder,
                                   bool serverRow)
{
    auto *field = new QLineEdit(this);
    field->setObjectName(name);
    field->setFixedWidth(kControlWidth);
    field->setPlaceholderText(placeholder);
    QWidget *row = addRow(label, field);
    if (serverRow)
        m_serverRows << row;
    return field;
}

void DictationPage::showEngine()
{
    const DictationEngine engine = m_model.dictationEngine();
    m_enginePicker->setCurrentIndex(allValues<DictationEngine>().indexOf(engine));
    const bool serverMayBeUsed = engine == DictationEngine::Automatic || engine == DictationEngine::Server;
    for (QWidget *row : std::as_const(m_serverRows))
        row->setVisible(serverMayBeUsed);
}
