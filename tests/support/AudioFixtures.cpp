#include "AudioFixtures.h"

#include "Fixtures.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QtEndian>

namespace AudioFixtures {

namespace {

using namespace Fixtures;

const QStringList audio {"mp3", "flac", "ogg", "opus", "wav"};

// A cover picture with its own EXIF: the owner's name and a place.
QString cover(const QString &directory)
{
    const QString path = QDir(directory).filePath("cover.jpg");
    if (!writeImage(path, "JPEG", QSize(16, 16)))
        qFatal("cannot write %s", qPrintable(path));
    run("exiftool", {"-q", "-overwrite_original", "-Artist=" + QString(owner), "-GPSLatitude=48.8583",
                     "-GPSLatitudeRef=N", path});
    return path;
}

// FLAC's PICTURE block body, which Ogg carries base64-coded as a comment.
QByteArray pictureBlock(const QByteArray &jpeg)
{
    const QByteArray mime = "image/jpeg";
    return be32(3) + be32(mime.size()) + mime + be32(0) + be32(16) + be32(16) + be32(24) + be32(0) + be32(jpeg.size())
        + jpeg;
}

QStringList tone(const QString &path)
{
    return {"-v", "error", "-y", "-f", "lavfi", "-i", "sine=frequency=440:duration=1", "-metadata",
            "title=" + QString(title), "-metadata", "artist=" + QString(author), "-metadata",
            "comment=" + QString(comment), "-metadata", "date=2019-03-04", path};
}

QByteArray bext()
{
    // Description (256), originator (32), its reference (32), date (10), time (8), then the rest.
    QByteArray data = QByteArray(comment).leftJustified(256, '\0') + QByteArray(owner).leftJustified(32, '\0')
        + QByteArray(serial).leftJustified(32, '\0') + "2019-03-04" + "05:06:07";
    return data + QByteArray(602 - data.size(), '\0');
}

const char drawing[] = R"svg(<?xml version="1.0" encoding="UTF-8" standalone="no"?>
<!-- Created with Inkscape by TsyAuthorQ7x -->
<?xml-stylesheet href="TsyCommentQ7x.css" type="text/css"?>
<svg width="64" height="48" viewBox="0 0 64 48" version="1.1" id="svg5"
   inkscape:version="1.2.2 (b0a8486541, 2022-12-01)" sodipodi:docname="TsyTitleQ7x.svg"
   inkscape:export-filename="/home/TsyOwnerQ7x/drawing.png" inkscape:export-xdpi="96"
   xmlns:inkscape="http://www.inkscape.org/namespaces/inkscape"
   xmlns:sodipodi="http://sodipodi.sourceforge.net/DTD/sodipodi-0.dtd"
   xmlns="http://www.w3.org/2000/svg" xmlns:svg="http://www.w3.org/2000/svg"
   xmlns:xlink="http://www.w3.org/1999/xlink"
   xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#" xmlns:cc="http://creativecommons.org/ns#"
   xmlns:dc="http://purl.org/dc/elements/1.1/">
  <sodipodi:namedview id="namedview7" pagecolor="#ffffff" inkscape:window-width="1920"
     inkscape:window-height="1011" inkscape:window-x="0" inkscape:window-y="32" inkscape:current-layer="layer1"/>
  <defs id="defs2"><linearGradient id="g"><stop offset="0" stop-color="#f00"/><stop offset="1" stop-color="#00f"/></linearGradient></defs>
  <metadata id="metadata1"><rdf:RDF><cc:Work rdf:about=""><dc:date>2019:03:04 05:06:07</dc:date></cc:Work>
    <rdf:Description rdf:about=""><dc:creator>TsyCreatorQ7x</dc:creator></rdf:Description></rdf:RDF></metadata>
  <desc>Two shapes</desc>
  <g inkscape:label="Layer 1" inkscape:groupmode="layer" id="layer1">
    <rect style="fill:url(#g)" x="4" y="4" width="40" height="30" id="rect1" sodipodi:nodetypes="cccc"/>
    <circle cx="50" cy="20" r="
      9" fill="#0a0"><![CDATA[ ]]></circle>
    <use xlink:href="#rect1" x="30" y="30" transform="scale(0.3)"/>
    <sodipodi:guide position="1,2" id="guide1"/>
  </g>
</svg>
)svg";

} // namespace

bool handles(const QString &extension)
{
    return audio.contains(extension) || extension == "svg";
}

