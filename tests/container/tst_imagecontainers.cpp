#include "ImageSamples.h"

#include <Fixtures.h>

#include <ExifOrientation.h>
#include <IccProfile.h>
#include <JpegContainer.h>

#include <QColorSpace>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace ImageSamples;

namespace {

const QByteArray trailMark = "TsyTrailQ7x", commentMark = "TsyCommentQ7x", secondMark = "TsySecondQ7x";

QByteArray segment(uchar marker, const QByteArray &payload)
{
    QByteArray out("\xFF", 1);
    out.append(char(marker));
    char length[2];
    qToBigEndian(quint16(payload.size() + 2), length);
    return out.append(length, 2).append(payload);
}

QByteArray afterSoi(const QByteArray &jpeg, const QByteArray &inserted)
{
    return jpeg.first(2) + inserted + jpeg.mid(2);
}

// The JFIF header Qt writes, with a 4x1 thumbnail whose pixels spell a mark.
QByteArray withThumbnail(const QByteArray &jpeg)
{
    QByteArray app0 = segment(0xE0, QByteArray("JFIF\0\1\1\0\0\1\0\1\4\1", 14) + "TsyThumbQ7x\0");
    return jpeg.first(2) + app0 + jpeg.mid(2 + 2 + qFromBigEndian<quint16>(jpeg.constData() + 4));
}

QByteArray withProfile(const QByteArray &jpeg, const QByteArray &profile)
{
    QTemporaryDir dir;
    Fixtures::writeAll(dir.filePath("p.icc"), profile);
    return exiftool(jpeg, {"-q", "-overwrite_original", "-ICC_Profile<=" + dir.filePath("p.icc")}, "jpg");
}

QByteArray tagged(const QByteArray &bytes, const QStringList &tags, const char *suffix)
{
    return exiftool(bytes, QStringList {"-q", "-overwrite_original"} + tags, suffix);
}

QByteArray progressive(const QByteArray &jpeg)
{
    QTemporaryDir dir;
    Fixtures::writeAll(dir.filePath("in.jpg"), jpeg);
    Fixtures::run("convert", {dir.filePath("in.jpg"), "-interlace", "Plane", dir.filePath("out.jpg")});
    return Fixtures::readAll(dir.filePath("out.jpg"));
}

std::optional<int> keptOrientation(const QByteArray &jpeg)
{
    const qsizetype at = jpeg.indexOf(QByteArray("Exif\0\0", 6));
    return at < 0 ? std::nullopt : ExifOrientation::read(QByteArrayView(jpeg).sliced(at + 6));
}

} // namespace

class TestImageContainers : public QObject
{
    Q_OBJECT

private slots:
    void cleansJpeg_data();
    void cleansJpeg();
    void refusesDamagedJpeg_data();
    void refusesDamagedJpeg();
};

void TestImageContainers::cleansJpeg_data()
{
    QTest::addColumn<QByteArray>("jpeg");
    QTest::addColumn<QList<QByteArray>>("marks");
    QTest::addColumn<int>("orientation");

    const QByteArray base = picture("JPEG");
    QTemporaryDir dir;
    QTest::newRow("camera tags, GPS, XMP, Display P3")
        << Fixtures::readAll(Fixtures::make(dir.path(), "jpg")) << Fixtures::planted("jpg") << 6;
    QTest::newRow("comment") << afterSoi(base, segment(0xFE, commentMark)) << QList<QByteArray> {commentMark} << 1;
    QTest::newRow("IPTC and XMP") << tagged(base, {"-IPTC:By-line=" + QString(Fixtures::author), "-XMP-dc:Creator=" + QString(Fixtures::creator)}, "jpg")
                                  << QList<QByteArray> {Fixtures::author, Fixtures::creator} << 1;
    QTest::newRow("MPF second picture after the end")
        << afterSoi(base, segment(0xE2, QByteArray("MPF\0MM\0*", 8))) + afterSoi(base, segment(0xFE, secondMark))
        << QList<QByteArray> {"MPF", secondMark} << 1;
    QTest::newRow("bytes after the end") << base + trailMark << QList<QByteArray> {trailMark} << 1;
    QTest::newRow("JFIF thumbnail") << withThumbnail(base) << QList<QByteArray> {"TsyThumbQ7x"} << 1;
    QTest::newRow("profile naming its maker")
        << withProfile(base, iccProfile(2, displayMark))
        << QList<QByteArray> {makerMark, modelMark, copyrightMark, displayMark, metaMark} + headerMarks << 1;
    QTest::newRow("progressive, turned, big-endian EXIF")
        << tagged(progressive(base), {"-Orientation#=8", "-Artist=TsyArtistQ7x"}, "jpg")
        << QList<QByteArray> {"TsyArtistQ7x"} << 8;
    QTest::newRow("turned, little-endian EXIF")
        << tagged(base, {"-ExifByteOrder=Little-endian", "-Orientation#=3", "-Make=TsyMakeQ7x"}, "jpg")
        << QList<QByteArray> {"TsyMakeQ7x"} << 3;
    QTest::newRow("upright EXIF goes") << tagged(base, {"-Orientation#=1", "-Model=TsyModelQ7x"}, "jpg")
                                       << QList<QByteArray> {"TsyModelQ7x", "Exif"} << 1;
}

