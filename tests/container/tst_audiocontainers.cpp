// Audio files and SVG drawings: what the walkers list and the writers keep,
// byte for byte, in files made the way users' files are made and in files a
// stranger broke.

#include <FlacBlocks.h>
#include <Mp3Frames.h>
#include <OggPages.h>
#include <RiffWave.h>
#include <SvgDrawing.h>

#include <AudioFixtures.h>
#include <Fixtures.h>

#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {

using Walker = ContainerWalk (*)(QByteArrayView);
using Writer = Expected<QByteArray> (*)(QByteArrayView);

struct Kind
{
    Walker walk;
    Writer clean;
};

Kind kindOf(const QString &extension)
{
    if (extension == u"mp3")
        return {walkMp3, cleanMp3};
    if (extension == u"flac")
        return {walkFlac, cleanFlac};
    if (extension == u"wav")
        return {walkWav, cleanWav};
    if (extension == u"svg")
        return {walkSvg, cleanSvg};
    return {walkOgg, cleanOgg};
}

QStringList typesIn(const ContainerWalk &walk, ItemRole role)
{
    QStringList types;
    for (const ContainerItem &item : walk.items) {
        if (item.role == role)
            types << QString::fromLatin1(item.type);
    }
    return types;
}

// MPEG-1 layer III, 128 kbit/s, 44.1 kHz: 417 bytes a frame.
QByteArray mpegFrames(int count)
{
    QByteArray frames;
    for (int i = 0; i < count; ++i)
        frames += QByteArray("\xff\xfb\x90\x00", 4) + QByteArray(413, char('a' + i));
    return frames;
}

QByteArray id3v2(const QByteArray &body)
{
    const int n = int(body.size());
    return QByteArray("ID3\x04\x00\x00", 6) + char((n >> 21) & 127) + char((n >> 14) & 127) + char((n >> 7) & 127)
        + char(n & 127) + body;
}

QByteArray flacBlock(int type, const QByteArray &data, bool last = false)
{
    const int n = int(data.size());
    return QByteArray(1, char(type | (last ? 0x80 : 0))) + char(n >> 16) + char(n >> 8) + char(n) + data;
}

QByteArray flacFrames()
{
    return QByteArray("\xff\xf8\x69\x08", 4) + QByteArray(300, 'f');
}

QByteArray wav(const QByteArray &chunks)
{
    using AudioFixtures::riffChunk;
    return AudioFixtures::withChunks(QByteArray("RIFF\0\0\0\0WAVE", 12), chunks);
}

// A refusal compares unequal to any file.
QByteArray written(const Expected<QByteArray> &cleaned)
{
    return cleaned ? cleaned.value() : QByteArray("(refused)");
}

QByteArray fmtChunk()
{
    return AudioFixtures::riffChunk("fmt ", QByteArray("\x01\x00\x01\x00\x44\xac\x00\x00\x88\x58\x01\x00\x02\x00\x10\x00", 16));
}

} // namespace

