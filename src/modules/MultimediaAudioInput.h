// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "services/AudioInput.h"

#include <QObject>

// The audio module: the default microphone through Qt Multimedia.
class MultimediaAudioInput : public QObject, public AudioInput
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TarnwickAudioInput_iid)
    Q_INTERFACES(AudioInput)

public:
    bool hasMicrophone() const override;
    Result<std::unique_ptr<AudioCapture>> start(const PcmFormat &preferred, Handlers handlers) const override;
};
