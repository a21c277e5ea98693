#pragma once

#include <PdfHelperProtocol.h>

#include <QList>
#include <QString>

// What cleaning one PDF kept (content a reader shows, counted) and took
// away, as tessaly-pdf-clean reported it. Plain data: the words are the
// log's to choose.
struct PdfReport
{
    using Kind = PdfHelper::Finding;

    struct Finding
    {
        Kind kind = Kind::pages;
        int page = 0;     // 1-based; 0 when it is about the whole document
        qint64 count = 0; // 0 when the kind has no count
        QString name;     // an attachment's file name, a layer's name

        friend bool operator==(const Finding &, const Finding &) = default;
    };

    QList<Finding> kept;
    QList<Finding> removed;

    friend bool operator==(const PdfReport &, const PdfReport &) = default;
};
