#pragma once

#include <QStringList>

// The tags a camera and a phone leave, as exiftool arguments: who, which
// camera, when, where. Both benchmarks plant them in their photos.
inline const QStringList cameraTags{
    QStringLiteral("-EXIF:Artist=Jane Marker"),
    QStringLiteral("-EXIF:Make=TessalyCam"),
    QStringLiteral("-EXIF:Model=TC-1"),
    QStringLiteral("-EXIF:SerialNumber=SN-424242"),
    QStringLiteral("-EXIF:DateTimeOriginal=2024:06:01 12:00:00"),
    QStringLiteral("-GPSLatitude=48.8583"), QStringLiteral("-GPSLatitudeRef=N"),
    QStringLiteral("-GPSLongitude=2.2945"), QStringLiteral("-GPSLongitudeRef=E"),
    QStringLiteral("-GPSAltitude=35"),
    QStringLiteral("-XMP-dc:Creator=Jane Marker"),
    QStringLiteral("-XMP-dc:Description=Holiday"),
};
