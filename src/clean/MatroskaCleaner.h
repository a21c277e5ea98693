#pragma once

#include <Expected.h>
#include <MatroskaScrub.h>

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <optional>

// exiftool cannot write Matroska, so MKV files are cleaned by mkvtoolnix's
// mkvpropedit. exiftool still reads them, before
// and after, and tells this class what the file holds.
namespace MatroskaCleaner {

// What a clean has to name one by one: mkvpropedit has no "every track" or
// "every attachment".
struct Contents
{
    QList<int> trackNumbers;
    QStringList attachmentMimeTypes;
    // Kept, under neutral names and without their descriptions.
    QList<MatroskaScrub::Font> fonts;
};

// The exiftool arguments whose JSON answer parseContents() reads.
QStringList contentsQuery(const QString &path);
Expected<Contents> parseContents(const QByteArray &json);

// The mkvpropedit arguments that remove all tags, the title, the date, the
// segment file names, track names and every attachment but fonts (styled
// subtitles are drawn with them, by their family names, so the files' own
// names and descriptions can go), give the segment a fresh random UID (it is
// random per file, so the old one would tie the copy to the original), drop
// the links to neighbouring segments, and name no muxing or writing
// application and version.
QStringList propeditArguments(const QString &path, const Contents &contents);

// Runs mkvpropedit on `path`, which it edits in place: give it a copy. Then
// every UID is renewed and subtitle headers lose the names in them
// (MatroskaScrub).
Expected<Success> clean(const QString &mkvpropedit, const QString &path, const Contents &contents,
                        std::chrono::milliseconds limit, const std::atomic<bool> *cancel = nullptr);

} // namespace MatroskaCleaner
