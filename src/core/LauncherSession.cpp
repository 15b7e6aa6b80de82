// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/LauncherSession.h"

#include "core/DictationFlow.h"
#include "core/InputJoining.h"
#include "core/LauncherViewModel.h"
#include "core/StoredChat.h"
#include "platform/AssignIfChanged.h"
#include "platform/Logging.h"
#include "presets/PresetStore.h"
#include "services/ScreenshotFlow.h"
#include "services/SpeechManager.h"
#include "services/TextGrabber.h"
#include "store/ConversationStore.h"

#include <QScopedValueRollback>

#include <algorithm>

LauncherSession::LauncherSession(UserDefaults &defaults, KeyStore &keys, PresetStore &presets,
                                 const QString &historyFilePath, QObject *parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_keys(keys)
    , m_presets(presets)
    , m_store(std::make_unique<ConversationStore>(historyFilePath))
    , m_vm(std::make_unique<LauncherViewModel>(defaults, keys))
{
    m_vm->setPresets(&m_presets);
    connect(m_vm.get(), &LauncherViewModel::messagesChanged, this, &LauncherSession::autoSave);
    connect(m_store.get(), &ConversationStore::saveProblemChanged, this, &LauncherSession::historyNoticeChanged);
    // A presets file set aside, or one left alone, is told where the history's troubles are.
    const auto tellPresetNotice = [this] {
        const QString notice = m_presets.notice();
        if (!notice.isEmpty() && !m_setAsideNotices.contains(notice)) {
            m_setAsideNotices << notice;
            Q_EMIT historyNoticeChanged();
        }
    };
    connect(&m_presets, &PresetStore::noticeChanged, this, tellPresetNotice);
    tellPresetNotice();
    connect(m_store.get(), &ConversationStore::fileSetAside, this, [this](const QString &movedTo) {
        m_setAsideNotices << tr("A history file could not be read and was moved to %1").arg(movedTo);
        Q_EMIT historyNoticeChanged();
    });
}

LauncherSession::~LauncherSession() = default;

SpeechManager &LauncherSession::speech() const
{
    if (!m_speech)
        m_speech = std::make_unique<SpeechManager>();
    return *m_speech;
}

DictationFlow &LauncherSession::dictation() const
{
    if (!m_dictation)
        m_dictation = std::make_unique<DictationFlow>(speech(), *m_vm, m_defaults, m_keys);
    return *m_dictation;
}

void LauncherSession::autoSave()
{
    if (m_discarding || m_vm->messages().isEmpty())
        return;
    setActiveConversationID(StoredChat::save(*m_store, m_vm->messages(), m_activeConversationID, m_vm->instructions()));
}

QString LauncherSession::saveProblemNotice() const
{
    const QString problem = m_store->saveProblem();
    return problem.isEmpty() ? QString() : tr("History could not be saved: %1").arg(problem);
}

QString LauncherSession::historyNotice() const
{
    const QString problem = saveProblemNotice();
    if (!problem.isEmpty() && problem != m_dismissedSaveProblem)
        return problem;
    return m_setAsideNotices.join(QLatin1Char('\n'));
}

void LauncherSession::dismissHistoryNotice()
{
    m_dismissedSaveProblem = saveProblemNotice();
    m_setAsideNotices.clear();
    Q_EMIT historyNoticeChanged();
}

void LauncherSession::setActiveConversationID(const QUuid &id)
{
    if (assignIfChanged(m_activeConversationID, id))
        Q_EMIT activeConversationChanged();
}

void LauncherSession::startNewConversation()
{
    // A stream still running is stopped and saved under its own id first.
    m_vm->newConversation();
    setActiveConversationID(QUuid());
}

bool LauncherSession::loadConversation(QUuid id)
{
    auto find = [this, &id] {
        const QList<Conversation> &all = m_store->conversations();
        return std::find_if(all.cbegin(), all.cend(), [&id](const Conversation &c) { return c.id == id; });
    };
    if (id.isNull() || find() == m_store->conversations().cend())
        return false;
    // Stopping a stream saves it, which may rewrite the store's list: look the
    // conversation up again afterwards and keep a copy, never a reference.
    m_vm->newConversation();
    const auto found = find();
    if (found == m_store->conversations().cend())
        return false;
    const Result<Conversation> whole = found->whole();
    if (!whole) {
        qCWarning(lcHistory) << "A conversation could not be opened:" << whole.message();
        return false;
    }
    // The id and instructions come first: setting the messages saves them with both.
    setActiveConversationID(id);
    m_vm->setInstructions(whole->instructions);
    m_vm->setMessages(StoredChat::toChat(whole->messages));
    return true;
}

bool LauncherSession::deleteConversation(QUuid id)
{
    const bool onScreen = !id.isNull() && id == m_activeConversationID;
    if (onScreen) {
        const QScopedValueRollback discard(m_discarding, true);
        m_vm->newConversation();
        setActiveConversationID(QUuid());
    }
    m_store->deleteConversation(id);
    return onScreen;
}

void LauncherSession::toggleDictation()
{
    dictation().toggle();
}

void LauncherSession::grabText()
{
    const std::optional<QString> grabbed = TextGrabber::grabSelectedText();
    if (grabbed)
        m_vm->setInputText(inputWithQuote(m_vm->inputText(), *grabbed));
}

void LauncherSession::takeScreenshot()
{
    if (!m_screenshotFlow) {
        m_screenshotFlow = std::make_unique<ScreenshotFlow>();
        ScreenshotFlow *flow = m_screenshotFlow.get();
        connect(flow, &ScreenshotFlow::captured, m_vm.get(), &LauncherViewModel::setAttachedImage);
        connect(flow, &ScreenshotFlow::captured, this, [] { EventTrace::note("screenshot-captured"); });
        connect(flow, &ScreenshotFlow::hideRequested, this, &LauncherSession::hideLauncherRequested);
        connect(flow, &ScreenshotFlow::showRequested, this, &LauncherSession::showLauncherRequested);
    }
    m_screenshotFlow->start();
}

void LauncherSession::flush()
{
    m_store->flush();
}
