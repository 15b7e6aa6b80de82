// SPDX-License-Identifier: GPL-3.0-or-later
#include "modules/PocketSphinxEngine.h"

#include "modules/PocketSphinxRecognizer.h"

std::unique_ptr<SpeechRecognizer> PocketSphinxEngine::load(const SpeechModel &model) const
{
    return PocketSphinxRecognizer::load(model);
}
