// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// The first byte of an input picks how its text is read and where a stream
// would cut it; the rest is the text.
struct FuzzInput
{
    FuzzInput(const uint8_t *data, size_t size)
    {
        if (size == 0)
            return;
        control = data[0];
        const auto *rest = reinterpret_cast<const char *>(data + 1);
        const auto length = qsizetype(size - 1);
        // Odd control bytes read raw UTF-16, unpaired surrogates and all.
        text = (control & 1) ? QString(reinterpret_cast<const QChar *>(rest), length / 2)
                             : QString::fromUtf8(rest, length);
    }

    // Growing prefixes of the text, ending with the whole of it.
    QList<qsizetype> cuts() const
    {
        QList<qsizetype> result;
        uint32_t state = control * 2654435761u + 1;
        const int maxStep = 1 + (control >> 4);
        for (qsizetype at = 0; at < text.size();) {
            state = state * 1664525u + 1013904223u;
            at = std::min(text.size(), at + 1 + qsizetype((state >> 8) % maxStep));
            result.append(at);
        }
        if (result.isEmpty())
            result.append(0);
        return result;
    }

    // At every cut, what the growing reader makes of the prefix must be what
    // a fresh read of it makes.
    template<typename Growing, typename Fresh>
    void expectGrowingAgrees(Growing grow, Fresh fresh, const char *what) const;

    uint8_t control = 0;
    QString text;
};

[[noreturn]] inline void fuzzFailure(const char *what)
{
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

template<typename Growing, typename Fresh>
void FuzzInput::expectGrowingAgrees(Growing grow, Fresh fresh, const char *what) const
{
    for (qsizetype cut : cuts()) {
        const QString prefix = text.left(cut);
        if (grow(prefix) != fresh(prefix))
            fuzzFailure(what);
    }
}
