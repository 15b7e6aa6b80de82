// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "services/SpeechModel.h"
#include "services/SpeechRecognizer.h"

#include <QObject>

#include <memory>

// What the speech module offers: a recogniser for a model, or nullptr when
// the model cannot be loaded.
class SpeechEngine
{
public:
    virtual ~SpeechEngine() = default;
    virtual std::unique_ptr<SpeechRecognizer> load(const SpeechModel &model) const = 0;
};

#define TarnwickSpeechEngine_iid "org.tarnwick.SpeechEngine/1"
Q_DECLARE_INTERFACE(SpeechEngine, TarnwickSpeechEngine_iid)
