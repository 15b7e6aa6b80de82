// SPDX-License-Identifier: GPL-3.0-or-later
#include "dictation/DictationTranscriber.h"

#include "dictation/HttpTranscriber.h"
#include "dictation/OfflineTranscriber.h"
#include "dictation/TranscriptionReply.h"
#include "dictation/TranscriptionRequest.h"
#include "llm/HttpExchange.h"
#include "llm/ProviderTable.h"

#include <QTimer>
#include <QUrl>
#include <QtConcurrent>

namespace {
// A server on the user's side that is up answers at once; Automatic does not
// keep the user waiting for one that is not.
constexpr int kProbeMs = 1500;

QString keyOf(const KeyStore::Lookup &lookup)
{
    return lookup.value.value_or(QString()).trimmed();
}

QString missingKey(const KeyStore::Lookup &lookup, const QString &provider, const QString &command)
{
    if (!keyOf(lookup).isEmpty())
        return {};
    if (!lookup.problem.isEmpty())
        return lookup.problem;
    return QStringLiteral("No API key set for %1. Add one in Settings, or with: tarnwick set-key %2")
        .arg(provider, command);
}

QString hostOf(const QString &address)
{
    const QUrl url(address);
    return url.port() > 0 ? QStringLiteral("%1:%2").arg(url.host()).arg(url.port()) : url.host();
}
} // namespace

DictationTranscriber::DictationTranscriber(DictationSettings settings, KeyStore &keys, QObject *parent)
    : Transcriber(parent)
    , m_settings(std::move(settings))
    , m_keys(keys)
{
}

DictationTranscriber::~DictationTranscriber()
{
    cancel();
    m_lookup.waitForFinished();
}

void DictationTranscriber::transcribe(const QByteArray &wav, const QString &language)
{
    cancel();
    m_wav = wav;
    m_language = language;
    const quint64 run = m_run;
    const DictationEngine engine = m_settings.engine;
    const bool automatic = engine == DictationEngine::Automatic;
    const bool gemini =
        engine == DictationEngine::Gemini || (automatic && m_settings.chatProvider == LLMProvider::Gemini);
    const bool openRouter =
        engine == DictationEngine::OpenRouter || (automatic && m_settings.chatProvider == LLMProvider::OpenRouter);
    const bool server = engine == DictationEngine::Server || automatic;
    m_lookup.disconnect(this);
    connect(&m_lookup, &QFutureWatcher<Keys>::finished, this, [this, run] {
        if (run == m_run)
            choose(m_lookup.result());
    });
    m_lookup.setFuture(QtConcurrent::run([&store = m_keys, gemini, openRouter, server] {
        Keys keys;
        if (gemini)
            keys.gemini = store.lookup(ProviderTable::traits(LLMProvider::Gemini).keyAccount);
        if (openRouter)
            keys.openRouter = store.lookup(ProviderTable::traits(LLMProvider::OpenRouter).keyAccount);
        if (server)
            keys.server = store.lookup(ProviderTable::transcriptionKeyAccount());
        return keys;
    }));
}

void DictationTranscriber::cancel()
{
    ++m_run;
    if (m_probe) {
        m_probe->abort();
        m_probe->deleteLater();
        m_probe = nullptr;
    }
    if (m_engine)
        m_engine->cancel();
}

void DictationTranscriber::choose(const Keys &keys)
{
    if (m_settings.engine != DictationEngine::Automatic) {
        use(m_settings.engine, keys);
        return;
    }
    if (m_settings.chatProvider == LLMProvider::Gemini && !keyOf(keys.gemini).isEmpty())
        use(DictationEngine::Gemini, keys);
    else if (m_settings.chatProvider == LLMProvider::OpenRouter && !keyOf(keys.openRouter).isEmpty())
        use(DictationEngine::OpenRouter, keys);
    else
        probeServer(keys);
}

