// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/AppTheme.h"
#include "core/ChatMessage.h"
#include "llm/LLMClient.h"
#include "llm/LLMProvider.h"
#include "services/KeyStore.h"

#include <QElapsedTimer>
#include <QImage>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

class LLMStream;
class PresetStore;
class UserDefaults;

// The launcher's one observable state object: the conversation on screen, the
// prompt being typed, the attachment, the model choice, and the answer in flight.
class LauncherViewModel : public QObject
{
    Q_OBJECT

public:
    LauncherViewModel(UserDefaults &defaults, KeyStore &keys, QObject *parent = nullptr);
    ~LauncherViewModel() override;

    const QList<ChatMessage> &messages() const { return m_messages; }
    // Replaces the whole list (a reopened conversation).
    void setMessages(QList<ChatMessage> messages);

    QString inputText() const { return m_inputText; }
    void setInputText(const QString &text);

    LLMProvider selectedProvider() const { return m_selectedProvider; }
    void setSelectedProvider(LLMProvider provider);
    // Each provider keeps its own choice, for a switch back.
    QString selectedModel(LLMProvider provider) const { return m_selectedModels.value(provider); }
    void setSelectedModel(LLMProvider provider, const QString &model);
    // The selected provider's.
    QString selectedModel() const { return selectedModel(m_selectedProvider); }

    bool isLoading() const { return m_isLoading; }
    std::optional<QString> errorMessage() const { return m_errorMessage; }

    std::optional<QImage> attachedImage() const { return m_attachedImage; }
    std::optional<QByteArray> attachedImageData() const { return m_attachedImageData; }
    QString attachedImageMIME() const { return m_attachedImageMIME; }
    // The thumbnail's remove button: image and bytes go, the media type stays.
    void removeAttachment();

    // Text and PDF files for the next prompt, beside the image.
    const QList<FileAttachment> &attachedFiles() const { return m_attachedFiles; }
    // Attaches each file that may be: an image becomes the image, text and
    // PDF join the files. Returns a line per refused file, naming it and why.
    QStringList attachPaths(const QStringList &paths);
    void removeAttachedFile(qsizetype index);

    AppTheme theme() const;

    // "/name text" at the start of a send uses the preset of that name from
    // here; without presets (or with an unknown name) the text goes as typed.
    void setPresets(PresetStore *presets) { m_presets = presets; }
    // The conversation's system prompt, sent with each of its requests.
    QString instructions() const { return m_instructions; }
    void setInstructions(const QString &instructions);

    void send();
    void cancelStream();
    void newConversation();

    // Sends the conversation before the last answer again, and the new answer
    // takes the old one's place. Only when idle and the last answer follows a prompt.
    bool canRegenerate() const;
    void regenerate();

    // Puts the last prompt, with its image, back in the input; the next send
    // replaces that prompt and everything after it. Until then the messages
    // stay as they are, and cancelling brings back what the input held before.
    bool canEditLastPrompt() const;
    void editLastPrompt();
    void cancelEdit();
    bool isEditing() const { return m_editedPromptID.has_value(); }

    void setAttachedImage(const QImage &image);
    void pasteImageFromClipboard();

Q_SIGNALS:
    // Fine-grained list changes, so a view can redraw only what changed ...
    void messagesReset();
    void messageAppended(int index);
    void
    messageUpdated(int index); // content, reasoning, usage or isStreaming of one message, or a new one in its place
    void messagesRemoved(int first); // every message from `first` on is gone
    // ... and one signal after every change of any kind (the history saves on it).
    void messagesChanged();
    // A failed answer, with the text shown after the warning sign: as the
    // message's content when nothing had arrived, as its error otherwise.
    void answerFailed(const QString &description);

    void inputTextChanged();
    void selectedProviderChanged();
    void selectedModelChanged(LLMProvider provider, const QString &model);
    void isLoadingChanged();
    void errorMessageChanged();
    void editingChanged();
    void attachmentChanged();
    void themeChanged();
    void instructionsChanged();

private:
    void appendMessage(ChatMessage message);
    void updateMessage(const QUuid &id, const std::function<void(ChatMessage &)> &change);
    void setLoading(bool loading);
    void setErrorMessage(std::optional<QString> message);
    void finishStream(const QUuid &id, std::optional<QString> failure);
    // The provider, key and model of a send; none (and errorMessage says why) when one is missing.
    // Reads the provider's key off the GUI thread, then hands on a client;
    // a missing or unreadable key or model is told as the error instead.
    // A preset may choose the provider and model of its send.
    struct Choice
    {
        std::optional<LLMProvider> provider;
        QString model;
    };
    void withClient(std::function<void(const LLMClient &)> then, const Choice &choice = {});
    std::optional<LLMClient> clientFor(LLMProvider provider, const KeyStore::Lookup &key, const QString &model);
    // A prompt as the preset it names makes it: the filled template, the
    // caption, the instructions and the choice.
    struct PresetSend
    {
        QString prompt;
        QString caption;
        QString instructions;
        Choice choice;
    };
    // None when the input names no preset; errorMessage says why when it names one that cannot be used.
    std::optional<PresetSend> presetSend(bool *refused);
    void sendWith(const LLMClient &client, const std::optional<PresetSend> &preset);
    // The stored provider and models, as read now; true when something changed.
    bool followStoredProvider();
    void followStoredModel(LLMProvider provider);
    // Streams the answer to the second-to-last message into the last one.
    void streamAnswer(const LLMClient &client);
    // The answer's first words (or its end) stop the thinking time.
    void noteThoughtEnded(ChatMessage &message) const;

    // The input as it was before an Edit took it over.
    struct Draft
    {
        QString text;
        std::optional<QImage> image;
        std::optional<QByteArray> imageData;
        QString imageMIME = QStringLiteral("image/png");
        QList<FileAttachment> files;
    };
    void restoreDraft(const Draft &draft);
    void setEditing(std::optional<QUuid> promptID);
    qsizetype lastPromptIndex() const;
    qsizetype indexOf(const std::optional<QUuid> &id) const;

    UserDefaults &m_defaults;
    KeyStore &m_keys;
    QList<ChatMessage> m_messages;
    QString m_inputText;
    LLMProvider m_selectedProvider = LLMProvider::Gemini;
    QMap<LLMProvider, QString> m_selectedModels;
    bool m_isLoading = false;
    std::optional<QString> m_errorMessage;
    std::optional<QImage> m_attachedImage;
    std::optional<QByteArray> m_attachedImageData;
    QString m_attachedImageMIME = QStringLiteral("image/png");
    QList<FileAttachment> m_attachedFiles;
    QPointer<LLMStream> m_streamTask;
    QElapsedTimer m_answerClock; // since the answer in flight was asked for
    quint64 m_keyRequest = 0; // the key read a send waits for; a new number drops it
    std::optional<QUuid> m_editedPromptID;
    PresetStore *m_presets = nullptr;
    QString m_instructions;
    Draft m_draftBeforeEdit;
};
