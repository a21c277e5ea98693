#include "ImageSamples.h"

#include <Fixtures.h>

#include <ExifOrientation.h>
#include <IccProfile.h>
#include <JpegContainer.h>
#include <PngContainer.h>
#include <WebpContainer.h>

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

// Each frame's timing and checksum (the pixel aspect from a dropped pHYs aside).
QByteArrayList animationFrames(const QByteArray &bytes, const char *suffix)
{
    QByteArrayList lines = converted(bytes, suffix, "ffmpeg", {"-v", "error", "-i", "INPUT", "-f", "framemd5", "OUTPUT"}).split('\n');
    lines.removeIf([](const QByteArray &line) { return line.startsWith('#'); });
    return lines;
}

QByteArray pngProfile(const QByteArray &name, const QByteArray &profile)
{
    return pngChunk("iCCP", name + QByteArray(2, '\0') + deflated(profile));
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
    void findsTheEndOfCodedDataWhereverItsMarkersFall();
    void cleansPng_data();
    void cleansPng();
    void cleansWebp_data();
    void cleansWebp();
    void refusesDamaged_data();
    void refusesDamaged();
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

// Coded data with stuffed zeros, restarts and fill bytes at every place a
// block of sixteen bytes can put them, then the end and a trailer: the walk
// ends the picture at its end marker, neither before nor after.
void TestImageContainers::findsTheEndOfCodedDataWhereverItsMarkersFall()
{
    const QByteArray base = picture("JPEG");
    const qsizetype sos = base.indexOf("\xFF\xDA");
    QVERIFY(sos > 0);
    const QByteArray header = base.first(sos + 2 + qFromBigEndian<quint16>(base.constData() + sos + 2));
    const QByteArrayList markers {QByteArray("\xFF\x00", 2), "\xFF\xD3", QByteArray("\xFF\xFF\x00", 3), "\xFF\xFF\xD7"};
    for (int shift = 0; shift < 32; ++shift) {
        QByteArray coded;
        for (int n = 0; n < 200; ++n)
            coded += QByteArray(n % 37, char(n & 0x7F)) + markers[n % 8 == 7 ? n / 8 % markers.size() : 0];
        coded += QByteArray(shift, '\x5A');
        const QByteArray jpeg = header + coded + "\xFF\xD9" + trailMark;
        const ContainerWalk walk = walkJpeg(jpeg);
        QVERIFY2(!walk.damage, qPrintable(*walk.damage));
        QCOMPARE(walk.items.constLast().type, "trailing");
        QCOMPARE(walk.items.constLast().offset, jpeg.size() - trailMark.size());
        const auto cleaned = cleanJpeg(jpeg);
        QVERIFY(cleaned);
        QVERIFY(cleaned.value().endsWith(coded + "\xFF\xD9"));
    }
}

void TestImageContainers::cleansPng_data()
{
    QTest::addColumn<QByteArray>("png");
    QTest::addColumn<QList<QByteArray>>("marks");
    QTest::addColumn<int>("orientation");
    QTest::addColumn<bool>("animated");

    const QByteArray base = picture("PNG"), mark = "TsyPngQ7x";
    QTemporaryDir dir;
    const QList<QByteArray> marks {mark};
    QTest::newRow("camera tags, GPS, XMP, Display P3")
        << Fixtures::readAll(Fixtures::make(dir.path(), "png")) << Fixtures::planted("png") << 6 << false;
    QTest::newRow("text chunks")
        << afterIhdr(base, pngChunk("tEXt", QByteArray("Author\0", 7) + mark) + pngChunk("iTXt", QByteArray("Title\0\0\0\0\0", 10) + "TsyItxtQ7x")
                               + pngChunk("zTXt", QByteArray("Comment\0\0", 9) + deflated("TsyZtxtQ7x")))
        << QList<QByteArray> {mark, "TsyItxtQ7x", "Comment"} << 1 << false;
    QTest::newRow("time, provenance, private chunk")
        << afterIhdr(base, pngChunk("tIME", QByteArray::fromHex("07e30304050607")) + pngChunk("caBX", mark)
                               + pngChunk("tsYq", "TsyPrivQ7x"))
        << QList<QByteArray> {"tIME", mark, "TsyPrivQ7x"} << 1 << false;
    QTest::newRow("bytes after the end") << base + pngChunk("tEXt", QByteArray("A\0", 2) + mark) + mark << marks << 1 << false;
    QTest::newRow("upright eXIf goes") << afterIhdr(base, pngChunk("eXIf", ExifOrientation::build(1) + mark))
                                       << QList<QByteArray> {"eXIf", mark} << 1 << false;
    QTest::newRow("profile naming its maker")
        << afterIhdr(base, pngProfile("TsyNameQ7x", iccProfile(4, displayMark)))
        << QList<QByteArray> {"TsyNameQ7x", deflated(iccProfile(4, displayMark)).first(40)} << 1 << false;
    QTest::newRow("animated with a comment")
        << afterIhdr(converted({}, "png", "ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "testsrc=size=32x24:rate=5:duration=0.6",
                                                     "-plays", "0", "-f", "apng", "OUTPUT"}),
                     pngChunk("tEXt", QByteArray("Comment\0", 8) + mark))
        << marks << 1 << true;
}

