#pragma once

#include <QString>
#include <QStringList>

// What one response line (or a run of lines) does to the answer: the
// fragments it yields, in order, and whether the answer ends there.
struct LineOutcome
{
    enum class Ending { None, Done, Error };

    QStringList fragments;
    Ending ending = Ending::None;
    QString error; // the user-facing text when ending is Error

    static LineOutcome ignored() { return {}; }
    static LineOutcome done() { return {{}, Ending::Done, {}}; }
    static LineOutcome failure(const QString &text) { return {{}, Ending::Error, text}; }
};
