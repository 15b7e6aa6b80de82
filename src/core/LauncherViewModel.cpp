// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/LauncherViewModel.h"

#include "core/AttachmentFiles.h"
#include "llm/FileParts.h"
#include "llm/LLMClient.h"
#include "llm/LLMError.h"
#include "llm/LLMStream.h"
#include "llm/LLMTurn.h"
#include "platform/AssignIfChanged.h"
#include "platform/Preferences.h"
#include "platform/UserDefaults.h"
#include "llm/ProviderTable.h"
#include "presets/DesktopValues.h"
#include "presets/PresetInvocation.h"
#include "presets/PresetStore.h"

#include <QBuffer>
#include <QFutureWatcher>
#include <QClipboard>
#include <QGuiApplication>
#include <QImageWriter>
#include <QMimeData>
#include <QtConcurrent/QtConcurrentRun>

#include <memory>
#include <utility>

namespace {

const QString kWarningPrefix = QStringLiteral("\u26A0\uFE0F ");

} // namespace

LauncherViewModel::LauncherViewModel(UserDefaults &defaults, KeyStore &keys, QObject *parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_keys(keys)
{
    followStoredProvider();
    for (LLMProvider provider : allLLMProviders())
        m_selectedModels.insert(provider, defaults.text(ProviderTable::traits(provider).selectedModel));
    // Settings and the other instances' switchers write the store: the
    // launcher follows each change as it happens, so a send never pairs one
    // provider with another's model.
    connect(&m_defaults, &UserDefaults::changed, this, [this](const QString &key) {
        if (key == Preferences::appTheme)
            Q_EMIT themeChanged();
        if (key == Preferences::selectedProvider && followStoredProvider())
            Q_EMIT selectedProviderChanged();
        for (LLMProvider provider : allLLMProviders()) {
            if (key == ProviderTable::traits(provider).selectedModel.key)
                followStoredModel(provider);
        }
    });
}

bool LauncherViewModel::followStoredProvider()
{
    // The store gives its default for a text that names no provider.
    const LLMProvider stored =
        llmProviderFromRawValue(m_defaults.text(Preferences::selectedProvider)).value_or(LLMProvider::Gemini);
    return assignIfChanged(m_selectedProvider, stored);
}

void LauncherViewModel::followStoredModel(LLMProvider provider)
{
    const QString stored = m_defaults.text(ProviderTable::traits(provider).selectedModel);
    if (assignIfChanged(m_selectedModels[provider], stored))
        Q_EMIT selectedModelChanged(provider, stored);
}

LauncherViewModel::~LauncherViewModel()
{
    if (m_streamTask)
        m_streamTask->cancel();
}

void LauncherViewModel::setMessages(QList<ChatMessage> messages)
{
    cancelEdit();
    m_messages = std::move(messages);
    Q_EMIT messagesReset();
    Q_EMIT messagesChanged();
}

void LauncherViewModel::setInputText(const QString &text)
{
    if (assignIfChanged(m_inputText, text))
        Q_EMIT inputTextChanged();
}

// Every assignment is written back, also an unchanged one; observers hear of it first.
void LauncherViewModel::setSelectedProvider(LLMProvider provider)
{
    m_selectedProvider = provider;
    Q_EMIT selectedProviderChanged();
    m_defaults.set(Preferences::selectedProvider, rawValue(provider));
}

void LauncherViewModel::setSelectedModel(LLMProvider provider, const QString &model)
{
    m_selectedModels[provider] = model;
    Q_EMIT selectedModelChanged(provider, model);
    m_defaults.set(ProviderTable::traits(provider).selectedModel, model);
}

void LauncherViewModel::removeAttachment()
{
    m_attachedImage.reset();
    m_attachedImageData.reset();
    Q_EMIT attachmentChanged();
}

QStringList LauncherViewModel::attachPaths(const QStringList &paths)
{
    QStringList problems;
    for (const QString &path : paths) {
        AttachmentFiles::Read read = AttachmentFiles::read(path);
        if (read.image) {
            setAttachedImage(*read.image);
        } else if (!read.file) {
            problems.append(read.problem);
        } else if (m_attachedFiles.size() >= AttachmentFiles::kMaxFiles) {
            problems.append(
                QStringLiteral("Cannot attach \u201c%1\u201d: a prompt takes at most %2 files besides its image.")
                    .arg(read.file->name)
                    .arg(AttachmentFiles::kMaxFiles));
        } else {
            m_attachedFiles.append(std::move(*read.file));
            Q_EMIT attachmentChanged();
        }
    }
    return problems;
}

void LauncherViewModel::removeAttachedFile(qsizetype index)
{
    if (index < 0 || index >= m_attachedFiles.size())
        return;
    m_attachedFiles.removeAt(index);
    Q_EMIT attachmentChanged();
}

AppTheme LauncherViewModel::theme() const
{
    return fromRawValue<AppTheme>(m_defaults.text(Preferences::appTheme)).value_or(AppTheme::System);
}

// The key is read on a worker thread: a keyring may take seconds (an unlock
// prompt, a service that hangs) and the panel must go on answering meanwhile.
// The launcher shows itself busy until the stream starts or the send fails.
void LauncherViewModel::withClient(std::function<void(const LLMClient &)> then, const Choice &choice)
{
    // The settings window writes the provider straight to the store, so read it there.
    if (followStoredProvider())
        Q_EMIT selectedProviderChanged();
    const LLMProvider provider = choice.provider.value_or(m_selectedProvider);
    const QString account = ProviderTable::traits(provider).keyAccount;
    setLoading(true);
    const quint64 request = ++m_keyRequest;
    auto *watcher = new QFutureWatcher<KeyStore::Lookup>(this);
    connect(watcher, &QFutureWatcher<KeyStore::Lookup>::finished, this,
            [this, watcher, request, provider, model = choice.model, then = std::move(then)] {
        watcher->deleteLater();
        // Stopped, or a new conversation, while the key was read.
        if (request != m_keyRequest)
            return;
        if (const std::optional<LLMClient> client = clientFor(provider, watcher->result(), model))
            then(*client);
        if (!m_streamTask)
            setLoading(false);
    });
    watcher->setFuture(QtConcurrent::run([&keys = m_keys, account] { return keys.lookup(account); }));
}

std::optional<LLMClient> LauncherViewModel::clientFor(LLMProvider provider, const KeyStore::Lookup &key,
                                                      const QString &chosenModel)
{
    const ProviderTraits &traits = ProviderTable::traits(provider);
    const QString apiKey = key.value.value_or(QString());
    if (apiKey.isEmpty() && !key.problem.isEmpty()) {
        setErrorMessage(QStringLiteral("Could not read the API key for %1: %2").arg(traits.displayName, key.problem));
        return std::nullopt;
    }
    // A server of the user's own usually needs no key, but always a model.
    if (apiKey.isEmpty() && traits.needsKey) {
        setErrorMessage(QStringLiteral("No API key set for ") + traits.displayName
                        + QStringLiteral(". Open Settings to configure it."));
        return std::nullopt;
    }
    // The model goes with the provider it is sent to.
    const QString model = chosenModel.isEmpty() ? selectedModel(provider) : chosenModel;
    if (model.isEmpty()) {
        const QString which = traits.serverAddress ? QStringLiteral(" of the server's models") : QString();
        setErrorMessage(
            QStringLiteral("No model chosen for %1. Open Settings to pick one%2.").arg(traits.displayName, which));
        return std::nullopt;
    }
    setErrorMessage(std::nullopt);
    return LLMClient(provider, apiKey, model,
                     traits.serverAddress ? m_defaults.text(*traits.serverAddress) : QString());
}

void LauncherViewModel::send()
{
    const QString prompt = m_inputText.trimmed();
    const bool hasAttachment = m_attachedImageData.has_value() || !m_attachedFiles.isEmpty();
    if ((prompt.isEmpty() && !hasAttachment) || m_isLoading)
        return;
    bool refused = false;
    const std::optional<PresetSend> preset = presetSend(&refused);
    if (refused)
        return;
    withClient([this, preset](const LLMClient &client) { sendWith(client, preset); },
               preset ? preset->choice : Choice{});
}

std::optional<LauncherViewModel::PresetSend> LauncherViewModel::presetSend(bool *refused)
{
    const std::optional<PresetInvocation> invocation = PresetInvocation::parse(m_inputText);
    if (!m_presets || !invocation)
        return std::nullopt;
    m_presets->refresh();
    const std::optional<Preset> preset = m_presets->find(invocation->name);
    if (!preset)
        return std::nullopt;
    PresetSend send;
    if (!preset->provider.isEmpty()) {
        send.choice.provider = llmProviderFromRawValue(preset->provider);
        if (!send.choice.provider) {
            *refused = true;
            setErrorMessage(QStringLiteral("The preset %1 names the provider \"%2\", which Tarnwick does not know. "
                                           "Open Settings to change it.")
                                .arg(preset->name, preset->provider));
            return std::nullopt;
        }
    }
    send.choice.model = preset->model;
    const TemplateValues values = desktopValues(invocation->input);
    if (PresetTemplate::lacksMaterial(preset->promptTemplate, values) && !m_attachedImageData
        && m_attachedFiles.isEmpty()) {
        *refused = true;
        setErrorMessage(QStringLiteral("/%1 works on the highlighted text or the clipboard, and both are empty. "
                                       "Highlight some text, or type it after /%1.")
                            .arg(preset->name));
        return std::nullopt;
    }
    send.prompt = PresetTemplate::fill(preset->promptTemplate, values).trimmed();
    send.caption = preset->caption();
    send.instructions = preset->instructions;
    return send;
}

void LauncherViewModel::setInstructions(const QString &instructions)
{
    if (assignIfChanged(m_instructions, instructions))
        Q_EMIT instructionsChanged();
}

void LauncherViewModel::sendWith(const LLMClient &client, const std::optional<PresetSend> &preset)
{
    // Read again: the input may have changed while the key was read.
    const QString prompt = preset ? preset->prompt : m_inputText.trimmed();
    if (prompt.isEmpty() && !m_attachedImageData && m_attachedFiles.isEmpty())
        return;
    // A local server takes no PDFs: one without text stays attached, and the user is told.
    if (client.provider() == LLMProvider::Local) {
        if (const QString refusal = FileParts::localRefusal(m_attachedFiles); !refusal.isEmpty()) {
            setErrorMessage(refusal);
            return;
        }
    }

    // An edited prompt replaces the one it was taken from, and everything after it.
    const qsizetype edited = indexOf(m_editedPromptID);
    const Draft draft = m_draftBeforeEdit;
    setEditing(std::nullopt);
    if (edited >= 0) {
        m_messages.remove(edited, m_messages.size() - edited);
        Q_EMIT messagesRemoved(int(edited));
        Q_EMIT messagesChanged();
    }

    const std::optional<QByteArray> imageData = m_attachedImageData;
    const QString imageMIME = m_attachedImageMIME;
    // The preset's instructions hold for the rest of the conversation.
    if (preset && !preset->instructions.isEmpty())
        setInstructions(preset->instructions);
    ChatMessage sent(ChatMessage::Role::User, prompt, imageData, imageMIME);
    if (preset)
        sent.presetCaption = preset->caption;
    sent.attachments = m_attachedFiles;
    appendMessage(std::move(sent));

    // What was typed before the Edit comes back; otherwise the input empties.
    restoreDraft(draft);

    appendMessage(
        ChatMessage(ChatMessage::Role::Assistant, QString(), std::nullopt, QStringLiteral("image/png"), true));
    streamAnswer(client);
}

bool LauncherViewModel::canRegenerate() const
{
    const qsizetype count = m_messages.size();
    return !m_isLoading && count >= 2 && m_messages.at(count - 1).role == ChatMessage::Role::Assistant
        && m_messages.at(count - 2).role == ChatMessage::Role::User;
}

void LauncherViewModel::regenerate()
{
    if (!canRegenerate())
        return;
    withClient([this](const LLMClient &client) {
        // A fresh placeholder in the answer's place; the old answer's id is not reused.
        const int last = int(m_messages.size() - 1);
        m_messages[last] =
            ChatMessage(ChatMessage::Role::Assistant, QString(), std::nullopt, QStringLiteral("image/png"), true);
        Q_EMIT messageUpdated(last);
        Q_EMIT messagesChanged();
        streamAnswer(client);
    });
}

void LauncherViewModel::streamAnswer(const LLMClient &client)
{
    setLoading(true);
    // The prompt and its placeholder are the last two messages; all before them is history.
    const ChatMessage &prompt = m_messages.at(m_messages.size() - 2);
    const QUuid answerID = m_messages.last().id;
    QList<LLMTurn> turns;
    for (qsizetype i = 0; i + 2 < m_messages.size(); ++i) {
        const ChatMessage &message = m_messages.at(i);
        turns.append(LLMTurn{message.role == ChatMessage::Role::User ? QStringLiteral("user") : QStringLiteral("model"),
                             message.content, message.imageData, message.imageMIME, message.attachments});
    }

    LLMClient withInstructions = client;
    withInstructions.setInstructions(m_instructions);
    LLMStream *stream =
        withInstructions.stream(turns, prompt.content, prompt.imageData, prompt.imageMIME, this, prompt.attachments);
    m_streamTask = stream;
    m_answerClock.start();
    // Fragments that arrive together (one read of a fast stream can hold
    // thousands) make one change: the panel and the history then do their
    // whole-answer work once per read, not once per word, and keep up.
    struct Pending
    {
        QString text;
        QString reasoning;
        std::optional<LLMUsage> usage;
        bool scheduled = false;
    };
    const auto pending = std::make_shared<Pending>();
    // The answer is addressed by id: the list may have been replaced meanwhile.
    const auto flush = [this, answerID, pending] {
        pending->scheduled = false;
        if (pending->text.isEmpty() && pending->reasoning.isEmpty() && !pending->usage)
            return;
        const QString text = std::exchange(pending->text, QString());
        const QString reasoning = std::exchange(pending->reasoning, QString());
        const std::optional<LLMUsage> usage = std::exchange(pending->usage, std::nullopt);
        updateMessage(answerID, [this, &text, &reasoning, &usage](ChatMessage &message) {
            message.reasoning += reasoning;
            if (!text.isEmpty())
                noteThoughtEnded(message);
            message.content += text;
            if (usage)
                message.usage = usage;
        });
    };
    const auto schedule = [this, pending, flush] {
        if (std::exchange(pending->scheduled, true))
            return;
        QMetaObject::invokeMethod(this, flush, Qt::QueuedConnection);
    };
    connect(stream, &LLMStream::fragment, this, [pending, schedule](const QString &text) {
        pending->text += text;
        schedule();
    });
    connect(stream, &LLMStream::reasoning, this, [pending, schedule](const QString &text) {
        pending->reasoning += text;
        schedule();
    });
    connect(stream, &LLMStream::usage, this, [pending, schedule](const LLMUsage &usage) {
        pending->usage = usage;
        schedule();
    });
    connect(stream, &LLMStream::finished, this, [this, answerID, stream, flush] {
        flush();
        finishStream(answerID, std::nullopt);
        stream->deleteLater();
    });
    connect(stream, &LLMStream::failed, this, [this, answerID, stream, flush](const LLMError &error) {
        flush();
        finishStream(answerID, error.errorDescription());
        stream->deleteLater();
    });
}

bool LauncherViewModel::canEditLastPrompt() const
{
    return !m_isLoading && lastPromptIndex() >= 0;
}

void LauncherViewModel::editLastPrompt()
{
    if (!canEditLastPrompt())
        return;
    const ChatMessage &prompt = m_messages.at(lastPromptIndex());
    // What the input held before is kept for a cancel; a second Edit keeps the first one's.
    if (!m_editedPromptID)
        m_draftBeforeEdit =
            Draft{m_inputText, m_attachedImage, m_attachedImageData, m_attachedImageMIME, m_attachedFiles};
    const QUuid id = prompt.id;
    setInputText(prompt.content);
    m_attachedImageData = prompt.imageData;
    m_attachedImageMIME = prompt.imageMIME;
    m_attachedFiles = prompt.attachments;
    m_attachedImage.reset();
    if (prompt.imageData) {
        QImage image;
        if (image.loadFromData(*prompt.imageData))
            m_attachedImage = image;
    }
    Q_EMIT attachmentChanged();
    setEditing(id);
}

void LauncherViewModel::cancelEdit()
{
    if (!m_editedPromptID)
        return;
    const Draft draft = m_draftBeforeEdit;
    setEditing(std::nullopt);
    restoreDraft(draft);
}

void LauncherViewModel::restoreDraft(const Draft &draft)
{
    setInputText(draft.text);
    m_attachedImage = draft.image;
    m_attachedImageData = draft.imageData;
    m_attachedImageMIME = draft.imageMIME;
    m_attachedFiles = draft.files;
    Q_EMIT attachmentChanged();
}

qsizetype LauncherViewModel::lastPromptIndex() const
{
    for (qsizetype i = m_messages.size() - 1; i >= 0; --i) {
        if (m_messages.at(i).role == ChatMessage::Role::User)
            return i;
    }
    return -1;
}

qsizetype LauncherViewModel::indexOf(const std::optional<QUuid> &id) const
{
    for (qsizetype i = 0; id && i < m_messages.size(); ++i) {
        if (m_messages.at(i).id == *id)
            return i;
    }
    return -1;
}

void LauncherViewModel::setEditing(std::optional<QUuid> promptID)
{
    if (!assignIfChanged(m_editedPromptID, promptID))
        return;
    if (!promptID)
        m_draftBeforeEdit = Draft();
    Q_EMIT editingChanged();
}

void LauncherViewModel::finishStream(const QUuid &id, std::optional<QString> failure)
{
    updateMessage(id, [this, &failure](ChatMessage &message) {
        // What arrived before the failure stays; the error is shown beneath it.
        if (failure && message.content.trimmed().isEmpty())
            message.content = kWarningPrefix + *failure;
        else if (failure)
            message.error = *failure;
        noteThoughtEnded(message);
        message.isStreaming = false;
    });
    if (failure)
        Q_EMIT answerFailed(*failure);
    setLoading(false);
}

void LauncherViewModel::noteThoughtEnded(ChatMessage &message) const
{
    if (!message.reasoning.isEmpty() && !message.reasoningSeconds)
        message.reasoningSeconds = double(m_answerClock.elapsed()) / 1000.0;
}

void LauncherViewModel::cancelStream()
{
    // A send still waiting for its key does not go out.
    ++m_keyRequest;
    if (m_streamTask) {
        // Aborting the request stops the download (and the billing) at once.
        m_streamTask->cancel();
        m_streamTask->deleteLater();
    }
    m_streamTask.clear();
    for (qsizetype i = m_messages.size() - 1; i >= 0; --i) {
        if (m_messages.at(i).isStreaming) {
            noteThoughtEnded(m_messages[i]);
            m_messages[i].isStreaming = false;
            Q_EMIT messageUpdated(int(i));
            Q_EMIT messagesChanged();
            break;
        }
    }
    setLoading(false);
}

void LauncherViewModel::newConversation()
{
    cancelStream();
    cancelEdit();
    m_messages.clear();
    setInstructions(QString());
    Q_EMIT messagesReset();
    Q_EMIT messagesChanged();
    setErrorMessage(std::nullopt);
    if (m_attachedImage || m_attachedImageData || !m_attachedFiles.isEmpty()) {
        m_attachedImage.reset();
        m_attachedImageData.reset();
        m_attachedFiles.clear();
        Q_EMIT attachmentChanged();
    }
}

void LauncherViewModel::setAttachedImage(const QImage &image)
{
    m_attachedImage = image;
    Q_EMIT attachmentChanged();

    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (image.isNull() || !writer.write(image))
        return;
    m_attachedImageData = png;
    m_attachedImageMIME = QStringLiteral("image/png");
    Q_EMIT attachmentChanged();
}

void LauncherViewModel::pasteImageFromClipboard()
{
    auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    if (!app)
        return;
    const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
    if (!mime)
        return;
    QImage image;
    if (mime->hasImage())
        image = qvariant_cast<QImage>(mime->imageData());
    // A browser's "Copy image" may offer only encoded bytes under an image type.
    for (qsizetype i = 0; image.isNull() && i < mime->formats().size(); ++i) {
        const QString format = mime->formats().at(i);
        if (format.startsWith(QStringLiteral("image/")))
            image = QImage::fromData(mime->data(format));
    }
    if (!image.isNull())
        setAttachedImage(image);
}

void LauncherViewModel::appendMessage(ChatMessage message)
{
    m_messages.append(std::move(message));
    Q_EMIT messageAppended(int(m_messages.size() - 1));
    Q_EMIT messagesChanged();
}

void LauncherViewModel::updateMessage(const QUuid &id, const std::function<void(ChatMessage &)> &change)
{
    for (qsizetype i = m_messages.size() - 1; i >= 0; --i) {
        if (m_messages.at(i).id == id) {
            change(m_messages[i]);
            Q_EMIT messageUpdated(int(i));
            Q_EMIT messagesChanged();
            return;
        }
    }
}

void LauncherViewModel::setLoading(bool loading)
{
    if (assignIfChanged(m_isLoading, loading))
        Q_EMIT isLoadingChanged();
}

void LauncherViewModel::setErrorMessage(std::optional<QString> message)
{
    if (assignIfChanged(m_errorMessage, std::move(message)))
        Q_EMIT errorMessageChanged();
}
