// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/SecretServiceStore.h"

#include "platform/LoadableModule.h"

namespace SecretServiceStore {

namespace {

const SecretServiceClient *client()
{
    static const SecretServiceClient *client =
        LoadableModule::load<SecretServiceClient>(QStringLiteral("tarnwick-keyring"));
    return client;
}

Reply withoutModule()
{
    return {Status::NoService, {}, QStringLiteral("The keyring module (tarnwick-keyring) is not installed.")};
}

} // namespace

Reply store(const QString &service, const QString &account, const QString &value)
{
    return client() ? client()->store(service, account, value) : withoutModule();
}

Reply lookup(const QString &service, const QString &account)
{
    return client() ? client()->lookup(service, account) : withoutModule();
}

Reply probe()
{
    return client() ? client()->probe() : withoutModule();
}

} // namespace SecretServiceStore
