// SPDX-License-Identifier: GPL-3.0-or-later
// HTTP responses read in pieces cut anywhere: the same status, headers and
// body whatever the cut, and an early end told from a whole one.
#include "llm/HttpResponseParser.h"

#include <QTest>

using State = HttpResponseParser::State;

namespace {
struct Reading
{
    State state;
    int status;
    QByteArray contentType;
    QByteArray body;
};

Reading read(const QList<QByteArrayView> &pieces, bool closed)
{
    HttpResponseParser parser;
    QByteArray body;
    for (const QByteArrayView piece : pieces)
        parser.feed(piece, body);
    if (closed)
        parser.endOfInput();
    return {parser.state(), parser.status(), parser.header("content-type"), body};
}

const QByteArray kEvents = "data: {\"a\":1}\n\ndata: {\"b\":\"\xc3\xa9\"}\n\n";
} // namespace

class HttpResponseTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cutAnywhere_data()
    {
        QTest::addColumn<QByteArray>("response");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<QByteArray>("body");
        const QByteArray chunked = "HTTP/1.1 200 OK\r\nContent-Type: text/event-stream\r\n"
                                   "Transfer-Encoding: chunked\r\n\r\n";
        QTest::newRow("chunked, extensions and trailers")
            << chunked + "f;name=value\r\n" + kEvents.first(15) + "\r\n" + QByteArray::number(kEvents.size() - 15, 16)
                + "\r\n" + kEvents.sliced(15) + "\r\n0\r\nX-Trailer: yes\r\nX-Other: 2\r\n\r\n"
            << false << kEvents;
        QTest::newRow("chunked with bare line feeds and upper-case sizes")
            << "HTTP/1.1 200 OK\nContent-Type: text/event-stream\nTransfer-Encoding: chunked\n\n"
                + QByteArray::number(kEvents.size(), 16).toUpper() + "\n" + kEvents + "\n0\n\n"
            << false << kEvents;
        QTest::newRow("interim answer first")
            << "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Type: text/event-stream\r\n"
               "Content-Length: "
                + QByteArray::number(kEvents.size()) + "\r\n\r\n" + kEvents
            << false << kEvents;
        QTest::newRow("until the close")
            << "HTTP/1.1 200 OK\r\nContent-Type: text/event-stream\r\nConnection: close\r\n\r\n" + kEvents << true
            << kEvents;
    }

    // Each response in two pieces cut at every byte, and byte by byte.
    void cutAnywhere()
    {
        QFETCH(QByteArray, response);
        QFETCH(bool, closed);
        QFETCH(QByteArray, body);
        QList<QByteArrayView> bytewise;
        for (qsizetype i = 0; i < response.size(); ++i)
            bytewise.append(QByteArrayView(response).sliced(i, 1));
        QList<QList<QByteArrayView>> cuts = {bytewise};
        for (qsizetype at = 0; at <= response.size(); ++at)
            cuts.append({QByteArrayView(response).first(at), QByteArrayView(response).sliced(at)});
        for (const QList<QByteArrayView> &pieces : std::as_const(cuts)) {
            const Reading reading = read(pieces, closed);
            QCOMPARE(reading.state, State::Complete);
            QCOMPARE(reading.status, 200);
            QCOMPARE(reading.contentType, QByteArray("text/event-stream"));
            QCOMPARE(reading.body, body);
        }
    }

    // A connection that ends before the framing says the body did is cut,
    // wherever it ends; bytes after a whole response are left untaken.
    void endsEarly()
    {
        const QByteArray chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
            + QByteArray::number(kEvents.size(), 16) + "\r\n" + kEvents + "\r\n0\r\n\r\n";
        const QByteArray sized = "HTTP/1.1 502 Bad Gateway\r\nContent-Length: 12\r\n\r\nupstream err";
        for (const QByteArray &response : {chunked, sized}) {
            for (qsizetype at = 0; at < response.size(); ++at)
                QCOMPARE(read({QByteArrayView(response).first(at)}, true).state, State::Broken);
            HttpResponseParser parser;
            QByteArray body;
            QCOMPARE(parser.feed(response + "HTTP/1.1 200", body), response.size());
            QVERIFY(parser.isComplete());
        }
        const Reading failed = read({sized}, false);
        QCOMPARE(failed.status, 502);
        QCOMPARE(failed.body, QByteArray("upstream err"));
    }

    void malformed_data()
    {
        QTest::addColumn<QByteArray>("response");
        QTest::newRow("not HTTP") << QByteArray("SSH-2.0-OpenSSH_9.2\r\n\r\n");
        QTest::newRow("chunk size not hex")
            << QByteArray("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n");
        QTest::newRow("chunk size too large")
            << QByteArray("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nfffffffffffffffff\r\n");
        QTest::newRow("chunk longer than announced")
            << QByteArray("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nabc\r\n");
        QTest::newRow("bad length") << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: -4\r\n\r\n");
        QTest::newRow("endless header") << "HTTP/1.1 200 OK\r\nX: " + QByteArray(70 * 1024, 'x');
        QTest::newRow("endless chunk line")
            << "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1;" + QByteArray(9 * 1024, 'x');
    }

    void malformed()
    {
        QFETCH(QByteArray, response);
        QCOMPARE(read({response}, false).state, State::Broken);
    }
};

QTEST_GUILESS_MAIN(HttpResponseTest)
#include "tst_httpresponse.moc"
