// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "services/PcmFormat.h"

#include <QByteArray>

// Turns audio in whatever format an input delivers (any rate, any number of
// channels, 8/16/32-bit integer or float samples) into what the recogniser
// takes: 16 kHz mono signed 16-bit little-endian. Blocks may split frames
// anywhere; the converter carries the remainder and the resampling phase over.
class PcmConverter
{
public:
    PcmConverter() = default;
    explicit PcmConverter(const PcmFormat &from);

    // Whether the input format is one it can convert.
    bool isValid() const { return m_frameBytes > 0; }
    QByteArray convert(const QByteArray &input);

private:
    double sampleAt(const char *frame) const;

    PcmFormat m_from;
    int m_frameBytes = 0;
    QByteArray m_partialFrame;
    // The output sample being built, in units of 1/(input rate) of an output
    // sample period: each input frame covers "output rate" units of it.
    qint64 m_filled = 0;
    double m_sum = 0;
};
