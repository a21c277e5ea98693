#pragma once

#include "ContainerItem.h"

#include <SupportedFormat.h>

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QStringList>

// An office document (DOCX, XLSX, PPTX, ODT, ODS, ODP) or an EPUB cleaned as
// a whole: its ZIP unpacked under limits, its parts judged one by one by
// name, the XML ones rewritten, the pictures cleaned by the picture writers,
// and everything packed again with one date, no extra fields and no
// comments.
struct OfficeCleaning
{
    enum class Problem { none, damaged, tooLarge, entities };

    QByteArray archive;
    // What went: whole parts by name, and per rewritten part what went from
    // it ("word/document.xml", "w:rsidR w:author").
    QList<QPair<QString, QString>> removed;
    // The document's own metadata that stays (an EPUB's title and author),
    // and pictures of kinds the app cannot clean, kept as they are.
    QList<ContainerItem> kept;
    Problem problem = Problem::none;
    QString detail; // the part or place a problem is in
};

namespace OfficePackage {

bool handles(SupportedFormat format);

OfficeCleaning clean(SupportedFormat format, QByteArrayView archive);

// Every part and header of the archive judged as the clean would: a part the
// clean drops, an XML part it would change, a picture with metadata, a date,
// extra field or comment in the ZIP's headers are identifying.
ContainerWalk walk(SupportedFormat format, QByteArrayView archive);

} // namespace OfficePackage
