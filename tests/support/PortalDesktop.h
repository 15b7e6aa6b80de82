// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// The real xdg-desktop-portal on the test's session bus with the test's own
// GlobalShortcuts, Settings and Screenshot backend (desktop-portal-backend) standing in
// for the desktop, found through a .portal file as a desktop's backend would be.
class PortalDesktop
{
public:
    // backendArguments: "--decline" to refuse every binding.
    explicit PortalDesktop(const QStringList &backendArguments = {});
    ~PortalDesktop();

    // Empty when the portal answers; otherwise what is missing.
    QString problem() const { return m_problem; }

    // As if the user pressed the shortcut, or changed it in the desktop's settings.
    void activate(const QString &id, const QString &activationToken = {});
    void change(const QString &id, const QString &description);
    // As if the user switched the desktop's appearance: 0 none, 1 dark, 2 light.
    void setColorScheme(uint scheme);
    // What the program asked for: "launch=ALT+space", one entry per shortcut per bind.
    QStringList bound() const;

private:
    QString m_problem;
    QTemporaryDir m_dir;
    QProcess m_backend;
    QProcess m_frontend;
};
