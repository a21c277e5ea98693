// Inside MP4 and QuickTime movies: tracks that tell where and when, and the
// names a maker's software leaves on tracks, go; what plays, subtitles and
// chapters stay, down to the frame.

#include <FileCleaner.h>
#include <FileItem.h>
#include <MatroskaScrub.h>
#include <MovieScrub.h>
#include <Mp4Tracks.h>
#include <StayOpenRunner.h>

#include <Cleaning.h>
#include <Fixtures.h>

#include <QBuffer>
#include <QDebug>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace Fixtures;

namespace {

// A second of video and sound, with `extra` ffmpeg arguments (H.264 unless they name a codec); "~" stands
// for a space inside an argument.
// Inputs 2 and 3 are there to take: subtitles.srt and chapters.txt, or telemetry.bin as data.
QString movie(const QString &dir, const QString &name, const QString &extra)
{
    writeAll(dir + "/chapters.txt", ";FFMETADATA1\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=500\ntitle=TsyChapterQ7x\n");
    writeAll(dir + "/subtitles.srt", "1\n00:00:00,000 --> 00:00:00,500\nTsySubtitleQ7x\n");
    writeAll(dir + "/telemetry.bin", QByteArray("TsyTelemetryQ7x.").repeated(8));
    QStringList arguments = QString("-v error -y -f lavfi -i testsrc=size=64x48:rate=10:duration=1 -f lavfi -i "
                                    "sine=duration=1 %1 -c:a aac %2")
                                .arg(extra.contains("-c:v") ? extra : extra + " -c:v libx264", dir + '/' + name)
                                .split(' ', Qt::SkipEmptyParts);
    for (QString &argument : arguments)
        argument.replace('~', ' ').replace("$dir", dir);
    run("ffmpeg", arguments);
    return dir + '/' + name;
}

// "type|handler" of every stream, then the chapters' titles.
QString probed(const QString &path)
{
    return QString::fromUtf8(run("ffprobe", {"-v", "error", "-show_entries", "stream=codec_type:stream_tags=handler_name",
                                             "-of", "compact=p=0:nk=1", path})
                             + run("ffprobe", {"-v", "error", "-show_entries", "chapter_tags=title", "-of",
                                               "compact=p=0:nk=1", path}))
        .trimmed();
}

QByteArray frames(const QString &path)
{
    return run("ffmpeg", {"-v", "error", "-i", path, "-map", "0:v", "-map", "0:a", "-f", "framemd5", "-"});
}

// A Matroska film with an ASS subtitle track whose header names its makers,
// a font attached under its owner's name with a description, and chapters,
// one naming the video track; every UID is a readable word ("TsyTrak1").
QString matroska(const QString &dir)
{
    writeAll(dir + "/face.ttf", QByteArray("\0\1\0\0 not really a font", 24));
    writeAll(dir + "/script.ass", "[Script Info]\r\nTitle: TsyAssTitleQ7x\r\nOriginal Script: TsyScriptQ7x\r\n"
                                  "Original Timing: TsyTimingQ7x\r\nScript Updated By: TsyUpdaterQ7x\r\n"
                                  "ScriptType: v4.00+\r\n\r\n[V4+ Styles]\r\nFormat: Name, Fontname, Fontsize\r\n"
                                  "Style: Default,Tsy Face,20\r\n\r\n[Events]\r\n"
                                  "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\r\n"
                                  "Dialogue: 0,0:00:00.00,0:00:00.50,Default,,0,0,0,,TsySubtitleQ7x\r\n");
    writeAll(dir + "/chapters.xml", "<?xml version=\"1.0\"?><Chapters><EditionEntry><EditionUID>6085340860452009009</EditionUID>"
                                    "<ChapterAtom><ChapterUID>6085340851928657969</ChapterUID><ChapterTimeStart>00:00:00.000"
                                    "</ChapterTimeStart><ChapterTrack><ChapterTrackNumber>6085340925110872881</ChapterTrackNumber>"
                                    "</ChapterTrack><ChapterDisplay><ChapterString>TsyChapterQ7x</ChapterString></ChapterDisplay>"
                                    "</ChapterAtom></EditionEntry></Chapters>");
    const QString base = dir + "/base.mkv", path = dir + "/film.mkv";
    run("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=64x48:rate=10:duration=1", "-f", "lavfi", "-i",
                   "sine=duration=1", "-c:v", "libx264", "-c:a", "libvorbis", base});
    run("mkvmerge", {"-q", "-o", path, base, "--language", "0:deu", dir + "/script.ass", "--attachment-name",
                     "TsyFontOwnerQ7x.ttf", "--attachment-description", "TsyFontDescQ7x", "--attachment-mime-type",
                     "font/ttf", "--attach-file", dir + "/face.ttf"});
    run("mkvpropedit", {"-q", path, "--edit", "track:v1", "--set", "track-uid=6085340925110872881", "--attachment-uid",
                        "6085340843541291313", "--update-attachment", "1", "--chapters", dir + "/chapters.xml"});
    return path;
}

