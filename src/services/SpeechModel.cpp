// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/SpeechModel.h"

#include <QFileInfo>

SpeechModel SpeechModel::usEnglish()
{
    const QString root = QStringLiteral("/usr/share/pocketsphinx/model/en-us/");
    return {root + QStringLiteral("en-us"),
            root + QStringLiteral("en-us.lm.bin"),
            root + QStringLiteral("cmudict-en-us.dict"),
            {}};
}

bool SpeechModel::isInstalled() const
{
    return QFileInfo(acousticModel).isDir() && QFileInfo(dictionary).isFile()
        && (!grammar.isEmpty() || QFileInfo(languageModel).isFile());
}
