// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

// The keyring side of the key store: one Secret Service item per account,
// with the attributes "service" and "account". Every call is bounded, so a
// keyring service that hangs costs seconds, never the D-Bus timeout. The
// keyring module does the work; without it there is no keyring service.
namespace SecretServiceStore {

enum class Status {
    Done, // stored, or found
    NotFound, // the service answered: there is no such item
    NoService, // no session bus at all, or no keyring service on it
    Unreachable, // a keyring service gave no answer in time, or the named session bus is gone
    Failed, // the service answered but did not do it (a dismissed unlock prompt, a locked keyring)
};

struct Reply
{
    Status status = Status::Unreachable;
    QString text; // the value found by lookup
    QString error; // why, in plain words, when not Done
};

Reply store(const QString &service, const QString &account, const QString &value);
Reply lookup(const QString &service, const QString &account);
Reply probe(); // Done when a keyring service answers

} // namespace SecretServiceStore

// What the keyring module offers, behind SecretServiceStore.
class SecretServiceClient
{
public:
    virtual ~SecretServiceClient() = default;
    virtual SecretServiceStore::Reply store(const QString &service, const QString &account,
                                            const QString &value) const = 0;
    virtual SecretServiceStore::Reply lookup(const QString &service, const QString &account) const = 0;
    virtual SecretServiceStore::Reply probe() const = 0;
};

#define TarnwickSecretServiceClient_iid "org.tarnwick.SecretServiceClient/1"
Q_DECLARE_INTERFACE(SecretServiceClient, TarnwickSecretServiceClient_iid)
