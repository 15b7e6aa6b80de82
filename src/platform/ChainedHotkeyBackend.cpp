// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ChainedHotkeyBackend.h"

ChainedHotkeyBackend::ChainedHotkeyBackend(std::unique_ptr<HotkeyBackend> first,
                                           std::unique_ptr<HotkeyBackend> fallback, QObject *parent)
    : HotkeyBackend(parent)
    , m_first(std::move(first))
    , m_fallback(std::move(fallback))
{
    for (HotkeyBackend *backend : {m_first.get(), m_fallback.get()}) {
        connect(backend, &HotkeyBackend::pressed, this, &HotkeyBackend::pressed);
        connect(backend, &HotkeyBackend::triggersChanged, this, &HotkeyBackend::triggersChanged);
    }
    connect(m_first.get(), &HotkeyBackend::resultChanged, this, &HotkeyBackend::resultChanged);
    connect(m_fallback.get(), &HotkeyBackend::resultChanged, this, &ChainedHotkeyBackend::onFallbackResult);
}

HotkeyBackend::GrabResult ChainedHotkeyBackend::grab(int id, HotkeyBinding binding)
{
    m_fallback->release(id);
    m_refused.remove(id);
    const GrabResult first = m_first->grab(id, binding);
    if (first != GrabResult::Taken)
        return first;
    m_refused.insert(id, first);
    const GrabResult second = m_fallback->grab(id, binding);
    return second == GrabResult::Unsupported ? first : second;
}

void ChainedHotkeyBackend::onFallbackResult(int id, GrabResult result)
{
    if (!m_refused.contains(id))
        return;
    Q_EMIT resultChanged(id, result == GrabResult::Unsupported ? m_refused.value(id) : result);
}

void ChainedHotkeyBackend::release(int id)
{
    m_first->release(id);
    m_fallback->release(id);
    m_refused.remove(id);
}

HotkeyBackend::Mechanism ChainedHotkeyBackend::mechanism(int id) const
{
    const Mechanism first = m_first->mechanism(id);
    return first != Mechanism::None ? first : m_fallback->mechanism(id);
}

QString ChainedHotkeyBackend::triggerDescription(int id) const
{
    return m_first->mechanism(id) != Mechanism::None ? m_first->triggerDescription(id)
                                                     : m_fallback->triggerDescription(id);
}
