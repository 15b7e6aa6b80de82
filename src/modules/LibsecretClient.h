// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "services/SecretServiceStore.h"

#include <QObject>

// The keyring module: the Secret Service through libsecret, which brings GIO
// and GObject along. Every call is bounded, so a keyring service that hangs
// costs seconds, never the D-Bus timeout.
class LibsecretClient : public QObject, public SecretServiceClient
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TarnwickSecretServiceClient_iid)
    Q_INTERFACES(SecretServiceClient)

public:
    SecretServiceStore::Reply store(const QString &service, const QString &account,
                                    const QString &value) const override;
    SecretServiceStore::Reply lookup(const QString &service, const QString &account) const override;
    SecretServiceStore::Reply probe() const override;
};
