// Cleans that keep one family of metadata by choice: on real files of each
// kind with values of every family planted, the kept family's values
// survive, every other family's go, and serial numbers go unless they are
// the kept family.

#include <FileCleaner.h>
#include <FileItem.h>

#include <Cleaning.h>
#include <Fixtures.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Fixtures;

namespace {

struct Probe
{
    TagFamily family;
    QString tag;   // as exiftool names it, without a group
    QString value; // part of the planted value
};

const char model[] = "TsyModelQ7x";
const char software[] = "TsySoftQ7x";
const char description[] = "TsyDescQ7x";

// The values planted in each kind, family by family. Raws always keep make,
// model and software for their decoders, so nothing of those is probed there.
QList<Probe> probesOf(const QString &kind)
{
    if (kind == "pdf")
        return {{TagFamily::people, "Author", author}, {TagFamily::descriptions, "Title", title},
                {TagFamily::dates, "CreateDate", "2019"}};
    if (kind == "mp4")
        return {{TagFamily::location, "GPSCoordinates", "48 deg"}, {TagFamily::dates, "CreateDate", "2019:03:04"},
                {TagFamily::dates, "MediaCreateDate", "2019:03:04"}, {TagFamily::people, "Artist", author}, {TagFamily::camera, "Model", model},
                {TagFamily::descriptions, "Title", title}, {TagFamily::software, "Software", software}};
    if (kind == "cr2")
        return {{TagFamily::location, "GPSLatitude", "48 deg"}, {TagFamily::dates, "DateTimeOriginal", "2009:07:21"},
                {TagFamily::people, "Artist", author}, {TagFamily::serials, "LensSerialNumber", "TsyLensQ7x"},
                {TagFamily::serials, "SerialNumber", "2718281828"}, {TagFamily::descriptions, "ImageDescription", comment}};
    QList<Probe> probes {{TagFamily::location, "GPSLatitude", "48 deg"}, {TagFamily::dates, "DateTimeOriginal", exifDate},
                         {TagFamily::people, "Artist", author}, {TagFamily::camera, "Model", model},
                         {TagFamily::serials, "SerialNumber", serial}, {TagFamily::descriptions, "ImageDescription", description},
                         {TagFamily::software, "Software", software}};
    if (kind == "jpg")
        probes.append({TagFamily::thumbnails, "ThumbnailImage", "Binary data"});
    return probes;
}

// Where the request can be met: a PDF keeps nothing, and only a JPEG keeps a thumbnail.
bool keepable(const QString &kind, TagFamily family)
{
    if (kind == "pdf" || family == TagFamily::other)
        return false;
    return family != TagFamily::thumbnails || kind == "jpg";
}

} // namespace

class tst_KeptFamilies : public QObject
{
    Q_OBJECT

    QTemporaryDir m_made;

private slots:
    void initTestCase()
    {
        const QString dir = m_made.path();
        for (const QString kind : {"jpg", "png", "heic", "mp4", "pdf", "cr2"})
            make(dir, kind);
        const QString thumbnail = dir + "/thumb.jpeg";
        QVERIFY(writeImage(thumbnail, "JPEG", QSize(16, 12)));
        const QStringList extras {"-q", "-overwrite_original", "-Model=" + QString(model),
                                  "-Software=" + QString(software), "-ImageDescription=" + QString(description)};
        run("exiftool", QStringList(extras) << "-ThumbnailImage<=" + thumbnail << dir + "/sample.jpg");
        run("exiftool", QStringList(extras) << dir + "/sample.png" << dir + "/sample.heic");
        run("exiftool", {"-q", "-overwrite_original", "-Keys:Model=" + QString(model),
                         "-Keys:Software=" + QString(software), dir + "/sample.mp4"});
    }

    void keptAlone_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<TagFamily>("kept");
        for (const QString kind : {"jpg", "png", "heic", "mp4", "pdf", "cr2"}) {
            for (const TagFamily family : allTagFamilies)
                QTest::addRow("%s %s", qPrintable(kind), qPrintable(keyOf(family))) << kind << family;
        }
    }

    void keptAlone()
    {
        QFETCH(QString, kind);
        QFETCH(TagFamily, kept);
        QTemporaryDir dir;
        const QString path = dir.filePath("sample." + kind);
        QVERIFY(QFile::copy(m_made.filePath("sample." + kind), path));
        const auto before = ungrouped(read(path));
        for (const Probe &probe : probesOf(kind))
            QVERIFY2(before.value(probe.tag).contains(probe.value), qPrintable(probe.tag + " not planted"));

        const CleanResult result = Cleaning::clean(path, {false, false, KeptFamilies().with(kept)});
        QVERIFY2(result.success(), qPrintable(Cleaning::errorOf(result)));

        const auto after = ungrouped(read(path));
        const auto logged = ungrouped(result.metadataAfter.unpack()); // the log's after shows what stayed
        const QList<Probe> probes = probesOf(kind);
        for (const Probe &probe : probes) {
            const bool survives = after.value(probe.tag).contains(probe.value);
            const bool wanted = probe.family == kept && keepable(kind, kept);
            QVERIFY2(survives == wanted, qPrintable(QStringLiteral("%1 = %2").arg(probe.tag, after.value(probe.tag))));
            QVERIFY2(logged.value(probe.tag).contains(probe.value) == survives, qPrintable(probe.tag));
        }
        if (kept != TagFamily::serials)
            QCOMPARE(found(everythingIn(path), {serial, "TsyLensQ7x"}), QList<QByteArray>());
        // What stayed by choice is said to have.
        const bool saidKept = std::any_of(result.stillInFile.begin(), result.stillInFile.end(),
                                          [](const ContainerItem &item) { return item.keptBecause == KeptBecause::chosen; });
        const bool planted = std::any_of(probes.begin(), probes.end(), [&](const Probe &p) { return p.family == kept; });
        if (!keepable(kind, kept))
            QVERIFY(!saidKept);
        else if (planted)
            QVERIFY(saidKept);
    }

    // With nothing kept, a photo's tags are read without what exiftool derives
    // from others; the thumbnail, which it names that way, is still listed as
    // exiftool itself lists it.
    void aThumbnailIsListedWhenNothingIsKept()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("sample.jpg");
        QVERIFY(QFile::copy(m_made.filePath("sample.jpg"), path));
        const QString thumbnail = read(path).value("IFD1:ThumbnailImage");
        QVERIFY2(thumbnail.startsWith("(Binary data "), qPrintable(thumbnail));

        const CleanResult result = Cleaning::clean(path);
        QVERIFY2(result.success(), qPrintable(Cleaning::errorOf(result)));
        QCOMPARE(result.metadataBefore.unpack().value("IFD1:ThumbnailImage"), thumbnail);
        QVERIFY(!read(path).contains("IFD1:ThumbnailImage"));
    }

private:
    static MetadataTable read(const QString &path)
    {
        const auto table = ExifToolService(ToolPaths::installed(), Cleaning::runner()).readMetadata(path);
        if (!table)
            qFatal("cannot read %s", qPrintable(path));
        return table.value();
    }
};

QTEST_GUILESS_MAIN(tst_KeptFamilies)
#include "tst_keptfamilies.moc"
