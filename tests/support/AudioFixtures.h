#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Audio files (mp3 flac ogg opus wav) and SVG drawings with the markers of
// Fixtures planted in every place their formats keep tags: ID3v2 with a
// cover picture carrying its own EXIF, ID3v1 and APE after an MP3's frames;
// FLAC's Vorbis comments, PICTURE and APPLICATION blocks and an ID3v2
// tag before them; Vorbis comments
// and a METADATA_BLOCK_PICTURE in Ogg; LIST INFO, BWF's bext and iXML in a
// WAV; an Inkscape drawing's editor attributes, named view, RDF metadata,
// comment and processing instruction.
namespace AudioFixtures {

bool handles(const QString &extension);
void make(const QString &path, const QString &extension);
QList<QByteArray> planted(const QString &extension);
// What a listener hears: the packets of the audio stream, by checksum (a
// Vorbis or Opus stream's header, which holds the tags, left out); a
// drawing rendered to PNG.
QByteArray rendering(const QString &path);

// Pieces for hostile and odd files.
QByteArray id3v1(const QByteArray &comment);
QByteArray id3v2(const QByteArray &frame, const QByteArray &text);
QByteArray apeTag(const QByteArray &key, const QByteArray &value);
QByteArray riffChunk(const QByteArray &type, const QByteArray &data);
// A WAV's bytes with `chunks` appended and its RIFF length fixed.
QByteArray withChunks(QByteArray wav, const QByteArray &chunks);

} // namespace AudioFixtures