// The first track's UID (the video's, as mkvmerge muxed it) as mkvinfo shows it, and the chapters as mkvextract writes them.
std::pair<QByteArray, QByteArray> matroskaUids(const QString &path)
{
    const QByteArray info = run("mkvinfo", {path});
    const qsizetype at = info.indexOf("Track UID: ") + 11;
    return {info.mid(at, info.indexOf('\n', at) - at), run("mkvextract", {path, "chapters", "-"})};
}

} // namespace

class tst_MovieInsides : public QObject
{
    Q_OBJECT

private slots:
    void tracksAndNames_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("extra");
        QTest::addColumn<QByteArrayList>("gone");
        QTest::addColumn<QString>("streams");
        QTest::addColumn<QStringList>("kept");

        const QString playable = "video|VideoHandler\naudio|SoundHandler";
        QTest::newRow("mov: GoPro telemetry track")
            << "gopro.mov" << "-f data -i $dir/telemetry.bin -map 0 -map 1 -map 2 -c:d copy -tag:d gpmd"
            << QByteArrayList {"GoPro MET", "gpmd", "TsyTelemetryQ7x"} << playable << QStringList {};
        QTest::newRow("mov: timecode, and a phone's handler names")
            << "phone.mov" << "-timecode 01:02:03:04 -metadata:s:v handler_name=Core~Media~Video"
            << QByteArrayList {"Core Media Video", "tmcd"} << playable << QStringList {};
        QTest::newRow("mp4: timecode") << "timecode.mp4" << "-timecode 01:02:03:04"
                                       << QByteArrayList {"TimeCodeHandler", "tmcd"} << playable << QStringList {};
        QTest::newRow("mov: track name and encoder name")
            << "named.mov" << "-metadata:s:v title=TsyTrackNameQ7x -metadata:s:v encoder=TsyEncoderQ7x"
            << QByteArrayList {"TsyTrackNameQ7x", "TsyEncoderQ7x"} << playable << QStringList {};
        QTest::newRow("mp4: handler names of the maker")
            << "handlers.mp4" << "-metadata:s:a handler_name=TsyHandlerQ7x~of~a~long~name -metadata:s:v handler_name=TsyV"
            << QByteArrayList {"TsyHandlerQ7x", "TsyV"} << "video\naudio|SoundHandler" << QStringList {};
        // x264 writes its version and settings into the first picture;
        // x265 into the decoder configuration in the sample entry.
        QTest::newRow("mp4: x264's note in the stream") << "x264.mp4" << "" << QByteArrayList {"x264 - core", "videolan"}
                                                        << playable << QStringList {};
        // FFmpeg names itself in the first AAC frame, and in the compressor name.
        QTest::newRow("mp4: FFmpeg's name in the sound") << "aac.mp4" << "" << QByteArrayList {"Lavc"} << playable
                                                         << QStringList {};
        QTest::newRow("mp4: x265's note beside the parameter sets")
            << "x265.mp4" << "-c:v libx265 -tag:v hvc1 -x265-params log-level=none"
            << QByteArrayList {"x265 (build", "x265.org"} << playable << QStringList {};
        QTest::newRow("mp4: subtitles and chapters stay")
            << "subtitles.mp4"
            << "-i $dir/subtitles.srt -i $dir/chapters.txt -map 0 -map 1 -map 2 -map_chapters 3 -metadata:s:s:0 "
               "language=deu -c:s mov_text"
            << QByteArrayList {}
            << playable + "\nsubtitle|SubtitleHandler\ndata|SubtitleHandler\nTsyChapterQ7x"
            << QStringList {"chapters: TsyChapterQ7x", "subtitles: deu, 1 cues"};
    }

    void tracksAndNames()
    {
        QFETCH(QString, file);
        QFETCH(QString, extra);
        QFETCH(QByteArrayList, gone);
        QFETCH(QString, streams);
        QFETCH(QStringList, kept);
        QTemporaryDir dir;
        const QString path = movie(dir.path(), file, extra);
        QCOMPARE(found(readAll(path), gone), gone);
        const QByteArray framesBefore = frames(path);

        const CleanResult result = Cleaning::clean(path);
        QCOMPARE(Cleaning::errorOf(result), QString());
        QCOMPARE(found(readAll(path), gone), QList<QByteArray> {});
        QCOMPARE(probed(path), streams);
        QCOMPARE(frames(path), framesBefore);
        QStringList listed;
        for (const ContainerItem &item : result.stillInFile) {
            if (item.role == ItemRole::content)
                listed << QString::fromUtf8(item.type) + ": " + item.detail;
        }
        listed.sort();
        QCOMPARE(listed, kept);
        // Subtitle text and chapter titles are the film's own words.
        if (!kept.isEmpty())
            QCOMPARE(found(readAll(path), {"TsySubtitleQ7x", "TsyChapterQ7x"}).size(), 2);
    }

    void brokenTablesAreRefused_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("telemetry samples inside the video's") << "shared";
        QTest::newRow("telemetry samples past the media data") << "outside";
        QTest::newRow("more chunk runs than bytes") << "runs";
        QTest::newRow("a chunk run that starts at chunk 0") << "first";
        QTest::newRow("more samples than sizes") << "samples";
    }

    // A sample table a stranger wrote is followed only as far as it holds:
    // nothing is written unless every removed byte is the track's own.
    void brokenTablesAreRefused()
    {
        QFETCH(QString, change);
        QTemporaryDir dir;
        QByteArray bytes = readAll(movie(dir.path(), "gopro.mov", "-f data -i $dir/telemetry.bin -map 0 -map 1 -map 2 -c:d copy -tag:d gpmd"));
        const qsizetype entry = bytes.indexOf("gpmd");
        // Payloads: a version and flags, a count, then the entries.
        const qsizetype chunks = bytes.indexOf("stsc", entry) + 4, offsets = bytes.indexOf("stco", entry) + 4;
        QVERIFY(entry > 0 && chunks > entry && offsets > entry);
        const auto put = [&bytes](qsizetype at, quint32 value) {
            for (int i = 0; i < 4; ++i)
                bytes[at + i] = char(value >> (24 - 8 * i));
        };
        if (change == "shared")
            put(offsets + 8, qFromBigEndian<quint32>(bytes.constData() + bytes.indexOf("stco") + 12));
        else if (change == "outside")
            put(offsets + 8, quint32(bytes.size() - 2));
        else if (change == "runs")
            put(chunks + 4, 0x10000000);
        else if (change == "first")
            put(chunks + 8, 0);
        else
            put(chunks + 12, 1000);
        const QByteArray before = bytes;
        QBuffer buffer(&bytes);
        QVERIFY(buffer.open(QIODevice::ReadWrite));
        const auto scrubbed = MovieScrub::scrub(buffer, "gopro.mov");
        QVERIFY(!scrubbed);
        QVERIFY(describe(scrubbed.error()).contains("gopro.mov"));
        QVERIFY(bytes == before);
    }

    // One film for every kind of name: its font's owner and description, its
    // subtitle header's makers, and the UIDs of tracks, attachments, editions
    // and chapters.
    void matroskaInsides()
    {
        const QByteArrayList gone{"TsyFontOwnerQ7x", "TsyFontDescQ7x", "TsyAssTitleQ7x", "TsyScriptQ7x", "TsyTimingQ7x",
                                  "TsyUpdaterQ7x", "TsyTrak1", "TsyChap1", "TsyEdit1", "TsyAtta1", "x264 - core",
                                  "libVorbis"};
        QTemporaryDir dir;
        const QString path = matroska(dir.path());
        QCOMPARE(found(readAll(path), gone), gone);
        const QByteArray framesBefore = frames(path);

        const CleanResult result = Cleaning::clean(path);
        QCOMPARE(Cleaning::errorOf(result), QString());
        QCOMPARE(found(readAll(path), gone), QList<QByteArray> {});
        QCOMPARE(frames(path), framesBefore);
        // What the film says stays: its subtitles, the font they name, its chapters.
        const QList<QByteArray> words {"TsySubtitleQ7x", "Tsy Face", "TsyChapterQ7x"};
        QCOMPARE(found(readAll(path), words), words);
        QCOMPARE(run("exiftool", {"-a", "-s3", "-AttachedFileName", "-AttachedFileDescription", path}), "font-1.ttf\n");
        // The chapter still names the video track, by its new UID.
        const auto [videoUid, chapters] = matroskaUids(path);
        QVERIFY2(chapters.contains("<ChapterTrackNumber>" + videoUid + "</ChapterTrackNumber>"), chapters.constData());
        QList<QStringList> kept;
        for (const ContainerItem &item : result.stillInFile) {
            if (item.role == ItemRole::content)
                kept << QStringList {QString::fromUtf8(item.type), item.detail};
        }
        QVERIFY(kept.contains(QStringList {"Chapters", "TsyChapterQ7x"}));
        QVERIFY2(kept.contains(QStringList {"TrackEntry", "ger"}), qPrintable(QDebug::toString(kept)));
    }

    // x265 keeps its note beside the parameter sets: in Matroska, in the
    // track's CodecPrivate.
    void hevcNoteLeavesMatroska()
    {
        QTemporaryDir dir;
        const QString path = dir.path() + "/x265.mkv";
        run("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "testsrc=size=64x48:rate=10:duration=1", "-c:v", "libx265",
                       "-x265-params", "log-level=none", path});
        const QByteArrayList gone {"x265 (build", "x265.org"};
        QCOMPARE(found(readAll(path), gone), gone);
        const QStringList decode {"-v", "error", "-i", path, "-map", "0:v", "-f", "framemd5", "-"};
        const QByteArray framesBefore = run("ffmpeg", decode);

        const CleanResult result = Cleaning::clean(path);
        QCOMPARE(Cleaning::errorOf(result), QString());
        QCOMPARE(found(readAll(path), gone), QList<QByteArray> {});
        QCOMPARE(run("ffmpeg", decode), framesBefore);
    }

    void hostileMatroska_data()
    {
        QTest::addColumn<QByteArray>("tracks");
        QTest::addColumn<bool>("refused");

        const QByteArray uid = ebml("\x73\xc5", "TsyTrak1");
        const QByteArray ass = ebml("\x86", "S_TEXT/ASS") + ebml("\x63\xa2", "[Script Info]\nTitle: TsyAssTitleQ7x\n");
        QTest::newRow("a track with a UID and a subtitle header") << ebml("\x16\x54\xae\x6b", ebml("\xae", uid + ass)) << false;
        QTest::newRow("a UID wider than eight bytes")
            << ebml("\x16\x54\xae\x6b", ebml("\xae", ebml("\x73\xc5", "TsyTrak12"))) << true;
        QTest::newRow("tracks of unknown size") << ebml("\x16\x54\xae\x6b", ebml("\xae", uid), true) << true;
        QTest::newRow("a track past the end of the tracks")
            << ebml("\x16\x54\xae\x6b", ebml("\xae", uid)).chopped(3) + ebml("\xec", "") << true;
        QTest::newRow("a compressed subtitle header")
            << ebml("\x16\x54\xae\x6b", ebml("\xae", uid + ebml("\x6d\x80", "") + ass)) << true;
        QTest::newRow("a zero byte where an ID starts") << ebml("\x16\x54\xae\x6b", QByteArray(4, '\0')) << true;
        // Vorbis keeps its three headers in the codec data, the sizes of the first two laced in front.
        const QByteArray vorbis = ebml("\x83", "\x02") + ebml("\x86", "A_VORBIS");
        QTest::newRow("Vorbis headers longer than their codec data")
            << ebml("\x16\x54\xae\x6b", ebml("\xae", uid + ass) + ebml("\xae", vorbis + ebml("\x63\xa2", "\x02\x1e\xff"))) << true;
        QTest::newRow("a Vorbis vendor longer than its header")
            << ebml("\x16\x54\xae\x6b", ebml("\xae", uid + ass)
                    + ebml("\xae", vorbis + ebml("\x63\xa2", QByteArray("\x02\x01\x11x\x03vorbis\xff\0\0\0\0\0\0\0\x01", 19) + "setup")))
            << true;
    }

    // Nothing is written into a Matroska file the editor cannot follow to its end.
    void hostileMatroska()
    {
        QFETCH(QByteArray, tracks);
        QFETCH(bool, refused);
        QByteArray bytes = ebml("\x1a\x45\xdf\xa3", ebml("\x42\x82", "matroska")) + ebml("\x18\x53\x80\x67", tracks);
        const QByteArray before = bytes;
        QBuffer buffer(&bytes);
        QVERIFY(buffer.open(QIODevice::ReadWrite));
        const auto scrubbed = MatroskaScrub::scrub(buffer, "film.mkv");
        QCOMPARE(!scrubbed, refused);
        if (refused) {
            QVERIFY(describe(scrubbed.error()).contains("film.mkv"));
            QVERIFY(bytes == before);
        } else {
            QCOMPARE(scrubbed.value().uidsRenewed, 1);
            QCOMPARE(scrubbed.value().headerLinesCleared, 1);
            QCOMPARE(bytes.size(), before.size());
            QCOMPARE(found(bytes, {"TsyTrak1", "TsyAssTitleQ7x"}), QList<QByteArray> {});
        }
    }

    void scriptHeaders_data()
    {
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<QByteArray>("cleared");
        QTest::addColumn<int>("count");

        QTest::newRow("names in the script's info") << QByteArray("[Script Info]\r\nTitle: A\r\nOriginal Editing: Bo\r\nPlayResX: 64\r\n")
                                                    << QByteArray("[Script Info]\r\n;       \r\n;                   \r\nPlayResX: 64\r\n") << 2;
        QTest::newRow("any case, no carriage returns, last line") << QByteArray("[script info]\nupdate details: x\nscript updated by: Jo")
                                                                  << QByteArray("[script info]\n;                \n;                    ") << 2;
        QTest::newRow("a style named Title stays") << QByteArray("[V4+ Styles]\nTitle: kept\n") << QByteArray("[V4+ Styles]\nTitle: kept\n") << 0;
        QTest::newRow("other keys stay") << QByteArray("[Script Info]\nScriptType: v4.00+\nTitled: no\n")
                                         << QByteArray("[Script Info]\nScriptType: v4.00+\nTitled: no\n") << 0;
    }

    void scriptHeaders()
    {
        QFETCH(QByteArray, header);
        QFETCH(QByteArray, cleared);
        QFETCH(int, count);
        int found = 0;
        QCOMPARE(MatroskaScrub::clearedScriptHeader(header, found), cleared);
        QCOMPARE(found, count);
    }

    void handlerNameFields_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<bool>("quickTime");
        QTest::addColumn<QByteArray>("written");

        QTest::newRow("MP4, longer name") << QByteArray("Core Media Video\0", 17) << false
                                          << QByteArray("VideoHandler\0\0\0\0\0", 17);
        QTest::newRow("MP4, just fits") << QByteArray("Abcdefghijkl\0", 13) << false << QByteArray("VideoHandler\0", 13);
        QTest::newRow("MP4, too short") << QByteArray("Short\0", 6) << false << QByteArray(6, '\0');
        QTest::newRow("QuickTime, longer name") << QByteArray("\x10" "Core Media Video") << true
                                                << QByteArray("\x10" "VideoHandler\0\0\0\0", 17);
        QTest::newRow("QuickTime, too short") << QByteArray("\x05" "Short") << true << QByteArray(6, '\0');
        QTest::newRow("empty") << QByteArray() << true << QByteArray();
    }

    // The neutral word written in the field's own form reads back as the neutral word.
    void handlerNameFields()
    {
        QFETCH(QByteArray, field);
        QFETCH(bool, quickTime);
        QFETCH(QByteArray, written);
        const bool counted = quickTime && !field.isEmpty() && quint8(field.at(0)) < field.size();
        const QByteArray name = Mp4Tracks::rewrittenName(field, counted, Mp4Tracks::neutralHandlerName("vide", false));
        QCOMPARE(name, written);
        QVERIFY(Mp4Tracks::isNeutralHandlerName(Mp4Tracks::handlerName(name, quickTime)));
        QVERIFY(field.isEmpty() || !Mp4Tracks::isNeutralHandlerName(Mp4Tracks::handlerName(field, quickTime)));
    }
};

QTEST_GUILESS_MAIN(tst_MovieInsides)
#include "tst_movieinsides.moc"
