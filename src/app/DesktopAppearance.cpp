// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DesktopAppearance.h"

#include "platform/AssignIfChanged.h"
#include "platform/Logging.h"
#include "ui/SchemePalette.h"

#include <QApplication>
#include <QEvent>

DesktopAppearance::DesktopAppearance(QObject *parent)
    : QObject(parent)
    , m_toolkitPalette(QGuiApplication::palette())
    , m_dark(isDarkPalette(m_toolkitPalette))
{
    connect(&m_scheme, &DesktopColorScheme::schemeChanged, this, &DesktopAppearance::apply);
    qApp->installEventFilter(this);
}

bool DesktopAppearance::eventFilter(QObject *watched, QEvent *event)
{
    // The toolkit changed its palette (a platform theme following the desktop).
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange && !m_applying && !m_overridden) {
        m_toolkitPalette = QGuiApplication::palette();
        apply();
    }
    return QObject::eventFilter(watched, event);
}

void DesktopAppearance::apply()
{
    applyScheme();
    const bool dark = isDarkPalette(QGuiApplication::palette());
    if (!assignIfChanged(m_dark, dark))
        return;
    Q_EMIT darkChanged(dark);
}

void DesktopAppearance::applyScheme()
{
    const DesktopColorScheme::Scheme scheme = m_scheme.scheme();
    const bool wantDark = scheme == DesktopColorScheme::Scheme::Dark;
    if (scheme == DesktopColorScheme::Scheme::NoPreference || wantDark == isDarkPalette(m_toolkitPalette)) {
        if (m_overridden)
            setApplicationPalette(m_toolkitPalette);
        m_overridden = false;
        EventTrace::note("appearance toolkit");
        return;
    }
    setApplicationPalette(schemePalette(wantDark));
    m_overridden = true;
    EventTrace::note(wantDark ? "appearance dark" : "appearance light");
}

bool DesktopAppearance::isDark() const
{
    return m_dark;
}

void DesktopAppearance::setApplicationPalette(const QPalette &palette)
{
    m_applying = true;
    QApplication::setPalette(palette);
    m_applying = false;
}
