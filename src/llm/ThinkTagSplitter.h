// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Local reasoning models write their thoughts inline, as "<think>…</think>"
// at the very start of the answer. This takes the answer's fragments as they
// come (a tag may be cut anywhere between them) and parts the thoughts from
// the answer. An answer that does not open with the tag passes unchanged.
class ThinkTagSplitter
{
public:
    struct Parts
    {
        QString answer;
        QString reasoning;
    };

    Parts feed(const QString &fragment);
    // The answer is complete: hands on whatever was held back.
    Parts finish();

private:
    enum class State { Opening, Thinking, Closing, Answering };

    void readOpening(Parts &parts);
    void readThinking(Parts &parts);
    void readClosing(Parts &parts);

    State m_state = State::Opening;
    QString m_held;
    bool m_thoughtStarted = false; // the line break after the tag is layout, not thought
};
