// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QRegularExpression>
#include <QString>

// The colour classes of code blocks. Base is the colour of all other text.
enum class SyntaxColor : quint8 { Base, Keyword, String, Comment, Number };

// One coloured stretch of code, in UTF-16 code units.
struct SyntaxColorRun
{
    qsizetype start = 0;
    qsizetype length = 0;
    SyntaxColor color = SyntaxColor::Base;

    qsizetype end() const { return start + length; }
    friend bool operator==(const SyntaxColorRun &, const SyntaxColorRun &) = default;
};

// The colouring rules in the order they are applied; a later rule paints over an earlier one.
struct SyntaxRule
{
    SyntaxColor color;
    QRegularExpression pattern;
};
const QList<SyntaxRule> &syntaxRules();

// Replaces unpaired surrogates by U+FFFD, keeping every offset, so the
// patterns can run without the engine's UTF-16 check on each call.
QString withPairedSurrogates(const QString &text);

// The colouring pass: every rule scans the whole code, later rules win
// character by character. Returns the maximal runs of one colour other than
// Base, in order. A view paints Base first, then these runs.
QList<SyntaxColorRun> syntaxColorRuns(const QString &code);
