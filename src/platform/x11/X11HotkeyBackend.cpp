// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/x11/X11HotkeyBackend.h"

#include "platform/KeyTable.h"

#include <QCoreApplication>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdlib>
#include <memory>

namespace {

constexpr int kVariantCount = 4;
constexpr quint32 kNumLockKeysym = 0xff7f; // XK_Num_Lock

struct FreeDeleter
{
    void operator()(void *p) const { std::free(p); }
};

template<typename T> using XcbReply = std::unique_ptr<T, FreeDeleter>;

// The modifier bit that Num Lock sets on this server's keymap (usually Mod2).
quint16 findNumLockMask(xcb_connection_t *connection)
{
    xcb_key_symbols_t *symbols = xcb_key_symbols_alloc(connection);
    if (!symbols)
        return 0;
    std::unique_ptr<xcb_keycode_t, FreeDeleter> numLockCodes(xcb_key_symbols_get_keycode(symbols, kNumLockKeysym));
    xcb_key_symbols_free(symbols);
    if (!numLockCodes)
        return 0;

    XcbReply<xcb_get_modifier_mapping_reply_t> mapping(
        xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr));
    if (!mapping)
        return 0;
    const xcb_keycode_t *codes = xcb_get_modifier_mapping_keycodes(mapping.get());
    const int perModifier = mapping->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t code = codes[modifier * perModifier + i];
            for (const xcb_keycode_t *n = numLockCodes.get(); code != 0 && *n != 0; ++n) {
                if (*n == code)
                    return static_cast<quint16>(1u << modifier);
            }
        }
    }
    return 0;
}

} // namespace

X11HotkeyBackend::X11HotkeyBackend(xcb_connection_t *connection, quint32 root, QObject *parent)
    : HotkeyBackend(parent)
    , m_connection(connection)
    , m_root(root)
    , m_numLockMask(findNumLockMask(connection))
{
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11HotkeyBackend::~X11HotkeyBackend()
{
    for (const Grab &grab : std::as_const(m_grabs))
        ungrab(grab, kVariantCount);
    xcb_flush(m_connection);
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

// The combination alone, with Caps Lock, with Num Lock, with both.
quint16 X11HotkeyBackend::lockModifierVariants(int index) const
{
    quint16 extra = 0;
    if (index & 1)
        extra |= XCB_MOD_MASK_LOCK;
    if (index & 2)
        extra |= m_numLockMask;
    return extra;
}

void X11HotkeyBackend::ungrab(const Grab &grab, int variants)
{
    for (int i = 0; i < variants; ++i)
        xcb_ungrab_key(m_connection, grab.keycode, m_root, grab.modifiers | lockModifierVariants(i));
}

HotkeyBackend::GrabResult X11HotkeyBackend::grab(int id, HotkeyBinding binding)
{
    release(id);

    const std::optional<quint8> keycode = KeyTable::x11KeycodeForStoredKey(binding.keyCode);
    const xcb_setup_t *setup = xcb_get_setup(m_connection);
    if (!keycode || *keycode < setup->min_keycode || *keycode > setup->max_keycode)
        return GrabResult::UnknownKey;

    const Grab grab{*keycode, KeyTable::x11ModifiersFromStored(binding.modifiers)};
    // Without Num Lock on this keymap, the Num Lock variants equal the plain ones.
    const int variants = m_numLockMask ? kVariantCount : kVariantCount / 2;
    xcb_void_cookie_t cookies[kVariantCount];
    for (int i = 0; i < variants; ++i) {
        cookies[i] = xcb_grab_key_checked(m_connection, 0, m_root, grab.modifiers | lockModifierVariants(i),
                                          grab.keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    }
    // Each check waits for the server, so a BadAccess from another client's
    // grab is known before the result is trusted.
    bool taken = false;
    for (int i = 0; i < variants; ++i) {
        XcbReply<xcb_generic_error_t> error(xcb_request_check(m_connection, cookies[i]));
        if (error)
            taken = true;
    }
    if (taken) {
        ungrab(grab, variants);
        xcb_flush(m_connection);
        return GrabResult::Taken;
    }
    m_grabs.insert(id, grab);
    return GrabResult::Grabbed;
}

HotkeyBackend::Mechanism X11HotkeyBackend::mechanism(int id) const
{
    return m_grabs.contains(id) ? Mechanism::OwnGrab : Mechanism::None;
}

void X11HotkeyBackend::release(int id)
{
    const auto it = m_grabs.constFind(id);
    if (it == m_grabs.cend())
        return;
    const Grab grab = *it;
    m_grabs.erase(it);
    // Another id may hold the same combination; keep its grab in place.
    for (const Grab &other : std::as_const(m_grabs)) {
        if (other.keycode == grab.keycode && other.modifiers == grab.modifiers)
            return;
    }
    ungrab(grab, kVariantCount);
    xcb_flush(m_connection);
}

bool X11HotkeyBackend::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    const quint8 type = event->response_type & 0x7f;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
        return false;
    const auto *key = static_cast<const xcb_key_press_event_t *>(message);
    const quint16 modifiers = key->state & KeyTable::x11ModifierMask;

    bool matched = false;
    QList<int> fired;
    for (auto it = m_grabs.begin(); it != m_grabs.end(); ++it) {
        if (it->keycode != key->detail)
            continue;
        if (type == XCB_KEY_RELEASE) {
            it->down = false;
            it->releasedAt = key->time;
            continue;
        }
        if (it->modifiers != modifiers)
            continue;
        matched = true;
        // A held key repeats, as presses alone or as release-press pairs that
        // share one time stamp; either way it is one press.
        if (!it->down && key->time != it->releasedAt)
            fired << it.key();
        it->down = true;
    }
    // Receivers may change the grabs, so they run after the walk.
    for (int id : std::as_const(fired))
        Q_EMIT pressed(id, {});
    return matched;
}
