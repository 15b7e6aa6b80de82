// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

// A saved way of asking: instructions for the model, a template for the
// prompt, and optionally the provider and model it is sent to.
struct Preset
{
    QString name;
    QString instructions;
    QString promptTemplate;
    QString provider; // a provider's name; empty: the one chosen at the time
    QString model; // empty: that provider's chosen model

    // Letters, digits, "-" and "_", at least one.
    static bool isValidName(const QString &name);
    // What the caption of a prompt sent with it says: the name, then any provider and model.
    QString caption() const;
    // The ones a fresh installation offers.
    static QList<Preset> examples();

    friend bool operator==(const Preset &, const Preset &) = default;
};
