#include "PdfCleaning.h"

#include "CommentFilter.h"
#include "DescriptorSink.h"
#include "DocumentParts.h"
#include "HelperFailure.h"
#include "ObjectScrub.h"
#include "OutputFile.h"
#include "PageTree.h"
#include "PictureCleaning.h"
#include "SelfCheck.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFWriter.hh>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

// What a reader shows is content and stays, counted in the report: pages,
// pictures (their pixels), comment text, form values, bookmarks, layers and
// links to pages or web addresses. What only describes the file (who made it,
// when, where, with what) goes:
// - the trailer's /Info and old /ID, XMP (/Metadata) and application data
//   (/PieceInfo) on any object, each page's /LastModified: they name the
//   author, the software and the dates;
// - attachments: files of their own, with their own metadata, names and dates,
//   that the pages do not show;
// - an annotation's author, dates, unique name and subject (its text stays);
// - scripts and actions other than jumps and web links: they are not shown,
//   and they can send the file or its reader somewhere;
// - comments in content streams: producers leave paths and names there;
// - the /URI /Base: often the address the file was published at;
// - picture metadata: EXIF, XMP, further images and boxes a decoder skips.
// The cleaned copy is then read back strictly and looked over by SelfCheck.
namespace PdfCleaning {
namespace {

using PdfHelper::Exit;
using PdfHelper::Finding;

std::string systemReason(int error)
{
    return std::strerror(error);
}

// QPDFExc's full text starts with the file's description; the detail does not.
std::string detailOf(const std::exception &error)
{
    if (const auto *pdfError = dynamic_cast<const QPDFExc *>(&error))
        return pdfError->getMessageDetail();
    return error.what();
}

// A FILE for qpdf that reads a regular file and nothing else: no directory,
// no FIFO that would block the open.
FILE *openInput(const char *path)
{
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        fail(Exit::Unreadable, "The PDF could not be opened: " + systemReason(errno));
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        fail(Exit::Unreadable, "The PDF is not a regular file.");
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    FILE *file = ::fdopen(fd, "rb");
    if (!file) {
        const int error = errno;
        ::close(fd);
        fail(Exit::Other, systemReason(error));
    }
    return file;
}

std::string randomBytes(std::size_t count)
{
    std::string bytes(count, '\0');
    std::size_t filled = 0;
    while (filled < count) {
        const ssize_t got = ::getrandom(bytes.data() + filled, count - filled, 0);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            fail(Exit::Other, "No random numbers for a new document identifier: " + systemReason(errno));
        }
        filled += static_cast<std::size_t>(got);
    }
    return bytes;
}

std::string idPart(QPDF &pdf, int index)
{
    QPDFObjectHandle id = pdf.getTrailer().getKey("/ID");
    if (id.isArray() && id.getArrayNItems() > index && id.getArrayItem(index).isString())
        return id.getArrayItem(index).getStringValue();
    return {};
}

// Keeps what the writer needs; the rest of a trailer is about the document or
// its author. The /ID is set anew, its first element kept only where the
// file's key derives from it.
void trimTrailer(QPDF &pdf, const std::string &firstId, Report &report)
{
    QPDFObjectHandle trailer = pdf.getTrailer();
    if (trailer.hasKey("/Info"))
        report.remove(Finding::documentInfoRemoved);
    for (const std::string &key : trailer.getKeys())
        if (key != "/Root" && key != "/Encrypt" && key != "/Size") // the writer writes /Size only where there is one
            trailer.removeKey(key);
    trailer.replaceKey("/ID", QPDFObjectHandle::newArray({QPDFObjectHandle::newString(firstId),
                                                         QPDFObjectHandle::newString(randomBytes(16))}));
}

// Page contents, and streams that are drawn like them: forms (appearances
// included) and tiling patterns.
std::set<QPDFObjGen> contentStreams(const std::vector<QPDFObjectHandle> &pages)
{
    std::set<QPDFObjGen> streams;
    for (QPDFObjectHandle page : pages) {
        QPDFObjectHandle contents = page.getKey("/Contents");
        if (contents.isStream())
            streams.insert(contents.getObjGen());
        else if (contents.isArray())
            for (auto part : contents.aitems())
                if (part.isStream())
                    streams.insert(part.getObjGen());
    }
    return streams;
}

bool drawnLikeAPage(QPDFObjectHandle stream, const std::set<QPDFObjGen> &contents)
{
    QPDFObjectHandle dict = stream.getDict();
    return contents.count(stream.getObjGen()) > 0 || dict.getKey("/Subtype").isNameAndEquals("/Form")
        || (dict.getKey("/PatternType").isInteger() && dict.getKey("/PatternType").getIntValue() == 1);
}

void scrubObjects(QPDF &pdf, const std::vector<QPDFObjectHandle> &pages, Report &report)
{
    const std::set<QPDFObjGen> contents = contentStreams(pages);
    ObjectScrub::Tally tally;
    PictureCleaning::Tally pictures;
    int streamComments = 0;
    for (QPDFObjectHandle object : pdf.getAllObjects()) {
        ObjectScrub::scrub(object, tally);
        if (!object.isStream())
            continue;
        PictureCleaning::clean(object, pictures);
        if (drawnLikeAPage(object, contents))
            streamComments += CommentFilter::strip(object);
    }
    if (pictures.pictures > 0)
        report.keep(Finding::pictures, pictures.pictures);
    const std::pair<Finding, int> removed[] = {
        {Finding::xmpRemoved, tally.xmp},
        {Finding::applicationDataRemoved, tally.applicationData},
        {Finding::pageDatesRemoved, tally.dates},
        {Finding::scriptsRemoved, tally.scripts},
        {Finding::annotationMetadataRemoved, tally.annotationMetadata},
        {Finding::streamCommentsRemoved, streamComments},
        {Finding::pictureMetadataRemoved, pictures.cleaned},
    };
    for (const auto &[kind, count] : removed)
        if (count > 0)
            report.remove(kind, count);
}

void verify(OutputFile &output, std::size_t pages, const std::string &oldId, const std::string &secondId)
{
    std::vector<std::string> leftovers;
    try {
        if (::lseek(output.fd(), 0, SEEK_SET) != 0)
            fail(Exit::Unverified, "The cleaned PDF could not be read back: " + systemReason(errno));
        const int fd = ::dup(output.fd());
        FILE *file = fd < 0 ? nullptr : ::fdopen(fd, "rb");
        if (!file) {
            if (fd >= 0)
                ::close(fd);
            fail(Exit::Unverified, "The cleaned PDF could not be read back: " + systemReason(errno));
        }
        QPDF written;
        written.setSuppressWarnings(true);
        written.setAttemptRecovery(false);
        written.processFile("output", file, true);
        for (QPDFObjectHandle object : written.getAllObjects())
            object.getTypeCode(); // parses it
        if (written.anyWarnings())
            fail(Exit::Unverified, "The cleaned PDF is damaged: " + written.getWarnings().front().getMessageDetail());
        if (PageTree::pages(written, Exit::Unverified).size() != pages)
            fail(Exit::Unverified, "The cleaned PDF lost pages.");
        if (!oldId.empty() && idPart(written, 0) == oldId)
            fail(Exit::Unverified, "The cleaned PDF kept its old identifier.");
        if (idPart(written, 1) != secondId)
            fail(Exit::Unverified, "The cleaned PDF did not get its new identifier.");
        leftovers = SelfCheck::leftovers(written);
    } catch (const HelperFailure &) {
        throw;
    } catch (const std::exception &error) {
        fail(Exit::Unverified, "The cleaned PDF is damaged: " + detailOf(error));
    }
    if (!leftovers.empty()) {
        std::string named;
        for (std::size_t i = 0; i < leftovers.size() && i < 8; ++i)
            named += (i > 0 ? ", " : "") + leftovers[i];
        fail(Exit::MetadataRemained, "metadata stayed in the cleaned PDF: " + named);
    }
}

} // namespace

