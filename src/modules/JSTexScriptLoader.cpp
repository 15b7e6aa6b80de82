// SPDX-License-Identifier: GPL-3.0-or-later
#include "modules/JSTexScriptLoader.h"

#include "modules/JSTexScript.h"

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

} // namespace

// Made once; the module stays loaded, so the filter may too.
JSTexScriptLoader::JSTexScriptLoader()
{
    previousFilter = QLoggingCategory::installFilter(quietScriptCompiler);
}

std::unique_ptr<TexScript> JSTexScriptLoader::load(const QString &script, const QString &fileName, QString *error) const
{
    auto loaded = std::make_unique<JSTexScript>(script, fileName, error);
    if (!loaded->isCallable())
        return nullptr;
    return loaded;
}
