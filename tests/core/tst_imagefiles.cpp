#include "core/ImageFiles.h"

#include <QBuffer>
#include <QDir>
#include <QImageReader>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

QByteArray encoded(const char *format)
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// The start of an HEIF file from a phone: an ISO media "ftyp" box of brand heic.
QByteArray heicHeader()
{
    return QByteArray::fromHex("00000018667479706865696300000000") + "mif1heic" + QByteArray(64, '\0');
}

} // namespace

class TestImageFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pickerOffersOnlyReadableFormats()
    {
        const QString filter = ImageFiles::pickerFilter();
        QVERIFY(filter.startsWith(QStringLiteral("Images (")));
        QSet<QString> offered;
        for (const QRegularExpressionMatch &match : QRegularExpression(QStringLiteral("\\*\\.(\\w+)")).globalMatch(filter))
            offered << match.captured(1);
        QSet<QString> readable;
        for (const QByteArray &format : QImageReader::supportedImageFormats())
            readable << QString::fromLatin1(format);
        QCOMPARE(offered, readable);
        for (const char *common : {"png", "jpg", "jpeg", "gif"})
            QVERIFY2(offered.contains(QLatin1String(common)), common);
    }

    void readsTheImageOrSaysWhy_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("problem"); // empty: the image is read

        QTest::newRow("PNG") << QStringLiteral("shot.png") << encoded("PNG") << QString();
        QTest::newRow("JPEG named .png") << QStringLiteral("photo.png") << encoded("JPEG") << QString();
        QTest::newRow("no suffix") << QStringLiteral("photo") << encoded("JPEG") << QString();
        if (!QImageReader::supportedImageFormats().contains("heic"))
            QTest::newRow("HEIC without a decoder")
                << QStringLiteral("IMG_0001.HEIC") << heicHeader()
                << QStringLiteral("Cannot attach \u201cIMG_0001.HEIC\u201d: this system has no decoder for .heic images.");
        QTest::newRow("cut-off PNG") << QStringLiteral("cut.png") << encoded("PNG").left(60)
                                     << QStringLiteral("Cannot attach \u201ccut.png\u201d: the image data is damaged or incomplete.");
        QTest::newRow("text") << QStringLiteral("notes.txt") << QByteArray("not an image")
                              << QStringLiteral("Cannot attach \u201cnotes.txt\u201d: this system has no decoder for .txt images.");
        QTest::newRow("missing") << QStringLiteral("gone.png") << QByteArray()
                                 << QStringLiteral("Cannot attach \u201cgone.png\u201d: the file does not exist.");
        // Reading a pipe would wait for a writer that never comes.
        QTest::newRow("FIFO") << QStringLiteral("pipe.png") << QByteArray("fifo")
                              << QStringLiteral("Cannot attach \u201cpipe.png\u201d: it is not a regular file.");
        QTest::newRow("folder") << QStringLiteral("folder.png") << QByteArray("folder")
                                << QStringLiteral("Cannot attach \u201cfolder.png\u201d: it is not a regular file.");
    }

    void readsTheImageOrSaysWhy()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, problem);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        if (content == "fifo") {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (content == "folder") {
            QVERIFY(QDir().mkdir(path));
        } else if (!content.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        const ImageFiles::Read read = ImageFiles::read(path);
        QCOMPARE(read.problem, problem);
        QCOMPARE(read.image.isNull(), !problem.isEmpty());
        if (problem.isEmpty())
            QCOMPARE(read.image.size(), QSize(40, 30));
    }
};

QTEST_GUILESS_MAIN(TestImageFiles)
#include "tst_imagefiles.moc"
