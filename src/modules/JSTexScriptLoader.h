// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "math/TexScript.h"

#include <QObject>

// The math module: MathJax runs in Qt's JavaScript engine, which the tray
// does not map until the first formula.
class JSTexScriptLoader : public QObject, public TexScriptLoader
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TarnwickTexScriptLoader_iid)
    Q_INTERFACES(TexScriptLoader)

public:
    JSTexScriptLoader();

    std::unique_ptr<TexScript> load(const QString &script, const QString &fileName, QString *error) const override;
};
