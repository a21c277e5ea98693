// Movies, TIFF-based raws and Matroska files: what the walkers list in files
// made by the tools users' files come from, and how they hold up on files a
// stranger broke.

#include <MatroskaElements.h>
#include <Mp4Tracks.h>
#include <TiffDirectories.h>
#include <ByteSource.h>
#include <EncoderNotes.h>

#include <Fixtures.h>

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(ItemRole)

namespace {

using Walker = ContainerWalk (*)(QIODevice &);

ContainerWalk walkBytes(Walker walker, QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return walker(buffer);
}

Walker walkerFor(const QString &extension)
{
    if (extension == u"mkv")
        return walkMatroska;
    if (extension == u"mp4" || extension == u"mov")
        return walkMovie;
    return walkTiff;
}

// "type" or "type: detail" of every item in that role, sorted. An
// encoder's note is told by its first words: the rest is its version's.
QStringList summary(const ContainerWalk &walk, ItemRole role)
{
    QStringList out;
    for (const auto &item : walk.items) {
        const QString detail = item.type == "SEI"             ? item.detail.left(11)
                             : item.type == "VorbisComment" ? item.detail.section(u' ', 0, 0)
                                                            : item.detail;
        if (item.role == role)
            out << (detail.isEmpty() ? QString::fromLatin1(item.type) : QString::fromLatin1(item.type) + u": "_qs + detail);
    }
    out.sort();
    return out;
}

// Movies ffmpeg writes: "timecode.mov", "subtitles.mp4", "bare.mp4", "subtitles.mkv", "bare.mkv".
QString makeMovie(const QString &dir, const QString &name)
{
    Fixtures::writeAll(dir + u"/chapters.txt"_qs,
                       ";FFMETADATA1\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=500\ntitle=TsyChapterQ7x\n");
    Fixtures::writeAll(dir + u"/subtitles.srt"_qs, "1\n00:00:00,000 --> 00:00:00,500\nTsySubtitleQ7x\n");
    QString arguments = u"-v error -y -f lavfi -i testsrc=size=32x24:rate=5:duration=1 "_qs;
    if (name.startsWith(u"timecode"))
        arguments += u"-timecode 01:02:03:04 -metadata:s:v handler_name=Core\u00a0Media\u00a0Video "_qs;
    else if (name.startsWith(u"subtitles"))
        arguments += u"-i subtitles.srt -i chapters.txt -map 0 -map 1 -map_chapters 2 -metadata:s:s:0 language=deu -c:s "_qs
            + (name.endsWith(u"mkv") ? u"srt "_qs : u"mov_text "_qs);
    else
        arguments += u"-fflags +bitexact -map_metadata -1 "_qs;
    QStringList list = (arguments + u"-c:v libx264 "_qs + name).split(u' ', Qt::SkipEmptyParts);
    for (QString &argument : list)
        argument.replace(QChar(0xa0), u' ');
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir);
    Fixtures::run(u"ffmpeg"_qs, list);
    QDir::setCurrent(previous);
    return dir + u'/' + name;
}

using Fixtures::ebml;

QByteArray le(quint32 value, int width)
{
    QByteArray out;
    for (int i = 0; i < width; ++i)
        out.append(char((value >> (8 * i)) & 0xff));
    return out;
}

// A little-endian TIFF header pointing at an IFD at 8 with these 12-byte entries and next-IFD pointer.
QByteArray tiff(const QList<QByteArray> &entries, quint32 next = 0)
{
    QByteArray out = QByteArray("II*\0", 4) + le(8, 4) + le(quint32(entries.size()), 2);
    for (const auto &entry : entries)
        out += entry;
    return out + le(next, 4);
}

QByteArray entry(quint16 tag, quint16 type, quint32 count, quint32 value)
{
    return le(tag, 2) + le(type, 2) + le(count, 4) + le(value, 4);
}

