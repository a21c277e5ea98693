// "Cleaned" is what an independent reading of the written file found, not
// what the strip was asked to do: a strip that leaves something behind is
// refused, a file with nothing to remove is left alone, and the log says
// what stays and why.

#include <FileCleaner.h>
#include <FileItem.h>
#include <OneShotRunner.h>
#include <ResidueCheck.h>
#include <StayOpenRunner.h>

#include <FakeTool.h>
#include <Cleaning.h>
#include <Fixtures.h>
#include <HeifFixture.h>
#include <ImageSamples.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <TagRoles.h>

#include <sys/stat.h>
#include <sys/xattr.h>

using namespace Cleaning;
using namespace Fixtures;

Q_DECLARE_METATYPE(ItemRole)

namespace {

// One process per run, so that a stand-in sees each command as it is.
CleanResult cleanOnceWith(const ToolPaths &tools, const QString &path)
{
    OneShotRunner oneShot;
    const FileCleaner cleaner(tools, oneShot);
    const QUrl url = QUrl::fromLocalFile(path);
    return cleaner.clean({QUuid::createUuid(), url, FileItem::fromUrl(url).format, {}, {}});
}

struct Snapshot
{
    QByteArray bytes;
    struct stat info {};

    static Snapshot of(const QString &path)
    {
        Snapshot snapshot{readAll(path), {}};
        ::stat(QFile::encodeName(path).constData(), &snapshot.info);
        return snapshot;
    }
    bool sameFile(const Snapshot &other) const
    {
        return bytes == other.bytes && info.st_ino == other.info.st_ino
            && info.st_mtim.tv_sec == other.info.st_mtim.tv_sec && info.st_mtim.tv_nsec == other.info.st_mtim.tv_nsec;
    }
};

// A plain picture with `extra` chunks placed before its end.
QByteArray pngWith(const QByteArray &extra)
{
    QByteArray bytes = ImageSamples::picture("PNG");
    return bytes.insert(bytes.size() - 12, extra);
}

// A stand-in for exiftool whose reads go to the system's exiftool (the one
// a sandboxed tool can see) and whose writes hand back their source
// unchanged, reporting success.
QByteArray copyingStrip()
{
    return "for a; do case \"$a\" in -o) out=1;; esac; done\n"
           "if [ -n \"$out\" ]; then\n"
           "  while [ $# -gt 2 ]; do shift; done\n"
           "  if [ \"$1\" = - ]; then exec cat \"$2\"; fi\n"
           "  exec cp \"$2\" \"$1\"\n"
           "fi\n"
           "exec /usr/bin/exiftool \"$@\"";
}

} // namespace

class tst_ResidueCheck : public QObject
{
    Q_OBJECT

private slots:
    // The check reads what was written, whatever the strip said: a stand-in
    // that copies the file as it was and reports success is caught.
    void aStripThatLeavesMetadataIsRefused_data()
    {
        QTest::addColumn<QString>("extension");
        for (const char *extension : {"cr2", "mp4", "dng", "tif", "orf", "rw2", "pef", "srw", "m4a", "3gp"})
            QTest::newRow(extension) << extension;
    }

    void aStripThatLeavesMetadataIsRefused()
    {
        QFETCH(QString, extension);
        QTemporaryDir dir;
        const QString path = make(dir.path(), extension);
        const Snapshot before = Snapshot::of(path);
        writeFakeTool(dir.path() + "/tool", copyingStrip());
        ToolPaths tools = ToolPaths::installed();
        tools.resourceDirectory = dir.path() + "/tool";
        const CleanResult result = cleanOnceWith(tools, path);
        QVERIFY(!result.success());
        QVERIFY2(isCleanError(*result.failure, CleanError::Kind::residueLeft), qPrintable(*result.errorMessage()));
        QVERIFY(Snapshot::of(path).sameFile(before));
    }

