// SPDX-License-Identifier: GPL-3.0-or-later
#include "llm/ProviderRequest.h"

QString promptText(const LLMPrompt &prompt)
{
    if (prompt.newMessage.isEmpty() && prompt.imageData)
        return QStringLiteral("Describe this image.");
    if (prompt.newMessage.isEmpty() && !prompt.files.isEmpty())
        return prompt.files.size() == 1 ? QStringLiteral("Describe this file.")
                                        : QStringLiteral("Describe these files.");
    return prompt.newMessage;
}
