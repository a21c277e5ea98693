// ISO-BMFF containers: what the walkers list in HEIF files made by the
// tools users' files come from, what the HEIF editor takes out of them, and
// how both behave on files a stranger broke.

#include <BmffBoxes.h>
#include <ByteSource.h>
#include <HeifItems.h>
#include <HeifMetadataRemoval.h>

#include "HeifFixture.h"
#include <Fixtures.h>

#include <QBuffer>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(ItemRole)
Q_DECLARE_METATYPE(KeptBecause)

namespace {

using Fixtures::be32, Fixtures::box;

ContainerWalk walkBytes(QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return walkHeif(buffer);
}

QStringList identifyingPlaces(const ContainerWalk &walk)
{
    QStringList places;
    for (const auto &item : walk.items) {
        if (item.role == ItemRole::identifying)
            places << QString::fromLatin1(item.type) + u": "_qs + item.place;
    }
    places.sort();
    return places;
}

QImage decoded(const QString &heic)
{
    const QString png = heic + u".png"_qs;
    Fixtures::run(u"heif-convert"_qs, {heic, png});
    return QImage(png).convertToFormat(QImage::Format_RGBA8888);
}

QString makeKind(const QString &dir, const QString &kind)
{
    if (kind == u"plain") {
        const QString path = dir + u"/plain.heic"_qs;
        Fixtures::writeImage(dir + u"/source.png"_qs, "PNG", QSize(96, 64));
        Fixtures::run(u"heif-enc"_qs, {u"-t"_qs, u"32"_qs, u"-o"_qs, path, dir + u"/source.png"_qs});
        return path;
    }
    if (kind == u"exiftool")
        return HeifFixture::make(dir);
    return HeifFixture::makeWithThumbnailItems(dir);
}

void put32(QByteArray &bytes, qint64 at, quint32 value)
{
    bytes.replace(at, 4, be32(value));
}

// The thumbnail fixture, broken the way the row's name says.
QByteArray broken(const QByteArray &file, const QString &how)
{
    QByteArray bytes = file;
    const auto top = BmffBoxes::inBytes(bytes, 0);
    const BmffBox meta = *BmffBoxes::find(top.boxes, "meta");
    const HeifItems heif = HeifItems::parse(meta, QByteArrayView(bytes).sliced(meta.payloadOffset(), meta.payloadSize()));
    // heif-enc's iloc: version 1, 4-byte base offsets, offsets and lengths: id, method, reference, base, count, extents.
    const auto extentOf = [&](quint32 id) { return heif.location(id)->entryOffset + 12; };
    const quint32 exif = 6; // the thumbnail's Exif, in its own mdat
    if (how == u"shared") {
        put32(bytes, extentOf(exif), quint32(heif.spans(heif.primary, bytes.size())->first().offset));
    } else if (how == u"primary") {
        const BmffBox *pitm = BmffBoxes::find(heif.children, "pitm");
        bytes.replace(pitm->payloadOffset() + 4, 2, be32(exif).right(2));
    } else if (how == u"cut") {
        bytes.truncate(meta.offset + meta.size / 2);
    } else if (how == u"past the end") {
        put32(bytes, extentOf(exif) + 4, 0x7fffff00);
    } else if (how == u"in the index") {
        put32(bytes, extentOf(exif), quint32(meta.offset));
    } else if (how == u"to the end") {
        put32(bytes, extentOf(exif) + 4, 0);
    }
    return bytes;
}

} // namespace

class TestBoxContainers : public QObject
{
    Q_OBJECT

private slots:
    void boxHeaders_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArrayList>("types");
        QTest::addColumn<QList<qint64>>("sizes");
        QTest::addColumn<bool>("damaged");

