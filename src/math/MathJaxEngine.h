// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "math/TexScript.h"

#include <QString>

#include <memory>

// MathJax (TeX in, SVG out) in a JavaScript engine of its own, from the math
// module. Loading it takes a while and holds several megabytes: make one only
// when a formula comes, and on the thread that uses it.
class MathJaxEngine
{
public:
    MathJaxEngine();
    ~MathJaxEngine();

    // False when the bundled script could not be run (then every formula fails).
    bool isLoaded() const { return m_script != nullptr; }

    using Outcome = TexOutcome;
    Outcome typeset(const QString &tex, bool display);

private:
    std::unique_ptr<TexScript> m_script;
};
