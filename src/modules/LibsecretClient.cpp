// SPDX-License-Identifier: GPL-3.0-or-later
#include "modules/LibsecretClient.h"

#include "services/SecretWipe.h"

#include <QByteArray>
#include <QLoggingCategory>
#include <QStringDecoder>

#include <libsecret/secret.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

using namespace SecretServiceStore;

namespace {

// Quiet by default: `tarnwick ask` keeps standard error for the failure text.
// The same category as the program's own, defined here as a module has its own.
Q_LOGGING_CATEGORY(lcKeychain, "tarnwick.keychain", QtWarningMsg)

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// How long the service may take to answer at all.
constexpr auto kReachBound = 3s;
// Once it has answered, an operation may wait on an unlock prompt the user is typing into.
constexpr auto kOperationBound = 60s;
// After a service failed to answer, later calls skip it for a while instead of
// each waiting out the bound again (opening the settings window makes three calls).
constexpr auto kQuietAfterSilence = 30s;

std::atomic<Clock::rep> silentUntil{0};

const SecretSchema *schema()
{
    // Matching by attributes alone also finds items that other tools, such as
    // secret-tool, stored under the same service and account.
    static const SecretSchema instance = [] {
        SecretSchema s{};
        s.name = "com.tarnwick.app";
        s.flags = SECRET_SCHEMA_DONT_MATCH_NAME;
        s.attributes[0] = {"service", SECRET_SCHEMA_ATTRIBUTE_STRING};
        s.attributes[1] = {"account", SECRET_SCHEMA_ATTRIBUTE_STRING};
        return s;
    }();
    return &instance;
}

enum class Kind { Probe, Store, Lookup };

// Shared by the waiting caller and the worker thread. A caller that gives up
// leaves the call to the worker, which alone frees it when the late answer arrives.
struct Call
{
    Kind kind = Kind::Probe;
    QByteArray service;
    QByteArray account;
    QByteArray value;
    GCancellable *cancellable = g_cancellable_new();

    std::mutex mutex;
    std::condition_variable changed;
    bool reached = false;
    bool finished = false;
    Reply reply;

    ~Call()
    {
        wipeSecret(value);
        wipeSecret(reply.text);
        g_object_unref(cancellable);
    }

    void markReached()
    {
        const std::lock_guard lock(mutex);
        reached = true;
        changed.notify_all();
    }

