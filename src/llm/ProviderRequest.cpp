#include "llm/ProviderRequest.h"

QString promptText(const LLMPrompt &prompt)
{
    if (prompt.newMessage.isEmpty() && prompt.imageData)
        return QStringLiteral("Describe this image.");
    return prompt.newMessage;
}