class tst_AudioContainers : public QObject
{
    Q_OBJECT

private slots:
    // Files made by ffmpeg with every tag their format holds: the walk sees
    // the tags, the cleaned file has none of the marks and walks clean, and
    // cleaning it again changes nothing.
    void madeFilesComeOutClean_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QStringList>("identifying");
        QTest::newRow("mp3") << "mp3" << QStringList {"ID3v2", "APE", "ID3v1"};
        QTest::newRow("flac") << "flac" << QStringList {"ID3v2", "APPLICATION", "PICTURE", "VORBIS_COMMENT", "PADDING"};
        QTest::newRow("ogg") << "ogg" << QStringList {"vorbis comment"};
        QTest::newRow("opus") << "opus" << QStringList {"OpusTags"};
        QTest::newRow("wav") << "wav" << QStringList {"LIST", "bext", "iXML"};
    }

    void madeFilesComeOutClean()
    {
        QFETCH(QString, extension);
        QFETCH(QStringList, identifying);
        QTemporaryDir dir;
        const QString path = dir.filePath("sample." + extension);
        AudioFixtures::make(path, extension);
        const QByteArray bytes = Fixtures::readAll(path);
        const Kind kind = kindOf(extension);
        const ContainerWalk before = kind.walk(bytes);
        QCOMPARE(before.damage, std::nullopt);
        QCOMPARE(typesIn(before, ItemRole::identifying).join(' '), identifying.join(' '));

        const auto cleaned = kind.clean(bytes);
        QVERIFY(cleaned.hasValue());
        const ContainerWalk after = kind.walk(cleaned.value());
        QCOMPARE(after.damage, std::nullopt);
        QCOMPARE(typesIn(after, ItemRole::identifying), QStringList());
        QCOMPARE(Fixtures::found(cleaned.value(), AudioFixtures::planted(extension)), QList<QByteArray>());
        QCOMPARE(kind.clean(cleaned.value()).value(), cleaned.value());
    }

    // The audio itself is the same bytes, wherever the tags were.
    void audioBytesStayAsTheyWere()
    {
        const QByteArray frames = mpegFrames(3);
        const QByteArray mp3 = id3v2(QByteArray("TIT2\0\0\0\x05\0\0\0Tsy!") + QByteArray(20, '\0')) + id3v2("TPE1")
            + frames + AudioFixtures::apeTag("Artist", "x") + AudioFixtures::id3v1("c");
        QCOMPARE(written(cleanMp3(mp3)), frames);
        // A last frame cut short still plays.
        QCOMPARE(written(cleanMp3(frames.chopped(100))), frames.chopped(100));

        const QByteArray streamInfo = flacBlock(0, QByteArray(34, 's'));
        const QByteArray flac = "fLaC" + streamInfo + flacBlock(4, "comments") + flacBlock(3, QByteArray(18, 't'))
            + flacBlock(6, "picture", true) + flacFrames();
        // The last block left carries the last flag.
        QCOMPARE(written(cleanFlac(id3v2("TPE1") + flac)),
                 "fLaC" + streamInfo + flacBlock(3, QByteArray(18, 't'), true) + flacFrames());

        using AudioFixtures::riffChunk;
        const QByteArray data = riffChunk("data", "abcde"); // odd: one pad byte
        const QByteArray wave = wav(fmtChunk() + riffChunk("LIST", "INFOIART") + data + riffChunk("cue ", QByteArray(28, 'q'))
                                    + riffChunk("bext", "x"));
        QCOMPARE(written(cleanWav(wave + "trailing")), wav(fmtChunk() + data + riffChunk("cue ", QByteArray(28, 'q'))));
    }

    // Tags longer than a page make the comment header span pages; without
    // them the headers take fewer, and every audio page after them is
    // renumbered with a checksum that matches, its packets as they were.
    void oggPagesAreRenumbered_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::newRow("vorbis") << "ogg";
        QTest::newRow("opus") << "opus";
    }

    void oggPagesAreRenumbered()
    {
        QFETCH(QString, extension);
        QTemporaryDir dir;
        const QString path = dir.filePath("long." + extension);
        Fixtures::run("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "sine=duration=1", "-metadata",
                                 "lyrics=" + QString(70000, u'x'), path});
        const QByteArray bytes = Fixtures::readAll(path);
        const QByteArray before = AudioFixtures::rendering(path);
        const QByteArray cleaned = written(cleanOgg(bytes));
        QCOMPARE(walkOgg(cleaned).damage, std::nullopt);
        QCOMPARE(cleaned.count("OggS"), bytes.count("OggS") - 1);
        // The last page: one number less, its segments and packets as they were.
        const QByteArray lastBefore = bytes.mid(bytes.lastIndexOf("OggS")), lastAfter = cleaned.mid(cleaned.lastIndexOf("OggS"));
        QCOMPARE(qFromLittleEndian<quint32>(lastAfter.constData() + 18), qFromLittleEndian<quint32>(lastBefore.constData() + 18) - 1);
        QCOMPARE(lastAfter.mid(26), lastBefore.mid(26));
        Fixtures::writeAll(path, cleaned);
        QCOMPARE(AudioFixtures::rendering(path), before);
        // A flipped byte in any page breaks its checksum.
        QByteArray flipped = cleaned;
        flipped[flipped.size() - 10] = char(flipped[flipped.size() - 10] ^ 1);
        QVERIFY(walkOgg(flipped).damage);
    }

    void drawingKeepsWhatDraws()
    {
        const QByteArray svg = "<?xml version=\"1.0\"?>\n"
            "<!DOCTYPE svg PUBLIC \"-//W3C//DTD SVG 1.1//EN\" \"http://www.w3.org/Graphics/SVG/1.1/DTD/svg11.dtd\">\n"
            "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:i=\"http://www.inkscape.org/namespaces/inkscape\" xmlns:x=\"http://www.w3.org/1999/xlink\" i:export-filename=\"/home/who/x.png\" width=\"4\"><!-- by who --><title>Kept &amp; shown</title><metadata><who/></metadata><i:path-effect/><rect x:href=\"#a\" width=\"2\" style=\"fill:red\"/></svg>";
        const QByteArray cleaned = cleanSvg(svg).value();
        QCOMPARE(cleaned, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE svg PUBLIC \"-//W3C//DTD SVG 1.1//EN\" \"http://www.w3.org/Graphics/SVG/1.1/DTD/svg11.dtd\"><svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:x=\"http://www.w3.org/1999/xlink\" width=\"4\"><title>Kept &amp; shown</title><rect x:href=\"#a\" width=\"2\" style=\"fill:red\"/></svg>\n");
        QCOMPARE(typesIn(walkSvg(svg), ItemRole::identifying), (QStringList {"attribute", "comment", "element", "element"}));
    }

    // What a stranger may have written: each is refused whole by the
    // writer, and the walk says where it broke.
    void brokenFilesAreRefused_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("damage");
        using AudioFixtures::riffChunk;
        const QByteArray frames = mpegFrames(2);
        QByteArray longId3 = id3v2("TPE1");
        longId3[8] = 100;
        QTest::newRow("ID3v2 longer than the file") << "mp3" << longId3 + frames << "runs past the file";
        QTest::newRow("ID3v2 size not synchsafe") << "mp3" << QByteArray("ID3\x04\0\0\x80\0\0\0", 10) + frames << "runs past";
        QTest::newRow("garbage between frames") << "mp3" << frames + "junk" + frames << "frame 3 at byte 834";
        QTest::newRow("no frames") << "mp3" << id3v2("TPE1") << "no MPEG audio frames";
        QByteArray ape = AudioFixtures::apeTag("Artist", "x");
        qToLittleEndian(quint32(1 << 30), ape.data() + ape.size() - 20);
        QTest::newRow("APE longer than the file") << "mp3" << frames + ape << "at the end";
        const QByteArray streamInfo = flacBlock(0, QByteArray(34, 's'));
        QTest::newRow("FLAC block past the end") << "flac" << "fLaC" + streamInfo + flacBlock(4, "xxxxxxxx", true).left(6)
                                                 << "metadata block 2";
        QTest::newRow("FLAC without STREAMINFO first") << "flac" << "fLaC" + flacBlock(4, "x", true) + flacFrames()
                                                       << "metadata block 1";
        QTest::newRow("FLAC metadata never ends") << "flac" << "fLaC" + streamInfo << "before its last block";
        QTest::newRow("FLAC with junk where frames begin") << "flac" << "fLaC" + flacBlock(0, QByteArray(34, 's'), true) + "TsyAuthorQ7x"
                                                           << "no audio frame";
        QTest::newRow("WAV chunk past the RIFF data") << "wav" << wav(fmtChunk() + "data\xff\xff\0\0abc") << "past the RIFF data";
        QTest::newRow("WAV with two data chunks") << "wav" << wav(fmtChunk() + riffChunk("data", "ab") + riffChunk("data", "cd"))
                                                  << "2 data chunks";
        QTest::newRow("WAV RIFF longer than the file") << "wav" << wav(fmtChunk()).left(30) << "RIFF length";
        QTest::newRow("RF64") << "wav" << QByteArray("RF64\xff\xff\xff\xffWAVEds64") << "not a RIFF WAVE";
        QTest::newRow("Ogg that is text") << "ogg" << QByteArray("OggS but not really") << "runs past the file";
        QTest::newRow("Ogg of nothing") << "ogg" << QByteArray("TsyAuthorQ7x") << "not an Ogg file";
        const QByteArray laughs = "<?xml version=\"1.0\"?><!DOCTYPE svg [<!ENTITY a \"lol\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">]><svg xmlns=\"http://www.w3.org/2000/svg\">&c;</svg>";
        QTest::newRow("billion laughs") << "svg" << laughs << "declares entities";
        QTest::newRow("external entity") << "svg" << QByteArray("<!DOCTYPE svg [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><svg xmlns=\"http://www.w3.org/2000/svg\">&x;</svg>")
                                         << "declares entities";
        QTest::newRow("undeclared entity") << "svg" << QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\">&nbsp;</svg>")
                                           << "not well-formed";
        QTest::newRow("HTML named .svg") << "svg" << QByteArray("<html><body/></html>") << "not an SVG drawing";
        QTest::newRow("cut short") << "svg" << QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\"><rect") << "not well-formed";
    }

    void brokenFilesAreRefused()
    {
        QFETCH(QString, extension);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, damage);
        const Kind kind = kindOf(extension);
        const ContainerWalk walk = kind.walk(bytes);
        QVERIFY2(walk.damage && walk.damage->contains(damage), qPrintable(walk.damage.value_or("no damage")));
        QVERIFY(walk.hasIdentifying());
        QVERIFY(!kind.clean(bytes).hasValue());
    }

    // Two streams side by side, or one file after another: neither is read.
    void oggWithTwoStreamsIsRefused()
    {
        QTemporaryDir dir;
        const QString two = dir.filePath("two.ogg"), one = dir.filePath("one.opus");
        Fixtures::run("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "sine=duration=0.3", "-f", "lavfi", "-i",
                                 "sine=duration=0.3", "-map", "0", "-map", "1", "-c:a", "libvorbis", two});
        AudioFixtures::make(one, "opus");
        const QByteArray chained = Fixtures::readAll(one) + Fixtures::readAll(one);
        for (const QByteArray &bytes : {Fixtures::readAll(two), chained}) {
            QCOMPARE(walkOgg(bytes).damage, QStringLiteral("more than one stream"));
            QVERIFY(!cleanOgg(bytes).hasValue());
        }
    }
};

QTEST_GUILESS_MAIN(tst_AudioContainers)
#include "tst_audiocontainers.moc"
