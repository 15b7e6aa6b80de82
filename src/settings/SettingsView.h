// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "services/HotkeyManager.h"

#include <QWidget>

class HotkeyPage;
class HotkeyRecorderView;
class KeyStore;
class PresetStore;
class ProviderPage;
class QPushButton;
class SaveStatusView;
class SettingsModel;
class UserDefaults;

// The content of the settings window: a header, the pages one below the
// other, and a footer with the key page link and Save. What the pages show
// and save is the model's.
class SettingsView : public QWidget
{
    Q_OBJECT

public:
    // hotkeys may be null: the bindings are then stored for the next start.
    SettingsView(UserDefaults &defaults, KeyStore &keys, PresetStore &presets, HotkeyManager *hotkeys,
                 QWidget *parent = nullptr);
    ~SettingsView() override;

    SettingsModel &model() const { return *m_model; }

    bool savedConfirmation() const;
    // "Saved!", what failed, or empty.
    QString saveStatusText() const;

    HotkeyRecorderView *launchRecorder() const;
    HotkeyRecorderView *screenshotRecorder() const;
    // Scrolls to the launch hotkey's recorder and starts recording there.
    void recordLaunchHotkey();

    void save();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *buildHeader();
    QWidget *buildPages(PresetStore &presets);
    QWidget *buildFooter();
    void showKeyPageLink();
    void showSaved(const QStringList &failures);
    void traceControlPositions();
    void takeColoursFromPalette();

    std::unique_ptr<SettingsModel> m_model;
    ProviderPage *m_providerPage = nullptr;
    HotkeyPage *m_hotkeyPage = nullptr;
    QPushButton *m_keyPageLink = nullptr;
    SaveStatusView *m_saveStatus = nullptr;
    QPushButton *m_saveButton = nullptr;
};
