#include "PdfRewriter.h"

// qpdf 11: use std::shared_ptr throughout, without the old PointerHolder.
#define POINTERHOLDER_TRANSITION 4

#include <QFile>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <exception>

namespace {

CleanError rewriteFailed(const std::exception &error)
{
    // QPDFExc's full text names the temporary file; its detail does not.
    const auto *pdfError = dynamic_cast<const QPDFExc *>(&error);
    const std::string detail = pdfError ? pdfError->getMessageDetail() : std::string(error.what());
    return CleanError{QStringLiteral("The PDF could not be rewritten without its old revisions: %1")
                          .arg(QString::fromStdString(detail))};
}

std::size_t pageCount(QPDF &pdf)
{
    return QPDFPageDocumentHelper(pdf).getAllPages().size();
}

} // namespace

namespace PdfRewriter {

Expected<Success> rewrite(const QString &source, const QString &destination)
{
    const QByteArray sourceName = QFile::encodeName(source);
    const QByteArray destinationName = QFile::encodeName(destination);
    try {
        QPDF pdf;
        // Damaged files are repaired as they are read; that is no failure.
        pdf.setSuppressWarnings(true);
        pdf.processFile(sourceName.constData());
        const std::size_t pages = pageCount(pdf);

        // exiftool has already emptied these; a writer that hid them
        // elsewhere in the trailer or catalog must not carry them over.
        pdf.getTrailer().removeKey("/Info");
        pdf.getRoot().removeKey("/Metadata");

        QPDFWriter writer(pdf, destinationName.constData());
        writer.write();

        QPDF written;
        written.setSuppressWarnings(true);
        written.processFile(destinationName.constData());
        if (pageCount(written) != pages)
            return CleanError{QStringLiteral("The rewritten PDF lost pages; the original was kept.")};
    } catch (const std::exception &error) {
        return rewriteFailed(error);
    }
    return Success{};
}

} // namespace PdfRewriter
