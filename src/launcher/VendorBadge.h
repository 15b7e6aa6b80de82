// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPixmap>
#include <QString>

#include <optional>

// Our own small vendor badges for the logo names of providerImageName(): a
// rounded tile in a vendor colour with the vendor's initial. Unknown names
// have no picture.
std::optional<QPixmap> vendorBadge(const QString &imageName, int pointSize, qreal devicePixelRatio = 1.0);
