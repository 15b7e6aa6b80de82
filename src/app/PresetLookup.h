// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

class PresetStore;

// "Unknown preset "x". Presets: fix, explain.": what a command says of a name it does not know.
QString unknownPresetText(const PresetStore &store, const QString &name);
// A provider's name as typed on a command line (any case), or none.
std::optional<QString> matchProviderName(const QString &typed);