// Any HTTP answer counts, a 404 included: whisper.cpp's server lists no models.
void DictationTranscriber::probeServer(const Keys &keys)
{
    ProviderRequest request;
    request.method = "GET";
    request.url = m_settings.serverAddress + QStringLiteral("/models");
    request.serverAddress = m_settings.serverAddress;
    auto *probe = new HttpExchange(std::move(request), this);
    m_probe = probe;
    const quint64 run = m_run;
    auto decide = [this, probe, run, keys](bool answered) {
        if (m_probe != probe)
            return;
        m_probe = nullptr;
        probe->abort();
        probe->deleteLater();
        if (run == m_run)
            use(answered ? DictationEngine::Server : DictationEngine::Offline, keys);
    };
    connect(probe, &HttpExchange::completed, this, [decide] { decide(true); });
    connect(probe, &HttpExchange::failed, this,
            [decide](const LLMError &error) { decide(error.kind() == LLMError::Kind::Http); });
    QTimer::singleShot(kProbeMs, probe, [decide] { decide(false); });
    probe->start();
}

void DictationTranscriber::use(DictationEngine engine, const Keys &keys)
{
    m_engine = make(engine, keys);
    connect(m_engine.get(), &Transcriber::transcribed, this, &Transcriber::transcribed);
    connect(m_engine.get(), &Transcriber::failed, this, &Transcriber::failed);
    const quint64 run = m_run;
    Q_EMIT engineChosen(engine);
    // Whoever was told may have cancelled, or chosen to keep what it has.
    if (run != m_run)
        return;
    const QByteArray wav = std::exchange(m_wav, {});
    m_engine->transcribe(wav, m_language);
}

std::unique_ptr<Transcriber> DictationTranscriber::make(DictationEngine engine, const Keys &keys) const
{
    switch (engine) {
    case DictationEngine::Gemini: {
        const QString key = keyOf(keys.gemini);
        const ProviderTraits &gemini = ProviderTable::traits(LLMProvider::Gemini);
        return std::make_unique<HttpTranscriber>(TranscriptionService{
            gemini.displayName,
            [key, base = ProviderTable::baseUrl(LLMProvider::Gemini)](const QByteArray &wav, const QString &language) {
            return geminiTranscriptionRequest(base, key, DictationSettings::geminiModel, wav, language);
            },
            geminiTranscript, missingKey(keys.gemini, gemini.displayName, gemini.rawValue.toLower())});
    }
    case DictationEngine::OpenRouter: {
        const QString key = keyOf(keys.openRouter);
        const ProviderTraits &openRouter = ProviderTable::traits(LLMProvider::OpenRouter);
        return std::make_unique<HttpTranscriber>(TranscriptionService{
            openRouter.displayName,
            [key, base = ProviderTable::baseUrl(LLMProvider::OpenRouter)](const QByteArray &wav,
                                                                          const QString &language) {
            return openRouterTranscriptionRequest(base, key, DictationSettings::openRouterModel, wav, language);
            },
            chatCompletionTranscript,
            missingKey(keys.openRouter, openRouter.displayName, openRouter.rawValue.toLower())});
    }
    case DictationEngine::Server: {
        // The key is optional; a keyring that does not answer only loses it.
        const QString key = keyOf(keys.server);
        return std::make_unique<HttpTranscriber>(
            TranscriptionService{QStringLiteral("The transcription server"),
                                 [key, base = m_settings.serverAddress,
                                  model = m_settings.serverModel](const QByteArray &wav, const QString &language) {
            return serverTranscriptionRequest(base, key, model, wav, language);
                                 },
                                 serverTranscript,
                                 {}});
    }
    case DictationEngine::Automatic:
    case DictationEngine::Offline:
        break;
    }
    return std::make_unique<OfflineTranscriber>();
}

QString DictationTranscriber::destination(DictationEngine engine, const DictationSettings &settings)
{
    switch (engine) {
    case DictationEngine::Gemini:
        return QStringLiteral("Google's Gemini API (%1)").arg(hostOf(ProviderTable::baseUrl(LLMProvider::Gemini)));
    case DictationEngine::OpenRouter:
        return QStringLiteral("OpenRouter (%1), which passes it to Google's Gemini")
            .arg(hostOf(ProviderTable::baseUrl(LLMProvider::OpenRouter)));
    case DictationEngine::Server:
        return QStringLiteral("the transcription server at %1").arg(hostOf(settings.serverAddress));
    case DictationEngine::Automatic:
    case DictationEngine::Offline:
        break;
    }
    return {};
}