Report clean(const char *input, const char *output)
{
    QPDF pdf;
    pdf.setSuppressWarnings(true); // damaged input is repaired as it is read
    try {
        pdf.processFile("input", openInput(input), true);
    } catch (const QPDFExc &error) {
        if (error.getErrorCode() == qpdf_e_password)
            fail(Exit::NeedsPassword, "The PDF needs a password.");
        fail(Exit::Unreadable, "The PDF could not be read: " + error.getMessageDetail());
    } catch (const std::bad_alloc &) {
        throw;
    } catch (const std::exception &error) {
        fail(Exit::Unreadable, "The PDF could not be read: " + detailOf(error));
    }

    Report report;
    int revision = 0;
    int permissions = 0;
    const bool encrypted = pdf.isEncrypted(revision, permissions);
    // Before revision 5 the file key is derived from /ID[0]: a new one would
    // lock the reader out.
    const bool idBindsKey = encrypted && revision < 5;
    const std::string oldId = idPart(pdf, 0);
    const std::string firstId = idBindsKey ? oldId : randomBytes(16);
    std::size_t pageCount = 0;
    try {
        const std::vector<QPDFObjectHandle> pages = PageTree::pages(pdf, Exit::Unreadable);
        pageCount = pages.size();
        report.keep(Finding::pages, static_cast<std::int64_t>(pageCount));
        trimTrailer(pdf, firstId, report);
        if (idBindsKey)
            report.keep(Finding::keptFirstId);
        else
            report.remove(Finding::idReplaced);
        DocumentParts::scrubCatalog(pdf, report);
        DocumentParts::scrubPages(pages, report);
        DocumentParts::listContent(pdf, report);
        scrubObjects(pdf, pages, report);
    } catch (const HelperFailure &) {
        throw;
    } catch (const std::bad_alloc &) {
        throw;
    } catch (const std::exception &error) {
        fail(Exit::Unreadable, "The PDF could not be read: " + detailOf(error));
    }

    const std::string secondId = idPart(pdf, 1);
    OutputFile file(output);
    try {
        DescriptorSink sink(file.fd(), firstId, secondId);
        QPDFWriter writer(pdf);
        writer.setOutputPipeline(&sink);
        // Streams are copied as they are: a page stream that inflates to
        // gigabytes is never inflated here.
        writer.setCompressStreams(false);
        writer.setDecodeLevel(qpdf_dl_none);
        writer.setPreserveEncryption(encrypted);
        writer.setNewlineBeforeEndstream(true); // strict readers want the end of line there
        writer.write();
        sink.finish();
        if (sink.error() != 0)
            fail(Exit::WriteFailed, systemReason(sink.error()));
    } catch (const HelperFailure &) {
        throw;
    } catch (const std::bad_alloc &) {
        throw;
    } catch (const std::exception &error) {
        fail(Exit::Unreadable, "The PDF could not be rewritten: " + detailOf(error));
    }
    verify(file, pageCount, idBindsKey ? std::string() : oldId, secondId);
    file.syncAndClose();
    file.keep();
    return report;
}

bool needsPassword(const char *input)
{
    QPDF pdf;
    pdf.setSuppressWarnings(true);
    try {
        pdf.processFile("input", openInput(input), true);
    } catch (const QPDFExc &error) {
        return error.getErrorCode() == qpdf_e_password;
    } catch (const std::exception &) {
    }
    return false; // whatever else is wrong, the clean itself will say
}

} // namespace PdfCleaning