    void finish(Reply result)
    {
        const std::lock_guard lock(mutex);
        reply = std::move(result);
        finished = true;
        changed.notify_all();
    }
};

QString describe(GError *error)
{
    return error ? QString::fromUtf8(error->message) : QString();
}

Reply performStore(SecretService *service, GHashTable *attributes, const Call &call)
{
    SecretValue *value = secret_value_new(call.value.constData(), call.value.size(), "text/plain");
    const QByteArray label = "Tarnwick: " + call.account;
    GError *error = nullptr;
    // Replaces the item with the same attributes in one step, so a failed
    // save keeps the previous key instead of deleting it first.
    const bool stored = secret_service_store_sync(service, schema(), attributes, SECRET_COLLECTION_DEFAULT,
                                                  label.constData(), value, call.cancellable, &error);
    secret_value_unref(value);
    Reply reply;
    if (stored) {
        reply.status = Status::Done;
    } else {
        reply.status = Status::Failed;
        reply.error = QStringLiteral("The keyring did not store the key");
        reply.error += error ? QStringLiteral(": ") + describe(error) : QStringLiteral(".");
    }
    g_clear_error(&error);
    return reply;
}

Reply performLookup(SecretService *service, GHashTable *attributes, const Call &call)
{
    GError *error = nullptr;
    SecretValue *value = secret_service_lookup_sync(service, schema(), attributes, call.cancellable, &error);
    Reply reply;
    if (!value) {
        reply.status = error ? Status::Failed : Status::NotFound;
        reply.error = error ? describe(error) : QStringLiteral("The keyring holds no such key.");
        g_clear_error(&error);
        return reply;
    }
    gsize length = 0;
    const gchar *bytes = secret_value_get(value, &length);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    reply.text = decoder.decode(QByteArrayView(bytes, static_cast<qsizetype>(length)));
    secret_value_unref(value);
    if (decoder.hasError()) {
        wipeSecret(reply.text);
        reply.status = Status::Failed;
        reply.error = QStringLiteral("The stored key is not valid UTF-8 text.");
    } else {
        reply.status = Status::Done;
    }
    return reply;
}

// A session bus that is named but gone (its daemon ended, the login closed)
// hides a keyring that may well hold the key: that is no missing keyring.
std::optional<QString> goneBus(GCancellable *cancellable)
{
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return std::nullopt;
    GError *error = nullptr;
    GDBusConnection *bus = g_bus_get_sync(G_BUS_TYPE_SESSION, cancellable, &error);
    if (bus) {
        g_object_unref(bus);
        return std::nullopt;
    }
    const QString reason = describe(error);
    g_clear_error(&error);
    return reason;
}

void perform(Call &call)
{
    if (const std::optional<QString> reason = goneBus(call.cancellable)) {
        qCInfo(lcKeychain) << "The session bus cannot be reached:" << *reason;
        call.finish(
            {Status::Unreachable,
             {},
             QStringLiteral("The keyring cannot be reached: the session bus does not answer (%1).").arg(*reason)});
        return;
    }
    GError *error = nullptr;
    SecretService *service =
        secret_service_open_sync(SECRET_TYPE_SERVICE, nullptr, SECRET_SERVICE_OPEN_SESSION, call.cancellable, &error);
    if (!service) {
        qCInfo(lcKeychain) << "No keyring service:" << describe(error);
        g_clear_error(&error);
        call.finish({Status::NoService, {}, QStringLiteral("No keyring service is running.")});
        return;
    }
    call.markReached();

    Reply reply{Status::Done, {}, {}};
    if (call.kind != Kind::Probe) {
        GHashTable *attributes = secret_attributes_build(schema(), "service", call.service.constData(), "account",
                                                         call.account.constData(), nullptr);
        reply = call.kind == Kind::Store ? performStore(service, attributes, call)
                                         : performLookup(service, attributes, call);
        g_hash_table_unref(attributes);
    }
    g_object_unref(service);
    call.finish(std::move(reply));
}

Reply runBounded(std::shared_ptr<Call> call)
{
    if (Clock::now().time_since_epoch().count() < silentUntil.load())
        return {Status::Unreachable, {}, QStringLiteral("The keyring service did not answer a moment ago.")};

    // A detached thread rather than a pool: a hung call must neither hold a
    // pool thread nor make the program wait for it when it quits.
    try {
        std::thread([call] { perform(*call); }).detach();
    } catch (const std::system_error &) {
        return {Status::Unreachable, {}, QStringLiteral("The keyring could not be asked (no thread available).")};
    }

    std::unique_lock lock(call->mutex);
    if (!call->changed.wait_for(lock, kReachBound, [&] { return call->reached || call->finished; })) {
        lock.unlock();
        g_cancellable_cancel(call->cancellable);
        silentUntil = (Clock::now() + kQuietAfterSilence).time_since_epoch().count();
        qCWarning(lcKeychain) << "The keyring service did not answer within"
                              << std::chrono::seconds(kReachBound).count() << "seconds";
        return {Status::Unreachable, {}, QStringLiteral("The keyring service did not answer.")};
    }
    if (!call->changed.wait_for(lock, kOperationBound, [&] { return call->finished; })) {
        lock.unlock();
        g_cancellable_cancel(call->cancellable);
        qCWarning(lcKeychain) << "The keyring service did not finish in time";
        return {Status::Failed, {}, QStringLiteral("The keyring did not finish in time.")};
    }
    return std::move(call->reply);
}

std::shared_ptr<Call> makeCall(Kind kind, const QString &service, const QString &account)
{
    auto call = std::make_shared<Call>();
    call->kind = kind;
    call->service = service.toUtf8();
    call->account = account.toUtf8();
    return call;
}

} // namespace

Reply LibsecretClient::store(const QString &service, const QString &account, const QString &value) const
{
    auto call = makeCall(Kind::Store, service, account);
    call->value = value.toUtf8();
    return runBounded(std::move(call));
}

Reply LibsecretClient::lookup(const QString &service, const QString &account) const
{
    return runBounded(makeCall(Kind::Lookup, service, account));
}

Reply LibsecretClient::probe() const
{
    return runBounded(makeCall(Kind::Probe, {}, {}));
}