void TestImageContainers::cleansPng()
{
    QFETCH(QByteArray, png);
    QFETCH(QList<QByteArray>, marks);
    QFETCH(int, orientation);
    QFETCH(bool, animated);
    QCOMPARE(Fixtures::found(png, marks), marks);
    QVERIFY(walkPng(png).hasIdentifying());
    QVERIFY(!walkPng(png).damage);

    const auto cleaned = cleanPng(png);
    QVERIFY(cleaned);
    const QByteArray out = cleaned.value();
    QCOMPARE(Fixtures::found(out, marks), QList<QByteArray>());
    const ContainerWalk walk = walkPng(out);
    QVERIFY(!walk.damage);
    for (const ContainerItem &item : walk.items)
        QVERIFY2(item.role != ItemRole::identifying, item.type.constData());
    QCOMPARE(exiftool(out, {"-s", "-s", "-GPS:all", "-XMP:all", "-Artist", "-DateTimeOriginal", "-Author", "-Title",
                            "-Comment", "-ModificationTime", "-ProfileCopyright"}, "png"),
             QByteArray());

    const qsizetype exif = out.indexOf("eXIf");
    QCOMPARE(exif < 0 ? 1 : ExifOrientation::read(QByteArrayView(out).sliced(exif + 4)).value_or(0), orientation);
    QCOMPARE(frames(out), frames(png));
    QCOMPARE(frames(out).value(0).colorSpace(), frames(png).value(0).colorSpace());
    if (animated)
        QCOMPARE(animationFrames(out, "png"), animationFrames(png, "png"));
    if (animated)
        QCOMPARE(animationFrames(out, "png").size(), 4);
    QCOMPARE(cleanPng(out).value(), out);
}

void TestImageContainers::cleansWebp_data()
{
    QTest::addColumn<QByteArray>("webp");
    QTest::addColumn<QList<QByteArray>>("marks");
    QTest::addColumn<bool>("animated");

    const QByteArray lossy = picture("WEBP"), mark = "TsyWebpQ7x";
    const QByteArray lossless = converted(picture("PNG"), "webp", "convert", {"INPUT", "-define", "webp:lossless=true", "OUTPUT"});
    const QByteArray animated = converted(picture("PNG"), "webp", "convert",
                                          {"-delay", "10", "INPUT", "(", "INPUT", "-negate", ")", "-loop", "0", "OUTPUT"});
    QTemporaryDir dir;
    const QList<QByteArray> marks {mark};
    Fixtures::writeAll(dir.filePath("p.icc"), iccProfile(2, displayMark));
    QTest::newRow("camera tags, GPS, XMP, Display P3")
        << Fixtures::readAll(Fixtures::make(dir.path(), "webp")) << Fixtures::planted("webp") << false;
    QTest::newRow("lossy, bytes after the end") << lossy + mark << marks << false;
    // The picture chunk made odd-sized (decoders ignore a byte after the
    // picture), so that its padding byte matters.
    const quint32 pictureSize = qFromLittleEndian<quint32>(lossless.constData() + 16);
    const QByteArray oddPicture = riffChunk("VP8L", lossless.mid(20, pictureSize) + QByteArray(pictureSize % 2 ? 0 : 1, '\0'));
    QTest::newRow("lossless, odd-sized chunks")
        << withRiffChunk(lossless.first(12) + oddPicture, riffChunk("TSYQ", mark + "!")) << marks << false;
    QTest::newRow("lossless, EXIF, XMP, marked profile")
        << tagged(lossless, {"-Artist=" + QString(mark), "-XMP-dc:Creator=TsyXmpQ7x", "-ICC_Profile<=" + dir.filePath("p.icc")}, "webp")
        << QList<QByteArray> {mark, "TsyXmpQ7x", makerMark, copyrightMark, displayMark} + headerMarks << false;
    QTest::newRow("animated, EXIF, unknown chunk in a frame")
        << withRiffChunk(tagged(animated, {"-Artist=" + QString(mark)}, "webp"), riffChunk("TSYF", "TsyFrameQ7x"), 2)
        << QList<QByteArray> {mark, "TsyFrameQ7x"} << true;
}

