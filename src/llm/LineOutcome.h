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
    // The provider marked the answer finished (a finish reason); more lines,
    // such as usage figures, may still follow before the connection closes.
    bool complete = false;

    static LineOutcome ignored() { return {}; }
    static LineOutcome completed() { return {{}, Ending::None, {}, true}; }
    static LineOutcome done() { return {{}, Ending::Done, {}, true}; }
    static LineOutcome failure(const QString &text) { return {{}, Ending::Error, text, false}; }
};
