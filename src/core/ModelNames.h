// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The vocabulary of model identifiers that the views share.

// The Gemini models offered to the user, in display order.
QStringList defaultGeminiModels();

// The short display name of a model identifier ("3 Flash ✦", "o3-mini").
QString formatModelName(const QString &model);

// The vendor-logo picture name for a model identifier, or none.
std::optional<QString> providerImageName(const QString &model);
