// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>

// What typesetting a formula gives: its picture, or TeX's complaint.
struct TexOutcome
{
    QByteArray svg;
    QString error;
};

// The MathJax bundle run in a JavaScript engine of its own.
class TexScript
{
public:
    virtual ~TexScript() = default;
    virtual TexOutcome typeset(const QString &tex, bool display) = 0;
};

// What the math module offers: Qt's JavaScript engine, loaded with the first formula.
class TexScriptLoader
{
public:
    virtual ~TexScriptLoader() = default;
    // Runs the script; on failure nothing, and `error` says why.
    virtual std::unique_ptr<TexScript> load(const QString &script, const QString &fileName, QString *error) const = 0;
};

#define TarnwickTexScriptLoader_iid "org.tarnwick.TexScriptLoader/1"
Q_DECLARE_INTERFACE(TexScriptLoader, TarnwickTexScriptLoader_iid)
