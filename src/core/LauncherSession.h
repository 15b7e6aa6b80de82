// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <memory>

class ConversationStore;
class DictationFlow;
class KeyStore;
class LauncherViewModel;
class PresetStore;
class ScreenshotFlow;
class SpeechManager;
class UserDefaults;

// The launcher's state for the whole run, without any widget: the chat view
// model, the history store, dictation and the conversation on screen. Every
// change of the messages is saved under the active conversation's id. The
// panel shows this state and forwards the user's actions here.
class LauncherSession : public QObject
{
    Q_OBJECT

public:
    LauncherSession(UserDefaults &defaults, KeyStore &keys, PresetStore &presets, const QString &historyFilePath,
                    QObject *parent = nullptr);
    ~LauncherSession() override;

    UserDefaults &defaults() const { return m_defaults; }
    LauncherViewModel &viewModel() const { return *m_vm; }
    ConversationStore &store() const { return *m_store; }
    // Made when first asked for: the tray program starts without them.
    SpeechManager &speech() const;
    DictationFlow &dictation() const;
    PresetStore &presets() const { return m_presets; }

    QUuid activeConversationID() const { return m_activeConversationID; }

    void startNewConversation();
    // Opens the saved conversation with this id; false when there is none.
    bool loadConversation(QUuid id);
    // Deletes a saved conversation for good; when it is the one on screen the
    // launcher starts over, and an answer still streaming into it is dropped.
    // Returns whether it was the one on screen.
    bool deleteConversation(QUuid id);

    // Dictation on, or off and transcribed (the transcript joins the input), or a transcription cancelled.
    void toggleDictation();
    // Quotes the selected text of the application the user was in.
    void grabText();
    // Hides the launcher, lets the user pick a region, attaches it, shows the launcher.
    void takeScreenshot();

    // Waits until every change of the history is on disk (or has failed).
    void flush();

    // What the panel tells about the history: why it cannot be saved, or
    // where an unusable file was moved. Empty when there is nothing to tell.
    QString historyNotice() const;
    // The user has read it: a moved file is not told again, a save problem
    // only when its reason changes.
    void dismissHistoryNotice();

Q_SIGNALS:
    void activeConversationChanged();
    void historyNoticeChanged();
    // The screenshot flow asks the window to leave the screen and to come back.
    void hideLauncherRequested();
    void showLauncherRequested();

private:
    void autoSave();
    void setActiveConversationID(const QUuid &id);
    QString saveProblemNotice() const;

    UserDefaults &m_defaults;
    KeyStore &m_keys;
    PresetStore &m_presets;
    // Declared in the order they are built; they go in reverse.
    std::unique_ptr<ConversationStore> m_store;
    std::unique_ptr<LauncherViewModel> m_vm;
    mutable std::unique_ptr<SpeechManager> m_speech;
    mutable std::unique_ptr<DictationFlow> m_dictation;
    std::unique_ptr<ScreenshotFlow> m_screenshotFlow; // goes first: it may still ask to show the launcher
    QUuid m_activeConversationID;
    bool m_discarding = false; // the on-screen conversation was deleted: do not save it back
    QStringList m_setAsideNotices;
    QString m_dismissedSaveProblem;
};
