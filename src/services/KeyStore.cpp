// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/KeyStore.h"

#include "services/KeychainHelper.h"

namespace {

class SystemKeyStore final : public KeyStore
{
public:
    Result<> save(const QString &account, const QString &value) override
    {
        return KeychainHelper::save(account, value);
    }
    Lookup lookup(const QString &account) override { return KeychainHelper::lookup(account); }
    QString description() override { return KeychainHelper::storeDescription(); }
};

} // namespace

KeyStore &KeyStore::system()
{
    static SystemKeyStore store;
    return store;
}
