// The desktop's colour scheme through the real xdg-desktop-portal's Settings
// interface, with the test's backend standing in for the desktop.
#include "platform/portal/DesktopColorScheme.h"
#include "support/PortalDesktop.h"

#include <QDBusVariant>
#include <QSignalSpy>
#include <QTest>

using Scheme = DesktopColorScheme::Scheme;

namespace {
constexpr int kTimeout = 20000;
}

class TestDesktopColorScheme : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void portalValues_data();
    void portalValues();
    void readAtStartAndFollowedLive();
};

void TestDesktopColorScheme::portalValues_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<Scheme>("scheme");
    QTest::newRow("dark") << QVariant(1u) << Scheme::dark;
    QTest::newRow("light") << QVariant(2u) << Scheme::light;
    QTest::newRow("no preference") << QVariant(0u) << Scheme::noPreference;
    QTest::newRow("a value from a later version") << QVariant(3u) << Scheme::noPreference;
    QTest::newRow("wrapped once more, as older frontends send it")
        << QVariant::fromValue(QDBusVariant(1u)) << Scheme::dark;
    QTest::newRow("wrapped twice") << QVariant::fromValue(QDBusVariant(QVariant::fromValue(QDBusVariant(2u))))
                                   << Scheme::light;
    QTest::newRow("text is not a scheme") << QVariant(QStringLiteral("1")) << Scheme::noPreference;
    QTest::newRow("nothing") << QVariant() << Scheme::noPreference;
}

void TestDesktopColorScheme::portalValues()
{
    QFETCH(QVariant, value);
    QFETCH(Scheme, scheme);
    QCOMPARE(DesktopColorScheme::fromPortalValue(value), scheme);
}

void TestDesktopColorScheme::readAtStartAndFollowedLive()
{
    PortalDesktop desktop;
    if (!desktop.problem().isEmpty())
        QSKIP(qPrintable(desktop.problem()));
    desktop.setColorScheme(1);

    DesktopColorScheme scheme;
    QSignalSpy changed(&scheme, &DesktopColorScheme::schemeChanged);
    QTRY_COMPARE_WITH_TIMEOUT(scheme.scheme(), Scheme::dark, kTimeout);

    desktop.setColorScheme(2);
    QTRY_COMPARE_WITH_TIMEOUT(scheme.scheme(), Scheme::light, kTimeout);
    desktop.setColorScheme(0);
    QTRY_COMPARE_WITH_TIMEOUT(scheme.scheme(), Scheme::noPreference, kTimeout);
    QCOMPARE(changed.count(), 3);
}

QTEST_GUILESS_MAIN(TestDesktopColorScheme)
#include "tst_desktopcolorscheme.moc"
