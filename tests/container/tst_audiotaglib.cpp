// A second opinion on the cleaned audio from TagLib, the tag library
// players use: in the files the fixtures make it finds every tag and
// picture, and in what the writers make of them none, with the same
// stream properties. It reads only our own fixtures, in the tests.

#include <FlacBlocks.h>
#include <Mp3Frames.h>
#include <OggPages.h>
#include <RiffWave.h>

#include <AudioFixtures.h>
#include <Fixtures.h>

#include <QTemporaryDir>
#include <QTest>

#include <taglib/flacfile.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

namespace {

// What TagLib finds: "tags", "picture", "vendor", "INFO" and the like, and
// the stream's properties.
struct Reading
{
    QStringList found;
    QString properties;
};

void addComments(Reading &reading, TagLib::Ogg::XiphComment *comment)
{
    if (!comment)
        return;
    if (!comment->isEmpty() || !comment->fieldListMap().isEmpty())
        reading.found << "comments";
    if (!comment->vendorID().isEmpty())
        reading.found << "vendor";
    if (!comment->pictureList().isEmpty())
        reading.found << "picture";
}

Reading read(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    Reading reading;
    std::unique_ptr<TagLib::File> file;
    if (path.endsWith(".mp3")) {
        auto *mpeg = new TagLib::MPEG::File(name.constData());
        file.reset(mpeg);
        if (mpeg->hasID3v2Tag()) {
            reading.found << "ID3v2";
            if (!mpeg->ID3v2Tag()->frameListMap()["APIC"].isEmpty())
                reading.found << "picture";
        }
        if (mpeg->hasAPETag())
            reading.found << "APE";
        if (mpeg->hasID3v1Tag())
            reading.found << "ID3v1";
    } else if (path.endsWith(".flac")) {
        auto *flac = new TagLib::FLAC::File(name.constData());
        file.reset(flac);
        if (flac->hasID3v2Tag())
            reading.found << "ID3v2";
        if (flac->hasID3v1Tag())
            reading.found << "ID3v1";
        addComments(reading, flac->hasXiphComment() ? flac->xiphComment() : nullptr);
        if (!flac->pictureList().isEmpty())
            reading.found << "picture";
    } else if (path.endsWith(".ogg")) {
        auto *vorbis = new TagLib::Ogg::Vorbis::File(name.constData());
        file.reset(vorbis);
        addComments(reading, vorbis->tag());
    } else if (path.endsWith(".opus")) {
        auto *opus = new TagLib::Ogg::Opus::File(name.constData());
        file.reset(opus);
        addComments(reading, opus->tag());
    } else {
        auto *wav = new TagLib::RIFF::WAV::File(name.constData());
        file.reset(wav);
        if (wav->hasInfoTag())
            reading.found << "INFO";
        if (wav->hasID3v2Tag())
            reading.found << "ID3v2";
    }
    if (!file->isValid() || !file->audioProperties())
        return {{"invalid"}, {}};
    if (!file->tag()->isEmpty())
        reading.found << "tag";
    const TagLib::AudioProperties *p = file->audioProperties();
    reading.properties = QStringLiteral("%1 ms, %2 Hz, %3 channels, %4 kbit/s")
                             .arg(QString::number(p->lengthInMilliseconds()), QString::number(p->sampleRate()),
                                  QString::number(p->channels()), QString::number(p->bitrate()));
    return reading;
}

Expected<QByteArray> cleaned(const QString &extension, QByteArrayView bytes)
{
    if (extension == u"mp3")
        return cleanMp3(bytes);
    if (extension == u"flac")
        return cleanFlac(bytes);
    if (extension == u"wav")
        return cleanWav(bytes);
    return cleanOgg(bytes);
}

} // namespace

class tst_AudioTagLib : public QObject
{
    Q_OBJECT

private slots:
    void noTagIsLeftAndTheStreamIsTheSame_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QStringList>("before");
        QTest::newRow("mp3") << "mp3" << QStringList {"ID3v2", "picture", "APE", "ID3v1", "tag"};
        QTest::newRow("flac") << "flac" << QStringList {"ID3v2", "comments", "vendor", "picture", "tag"};
        QTest::newRow("ogg") << "ogg" << QStringList {"comments", "vendor", "picture", "tag"};
        QTest::newRow("opus") << "opus" << QStringList {"comments", "vendor", "picture", "tag"};
        QTest::newRow("wav") << "wav" << QStringList {"INFO"}; // its tag() is the ID3v2 one; bext and iXML it does not read
    }

    void noTagIsLeftAndTheStreamIsTheSame()
    {
        QFETCH(QString, extension);
        QFETCH(QStringList, before);
        QTemporaryDir dir;
        const QString path = dir.filePath("sample." + extension);
        AudioFixtures::make(path, extension);
        const Reading original = read(path);
        QCOMPARE(original.found, before);

        const auto written = cleaned(extension, Fixtures::readAll(path));
        QVERIFY(written.hasValue());
        Fixtures::writeAll(path, written.value());
        const Reading after = read(path);
        QCOMPARE(after.found, QStringList());
        QCOMPARE(after.properties, original.properties);
    }
};

QTEST_GUILESS_MAIN(tst_AudioTagLib)
#include "tst_audiotaglib.moc"
