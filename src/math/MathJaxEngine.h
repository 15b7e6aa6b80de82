// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class QJSEngine;

// MathJax (TeX in, SVG out) in a JavaScript engine of its own. Loading it
// takes a while and holds several megabytes: make one only when a formula
// comes, and on the thread that uses it.
class MathJaxEngine
{
public:
    MathJaxEngine();
    ~MathJaxEngine();

    // False when the bundled script could not be run (then every formula fails).
    bool isLoaded() const { return m_loaded; }

    struct Outcome
    {
        QByteArray svg;
        QString error; // TeX's complaint about a rejected formula
    };
    Outcome typeset(const QString &tex, bool display);

private:
    std::unique_ptr<QJSEngine> m_engine;
    bool m_loaded = false;
};