const QByteArray ebmlHeader = ebml("\x1a\x45\xdf\xa3", ebml("\x42\x82", "matroska"));
const QByteArray tessalyInfo = ebml("\x15\x49\xa9\x66", ebml("\x4d\x80", "Tessaly") + ebml("\x57\x41", "Tessaly"));
const QByteArray block = ebml("\xe7", QByteArray(1, '\0')) + ebml("\xa3", QByteArray("\x81\0\0\x80pixels", 10));
const QByteArray cues = ebml("\x1c\x53\xbb\x6b", ebml("\xbb", ebml("\xb3", QByteArray(1, '\0'))));

} // namespace

class TestMediaContainers : public QObject
{
    Q_OBJECT

private slots:
    void walks_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("identifying");
        QTest::addColumn<QStringList>("content");

        const QStringList dates {u"mdhd: creation date"_qs, u"mdhd: creation date"_qs, u"mvhd: creation date"_qs,
                                 u"tkhd: creation date"_qs, u"tkhd: creation date"_qs};
        // The encoder's name in the video's sample entry, x264's note in its
        // first picture and FFmpeg's in the sound's first frame.
        const QString lavc = u"avc1: Lavc59.37.100 libx264"_qs, x264 = u"SEI: x264 - core"_qs,
                      aac = u"FIL: Lavc59.37.100"_qs;
        QTest::newRow("mp4 with tags and XMP")
            << u"mp4"_qs << dates + QStringList {aac, lavc, x264, u"meta"_qs, u"meta"_qs, u"uuid"_qs} << QStringList {};
        QTest::newRow("mov with tags and XMP")
            << u"mov"_qs
            << QStringList {u"XMP_"_qs, aac, lavc, x264} + dates
                   + QStringList {u"meta"_qs, u"meta"_qs, u"©ART"_qs, u"©cmt"_qs, u"©des"_qs, u"©nam"_qs, u"©swr"_qs}
            << QStringList {};
        QTest::newRow("mov with timecode and a handler name")
            << u"timecode.mov"_qs
            << QStringList {lavc, x264, u"hdlr: Core Media Video"_qs, u"hdlr: Core Media Video"_qs, u"trak: tmcd tmcd"_qs,
                            u"©swr"_qs}
            << QStringList {};
        QTest::newRow("mp4 with subtitles and chapters")
            << u"subtitles.mp4"_qs << QStringList {lavc, x264, u"chpl"_qs, u"meta"_qs}
            << QStringList {u"trak: chapters"_qs, u"trak: sbtl tx3g"_qs};
        QTest::newRow("mp4 without metadata")
            << u"bare.mp4"_qs << QStringList {u"avc1: Lavc libx264"_qs, x264, u"meta"_qs} << QStringList {};
        QTest::newRow("mkv with title, track names and a text attachment")
            << u"mkv"_qs
            << QStringList {u"AttachedFile: note.txt"_qs, u"DateUTC"_qs, u"MuxingApp: Lavf59.27.100"_qs, u"Name: TsyOwnerQ7x"_qs,
                            u"Name: TsySerialQ7x"_qs, x264, u"Tags"_qs, u"Title: TsyTitleQ7x"_qs,
                            u"VorbisComment: Xiph.Org"_qs, u"WritingApp: Lavf59.27.100"_qs}
            << QStringList {u"AttachedFile: face.ttf"_qs};
        QTest::newRow("mkv with subtitles and chapters")
            << u"subtitles.mkv"_qs
            << QStringList {u"MuxingApp: Lavf59.27.100"_qs, x264, u"Tags"_qs, u"WritingApp: Lavf59.27.100"_qs}
            << QStringList {u"Chapters: TsyChapterQ7x"_qs, u"TrackEntry: deu"_qs};
        QTest::newRow("mkv without metadata") << u"bare.mkv"_qs
                                              << QStringList {u"MuxingApp: Lavf"_qs, x264, u"Tags"_qs, u"WritingApp: Lavf"_qs}
                                              << QStringList {};
        const QStringList gps {u"0x0000"_qs, u"0x0001"_qs, u"0x0002"_qs, u"0x0003"_qs, u"0x0004"_qs};
        // The fixtures' raws also carry the tags that tie a picture to a
        // moment and a body beyond the usual ones.
        const QStringList common {u"Artist"_qs, u"Copyright"_qs, u"DateTime"_qs, u"DateTimeDigitized"_qs,
                                  u"DateTimeOriginal"_qs, u"IPTC"_qs, u"ImageDescription"_qs, u"XMP"_qs,
                                  u"ImageUniqueID"_qs, u"LensSerialNumber"_qs, u"OffsetTimeOriginal"_qs,
                                  u"SubSecTimeOriginal"_qs, u"UserComment"_qs, u"XPAuthor"_qs};
        QTest::newRow("dng") << u"dng"_qs << gps + common + QStringList {u"CameraOwnerName"_qs, u"CameraSerialNumber"_qs}
                             << QStringList {};
        QTest::newRow("nef") << u"nef"_qs << gps + common + QStringList {u"BodySerialNumber"_qs, u"CameraOwnerName"_qs}
                             << QStringList {};
        QTest::newRow("cr2") << u"cr2"_qs << gps + common << QStringList {};
    }

    void walks()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, identifying);
        QFETCH(QStringList, content);
        QTemporaryDir dir;
        const QString path = file.contains(u'.') ? makeMovie(dir.path(), file) : Fixtures::make(dir.path(), file);
        const ContainerWalk walk = walkBytes(walkerFor(path.right(3)), Fixtures::readAll(path));
        QCOMPARE(walk.damage, std::nullopt);
        identifying.sort();
        QCOMPARE(summary(walk, ItemRole::identifying), identifying);
        QCOMPARE(summary(walk, ItemRole::content), content);
        // Raw decoders need the camera's name; the media data is always there.
        if (path.endsWith(u"dng") || path.endsWith(u"nef") || path.endsWith(u"cr2")) {
            const QStringList needed = summary(walk, ItemRole::needed);
            QVERIFY(needed.contains(u"Make: raw decoders read it"_qs));
            QVERIFY(needed.contains(u"Model: raw decoders read it"_qs));
        } else {
            QVERIFY(std::any_of(walk.items.begin(), walk.items.end(), [](const ContainerItem &item) {
                return item.keptBecause == KeptBecause::media && item.role == ItemRole::needed;
            }));
        }
    }

    void trackRoles_data()
    {
        QTest::addColumn<QByteArray>("handler");
        QTest::addColumn<QByteArrayList>("entries");
        QTest::addColumn<bool>("chapters");
        QTest::addColumn<ItemRole>("role");

        QTest::newRow("video") << QByteArray("vide") << QByteArrayList {"avc1"} << false << ItemRole::needed;
        QTest::newRow("sound") << QByteArray("soun") << QByteArrayList {"mp4a"} << false << ItemRole::needed;
        QTest::newRow("GoPro telemetry") << QByteArray("meta") << QByteArrayList {"gpmd"} << false << ItemRole::identifying;
        QTest::newRow("camera motion in a video handler") << QByteArray("vide") << QByteArrayList {"camm"} << false
                                                          << ItemRole::identifying;
        QTest::newRow("timed metadata") << QByteArray("meta") << QByteArrayList {"mett"} << false << ItemRole::identifying;
        QTest::newRow("timecode") << QByteArray("tmcd") << QByteArrayList {"tmcd"} << false << ItemRole::identifying;
        QTest::newRow("timecode entry under a video handler") << QByteArray("vide") << QByteArrayList {"avc1", "tmcd"}
                                                              << false << ItemRole::identifying;
        QTest::newRow("timed text") << QByteArray("text") << QByteArrayList {"tx3g"} << false << ItemRole::content;
        QTest::newRow("WebVTT in a subt handler") << QByteArray("subt") << QByteArrayList {"wvtt"} << false
                                                  << ItemRole::content;
        QTest::newRow("closed captions") << QByteArray("clcp") << QByteArrayList {"c608"} << false << ItemRole::content;
        QTest::newRow("chapter track") << QByteArray("text") << QByteArrayList {"text"} << true << ItemRole::content;
        QTest::newRow("hint track") << QByteArray("hint") << QByteArrayList {"rtp "} << false << ItemRole::identifying;
    }

    void trackRoles()
    {
        QFETCH(QByteArray, handler);
        QFETCH(QByteArrayList, entries);
        QFETCH(bool, chapters);
        QFETCH(ItemRole, role);
        Mp4Tracks::Track track;
        track.handler = handler;
        track.sampleEntries = entries;
        QCOMPARE(Mp4Tracks::roleOf(track, chapters), role);
    }

    void tiffTags_data()
    {
        QTest::addColumn<int>("tag");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<bool>("inGps");
        QTest::addColumn<ItemRole>("role");

        QTest::newRow("Artist") << 0x013b << QByteArray("Jo\0", 3) << false << ItemRole::identifying;
        QTest::newRow("empty Artist") << 0x013b << QByteArray() << false << ItemRole::needed;
        QTest::newRow("blank serial") << 0xa431 << QByteArray("    \0", 5) << false << ItemRole::needed;
        QTest::newRow("zeroed date") << 0x9003 << QByteArray(20, '\0') << false << ItemRole::needed;
        QTest::newRow("XP author") << 0x9c9d << QByteArray("J\0o\0", 4) << false << ItemRole::identifying;
        QTest::newRow("original raw name") << 0xc68b << QByteArray("IMG_1.CR2") << false << ItemRole::identifying;
        QTest::newRow("Photoshop") << 0x8649 << QByteArray("8BIM") << false << ItemRole::identifying;
        QTest::newRow("Model") << 0x0110 << QByteArray("EOS R") << false << ItemRole::needed;
        QTest::newRow("MakerNote") << 0x927c << QByteArray("Nikon") << false << ItemRole::needed;
        QTest::newRow("width") << 0x0100 << QByteArray("\0\x40", 2) << false << ItemRole::needed;
        QTest::newRow("GPS latitude") << 0x0002 << QByteArray("\0\0\0\x30", 4) << true << ItemRole::identifying;
        QTest::newRow("GPS tag zeroed") << 0x0002 << QByteArray(24, '\0') << true << ItemRole::needed;
    }

    void tiffTags()
    {
        QFETCH(int, tag);
        QFETCH(QByteArray, value);
        QFETCH(bool, inGps);
        QFETCH(ItemRole, role);
        QCOMPARE(TiffDirectories::roleOf(quint16(tag), value, inGps), role);
    }

    void brokenFiles_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("damaged");
        QTest::addColumn<QStringList>("identifying");

        QTest::newRow("tiff: IFD chain looping to itself") << u"tif"_qs << tiff({entry(0x0100, 3, 1, 64)}, 8) << false
                                                           << QStringList {};
        QTest::newRow("tiff: EXIF IFD pointing at IFD0") << u"tif"_qs << tiff({entry(0x8769, 4, 1, 8)}) << false
                                                         << QStringList {};
        QTest::newRow("tiff: IFD past the end") << u"tif"_qs << tiff({}, 4096) << true << QStringList {};
        QTest::newRow("tiff: value past the end") << u"tif"_qs << tiff({entry(0x013b, 2, 100, 5000)}) << true
                                                  << QStringList {};
        QTest::newRow("tiff: more entries than bytes") << u"tif"_qs << QByteArray("II*\0\x08\0\0\0\xff\xff", 10) << true
                                                       << QStringList {};
        QTest::newRow("tiff: GPS IFD at a huge count") << u"tif"_qs << tiff({entry(0x8825, 4, 0x40000000, 8)}) << true
                                                       << QStringList {};
        QTest::newRow("tiff: not a TIFF") << u"tif"_qs << QByteArray("GIF89a\0\0\0\0") << true << QStringList {};
        QTest::newRow("mkv: unknown-size segment and cluster") << u"mkv"_qs
            << ebmlHeader + ebml("\x18\x53\x80\x67", tessalyInfo + ebml("\x1f\x43\xb6\x75", block, true) + cues, true)
            << false << QStringList {};
        QTest::newRow("mkv: unknown-size cluster before tags") << u"mkv"_qs
            << ebmlHeader + ebml("\x18\x53\x80\x67", tessalyInfo + ebml("\x1f\x43\xb6\x75", block, true)
                                     + ebml("\x12\x54\xc3\x67", "tags"), true)
            << false << QStringList {u"Tags"_qs};
        QTest::newRow("mkv: unknown size on info") << u"mkv"_qs
            << ebmlHeader + ebml("\x18\x53\x80\x67", ebml("\x15\x49\xa9\x66", "x", true), true) << true << QStringList {};
        QTest::newRow("mkv: element past the end") << u"mkv"_qs << ebmlHeader + ebml("\x18\x53\x80\x67", tessalyInfo).chopped(3)
                                                   << true << QStringList {};
        QTest::newRow("mkv: no EBML header") << u"mkv"_qs << ebml("\x18\x53\x80\x67", tessalyInfo) << true << QStringList {};
        QTest::newRow("mkv: zero byte where an ID starts") << u"mkv"_qs << ebmlHeader + QByteArray(4, '\0') << true
                                                           << QStringList {};
    }

    void brokenFiles()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, damaged);
        QFETCH(QStringList, identifying);
        const ContainerWalk walk = walkBytes(walkerFor(kind), bytes);
        QCOMPARE(walk.damage.has_value(), damaged);
        QCOMPARE(walk.hasIdentifying(), damaged || !identifying.isEmpty());
        QCOMPARE(summary(walk, ItemRole::identifying), identifying);
    }

    // An encoder's note is found wherever emulation prevention falls in it,
    // and its blank keeps the stored form's every size: cleared, the notes
    // are found again at the same places, and no other byte moved.
    void encoderNotesInAPicture()
    {
        const auto escaped = [](QByteArrayView message) {
            QByteArray out;
            int zeros = 0;
            for (char byte : message) {
                if (zeros >= 2 && quint8(byte) <= 3) {
                    out += '\3';
                    zeros = 0;
                }
                out += byte;
                zeros = byte == 0 ? zeros + 1 : 0;
            }
            return out;
        };
        const auto counted = [](QByteArrayView unit) {
            return QByteArray(1, '\0') + char(unit.size() >> 16) + char(unit.size() >> 8) + char(unit.size()) + unit.toByteArray();
        };
        const QByteArray uuid(16, '\x11');
        // Zeros and small bytes inside the words need emulation prevention.
        const QByteArray first = uuid + "TsyEncoderQ7x" + QByteArray("\0\0\1\0\0\2", 6) + " options: a=1";
        // 255 bytes: the size's last byte is a zero, and so is the payload's first.
        const QByteArray second = QByteArray("\0\1", 2) + uuid + "TsySecondQ7x" + QByteArray(225, 'w');
        QCOMPARE(second.size(), 255);
        // Decoders read an x264 build older than 151 to undo its faults: only its name stays.
        const QByteArray oldX264 = uuid + "x264 - core 148 r2643 5c65704 - options: TsyOptionsQ7x";
        // Captions are registered user data: the film's own, never touched.
        const QByteArray captions = "TsyCaptionQ7x";
        const QByteArray message = QByteArray("\x05", 1) + char(first.size()) + first + QByteArray("\x05\xff\x00", 3)
            + second + '\x05' + char(oldX264.size()) + oldX264 + '\x04' + char(captions.size()) + captions + '\x80';
        QByteArray picture = counted(QByteArray("\x06", 1) + escaped(message)) + counted("\x65TsySliceQ7x");
        const QByteArray before = picture;

        QBuffer buffer(&picture);
        QVERIFY(buffer.open(QIODevice::ReadWrite));
        const EncoderNotes::StreamFormat avc {EncoderNotes::Codec::avc, 4};
        const auto notes = EncoderNotes::inPicture(ByteSource(buffer), 0, picture.size(), avc);
        QVERIFY(notes);
        QCOMPARE(notes->size(), 3);
        QVERIFY(notes->at(0).text.startsWith("TsyEncoderQ7x"));
        QVERIFY(notes->at(1).text.startsWith("TsySecondQ7x"));
        QVERIFY(notes->at(2).text.startsWith("x264 - core 148"));
        for (const auto &note : *notes) {
            QVERIFY(!note.cleared);
            picture.replace(note.offset, note.blank.size(), note.blank);
        }

        QCOMPARE(picture.size(), before.size());
        QCOMPARE(Fixtures::found(picture, {"TsyEncoderQ7x", "TsySecondQ7x", "r2643", "TsyOptionsQ7x",
                                           "TsyCaptionQ7x", "TsySliceQ7x", uuid + "x264 - core 148"}),
                 (QByteArrayList {"TsyCaptionQ7x", "TsySliceQ7x", uuid + "x264 - core 148"}));
        for (qsizetype i = 0; i < picture.size(); ++i) {
            const bool inNote = std::any_of(notes->begin(), notes->end(), [i](const EncoderNotes::Note &note) {
                return i >= note.offset && i < note.offset + note.blank.size();
            });
            QVERIFY2(inNote || picture[i] == before[i], qPrintable(QString::number(i)));
        }
        const auto again = EncoderNotes::inPicture(ByteSource(buffer), 0, picture.size(), avc);
        QVERIFY(again);
        QCOMPARE(again->size(), 3);
        for (qsizetype n = 0; n < 3; ++n) {
            QVERIFY(again->at(n).cleared);
            QCOMPARE(again->at(n).offset, notes->at(n).offset);
            QCOMPARE(again->at(n).text, QByteArray());
        }
        QCOMPARE(again->at(2).kept, QByteArray("x264 - core 148"));

        // Sizes that run past what holds them.
        QByteArray longMessage = counted(QByteArray("\x06\x05\x40", 3) + uuid + '\x80');
        QBuffer longBuffer(&longMessage);
        QVERIFY(longBuffer.open(QIODevice::ReadOnly));
        QVERIFY(!EncoderNotes::inPicture(ByteSource(longBuffer), 0, longMessage.size(), avc));
        QByteArray longUnit = before.chopped(1);
        QBuffer cutBuffer(&longUnit);
        QVERIFY(cutBuffer.open(QIODevice::ReadOnly));
        QVERIFY(!EncoderNotes::inPicture(ByteSource(cutBuffer), 0, longUnit.size(), avc));
    }

    // Cut anywhere, a walk stops with damage or lists less; it never reads past the end.
    void truncatedMovies_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("everyCutDamages"); // sizes declared up front; a TIFF's pixels come after its IFDs
        QTest::newRow("mp4") << u"mp4"_qs << true;
        QTest::newRow("mov") << u"mov"_qs << true;
        QTest::newRow("mkv") << u"mkv"_qs << true;
        QTest::newRow("dng") << u"dng"_qs << false;
    }

    void truncatedMovies()
    {
        QFETCH(QString, kind);
        QFETCH(bool, everyCutDamages);
        QTemporaryDir dir;
        const QByteArray whole = Fixtures::readAll(Fixtures::make(dir.path(), kind));
        int damaged = 0, cuts = 0;
        for (qsizetype cut = 1; cut < whole.size(); cut += qMax<qsizetype>(1, whole.size() / 97)) {
            const ContainerWalk walk = walkBytes(walkerFor(kind), whole.left(cut));
            damaged += walk.damage.has_value();
            ++cuts;
            QVERIFY2(walk.hasIdentifying() || cut < 16, qPrintable(QString::number(cut)));
        }
        if (everyCutDamages)
            QCOMPARE(damaged, cuts);
        else
            QVERIFY(damaged >= cuts / 3);
    }
};

QTEST_GUILESS_MAIN(TestMediaContainers)
#include "tst_mediacontainers.moc"