void TestImageContainers::cleansJpeg()
{
    QFETCH(QByteArray, jpeg);
    QFETCH(QList<QByteArray>, marks);
    QFETCH(int, orientation);
    QVERIFY(Fixtures::found(jpeg, marks).size() == marks.size());
    QVERIFY(walkJpeg(jpeg).hasIdentifying());

    const auto cleaned = cleanJpeg(jpeg);
    QVERIFY(cleaned);
    const QByteArray out = cleaned.value();
    QCOMPARE(Fixtures::found(out, marks), QList<QByteArray>());
    const ContainerWalk walk = walkJpeg(out);
    QVERIFY(!walk.damage);
    for (const ContainerItem &item : walk.items)
        QVERIFY2(item.role != ItemRole::identifying, item.type.constData());
    QCOMPARE(exiftool(out, {"-s", "-s", "-GPS:all", "-XMP:all", "-IPTC:all", "-MPF:all", "-Comment", "-Artist", "-Make",
                            "-Model", "-DateTimeOriginal", "-SerialNumber", "-ThumbnailImage", "-ProfileCopyright"}, "jpg"),
             QByteArray());

    QCOMPARE(keptOrientation(out), orientation == 1 ? std::nullopt : std::optional<int>(orientation));
    QCOMPARE(transformation(out), transformation(jpeg));
    const QList<QImage> before = frames(jpeg), after = frames(out);
    QCOMPARE(after.size(), 1);
    QCOMPARE(after, before);
    QCOMPARE(after[0].colorSpace(), before[0].colorSpace());
    QCOMPARE(cleanJpeg(out).value(), out);
}

void TestImageContainers::refusesDamagedJpeg_data()
{
    QTest::addColumn<QByteArray>("jpeg");
    const QByteArray base = picture("JPEG");
    const QByteArray profiled = withProfile(base, iccProfile(4, displayMark));
    const qsizetype icc = profiled.indexOf("ICC_PROFILE");
    QByteArray missingPiece = profiled;
    missingPiece[icc + 13] = 2;
    QByteArray badLength = base;
    qToBigEndian(quint16(0xFFFF), badLength.data() + 4);
    QByteArray brokenProfile = profiled;
    qToBigEndian(quint32(0x7FFFFFFF), brokenProfile.data() + icc + 14);

    QTest::newRow("empty") << QByteArray();
    QTest::newRow("a PNG") << picture("PNG");
    QTest::newRow("no end marker") << base.first(base.size() - 2);
    QTest::newRow("cut inside the picture data") << base.first(base.size() * 2 / 3);
    QTest::newRow("cut inside a segment header") << base.first(5);
    QTest::newRow("segment longer than the file") << badLength;
    QTest::newRow("garbage between segments") << afterSoi(base, "xx");
    QTest::newRow("profile piece missing") << missingPiece;
    QTest::newRow("profile cannot be read") << brokenProfile;
}

void TestImageContainers::refusesDamagedJpeg()
{
    QFETCH(QByteArray, jpeg);
    QVERIFY(walkJpeg(jpeg).damage);
    QVERIFY(!cleanJpeg(jpeg));
}

QTEST_GUILESS_MAIN(TestImageContainers)
#include "tst_imagecontainers.moc"
