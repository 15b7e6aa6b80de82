// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/portal/DesktopColorScheme.h"

#include <QObject>
#include <QPalette>

// Keeps the application palette in the desktop's light or dark scheme while
// the program runs, so the windows that follow the system (Settings, and the
// panel on the "System" theme) restyle at once. The toolkit's own palette is
// kept whenever it already matches, or the desktop states no preference.
class DesktopAppearance : public QObject
{
    Q_OBJECT

public:
    explicit DesktopAppearance(QObject *parent = nullptr);

    // Whether the program's palette is dark now.
    bool isDark() const;

Q_SIGNALS:
    void darkChanged(bool dark);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void apply();
    void applyScheme();
    void setApplicationPalette(const QPalette &palette);

    DesktopColorScheme m_scheme;
    QPalette m_toolkitPalette;
    bool m_overridden = false;
    bool m_applying = false;
    bool m_dark = false;
};
