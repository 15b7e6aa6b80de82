// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/HotkeyBackend.h"

#include <QHash>

// Tries one facility, and a second one for a combination the first reports
// taken: on X11 the program's own grab first, then the desktop's portal. When
// the second has nothing to offer, the first one's refusal is what counts.
class ChainedHotkeyBackend : public HotkeyBackend
{
    Q_OBJECT

public:
    ChainedHotkeyBackend(std::unique_ptr<HotkeyBackend> first, std::unique_ptr<HotkeyBackend> fallback,
                         QObject *parent = nullptr);

    GrabResult grab(int id, HotkeyBinding binding) override;
    void release(int id) override;
    Mechanism mechanism(int id) const override;
    QString triggerDescription(int id) const override;

private:
    void onFallbackResult(int id, GrabResult result);

    std::unique_ptr<HotkeyBackend> m_first;
    std::unique_ptr<HotkeyBackend> m_fallback;
    QHash<int, GrabResult> m_refused; // ids the first refused, with its answer
};
