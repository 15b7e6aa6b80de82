// SPDX-License-Identifier: GPL-3.0-or-later
#include "modules/JSTexScript.h"

JSTexScript::JSTexScript(const QString &script, const QString &fileName, QString *error)
{
    const QJSValue result = m_engine.evaluate(script, fileName);
    if (result.isError()) {
        *error = result.toString();
        return;
    }
    m_callable = texToSvg().isCallable();
    if (!m_callable)
        *error = QStringLiteral("it defines no MathJaxBundle.texToSvg");
}

QJSValue JSTexScript::texToSvg()
{
    return m_engine.globalObject().property(QStringLiteral("MathJaxBundle")).property(QStringLiteral("texToSvg"));
}

TexOutcome JSTexScript::typeset(const QString &tex, bool display)
{
    const QJSValue result = texToSvg().call({QJSValue(tex), QJSValue(display)});
    if (result.isError())
        return {{}, result.toString()};
    const QJSValue error = result.property(QStringLiteral("error"));
    if (!error.isUndefined())
        return {{}, error.toString()};
    const QString svg = result.property(QStringLiteral("svg")).toString();
    if (svg.isEmpty())
        return {{}, QStringLiteral("MathJax gave no picture")};
    return {svg.toUtf8(), {}};
}
