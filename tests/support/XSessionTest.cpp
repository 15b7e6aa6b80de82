// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/XSessionTest.h"

#include <QTest>

XSessionTest::XSessionTest(const QString &openboxConfig)
    : m_openboxConfig(openboxConfig)
{
}

XSessionTest::~XSessionTest() = default;

void XSessionTest::initTestCase()
{
    m_session = std::make_unique<XSession>(m_openboxConfig);
    if (!m_session->problem().isEmpty())
        QSKIP(qPrintable(QStringLiteral("no test X session: ") + m_session->problem()));
}