    // Pieces exiftool's listing does not show (private chunks, bytes after
    // the end, a thumbnail's own Exif and XMP items, desktop attributes): the
    // walk finds them, the clean takes them out, the log lists them.
    void piecesOnlyTheWalkSeesGoAndAreListed_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<QByteArray>>("marks");
        QTest::addColumn<QString>("listed");
        using namespace ImageSamples;
        QTest::newRow("PNG provenance chunk") << "a.png" << pngWith(pngChunk("caBX", "TsyC2paQ7x")) + "TsyTrailQ7x"
                                              << QList<QByteArray>{"TsyC2paQ7x", "TsyTrailQ7x"} << "Container:caBX";
        QTest::newRow("PNG private chunk") << "a.png" << pngWith(pngChunk("prVt", "TsyPrivQ7x"))
                                           << QList<QByteArray>{"TsyPrivQ7x"} << "Container:prVt";
        QTest::newRow("WebP unknown chunk") << "a.webp" << withRiffChunk(picture("WEBP"), riffChunk("TSYX", "TsyRiffQ7x"))
                                            << QList<QByteArray>{"TsyRiffQ7x"} << "Container:TSYX";
        QTest::newRow("WebP bytes after the end") << "a.webp" << picture("WEBP") + "TsyTrailQ7x"
                                                  << QList<QByteArray>{"TsyTrailQ7x"} << "Container:trailing";
        QTest::newRow("JPEG second picture") << "a.jpg" << picture("JPEG") + picture("JPEG").replace("JFIF", "TSYQ")
                                             << QList<QByteArray>{"TSYQ"} << "Container:trailing";
        QTemporaryDir heif;
        QTest::newRow("HEIC thumbnail's items") << "a.heic" << readAll(HeifFixture::makeWithThumbnailItems(heif.path()))
                                                << QList<QByteArray>{HeifFixture::thumbnailMark, HeifFixture::thumbnailXmpMark}
                                                << "Container:Exif";
    }

    void piecesOnlyTheWalkSeesGoAndAreListed()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QList<QByteArray>, marks);
        QFETCH(QString, listed);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        writeAll(path, bytes);
        QCOMPARE(found(bytes, marks), marks);
        QCOMPARE(::setxattr(QFile::encodeName(path).constData(), "user.xdg.comment", "TsyNoteQ7x", 10, 0), 0);
        QCOMPARE(::setxattr(QFile::encodeName(path).constData(), "user.xdg.tags", "holiday", 7, 0), 0);

        const CleanResult result = cleanWith(ToolPaths::installed(), path);
        QCOMPARE(errorOf(result), QString());
        QVERIFY(!result.nothingToRemove);
        QCOMPARE(found(readAll(path), marks), QList<QByteArray>());
        char value[64];
        QCOMPARE(::getxattr(QFile::encodeName(path).constData(), "user.xdg.comment", value, sizeof value), -1);
        QCOMPARE(::getxattr(QFile::encodeName(path).constData(), "user.xdg.tags", value, sizeof value), -1);
        const MetadataTable logged = result.metadataBefore.unpack();
        QVERIFY2(logged.contains(listed), qPrintable(logged.keys().join(", ")));
        QCOMPARE(logged.value("Attribute:user.xdg.comment"), "TsyNoteQ7x");
        QVERIFY(!result.metadataAfter.unpack().contains("Attribute:user.xdg.comment"));
    }

    // The written copy of a picture the app writes itself is read by
    // exiftool only up to where its picture data begins; what lies in that
    // data or after its end is the walk's to find, and the check still
    // refuses the copy for it.
    void theHeaderReadOfAWrittenPictureMissesNoPiece_data() { piecesOnlyTheWalkSeesGoAndAreListed_data(); }

    void theHeaderReadOfAWrittenPictureMissesNoPiece()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, listed);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        writeAll(path, bytes);
        OneShotRunner runner;
        const ExifToolService exiftool(ToolPaths::installed(), runner);
        const auto tags = exiftool.readHeaderTags(path);
        QVERIFY(tags);
        const auto format = FileItem::fromUrl(QUrl::fromLocalFile(path)).format;
        QVERIFY(format);
        const ResidueReport report = checkResidue(*format, path, tags.value(), {});
        QVERIFY(!report.isClean());
        QStringList pieces;
        for (const ContainerItem &piece : report.identifyingPieces)
            pieces << "Container:" + QString::fromUtf8(piece.type);
        QVERIFY2(pieces.contains(listed), qPrintable(pieces.join(", ")));
    }

    // Nothing to remove: no new file, no new date, no new inode.
    void aFileWithNothingToRemoveIsLeftAlone_data()
    {
        QTest::addColumn<QString>("format");
        QTest::newRow("jpg") << "JPEG";
        QTest::newRow("png") << "PNG";
    }

    void aFileWithNothingToRemoveIsLeftAlone()
    {
        QFETCH(QString, format);
        QTemporaryDir dir;
        const QString path = dir.path() + "/bare." + (format == "PNG" ? "png" : "jpg");
        QVERIFY(writeImage(path, qPrintable(format)));
        // Qt's writers add nothing identifying; make sure of it first.
        const Snapshot before = Snapshot::of(path);
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0640), 0);
        const Snapshot withMode = Snapshot::of(path);

        const CleanResult result = cleanWith(ToolPaths::installed(), path);
        QCOMPARE(errorOf(result), QString());
        QVERIFY(result.nothingToRemove);
        QVERIFY(Snapshot::of(path).sameFile(withMode));
        QCOMPARE(Snapshot::of(path).bytes, before.bytes);
        // Its counts leave out what the file system says of it.
        const MetadataTable table = result.metadataBefore.unpack();
        QVERIFY(!table.isEmpty());
        for (const QString &key : table.keys())
            QVERIFY2(!key.startsWith("System:") && !key.contains("FileModifyDate"), qPrintable(key));

        // An attribute that describes it is something to remove.
        QCOMPARE(::setxattr(QFile::encodeName(path).constData(), "user.xdg.comment", "x", 1, 0), 0);
        const CleanResult again = cleanWith(ToolPaths::installed(), path);
        QCOMPARE(errorOf(again), QString());
        QVERIFY(!again.nothingToRemove);
    }

    // What stays is said with its reason; the kept orientation and profile
    // of a turned photo among them.
    void whatStaysIsListedWithItsReason()
    {
        QTemporaryDir dir;
        const QString path = make(dir.path(), "jpg");
        const CleanResult result = cleanWith(ToolPaths::installed(), path);
        QCOMPARE(errorOf(result), QString());
        QStringList kept;
        for (const ContainerItem &item : result.stillInFile)
            kept << QString::fromUtf8(item.type) + "=" + item.detail;
        kept.sort();
        QCOMPARE(kept, (QStringList {"ICC_Profile=Display P3", "Orientation=Rotate 90 CW"}));
    }

    // A cleaned sound or drawing, cleaned again, has nothing to remove: the
    // walk and the tag roles agree with the writers. A drawing's description
    // stays, said in the log.
    void aCleanedSoundOrDrawingIsLeftAlone_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QStringList>("listed");
        for (const char *extension : {"mp3", "flac", "ogg", "opus", "wav"})
            QTest::newRow(extension) << extension << QStringList();
        QTest::newRow("svg") << "svg" << QStringList {"Desc=Two shapes"};
    }

    void aCleanedSoundOrDrawingIsLeftAlone()
    {
        QFETCH(QString, extension);
        QFETCH(QStringList, listed);
        QTemporaryDir dir;
        const QString path = make(dir.path(), extension);
        const CleanResult first = cleanWith(ToolPaths::installed(), path);
        QCOMPARE(errorOf(first), QString());
        QVERIFY(!first.nothingToRemove);
        const Snapshot cleaned = Snapshot::of(path);
        const CleanResult again = cleanWith(ToolPaths::installed(), path);
        QCOMPARE(errorOf(again), QString());
        QVERIFY(again.nothingToRemove);
        QVERIFY(Snapshot::of(path).sameFile(cleaned));
        QStringList kept;
        for (const ContainerItem &item : again.stillInFile)
            kept << QString::fromUtf8(item.type) + "=" + item.detail;
        QCOMPARE(kept, listed);
    }

    // What the check makes of the tags exiftool reads in sound and drawings,
    // should a writer leave one behind.
    void soundAndDrawingTagsAreJudged_data()
    {
        QTest::addColumn<SupportedFormat>("format");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<ItemRole>("role");
        const auto row = [](const char *name, SupportedFormat format, const char *key, const char *value, ItemRole role) {
            QTest::newRow(name) << format << QString(key) << QString(value) << role;
        };
        row("ID3 tag", SupportedFormat::mp3, "ID3v2_4:Artist", "someone", ItemRole::identifying);
        row("ID3's size in the file group", SupportedFormat::mp3, "File:ID3Size", "125", ItemRole::identifying);
        row("frame header", SupportedFormat::mp3, "MPEG:AudioBitrate", "56 kbps", ItemRole::needed);
        row("APE tag", SupportedFormat::mp3, "APE:Album", "x", ItemRole::identifying);
        row("FLAC stream", SupportedFormat::flac, "FLAC:SampleRate", "44100", ItemRole::needed);
        row("FLAC picture", SupportedFormat::flac, "FLAC:PictureDescription", "me", ItemRole::identifying);
        row("vendor", SupportedFormat::ogg, "Vorbis:Vendor", "Lavf59.27.100", ItemRole::identifying);
        row("empty vendor", SupportedFormat::opus, "Vorbis:Vendor", "", ItemRole::needed);
        row("Vorbis comment of any name", SupportedFormat::ogg, "Vorbis:Location", "home", ItemRole::identifying);
        row("Vorbis stream", SupportedFormat::ogg, "Vorbis:NominalBitrate", "80 kbps", ItemRole::needed);
        row("Opus stream", SupportedFormat::opus, "Opus:OutputGain", "1", ItemRole::needed);
        row("WAV format", SupportedFormat::wav, "RIFF:BitsPerSample", "16", ItemRole::needed);
        row("WAV software", SupportedFormat::wav, "RIFF:Software", "Lavf", ItemRole::identifying);
        row("BWF originator", SupportedFormat::wav, "RIFF:Originator", "someone", ItemRole::identifying);
        row("drawing size", SupportedFormat::svg, "SVG:ImageWidth", "64", ItemRole::needed);
        row("drawing title", SupportedFormat::svg, "SVG:Title", "Two shapes", ItemRole::content);
        row("export path", SupportedFormat::svg, "SVG-inkscape:Export-filename", "/home/x/a.png", ItemRole::identifying);
        row("metadata's id", SupportedFormat::svg, "SVG:MetadataID", "metadata1", ItemRole::identifying);
        row("RDF in a drawing", SupportedFormat::svg, "XMP-cc:WorkDate", "2019", ItemRole::identifying);
    }

    void soundAndDrawingTagsAreJudged()
    {
        QFETCH(SupportedFormat, format);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(ItemRole, role);
        QCOMPARE(roleOfTag(format, key, value).role, role);
    }
};

QTEST_GUILESS_MAIN(tst_ResidueCheck)
#include "tst_residuecheck.moc"
