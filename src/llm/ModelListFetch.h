// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "llm/LLMClient.h"
#include "llm/ProviderRequest.h"

#include <QObject>
#include <QPointer>

class HttpExchange;

// One catalogue request; deletes itself when done or when its context goes.
class ModelListFetch : public QObject
{
    Q_OBJECT
public:
    static void start(ProviderRequest request, QObject *context,
                      std::function<void(const LLMClient::ModelList &)> done);

private:
    ModelListFetch(ProviderRequest request, QObject *context, std::function<void(const LLMClient::ModelList &)> done);
    void onReceived(const QByteArray &bytes);
    void report(const LLMClient::ModelList &list);

    HttpExchange *m_exchange;
    QPointer<QObject> m_context;
    std::function<void(const LLMClient::ModelList &)> m_done;
    QByteArray m_body;
};
