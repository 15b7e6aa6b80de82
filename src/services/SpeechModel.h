// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The files PocketSphinx recognises with. A grammar, when given, limits
// recognition to its sentences (JSGF text); otherwise the language model is
// used.
struct SpeechModel
{
    QString acousticModel;
    QString languageModel;
    QString dictionary;
    QString grammar;

    // Debian's US English model (package pocketsphinx-en-us).
    static SpeechModel usEnglish();
    bool isInstalled() const;
};
