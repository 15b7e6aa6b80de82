// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "math/TexScript.h"

#include <QJSEngine>

// The MathJax bundle in a QJSEngine; its texToSvg does the work.
class JSTexScript : public TexScript
{
public:
    // Runs the script; isCallable() tells whether it left a texToSvg to call.
    JSTexScript(const QString &script, const QString &fileName, QString *error);

    bool isCallable() const { return m_callable; }
    TexOutcome typeset(const QString &tex, bool display) override;

private:
    QJSValue texToSvg();

    QJSEngine m_engine;
    bool m_callable = false;
};
