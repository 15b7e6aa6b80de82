// SPDX-License-Identifier: GPL-3.0-or-later
#include "math/MathJaxEngine.h"

#include "platform/LoadableModule.h"
#include "platform/Logging.h"

#include <QFile>

MathJaxEngine::MathJaxEngine()
{
    const TexScriptLoader *loader = LoadableModule::load<TexScriptLoader>(QStringLiteral("tarnwick-math"));
    if (!loader) {
        qCWarning(lcMath) << "The math module (tarnwick-math) is not installed";
        return;
    }
    QFile bundle(QStringLiteral(":/mathjax/mathjax-tex-svg.js"));
    if (!bundle.open(QIODevice::ReadOnly)) {
        qCWarning(lcMath) << "The MathJax script is missing:" << bundle.errorString();
        return;
    }
    QString error;
    m_script = loader->load(QString::fromUtf8(bundle.readAll()), bundle.fileName(), &error);
    if (!m_script)
        qCWarning(lcMath) << "The MathJax script does not run:" << error;
}

MathJaxEngine::~MathJaxEngine() = default;

MathJaxEngine::Outcome MathJaxEngine::typeset(const QString &tex, bool display)
{
    if (!m_script)
        return {{}, QStringLiteral("MathJax is not available")};
    return m_script->typeset(tex, display);
}
