// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QUuid>
#include <QWidget>

class AttachmentStrip;
class ConversationSidebarView;
class CaptionStrip;
class EmptyStateView;
class FileChipStrip;
class InputBar;
class InstructionsStrip;
class LauncherHeader;
class LauncherSession;
class LauncherViewModel;
class MessageListView;
class NoticeCard;
class PresetPicker;
class QShortcut;
class QStackedWidget;
class QVariantAnimation;

// The whole content of the launcher panel: shows the session's state and
// forwards every control to it. The session (chat, history, dictation) is
// handed in and outlives the view.
class LauncherView : public QWidget
{
    Q_OBJECT

public:
    explicit LauncherView(LauncherSession &session, QWidget *parent = nullptr);

    // Puts the caret in the input field.
    void focusInput();

    LauncherSession &session() const { return m_session; }
    bool isSidebarOpen() const { return m_sidebarOpen; }
    void setSidebarOpen(bool open);

    // The session's actions, with the sidebar closed afterwards.
    void startNewConversation();
    void loadConversation(QUuid id);
    // A file chosen in the image picker: attached when it decodes as an image,
    // otherwise the reason is shown beside the attach button.
    void attachImageFile(const QString &path);
    // Files picked, dropped or pasted: images, text and PDF attach; each
    // refused file is named with its reason beside the input.
    void attachFiles(const QStringList &paths);
    FileChipStrip *fileStrip() const { return m_files; }

    // Parts, for the shell and for inspection.
    LauncherHeader *header() const { return m_header; }
    InputBar *inputBar() const { return m_inputBar; }
    MessageListView *messageList() const { return m_messages; }
    EmptyStateView *emptyState() const { return m_emptyState; }
    bool showsEmptyState() const;
    NoticeCard *historyNotice() const { return m_historyNotice; }
    ConversationSidebarView *sidebar() const { return m_sidebar; }
    QShortcut *stopShortcut() const { return m_stopShortcut; }
    CaptionStrip *editingStrip() const { return m_editing; }
    InstructionsStrip *instructionsStrip() const { return m_instructions; }
    PresetPicker *presetPicker() const { return m_presetPicker; }
    // Up in an empty input and the Edit button: the last prompt back in the input.
    void editLastPrompt();

Q_SIGNALS:
    void closeRequested();
    void settingsRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void buildLayout();
    void connectViewModel();
    void connectTools();
    void refreshScreenshotTooltip();
    void deleteConversation(QUuid id);
    void syncConversationArea();
    void syncSendState();
    void syncAttachment();
    void syncDictation();
    void syncHistoryNotice();
    void syncMessageActions();
    void applyTheme();
    void openImagePicker();
    void placeSidebar(qreal progress);

    LauncherSession &m_session;
    LauncherViewModel &m_vm;
    bool m_sidebarOpen = false;
    bool m_lightBackground = false;

    LauncherHeader *m_header = nullptr;
    QStackedWidget *m_conversation = nullptr;
    EmptyStateView *m_emptyState = nullptr;
    MessageListView *m_messages = nullptr;
    AttachmentStrip *m_attachment = nullptr;
    FileChipStrip *m_files = nullptr;
    CaptionStrip *m_dictation = nullptr;
    NoticeCard *m_historyNotice = nullptr;
    CaptionStrip *m_editing = nullptr;
    InputBar *m_inputBar = nullptr;
    InstructionsStrip *m_instructions = nullptr;
    PresetPicker *m_presetPicker = nullptr;
    QWidget *m_main = nullptr;
    QWidget *m_dim = nullptr;
    ConversationSidebarView *m_sidebar = nullptr;
    QVariantAnimation *m_sidebarAnimation = nullptr;
    QShortcut *m_stopShortcut = nullptr;
    QShortcut *m_regenerateShortcut = nullptr;
    QShortcut *m_cancelEditShortcut = nullptr;
};
