// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/x11/LayoutKeyName.h"

#include "platform/x11/X11Connection.h"

#include <QList>

#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <memory>

namespace {

struct ContextFree
{
    void operator()(xkb_context *c) const { xkb_context_unref(c); }
};
struct KeymapFree
{
    void operator()(xkb_keymap *k) const { xkb_keymap_unref(k); }
};
struct StateFree
{
    void operator()(xkb_state *s) const { xkb_state_unref(s); }
};
using Context = std::unique_ptr<xkb_context, ContextFree>;
using Keymap = std::unique_ptr<xkb_keymap, KeymapFree>;
using State = std::unique_ptr<xkb_state, StateFree>;

// The server's keymap and its state, so the layout the user switched to counts.
std::pair<Keymap, State> serverKeymap(xkb_context *context, xcb_connection_t *connection)
{
    if (!xkb_x11_setup_xkb_extension(connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                     XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr))
        return {};
    const int32_t device = xkb_x11_get_core_keyboard_device_id(connection);
    if (device < 0)
        return {};
    Keymap keymap(xkb_x11_keymap_new_from_device(context, connection, device, XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!keymap)
        return {};
    State state(xkb_x11_state_new_from_device(keymap.get(), connection, device));
    return {std::move(keymap), std::move(state)};
}

std::pair<Keymap, State> defaultKeymap(xkb_context *context)
{
    Keymap keymap(xkb_keymap_new_from_names(context, nullptr, XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!keymap)
        return {};
    State state(xkb_state_new(keymap.get()));
    return {std::move(keymap), std::move(state)};
}

// The symbol the key gives with no modifier held, in the layout in use.
std::optional<xkb_keysym_t> levelZeroSymbol(quint32 x11Keycode)
{
    const Context context(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
    if (!context)
        return std::nullopt;
    xcb_connection_t *connection = x11Connection();
    auto [keymap, state] = connection ? serverKeymap(context.get(), connection) : defaultKeymap(context.get());
    if (!keymap || !state)
        return std::nullopt;
    const xkb_layout_index_t layout = xkb_state_key_get_layout(state.get(), x11Keycode);
    if (layout == XKB_LAYOUT_INVALID)
        return std::nullopt;
    const xkb_keysym_t *symbols = nullptr;
    if (xkb_keymap_key_get_syms_by_level(keymap.get(), x11Keycode, layout, 0, &symbols) < 1)
        return std::nullopt;
    return symbols[0];
}

} // namespace

std::optional<QString> layoutKeyName(quint32 x11Keycode)
{
    const std::optional<xkb_keysym_t> symbol = levelZeroSymbol(x11Keycode);
    if (!symbol)
        return std::nullopt;
    char text[64] = {};
    if (xkb_keysym_to_utf8(*symbol, text, sizeof text) > 1) {
        const QString character = QString::fromUtf8(text);
        const QList<uint> codePoints = character.toUcs4();
        // Control characters (Escape's ESC, for one) are no name to show.
        if (!codePoints.isEmpty() && QChar::isPrint(char32_t(codePoints.first())))
            return character.toUpper();
    }
    if (xkb_keysym_get_name(*symbol, text, sizeof text) > 0)
        return QString::fromLatin1(text);
    return std::nullopt;
}

std::optional<QString> layoutKeysymName(quint32 x11Keycode)
{
    const std::optional<xkb_keysym_t> symbol = levelZeroSymbol(x11Keycode);
    char text[64] = {};
    if (!symbol || xkb_keysym_get_name(*symbol, text, sizeof text) <= 0)
        return std::nullopt;
    return QString::fromLatin1(text);
}
