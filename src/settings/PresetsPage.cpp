// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/PresetsPage.h"

#include "llm/LLMProvider.h"
#include "presets/PresetStore.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

constexpr int kControlWidth = 240;

QPlainTextEdit *textBox(int lines, const QString &placeholder, QWidget *parent)
{
    auto *box = new QPlainTextEdit(parent);
    box->setTabChangesFocus(true);
    box->setPlaceholderText(placeholder);
    box->setFixedSize(kControlWidth, box->fontMetrics().lineSpacing() * lines + 14);
    return box;
}

} // namespace

PresetsPage::PresetsPage(PresetStore &store, QWidget *parent)
    : FormSection(tr("Presets"), parent)
    , m_store(store)
    , m_list(new QListWidget(this))
    , m_name(new QLineEdit(this))
    , m_instructions(textBox(4, tr("What the model is told"), this))
    , m_template(textBox(2, tr("The prompt; empty: what is typed"), this))
    , m_provider(new QComboBox(this))
    , m_model(new QLineEdit(this))
    , m_save(new QPushButton(tr("Save Preset"), this))
    , m_delete(new QPushButton(tr("Delete"), this))
    , m_problem(nullptr)
{
    setObjectName(QStringLiteral("presetsPage"));
    m_list->setObjectName(QStringLiteral("presetList"));
    m_list->setFixedSize(kControlWidth, 96);
    auto *add = new QPushButton(tr("Add"), this);
    auto *buttons = new QWidget(this);
    auto *buttonRow = new QHBoxLayout(buttons);
    buttonRow->setContentsMargins(0, 0, 0, 0);
    buttonRow->addWidget(add);
    buttonRow->addWidget(m_delete);
    buttonRow->addStretch(1);
    buttonRow->addWidget(m_save);
    buttons->setFixedWidth(kControlWidth);

    m_name->setFixedWidth(kControlWidth);
    m_name->setPlaceholderText(tr("letters, digits, - and _"));
    m_provider->setFixedWidth(kControlWidth);
    m_provider->addItem(tr("The one chosen"), QString());
    for (LLMProvider provider : allLLMProviders())
        m_provider->addItem(rawValue(provider), rawValue(provider));
    m_model->setFixedWidth(kControlWidth);
    m_model->setPlaceholderText(tr("The provider's chosen model"));

    addRow(tr("Presets"), m_list);
    addRow(tr("Name"), m_name);
    addRow(tr("Instructions"), m_instructions);
    addRow(tr("Template"), m_template);
    addRow(tr("Provider"), m_provider);
    addRow(tr("Model"), m_model);
    addCaption(tr("Type /name in the launcher to use one. The template may hold {input} (what is typed after "
                  "the name), {selection} (the highlighted text), {clipboard} and {date}; without {input} the "
                  "typed text follows after a blank line."));
    addRow(QString(), buttons);
    m_problem = addCaption(QString(), Tone::Problem);

    connect(m_list, &QListWidget::currentRowChanged, this, &PresetsPage::showChosen);
    connect(add, &QPushButton::clicked, this, &PresetsPage::addPreset);
    connect(m_save, &QPushButton::clicked, this, &PresetsPage::savePreset);
    connect(m_delete, &QPushButton::clicked, this, &PresetsPage::deletePreset);
    connect(&m_store, &PresetStore::changed, this, &PresetsPage::showPresets);
    connect(&m_store, &PresetStore::noticeChanged, this, [this] { setProblem(QString()); });
    m_store.refresh();
    showPresets();
    setProblem(QString());
}

void PresetsPage::showPresets()
{
    const QString keep = m_editing;
    const QSignalBlocker blocker(m_list);
    m_list->clear();
    for (const Preset &preset : m_store.presets())
        m_list->addItem(QLatin1Char('/') + preset.name);
    const int row = int(m_store.names().indexOf(keep));
    m_list->setCurrentRow(row >= 0 ? row : 0);
    showChosen();
}

void PresetsPage::showChosen()
{
    const int row = m_list->currentRow();
    const Preset preset = row >= 0 && row < m_store.presets().size() ? m_store.presets().at(row) : Preset{};
    m_editing = preset.name;
    m_name->setText(preset.name);
    m_instructions->setPlainText(preset.instructions);
    m_template->setPlainText(preset.promptTemplate);
    const int provider = m_provider->findData(preset.provider);
    m_provider->setCurrentIndex(qMax(0, provider));
    m_model->setText(preset.model);
    m_delete->setEnabled(!m_editing.isEmpty());
}

void PresetsPage::addPreset()
{
    m_list->clearSelection();
    const QSignalBlocker blocker(m_list);
    m_list->setCurrentRow(-1);
    m_editing.clear();
    m_name->clear();
    m_instructions->clear();
    m_template->clear();
    m_provider->setCurrentIndex(0);
    m_model->clear();
    m_delete->setEnabled(false);
    m_name->setFocus();
}

void PresetsPage::savePreset()
{
    const Preset preset{m_name->text().trimmed(), m_instructions->toPlainText().trimmed(), m_template->toPlainText(),
                        m_provider->currentData().toString(), m_model->text().trimmed()};
    if (preset.instructions.isEmpty() && preset.promptTemplate.trimmed().isEmpty())
        return setProblem(tr("A preset needs instructions or a template."));
    const QString replacing = m_editing;
    m_editing = preset.name;
    const Result<> stored = m_store.put(preset, replacing);
    if (!stored) {
        m_editing = replacing;
        return setProblem(stored.message());
    }
    setProblem(QString());
}

void PresetsPage::deletePreset()
{
    if (m_editing.isEmpty())
        return;
    const Result<> removed = m_store.remove(m_editing);
    setProblem(removed ? QString() : removed.message());
}

QString PresetsPage::problemText() const
{
    return m_problem->text();
}

void PresetsPage::setProblem(const QString &problem)
{
    const QString text = problem.isEmpty() ? m_store.notice() : problem;
    m_problem->setText(text);
    m_problem->setVisible(!text.isEmpty());
}