void make(const QString &path, const QString &extension)
{
    if (extension == "svg") {
        writeAll(path, drawing);
        return;
    }
    const QString directory = QFileInfo(path).absolutePath();
    const QString picture = cover(directory);
    const QStringList withCover {"-i", picture, "-map", "0", "-map", "1", "-c:v", "copy", "-disposition:v", "attached_pic"};
    if (extension == "mp3" || extension == "flac") {
        QStringList arguments = tone(path);
        arguments.removeLast();
        run("ffmpeg", arguments.mid(0, 7) + withCover + arguments.mid(7) + QStringList {path});
    } else if (extension == "wav") {
        run("ffmpeg", tone(path));
    } else {
        const QByteArray block = pictureBlock(readAll(picture)).toBase64();
        QStringList arguments = tone(path);
        arguments.insert(arguments.size() - 1, "-metadata");
        arguments.insert(arguments.size() - 1, "METADATA_BLOCK_PICTURE=" + QString::fromLatin1(block));
        run("ffmpeg", arguments);
    }
    QFile::remove(picture);
    QByteArray bytes = readAll(path);
    if (extension == "mp3") {
        bytes += apeTag("Comment", creator) + id3v1(serial);
    } else if (extension == "flac") {
        // An application block after STREAMINFO (which is not the last block).
        const QByteArray application = "TSYA" + QByteArray(serial);
        const QByteArray header = QByteArray(1, char(2)) + be32(application.size()).mid(1);
        bytes.insert(4 + 4 + 34, header + application);
        bytes.prepend(id3v2("TPE1", creator));
    } else if (extension == "wav") {
        bytes = withChunks(bytes, riffChunk("bext", bext())
                                      + riffChunk("iXML", "<BWFXML><PROJECT>" + QByteArray(creator) + "</PROJECT></BWFXML>"));
    }
    writeAll(path, bytes);
}

QList<QByteArray> planted(const QString &extension)
{
    if (extension == "svg")
        return {author, title, comment, owner, creator, "inkscape:", "sodipodi:", "2019:03:04"};
    QList<QByteArray> marks {author, title, comment};
    if (extension == "mp3")
        marks += {owner, creator, serial, "APETAGEX", "2019"};
    else if (extension == "flac")
        marks += {owner, creator, serial, "2019"};
    else if (extension == "wav")
        marks += {owner, creator, serial, "2019-03-04", "INFO"};
    else
        marks += {"METADATA_BLOCK_PICTURE", "2019"};
    return marks;
}

QByteArray rendering(const QString &path)
{
    if (path.endsWith(".svg"))
        return run("rsvg-convert", {path});
    const QByteArray sums = run("ffmpeg", {"-v", "error", "-i", path, "-map", "0:a", "-c", "copy", "-f", "framemd5", "-"});
    QByteArray kept;
    for (const QByteArray &line : sums.split('\n')) {
        if (line.startsWith("#extradata"))
            continue;
        // The demuxer guesses timestamps from where the frames lie in the
        // file; a new comment header comes as side data of the first packet.
        QList<QByteArray> fields = line.split(',');
        if (!line.startsWith('#') && fields.size() >= 6)
            fields = QList<QByteArray> {fields[0]} + fields.mid(3, 3);
        kept += fields.join(',') + '\n';
    }
    return kept;
}

QByteArray id3v1(const QByteArray &comment)
{
    return "TAG" + QByteArray(title).leftJustified(30, '\0') + QByteArray(author).leftJustified(30, '\0')
        + QByteArray(30, '\0') + "2019" + comment.leftJustified(30, '\0') + QByteArray(1, char(12));
}

QByteArray apeTag(const QByteArray &key, const QByteArray &value)
{
    const QByteArray item = le32(value.size()) + le32(0) + key + '\0' + value;
    const auto frame = [&](quint32 flags) {
        return "APETAGEX" + le32(2000) + le32(item.size() + 32) + le32(1) + le32(flags) + QByteArray(8, '\0');
    };
    return frame(0xa0000000) + item + frame(0x80000000);
}

QByteArray id3v2(const QByteArray &frame, const QByteArray &text)
{
    const QByteArray body = frame + be32(text.size() + 1) + QByteArray(3, '\0') + text;
    const int n = int(body.size()); // 7 bits a byte
    return QByteArray("ID3\x03\0\0", 6) + char((n >> 21) & 127) + char((n >> 14) & 127) + char((n >> 7) & 127)
        + char(n & 127) + body;
}

QByteArray riffChunk(const QByteArray &type, const QByteArray &data)
{
    return type + le32(data.size()) + data + (data.size() % 2 ? QByteArray(1, '\0') : QByteArray());
}

QByteArray withChunks(QByteArray wav, const QByteArray &chunks)
{
    wav += chunks;
    qToLittleEndian(quint32(wav.size() - 8), wav.data() + 4);
    return wav;
}

} // namespace AudioFixtures
