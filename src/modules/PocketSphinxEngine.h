// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "services/SpeechEngine.h"

#include <QObject>

// The speech module: offline recognition with PocketSphinx.
class PocketSphinxEngine : public QObject, public SpeechEngine
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TarnwickSpeechEngine_iid)
    Q_INTERFACES(SpeechEngine)

public:
    std::unique_ptr<SpeechRecognizer> load(const SpeechModel &model) const override;
};
