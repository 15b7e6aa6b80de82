// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/XSession.h"

#include <QObject>
#include <QString>

#include <memory>

// Base of the test classes that drive the real program on a private X
// session: one session for all of the class's tests, started before the first
// of them; the tests are skipped, saying what is missing, when it cannot start.
class XSessionTest : public QObject
{
    Q_OBJECT

public:
    // openboxConfig: as for XSession.
    explicit XSessionTest(const QString &openboxConfig = QStringLiteral(OPENBOX_RC));
    ~XSessionTest() override;

protected:
    // How long the program may take to answer: generous, for a loaded machine and sanitizers.
    static constexpr int kTimeout = 30000;

    XSession &session() const { return *m_session; }

private Q_SLOTS:
    void initTestCase();

private:
    QString m_openboxConfig;
    std::unique_ptr<XSession> m_session;
};
