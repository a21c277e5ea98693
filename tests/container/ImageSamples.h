#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

// Pictures and colour profiles built in the tests, with marks planted where
// a cleaner must not leave them.
namespace ImageSamples {

inline constexpr char makerMark[] = "TsyMakerQ7x";
inline constexpr char modelMark[] = "TsyModelQ7x";
inline constexpr char copyrightMark[] = "TsyCopyrightQ7x";
inline constexpr char displayMark[] = "TsyDisplayQ7x";
inline constexpr char metaMark[] = "TsyMetaQ7x";
// The header's device, maker and creator signatures.
inline const QList<QByteArray> headerMarks {"TSYM", "TSY1", "TSYC"};

// An RGB display profile (ICC version 2 or 4) described as `description`,
// with a creation date, a device, a creator, a profile ID and device,
// copyright and metadata tags carrying the marks above. Its three tone
// curves share one curve.
QByteArray iccProfile(int version, const QString &description);
// A tag's data as the profile's table points to it; empty when absent.
QByteArray iccTag(const QByteArray &profile, const char *signature);
quint32 iccTagOffset(const QByteArray &profile, const char *signature);

// A 64x48 gradient JPEG (or PNG, WebP) as Qt writes it.
QByteArray picture(const char *format);
// Runs `program` on the bytes saved as input.<suffix> and returns output.<suffix>.
QByteArray converted(const QByteArray &bytes, const char *suffix, const QString &program, const QStringList &arguments);

// A PNG chunk with its CRC; the PNG with chunks put right after IHDR.
QByteArray pngChunk(const QByteArray &type, const QByteArray &data);
QByteArray afterIhdr(const QByteArray &png, const QByteArray &chunks);
QByteArray deflated(const QByteArray &data);
// A RIFF chunk, padded; the WebP with it added to the RIFF data or, when
// `frame` is set, to the end of that animation frame (1-based).
QByteArray riffChunk(const QByteArray &type, const QByteArray &data);
QByteArray withRiffChunk(const QByteArray &webp, const QByteArray &chunk, int frame = 0);

// Runs exiftool with `arguments` on the bytes and returns the result.
QByteArray exiftool(const QByteArray &bytes, const QStringList &arguments, const char *suffix);
// The pixels as decoded, not turned; every frame of an animation.
QList<QImage> frames(const QByteArray &bytes);
// The orientation a reader applies.
int transformation(const QByteArray &bytes);

} // namespace ImageSamples
