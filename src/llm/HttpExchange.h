// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "llm/LLMError.h"
#include "llm/ProviderRequest.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <chrono>

class QNetworkReply;
class QUrl;

// One HTTP request on the thread's shared network access manager. The body of
// a 200 answer is handed on as it arrives; any other status, a transport
// failure, a redirect to another origin or a silence longer than the idle
// timeout ends it with an error.
class HttpExchange : public QObject
{
    Q_OBJECT
public:
    explicit HttpExchange(ProviderRequest request, QObject *parent = nullptr);
    ~HttpExchange() override;

    void start();
    // Closes the connection at once; no signal follows.
    void abort();

    static void setIdleTimeout(std::chrono::milliseconds timeout);
    static std::chrono::milliseconds idleTimeout();
    // How long a server on the user's side may take before its first byte.
    static void setFirstByteTimeout(std::chrono::milliseconds timeout);
    static std::chrono::milliseconds firstByteTimeout();

Q_SIGNALS:
    void received(const QByteArray &bytes);
    void completed();
    void failed(const LLMError &error);

private:
    void onReadyRead();
    void onFinished();
    void onIdle();
    void onRedirected(const QUrl &target);
    void rearmIdle();
    bool readStatus();
    bool checkContentType();
    LLMError errorForBody() const;
    void fail(const LLMError &error);
    void releaseReply();

    ProviderRequest m_request;
    QPointer<QNetworkReply> m_reply;
    QTimer m_idle;
    int m_status = 0;
    QByteArray m_errorBody;
    qint64 m_receivedBytes = 0;
    // The content type of a 200 answer that should have been an event stream.
    QString m_wrongContentType;
    bool m_contentTypeChecked = false;
    bool m_done = false;
};
