// The values the Settings portal may send for the desktop's colour scheme.
// Following it live, through the real portal, is tst_desktopappearance's.
#include "platform/portal/DesktopColorScheme.h"

#include <QDBusVariant>
#include <QTest>

using Scheme = DesktopColorScheme::Scheme;

class TestDesktopColorScheme : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void portalValues_data();
    void portalValues();
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

QTEST_GUILESS_MAIN(TestDesktopColorScheme)
#include "tst_desktopcolorscheme.moc"
