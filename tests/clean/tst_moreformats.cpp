// The kinds added after the first thirteen, where the strip table cannot
// look: which first bytes each accepts, the GIF's blocks one by one, damaged
// GIF and JPEG XL files.

#include <GifContainer.h>
#include <JxlContainer.h>
#include <StripPlan.h>
#include <TagRoles.h>

#include <Fixtures.h>
#include <MoreFixtures.h>

#include <QTemporaryDir>
#include <QTest>

namespace {

QList<QByteArray> typesOf(const ContainerWalk &walk, ItemRole role)
{
    QList<QByteArray> types;
    for (const ContainerItem &item : walk.items) {
        if (item.role == role)
            types.append(item.type + (item.detail.isEmpty() ? QByteArray() : " " + item.detail.toLatin1()));
    }
    return types;
}

} // namespace

class tst_MoreFormats : public QObject
{
    Q_OBJECT

private slots:
    // TIFF and GIF tags are judged by what is allowed: a tag not known to
    // lay out, colour or animate the picture identifies.
    void tagsOfTheNewKinds_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("role");
        QTest::addColumn<int>("why");
        const int needed = int(ItemRole::needed), identifying = int(ItemRole::identifying), any = int(KeptBecause::structure);
        QTest::newRow("tif software") << "tif" << "IFD0:Software" << identifying << any;
        QTest::newRow("tif make") << "tif" << "IFD0:Make" << identifying << any;
        QTest::newRow("tif page name") << "tiff" << "IFD1:PageName" << identifying << any;
        QTest::newRow("tif strips") << "tif" << "IFD0:StripOffsets" << needed << int(KeptBecause::pixels);
        QTest::newRow("tif second page") << "tif" << "IFD2:Compression" << needed << int(KeptBecause::pixels);
        QTest::newRow("tif orientation") << "tif" << "IFD0:Orientation" << needed << int(KeptBecause::orientation);
        QTest::newRow("tif alpha") << "tif" << "IFD0:ExtraSamples" << needed << int(KeptBecause::transparency);
        QTest::newRow("tif white point") << "tif" << "IFD0:WhitePoint" << needed << int(KeptBecause::colourSpace);
        QTest::newRow("gif frames") << "gif" << "GIF:FrameCount" << needed << int(KeptBecause::animation);
        QTest::newRow("gif looping") << "gif" << "GIF:AnimationIterations" << needed << int(KeptBecause::animation);
        QTest::newRow("gif size") << "gif" << "GIF:ImageWidth" << needed << int(KeptBecause::pixels);
        QTest::newRow("gif unknown") << "gif" << "GIF:MacroMediaVersion" << identifying << any;
        QTest::newRow("gif comment") << "gif" << "File:Comment" << identifying << any;
        QTest::newRow("jxl brand") << "jxl" << "Jpeg2000:MajorBrand" << needed << any;
        QTest::newRow("jxl exif") << "jxl" << "IFD0:Artist" << identifying << any;
        QTest::newRow("avif coding") << "avif" << "QuickTime:AV1ConfigurationVersion" << needed << int(KeptBecause::pixels);
        QTest::newRow("avif maker") << "avif" << "QuickTime:Make" << identifying << any;
        QTest::newRow("orf serial") << "orf" << "Olympus:SerialNumber" << identifying << any;
        QTest::newRow("orf make") << "orf" << "IFD0:Make" << needed << int(KeptBecause::pixels);
        QTest::newRow("m4a track date") << "m4a" << "Track1:TrackCreateDate" << identifying << any;
        QTest::newRow("3gp sound") << "3gp" << "Track2:AudioSampleRate" << needed << int(KeptBecause::media);
    }

    void tagsOfTheNewKinds()
    {
        QFETCH(QString, extension);
        QFETCH(QString, key);
        QFETCH(int, role);
        QFETCH(int, why);
        const TagRole judged = roleOfTag(*parseSupportedFormat(extension), key, u"Tsy 1");
        QCOMPARE(int(judged.role), role);
        if (judged.role != ItemRole::identifying)
            QCOMPARE(int(judged.keptBecause), why);
    }

    void kindIsToldByItsFirstBytes_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<bool>("fits");
        const QByteArray tiff("II*\0\x08\0\0\0", 8), olympus("IIRO\x08\0\0\0", 8), panasonic("IIU\0\x18\0\0\0", 8);
        const QByteArray jxlBox("\0\0\0\x0cJXL \r\n\x87\n", 12);
        const QByteArray avif = QByteArray("\0\0\0\x14" "ftypavif\0\0\0\0mif1", 20), heic = QByteArray("\0\0\0\x18" "ftypheic", 12);
        QTest::newRow("tif") << "tif" << tiff << true;
        QTest::newRow("tif big-endian") << "tiff" << QByteArray("MM\0*", 4) << true;
        QTest::newRow("olympus raw as tif") << "tif" << olympus << false;
        QTest::newRow("orf") << "orf" << olympus << true;
        QTest::newRow("orf, older bodies") << "orf" << QByteArray("IIRS\x08\0\0\0", 8) << true;
        QTest::newRow("orf big-endian") << "orf" << QByteArray("MMOR", 4) << true;
        QTest::newRow("plain tiff as orf") << "orf" << tiff << false;
        QTest::newRow("rw2") << "rw2" << panasonic << true;
        QTest::newRow("tiff as rw2") << "rw2" << tiff << false;
        QTest::newRow("pef") << "pef" << tiff << true;
        QTest::newRow("srw") << "srw" << tiff << true;
        QTest::newRow("srw that is a gif") << "srw" << QByteArray("GIF89a") << false;
        QTest::newRow("raf") << "raf" << MoreFixtures::fujifilmHeader() << true;
        QTest::newRow("tiff as raf") << "raf" << tiff << false;
        QTest::newRow("gif87a") << "gif" << QByteArray("GIF87a") << true;
        QTest::newRow("gif89a") << "gif" << QByteArray("GIF89a") << true;
        QTest::newRow("png as gif") << "gif" << QByteArray("\x89PNG\r\n\x1a\n") << false;
        QTest::newRow("gif as png") << "png" << QByteArray("GIF89a") << false;
        QTest::newRow("jxl codestream") << "jxl" << QByteArray("\xff\x0a\xcb") << true;
        QTest::newRow("jxl container") << "jxl" << jxlBox << true;
        QTest::newRow("jpeg as jxl") << "jxl" << QByteArray("\xff\xd8\xff") << false;
        QTest::newRow("jxl as jpg") << "jpg" << jxlBox << false;
        QTest::newRow("avif") << "avif" << avif << true;
        QTest::newRow("heic as avif") << "avif" << heic << false;
        QTest::newRow("avif among compatible brands")
            << "avif" << QByteArray("\0\0\0\x1c" "ftypmif1\0\0\0\0mif1miafavif", 28) << true;
        QTest::newRow("heif without avif") << "avif" << QByteArray("\0\0\0\x18" "ftypmif1\0\0\0\0mif1heic", 24) << false;
        QTest::newRow("panasonic raw as jpg") << "jpg" << panasonic << false;
        QTest::newRow("m4a") << "m4a" << QByteArray("\0\0\0\x20" "ftypM4A ", 12) << true;
    }

    void kindIsToldByItsFirstBytes()
    {
        QFETCH(QString, extension);
        QFETCH(QByteArray, head);
        QFETCH(bool, fits);
        const auto format = parseSupportedFormat(extension);
        QVERIFY(format);
        QCOMPARE(contentFitsFormat(*format, head), fits);
    }

    // Every block of the fixture is judged; the written file keeps the
    // frames, their timing and the looping, and writing it again changes
    // nothing.
    void gifBlocksAreJudgedOneByOne()
    {
        QTemporaryDir dir;
        const QByteArray bytes = Fixtures::readAll(MoreFixtures::make(dir.filePath("sample.gif"), "gif"));
        const ContainerWalk walk = walkGif(bytes);
        QVERIFY(!walk.damage);
        QCOMPARE(typesOf(walk, ItemRole::identifying).join(", "),
                 "Comment, Application XMP DataXMP, Comment, Comment, Application TSYPRIVA1.0, trailing");
        const QList<QByteArray> kept {"Header", "GraphicControl", "Application NETSCAPE2.0", "Image", "GraphicControl",
                                      "Image", "GraphicControl", "Image", "Trailer"};
        QCOMPARE(typesOf(walk, ItemRole::needed).join(", "), kept.join(", "));

        const auto cleaned = cleanGif(bytes);
        QVERIFY(cleaned);
        const ContainerWalk after = walkGif(cleaned.value());
        QVERIFY(!after.damage);
        QCOMPARE(typesOf(after, ItemRole::identifying), QList<QByteArray>());
        QCOMPARE(typesOf(after, ItemRole::needed), kept);
        QCOMPARE(cleanGif(cleaned.value()).value(), cleaned.value());
    }

    // A file cut short, or with a block that runs off its end, is refused
    // whole, never written in part.
    void damagedFilesAreRefused_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<int>("keep"); // bytes kept from the start; negative: from the end
        QTest::newRow("gif without its trailer") << "gif" << -12;
        QTest::newRow("gif cut in its colour table") << "gif" << 16;
        QTest::newRow("gif cut in a frame") << "gif" << 900;
        QTest::newRow("gif header only") << "gif" << 6;
        QTest::newRow("jxl cut in its codestream") << "jxl" << -20;
        QTest::newRow("jxl signature only") << "jxl" << 12;
    }

    void damagedFilesAreRefused()
    {
        QFETCH(QString, extension);
        QFETCH(int, keep);
        QTemporaryDir dir;
        QByteArray bytes = Fixtures::readAll(MoreFixtures::make(dir.filePath("sample." + extension), extension));
        bytes = keep < 0 ? bytes.chopped(-keep) : bytes.left(keep);
        const ContainerWalk walk = extension == "gif" ? walkGif(bytes) : walkJxl(bytes);
        const auto cleaned = extension == "gif" ? cleanGif(bytes) : cleanJxl(bytes);
        QVERIFY(walk.damage);
        QVERIFY(!cleaned);
    }
};

QTEST_GUILESS_MAIN(tst_MoreFormats)
#include "tst_moreformats.moc"
