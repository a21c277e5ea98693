#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Office documents and e-books with marks planted in every place their
// makers leave traces: document properties, thumbnails, printer settings,
// revision IDs, the names and dates on tracked changes and comments, the
// pictures' own metadata, the ZIP's dates, extra fields and comment; for an
// EPUB, the editing tool's entries beside the book's own title and author.
// DOCX, ODT and EPUB are put together here from XML; XLSX, PPTX, ODS and ODP
// are what LibreOffice makes of a flat ODF file carrying the marks.
namespace OfficeFixtures {

inline const QStringList kinds {"docx", "xlsx", "pptx", "odt", "ods", "odp", "epub"};

// The e-book's own title and author, which a clean keeps.
inline constexpr char bookTitle[] = "TsyBookTitleQ7x";
inline constexpr char bookAuthor[] = "TsyBookAuthorQ7x";

bool haveLibreOffice();
// Whether making or rendering this kind needs LibreOffice.
bool needsLibreOffice(const QString &extension);

void make(const QString &path, const QString &extension);
QList<QByteArray> planted(const QString &extension);

// What LibreOffice renders of a document (its PDF's text and pages), or for an
// EPUB its chapters and style sheets as they are.
QByteArray rendering(const QString &path);

// Every entry's name and unpacked bytes, to search for marks.
QByteArray unpacked(const QString &path);

// A stranger's archive: stored entries with a date, an extended-time extra
// field each and an archive comment, as zip tools write them.
QByteArray zipped(const QList<QPair<QByteArray, QByteArray>> &entries, const QByteArray &comment = {});

} // namespace OfficeFixtures
