// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/HotkeyPage.h"

#include "core/SettingsModel.h"
#include "platform/Logging.h"
#include "settings/HotkeyRecorderView.h"
#include "ui/PixelFont.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

HotkeyPage::HotkeyPage(SettingsModel &model, QWidget *parent)
    : FormSection(QStringLiteral("Hotkey"), parent)
    , m_model(model)
{
    m_launch = addHotkey(HotkeyManager::Hotkey::Launch, QStringLiteral("launch"), QStringLiteral("Launch Hotkey"),
                         QStringLiteral("Click the hotkey field, then press your desired key combination (requires "
                                        "at least one of Ctrl, Alt, Shift or Super). Esc cancels."));
    m_screenshot =
        addHotkey(HotkeyManager::Hotkey::Screenshot, QStringLiteral("screenshot"), QStringLiteral("Screenshot Hotkey"),
                  QStringLiteral("This hotkey works globally. Press it anywhere to hide Tarnwick, crop a "
                                 "region, then it reappears with the screenshot attached."));
    m_dictate = addHotkey(HotkeyManager::Hotkey::Dictate, QStringLiteral("dictate"), QStringLiteral("Dictate Hotkey"),
                          QStringLiteral("Opens Tarnwick and starts dictating; press it again to stop. Not set "
                                         "until you choose one."));
    connect(&m_model, &SettingsModel::hotkeyStatusChanged, this, &HotkeyPage::showStatus);
    showStatus();
}

HotkeyRecorderView *HotkeyPage::recorder(HotkeyManager::Hotkey hotkey) const
{
    switch (hotkey) {
    case HotkeyManager::Hotkey::Launch:
        return m_launch.recorder;
    case HotkeyManager::Hotkey::Screenshot:
        return m_screenshot.recorder;
    case HotkeyManager::Hotkey::Dictate:
        break;
    }
    return m_dictate.recorder;
}

HotkeyPage::Rows HotkeyPage::addHotkey(HotkeyManager::Hotkey hotkey, const QString &name, const QString &label,
                                       const QString &caption)
{
    Rows rows;
    rows.recorder = new HotkeyRecorderView(this);
    rows.recorder->setObjectName(name + QStringLiteral("Recorder"));
    const HotkeyBinding binding = m_model.binding(hotkey);
    rows.recorder->setBinding(binding.keyCode, binding.modifiers);
    if (!m_model.isBound(hotkey))
        rows.recorder->clear();
    connect(rows.recorder, &HotkeyRecorderView::bindingChanged, this, [this, hotkey, recorder = rows.recorder] {
        if (recorder->isBound())
            m_model.setBinding(hotkey, HotkeyBinding{recorder->keyCode(), recorder->modifiers()});
        else
            m_model.clearBinding(hotkey);
    });
    addRow(label, recorderControl(rows.recorder, hotkey == HotkeyManager::Hotkey::Dictate));
    rows.mechanism = addCaption({});
    rows.mechanism->setObjectName(name + QStringLiteral("HotkeyMechanism"));
    rows.mechanism->hide();
    rows.problem = addCaption({}, FormSection::Tone::Problem);
    rows.problem->setObjectName(name + QStringLiteral("HotkeyProblem"));
    rows.problem->hide();
    addCaption(caption);
    return rows;
}

QWidget *HotkeyPage::recorderControl(HotkeyRecorderView *recorder, bool clearable)
{
    auto *control = new QWidget(this);
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
    if (clearable) {
        auto *clear = new QPushButton(QStringLiteral("Clear"), control);
        clear->setObjectName(recorder->objectName() + QStringLiteral("Clear"));
        clear->setFocusPolicy(Qt::TabFocus);
        usePixelFont(clear, 11);
        connect(clear, &QPushButton::clicked, recorder, &HotkeyRecorderView::clear);
        const auto showClear = [clear, recorder] { clear->setEnabled(recorder->isBound()); };
        connect(recorder, &HotkeyRecorderView::bindingChanged, clear, showClear);
        showClear();
        layout->addWidget(clear);
    }
    return control;
}

void HotkeyPage::showStatus()
{
    for (const auto &[hotkey, rows] : {std::pair{HotkeyManager::Hotkey::Launch, m_launch},
                                       std::pair{HotkeyManager::Hotkey::Screenshot, m_screenshot},
                                       std::pair{HotkeyManager::Hotkey::Dictate, m_dictate}}) {
        const QString mechanism = m_model.hotkeyMechanism(hotkey);
        const QString problem = m_model.hotkeyProblem(hotkey);
        rows.mechanism->setText(mechanism);
        rows.mechanism->setVisible(!mechanism.isEmpty());
        rows.problem->setText(problem);
        rows.problem->setVisible(!problem.isEmpty());
        if (!problem.isEmpty())
            EventTrace::note(("settings-hotkey-problem " + rows.recorder->objectName().toUtf8()).constData());
    }
}
