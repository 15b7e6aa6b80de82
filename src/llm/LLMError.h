// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMetaType>
#include <QString>

// The client's error: what went wrong and the text the user reads.
class LLMError
{
public:
    enum class Kind { Http, Network, Timeout, Provider, InvalidRequest, Json };

    LLMError() = default;
    LLMError(Kind kind, QString description);

    // 401 and 429 have their own texts; every other status the generic one.
    // A provider message, when there is one, goes on a second line.
    static LLMError httpError(int status, const QString &providerMessage = {});
    // A rejected key that the provider reports with a status other than 401.
    static LLMError invalidKey(int status);
    // The connection ended before the provider marked the answer finished.
    static LLMError cutOff();
    // The provider finished an answer that holds no text.
    static LLMError emptyAnswer();

    // The same error told in other words.
    LLMError withDescription(QString description) const;

    Kind kind() const { return m_kind; }
    int status() const { return m_status; }
    QString errorDescription() const { return m_description; }

private:
    Kind m_kind = Kind::Network;
    int m_status = 0;
    QString m_description;
};

Q_DECLARE_METATYPE(LLMError)
