#pragma once

#include "store/Conversation.h"

#include <QUuid>
#include <QWidget>

#include <memory>

class AttachmentStrip;
class ConversationSidebarView;
class ConversationStore;
class DictationStrip;
class EmptyStateView;
class InputBar;
class LauncherHeader;
class LauncherViewModel;
class MessageListView;
class QShortcut;
class QStackedWidget;
class QVariantAnimation;
class SpeechManager;
class UserDefaults;

// The whole content of the launcher panel. Owns the chat state, the history
// store and the dictation engine for the life of the program, wires every
// control to them, saves the conversation on screen whenever its messages
// change, and decides which stored conversation is on screen.
class LauncherView : public QWidget
{
    Q_OBJECT

public:
    explicit LauncherView(QWidget *parent = nullptr);
    LauncherView(UserDefaults &defaults, const QString &historyFilePath, QWidget *parent = nullptr);
    ~LauncherView() override;

    // Puts the caret in the input field.
    void focusInput();

    LauncherViewModel &viewModel() { return *m_vm; }
    ConversationStore &store() { return *m_store; }
    SpeechManager &speech() { return *m_speech; }

    QUuid activeConversationID() const { return m_activeConversationID; }
    bool isSidebarOpen() const { return m_sidebarOpen; }
    void setSidebarOpen(bool open);

    void startNewConversation();
    void loadConversation(const Conversation &conversation);
    // Quotes the selected text of the application the user was in.
    void grabText();
    // A file chosen in the image picker: attached when it decodes as an image.
    void attachImageFile(const QString &path);

    // Parts, for the shell and for inspection.
    LauncherHeader *header() const { return m_header; }
    InputBar *inputBar() const { return m_inputBar; }
    MessageListView *messageList() const { return m_messages; }
    EmptyStateView *emptyState() const { return m_emptyState; }
    bool showsEmptyState() const;
    AttachmentStrip *attachmentStrip() const { return m_attachment; }
    DictationStrip *dictationStrip() const { return m_dictation; }
    ConversationSidebarView *sidebar() const { return m_sidebar; }
    QShortcut *stopShortcut() const { return m_stopShortcut; }

Q_SIGNALS:
    void closeRequested();
    void settingsRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildLayout();
    void connectViewModel();
    void connectTools();
    void refreshScreenshotTooltip();
    void autoSave();
    void syncConversationArea();
    void syncSendState();
    void syncAttachment();
    void syncDictation();
    void applyTheme();
    void openImagePicker();
    void dictate();
    void placeSidebar(qreal progress);

    UserDefaults &m_defaults;
    std::unique_ptr<LauncherViewModel> m_vm;
    std::unique_ptr<ConversationStore> m_store;
    SpeechManager *m_speech = nullptr; // deleted first, in the destructor
    bool m_sidebarOpen = false;
    QUuid m_activeConversationID;
    bool m_lightBackground = false;

    LauncherHeader *m_header = nullptr;
    QStackedWidget *m_conversation = nullptr;
    EmptyStateView *m_emptyState = nullptr;
    MessageListView *m_messages = nullptr;
    AttachmentStrip *m_attachment = nullptr;
    DictationStrip *m_dictation = nullptr;
    InputBar *m_inputBar = nullptr;
    QWidget *m_main = nullptr;
    QWidget *m_dim = nullptr;
    ConversationSidebarView *m_sidebar = nullptr;
    QVariantAnimation *m_sidebarAnimation = nullptr;
    QShortcut *m_stopShortcut = nullptr;
};
