#pragma once

#include <QString>
#include <QVariantMap>

// A stored hotkey binding ({"keyCode", "modifiers"}: virtual key code and
// Carbon modifier bits) written the way Qt writes shortcuts here
// ("Meta+Ctrl+S"). Empty when the record is unusable.
QString bindingShortcutText(const QVariantMap &binding);