        const QByteArray free16 = be32(16) + "free" + QByteArray(8, 'x');
        QTest::newRow("two boxes") << free16 + free16 << QByteArrayList {"free", "free"} << QList<qint64> {16, 16} << false;
        QTest::newRow("64-bit size") << be32(1) + "mdat" + be32(0) + be32(20) + "abcd" + free16
                                     << QByteArrayList {"mdat", "free"} << QList<qint64> {20, 16} << false;
        QTest::newRow("size 0 runs to the end") << free16 + be32(0) + "mdat" + QByteArray(100, 'p')
                                                << QByteArrayList {"free", "mdat"} << QList<qint64> {16, 108} << false;
        QTest::newRow("uuid header") << be32(28) + "uuid" + QByteArray(16, 'u') + "data" << QByteArrayList {"uuid"}
                                     << QList<qint64> {28} << false;
        QTest::newRow("past the end") << free16 + be32(64) + "mdat" + "short" << QByteArrayList {"free"}
                                      << QList<qint64> {16} << true;
        QTest::newRow("smaller than its header") << be32(4) + "free" << QByteArrayList {} << QList<qint64> {} << true;
        QTest::newRow("64-bit size past the end") << be32(1) + "mdat" + be32(0x7fffffff) + be32(0) << QByteArrayList {}
                                                  << QList<qint64> {} << true;
        QTest::newRow("truncated header") << free16 + QByteArray(2, '\0') << QByteArrayList {"free"} << QList<qint64> {16} << true;
    }

    void boxHeaders()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArrayList, types);
        QFETCH(QList<qint64>, sizes);
        QFETCH(bool, damaged);
        QBuffer buffer(&bytes);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        for (const auto &listing : {BmffBoxes::inFile(ByteSource(buffer), 0, bytes.size()), BmffBoxes::inBytes(bytes, 0)}) {
            QByteArrayList seenTypes;
            QList<qint64> seenSizes;
            for (const auto &box : listing.boxes)
                seenTypes << box.type, seenSizes << box.size;
            QCOMPARE(seenTypes, types);
            QCOMPARE(seenSizes, sizes);
            QCOMPARE(listing.damage.has_value(), damaged);
        }
    }

    void heifWalk_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("identifying");

        QTest::newRow("no metadata") << u"plain"_qs << QStringList {};
        QTest::newRow("exiftool's items") << u"exiftool"_qs
                                          << QStringList {u"Exif: item 4, about the primary image (item 1)"_qs,
                                                          u"mime: item 5, about the primary image (item 1)"_qs};
        QTest::newRow("thumbnail's own items")
            << u"thumbnail"_qs
            << QStringList {u"Exif: item 4, about the primary image (item 1)"_qs,
                            u"Exif: item 6, about the thumbnail of item 1 (item 3)"_qs,
                            u"mime: item 5, about the primary image (item 1)"_qs,
                            u"mime: item 7, about the thumbnail of item 1 (item 3)"_qs};
    }

    void heifWalk()
    {
        QFETCH(QString, kind);
        QFETCH(QStringList, identifying);
        QTemporaryDir dir;
        const QString path = makeKind(dir.path(), kind);
        const ContainerWalk walk = walkBytes(Fixtures::readAll(path));
        QCOMPARE(walk.damage, std::nullopt);
        QCOMPARE(identifyingPlaces(walk), identifying);
        QStringList images;
        for (const auto &item : walk.items) {
            if (item.role == ItemRole::needed && item.detail.startsWith(u"item "))
                images << item.place;
        }
        images.sort();
        QCOMPARE(images, (QStringList {u"primary image"_qs, u"thumbnail of item 1"_qs, u"tile of item 3"_qs}));
        const auto has = [&walk](const char *type, KeptBecause why) {
            return std::any_of(walk.items.begin(), walk.items.end(), [&](const ContainerItem &item) {
                return item.type == type && item.role == ItemRole::needed && item.keptBecause == why;
            });
        };
        QVERIFY(has("hvcC", KeptBecause::pixels));
        QVERIFY(has("ispe", KeptBecause::pixels));
        QVERIFY(has("mdat", KeptBecause::pixels));
    }

    void heifRemoval_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("removed");
        QTest::addColumn<QByteArrayList>("marks");

        QTest::newRow("no metadata") << u"plain"_qs << 0 << QByteArrayList {};
        QTest::newRow("exiftool's items") << u"exiftool"_qs << 2
                                          << QByteArrayList {Fixtures::author, Fixtures::serial, Fixtures::creator};
        QTest::newRow("thumbnail's own items, in mdat and idat")
            << u"thumbnail"_qs << 4
            << QByteArrayList {Fixtures::author, Fixtures::creator, HeifFixture::thumbnailMark,
                               HeifFixture::thumbnailXmpMark};
    }

    void heifRemoval()
    {
        QFETCH(QString, kind);
        QFETCH(int, removed);
        QFETCH(QByteArrayList, marks);
        QTemporaryDir dir;
        const QString path = makeKind(dir.path(), kind);
        const QByteArray before = Fixtures::readAll(path);
        QCOMPARE(Fixtures::found(before, marks), marks);
        const QImage pixels = decoded(path);

        const auto result = HeifMetadataRemoval::remove(path);
        QVERIFY2(result, result ? "" : qPrintable(describe(result.error())));
        QCOMPARE(result.value(), removed);

        const QByteArray after = Fixtures::readAll(path);
        QCOMPARE(after.size(), before.size());
        QCOMPARE(Fixtures::found(after, marks), QByteArrayList {});
        const ContainerWalk walk = walkBytes(after);
        QCOMPARE(walk.damage, std::nullopt);
        QCOMPARE(identifyingPlaces(walk), QStringList {});
        // Every table names only items that are still there.
        const BmffBox index = *BmffBoxes::find(BmffBoxes::inBytes(after, 0).boxes, "meta");
        const HeifItems heif = HeifItems::parse(index, QByteArrayView(after).sliced(index.payloadOffset(), index.payloadSize()));
        QCOMPARE(heif.damage, std::nullopt);
        QCOMPARE(heif.locations.size(), heif.items.size());
        for (const auto &association : heif.associations)
            QVERIFY(heif.item(association.item));
        for (const auto &reference : heif.references) {
            QVERIFY(heif.item(reference.from));
            for (quint32 to : reference.to)
                QVERIFY(heif.item(to));
        }
        Fixtures::run(u"heif-info"_qs, {path});
        QCOMPARE(decoded(path), pixels);
        const QByteArray tags = Fixtures::run(u"exiftool"_qs, {u"-a"_qs, u"-u"_qs, u"-G1"_qs, u"-ee"_qs, path});
        for (const char *tag : {"[IFD0]", "[ExifIFD]", "[GPS]", "[XMP-dc]", "Artist", "Creator"})
            QVERIFY2(!tags.contains(tag), tag);
        // Outside the image index, bytes only ever turned to zeros.
        const auto top = BmffBoxes::inBytes(before, 0);
        const BmffBox *meta = BmffBoxes::find(top.boxes, "meta");
        QVERIFY(meta);
        QCOMPARE(after.left(meta->offset), before.left(meta->offset));
        for (qsizetype i = meta->end(); i < after.size(); ++i) {
            if (after.at(i) != before.at(i))
                QVERIFY2(after.at(i) == '\0', qPrintable(QString::number(i)));
        }
    }

    void heifRefused_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("damaged");
        QTest::addColumn<QString>("reason");

        QTest::newRow("Exif item reusing the picture's bytes") << u"shared"_qs << false << u"shares its bytes"_qs;
        QTest::newRow("primary image is an Exif item") << u"primary"_qs << false << u"could not be followed"_qs;
        QTest::newRow("index cut short") << u"cut"_qs << true << u"could not be followed"_qs;
        QTest::newRow("Exif item past the end") << u"past the end"_qs << false << u"could not be followed"_qs;
        QTest::newRow("Exif item inside the index") << u"in the index"_qs << false << u"could not be followed"_qs;
        QTest::newRow("Exif item running to the end") << u"to the end"_qs << false << u"could not be followed"_qs;
    }

    // What the editor cannot take apart soundly it leaves alone, byte for byte.
    void heifRefused()
    {
        QFETCH(QString, how);
        QFETCH(bool, damaged);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = HeifFixture::makeWithThumbnailItems(dir.path());
        const QByteArray bytes = broken(Fixtures::readAll(path), how);
        Fixtures::writeAll(path, bytes);
        const ContainerWalk walk = walkBytes(bytes);
        QCOMPARE(walk.damage.has_value(), damaged);
        QVERIFY(walk.hasIdentifying());

        const auto result = HeifMetadataRemoval::remove(path);
        QVERIFY(!result);
        QVERIFY(isCleanError(result.error(), CleanError::Kind::verifyFailed));
        QVERIFY2(describe(result.error()).contains(reason), qPrintable(describe(result.error())));
        QCOMPARE(Fixtures::readAll(path), bytes);
    }

    // The app's own HEIC fixture carries a Display P3 profile.
    void heifProfile()
    {
        QTemporaryDir dir;
        const ContainerWalk walk = walkBytes(Fixtures::readAll(Fixtures::make(dir.path(), u"heic"_qs)));
        QCOMPARE(walk.damage, std::nullopt);
        QStringList properties;
        for (const auto &item : walk.items) {
            if (item.place.startsWith(u"image property") && item.role == ItemRole::needed)
                properties << QString::fromLatin1(item.type) + u' ' + item.detail.trimmed();
        }
        properties.removeDuplicates();
        properties.sort();
        QCOMPARE(properties, (QStringList {u"colr prof"_qs, u"hvcC "_qs, u"ispe "_qs, u"pixi "_qs}));
        QCOMPARE(identifyingPlaces(walk).filter(u"image property"_qs), QStringList {});
    }

    void heifPropertyRoles_data()
    {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<ItemRole>("role");
        QTest::addColumn<KeptBecause>("why");
        QTest::addColumn<QString>("detail");

        QTest::newRow("rotation") << box("irot", QByteArray(1, 3)) << ItemRole::needed << KeptBecause::orientation << u"270°"_qs;
        QTest::newRow("mirror") << box("imir", QByteArray(1, 1)) << ItemRole::needed << KeptBecause::orientation << QString();
        QTest::newRow("nclx colour") << box("colr", "nclx" + QByteArray(7, 1)) << ItemRole::needed
                                     << KeptBecause::colourProfile << u"nclx"_qs;
        QTest::newRow("clean aperture") << box("clap", QByteArray(32, 1)) << ItemRole::needed << KeptBecause::pixels << QString();
        QTest::newRow("light level") << box("clli", QByteArray(4, 1)) << ItemRole::needed << KeptBecause::colourSpace
                                     << QString();
        QTest::newRow("user description") << box("udes", QByteArray("\0\0\0\0en\0TsyAuthorQ7x\0\0\0", 19))
                                          << ItemRole::identifying << KeptBecause::structure << QString();
        QTest::newRow("unknown") << box("zzzz", "whatever") << ItemRole::identifying << KeptBecause::structure << QString();
    }

    void heifPropertyRoles()
    {
        QFETCH(QByteArray, property);
        QFETCH(ItemRole, role);
        QFETCH(KeptBecause, why);
        QFETCH(QString, detail);
        // One hvc1 item with that property, its bytes in mdat.
        const QByteArray infe = box("infe", QByteArray("\2\0\0\0\0\1\0\0hvc1\0", 13));
        const QByteArray index = box("meta", QByteArray(4, '\0') + box("hdlr", QByteArray(8, '\0') + "pict" + QByteArray(13, '\0'))
                                                 + box("pitm", QByteArray(4, '\0') + QByteArray("\0\1", 2))
                                                 + box("iinf", QByteArray(4, '\0') + QByteArray("\0\1", 2) + infe)
                                                 + box("iprp", box("ipco", property)
                                                                   + box("ipma", QByteArray(4, '\0') + be32(1) + QByteArray("\0\1\1\1", 4))));
        const ContainerWalk walk = walkBytes(box("ftyp", QByteArray("heic\0\0\0\0mif1heic", 16)) + index + box("mdat", "pixels"));
        QCOMPARE(walk.damage, std::nullopt);
        const auto found = std::find_if(walk.items.begin(), walk.items.end(),
                                        [](const ContainerItem &item) { return item.place == u"image property 1"; });
        QVERIFY(found != walk.items.end());
        QCOMPARE(found->type, property.mid(4, 4));
        QCOMPARE(found->role, role);
        if (role != ItemRole::identifying)
            QCOMPARE(found->keptBecause, why);
        QCOMPARE(found->detail, detail);
    }
};

QTEST_GUILESS_MAIN(TestBoxContainers)
#include "tst_boxcontainers.moc"