void TestImageContainers::cleansWebp()
{
    QFETCH(QByteArray, webp);
    QFETCH(QList<QByteArray>, marks);
    QFETCH(bool, animated);
    QCOMPARE(Fixtures::found(webp, marks), marks);
    QVERIFY(walkWebp(webp).hasIdentifying());
    QVERIFY(!walkWebp(webp).damage);

    const auto cleaned = cleanWebp(webp);
    QVERIFY(cleaned);
    const QByteArray out = cleaned.value();
    QCOMPARE(Fixtures::found(out, marks), QList<QByteArray>());
    const ContainerWalk walk = walkWebp(out);
    QVERIFY(!walk.damage);
    for (const ContainerItem &item : walk.items)
        QVERIFY2(item.role != ItemRole::identifying, item.type.constData());
    QCOMPARE(qFromLittleEndian<quint32>(out.constData() + 4), quint32(out.size() - 8));
    const qsizetype vp8x = out.indexOf("VP8X");
    if (vp8x >= 0)
        QCOMPARE(uchar(out[vp8x + 8]) & 0x2C, out.contains("ICCP") ? 0x20 : 0); // profile, not EXIF nor XMP
    QCOMPARE(exiftool(out, {"-s", "-s", "-GPS:all", "-XMP:all", "-EXIF:all"}, "webp"), QByteArray());

    const QList<QImage> before = frames(webp), after = frames(out);
    QCOMPARE(after.size(), animated ? 2 : 1);
    QCOMPARE(after, before);
    QCOMPARE(after[0].colorSpace(), before[0].colorSpace());
    QCOMPARE(cleanWebp(out).value(), out);
}

void TestImageContainers::refusesDamaged_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("kind");
    const QByteArray png = picture("PNG"), webp = picture("WEBP");
    QByteArray badCrc = png;
    badCrc[8 + 8 + 3] = char(badCrc[8 + 8 + 3] ^ 1);
    QByteArray longRiff = webp;
    qToLittleEndian(quint32(webp.size()), longRiff.data() + 4);
    QByteArray longChunk = webp;
    qToLittleEndian(quint32(webp.size()), longChunk.data() + 16);

    QTest::newRow("PNG, empty") << QByteArray() << QByteArray("png");
    QTest::newRow("PNG, a JPEG") << picture("JPEG") << QByteArray("png");
    QTest::newRow("PNG, bad CRC") << badCrc << QByteArray("png");
    QTest::newRow("PNG, no end chunk") << png.first(png.size() - 12) << QByteArray("png");
    QTest::newRow("PNG, cut inside a chunk") << png.first(png.size() / 2) << QByteArray("png");
    QTest::newRow("PNG, header not first") << png.first(8) + pngChunk("gAMA", QByteArray("\0\0\0\1", 4)) + png.mid(8) << QByteArray("png");
    QTest::newRow("PNG, profile not deflated") << afterIhdr(png, pngChunk("iCCP", QByteArray("P\0\0garbage", 10)))
                                               << QByteArray("png");
    QTest::newRow("WebP, empty") << QByteArray() << QByteArray("webp");
    QTest::newRow("WebP, a PNG") << png << QByteArray("webp");
    QTest::newRow("WebP, RIFF longer than the file") << longRiff << QByteArray("webp");
    QTest::newRow("WebP, chunk longer than the RIFF") << longChunk << QByteArray("webp");
    QTest::newRow("WebP, cut short") << webp.first(webp.size() - 3) << QByteArray("webp");
    QTest::newRow("WebP, frame too short for its header")
        << withRiffChunk(webp, riffChunk("ANMF", "short")) << QByteArray("webp");
}

void TestImageContainers::refusesDamaged()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, kind);
    QVERIFY((kind == "png" ? walkPng(bytes) : walkWebp(bytes)).damage);
    QVERIFY(!(kind == "png" ? cleanPng(bytes) : cleanWebp(bytes)));
}

QTEST_GUILESS_MAIN(TestImageContainers)
#include "tst_imagecontainers.moc"
