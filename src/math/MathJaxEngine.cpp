// SPDX-License-Identifier: GPL-3.0-or-later
#include "math/MathJaxEngine.h"

#include "platform/Logging.h"

#include <QFile>
#include <QJSEngine>
#include <QLoggingCategory>

namespace {

QLoggingCategory::CategoryFilter previousFilter = nullptr;

// The bundle trips the script compiler's warnings about names used before
// their declaration, harmless in bundled code: they would fill the log at
// every load.
void quietScriptCompiler(QLoggingCategory *category)
{
    if (previousFilter)
        previousFilter(category);
    if (qstrcmp(category->categoryName(), "qt.qml.compiler") == 0)
        category->setEnabled(QtWarningMsg, false);
}

QJSValue texToSvgOf(QJSEngine &engine)
{
    return engine.globalObject().property(QStringLiteral("MathJaxBundle")).property(QStringLiteral("texToSvg"));
}

} // namespace

MathJaxEngine::MathJaxEngine()
    : m_engine(std::make_unique<QJSEngine>())
{
    static const bool quiet = [] {
        previousFilter = QLoggingCategory::installFilter(quietScriptCompiler);
        return true;
    }();
    Q_UNUSED(quiet);
    QFile bundle(QStringLiteral(":/mathjax/mathjax-tex-svg.js"));
    if (!bundle.open(QIODevice::ReadOnly)) {
        qCWarning(lcMath) << "The MathJax script is missing:" << bundle.errorString();
        return;
    }
    const QJSValue result = m_engine->evaluate(QString::fromUtf8(bundle.readAll()), bundle.fileName());
    if (result.isError()) {
        qCWarning(lcMath) << "The MathJax script does not run:" << result.toString();
        return;
    }
    m_loaded = texToSvgOf(*m_engine).isCallable();
}

MathJaxEngine::~MathJaxEngine() = default;

MathJaxEngine::Outcome MathJaxEngine::typeset(const QString &tex, bool display)
{
    if (!m_loaded)
        return {{}, QStringLiteral("MathJax is not available")};
    const QJSValue result = texToSvgOf(*m_engine).call({QJSValue(tex), QJSValue(display)});
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
