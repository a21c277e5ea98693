#include "PdfCleaning.h"

#include "JpegSegments.h"

#define POINTERHOLDER_TRANSITION 4

#include <qpdf/Buffer.hh>
#include <qpdf/Pipeline.hh>
#include <qpdf/Pl_Buffer.hh>
#include <qpdf/Pl_Flate.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFWriter.hh>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace PdfCleaning {
namespace {

constexpr int maxPageTreeDepth = 256;

[[noreturn]] void fail(Exit exit, const std::string &message)
{
    throw Failure{exit, message};
}

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

// Where QPDFWriter's bytes go: the descriptor made with O_EXCL. A failed
// write(2) is remembered rather than thrown: qpdf finishes pipelines from
// destructors, where an exception would abort the process.
class DescriptorSink : public Pipeline
{
public:
    explicit DescriptorSink(int fd)
        : Pipeline("output", nullptr)
        , m_fd(fd)
    {
    }

    void write(unsigned char const *data, size_t length) override
    {
        if (m_error != 0)
            return;
        m_buffer.append(reinterpret_cast<const char *>(data), length);
        if (m_buffer.size() >= 1 << 16)
            flush();
    }

    void finish() override { flush(); }

    void flush()
    {
        const char *data = m_buffer.data();
        std::size_t left = m_buffer.size();
        while (left > 0 && m_error == 0) {
            const ssize_t written = ::write(m_fd, data, left);
            if (written < 0) {
                if (errno != EINTR)
                    m_error = errno;
                continue;
            }
            data += written;
            left -= static_cast<std::size_t>(written);
        }
        m_buffer.clear();
    }

    int error() const { return m_error; }

private:
    int m_fd;
    int m_error = 0;
    std::string m_buffer;
};

// OUTPUT as this process made it; removed again unless kept.
class OutputFile
{
public:
    explicit OutputFile(const char *path)
        : m_path(path)
    {
        m_fd = ::open(path, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (m_fd < 0)
            fail(Exit::WriteFailed, systemReason(errno));
    }
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;
    ~OutputFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_kept)
            ::unlink(m_path);
    }

    int fd() const { return m_fd; }

    void syncAndClose()
    {
        if (::fsync(m_fd) != 0)
            fail(Exit::WriteFailed, systemReason(errno));
        const int fd = m_fd;
        m_fd = -1;
        if (::close(fd) != 0)
            fail(Exit::WriteFailed, systemReason(errno));
    }

    void keep() { m_kept = true; }

private:
    const char *m_path;
    int m_fd = -1;
    bool m_kept = false;
};

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

// Iterative, with a depth limit: a page tree nested a hundred thousand levels
// deep must be an error, not a stack overflow.
std::size_t countPages(QPDF &pdf, Exit whenMissing)
{
    QPDFObjectHandle pages = pdf.getRoot().getKey("/Pages");
    if (!pages.isDictionary())
        fail(whenMissing, "The PDF has no page tree.");

    struct Node
    {
        QPDFObjectHandle object;
        int depth;
    };
    std::vector<Node> stack{{pages, 0}};
    std::set<QPDFObjGen> visited;
    std::size_t count = 0;
    while (!stack.empty()) {
        Node node = stack.back();
        stack.pop_back();
        if (!node.object.isDictionary())
            continue;
        QPDFObjectHandle kids = node.object.getKey("/Kids");
        if (!kids.isArray()) {
            ++count;
            continue;
        }
        if (node.depth >= maxPageTreeDepth)
            fail(Exit::PageTreeTooDeep, "The PDF's page tree is nested too deeply.");
        if (node.object.isIndirect() && !visited.insert(node.object.getObjGen()).second)
            fail(Exit::PageTreeTooDeep, "The PDF's page tree is cyclic.");
        const int n = kids.getArrayNItems();
        for (int i = n - 1; i >= 0; --i)
            stack.push_back({kids.getArrayItem(i), node.depth + 1});
    }
    return count;
}

struct Tally
{
    int metadata = 0;
    int pieceInfo = 0;
    int pictures = 0;
    int picturesCleaned = 0;
};

// The object and every direct dictionary, array and stream dictionary inside
// it; indirect ones get their own turn.
void scrubDictionaries(QPDFObjectHandle top, Tally &tally)
{
    std::vector<QPDFObjectHandle> stack{top};
    while (!stack.empty()) {
        QPDFObjectHandle object = stack.back();
        stack.pop_back();
        if (object.isStream())
            object = object.getDict();
        if (object.isDictionary()) {
            if (object.hasKey("/Metadata")) {
                object.removeKey("/Metadata");
                ++tally.metadata;
            }
            if (object.hasKey("/PieceInfo")) {
                object.removeKey("/PieceInfo");
                ++tally.pieceInfo;
            }
            for (auto item : object.ditems())
                if (!item.second.isIndirect())
                    stack.push_back(item.second);
        } else if (object.isArray()) {
            for (auto item : object.aitems())
                if (!item.isIndirect())
                    stack.push_back(item);
        }
    }
}

std::string bytesOf(const std::shared_ptr<Buffer> &buffer)
{
    return std::string(reinterpret_cast<const char *>(buffer->getBuffer()), buffer->getSize());
}

bool isNullOrEmpty(QPDFObjectHandle parameters)
{
    return parameters.isNull() || (parameters.isDictionary() && parameters.getKeys().empty());
}

// Only a plain flate layer (no predictor) over the JPEG is taken off.
std::optional<std::string> inflate(const std::string &data)
{
    try {
        Pl_Buffer sink("jpeg");
        Pl_Flate flate("inflate", &sink, Pl_Flate::a_inflate);
        flate.write(reinterpret_cast<const unsigned char *>(data.data()), data.size());
        flate.finish();
        return bytesOf(sink.getBufferSharedPointer());
    } catch (const std::exception &) {
        return std::nullopt;
    }
}

void cleanJpeg(QPDFObjectHandle stream, Tally &tally)
{
    QPDFObjectHandle dict = stream.getDict();
    QPDFObjectHandle filter = dict.getKey("/Filter");
    QPDFObjectHandle parameters = dict.getKey("/DecodeParms");

    bool underFlate = false;
    if (filter.isArray() && filter.getArrayNItems() == 1)
        filter = filter.getArrayItem(0);
    if (filter.isArray() && filter.getArrayNItems() == 2
        && filter.getArrayItem(0).isNameAndEquals("/FlateDecode")
        && filter.getArrayItem(1).isNameAndEquals("/DCTDecode")) {
        underFlate = true;
    } else if (!filter.isNameAndEquals("/DCTDecode")) {
        return;
    }
    ++tally.pictures;

    QPDFObjectHandle jpegParameters = QPDFObjectHandle::newNull();
    if (parameters.isArray()) {
        if (parameters.getArrayNItems() != (underFlate ? 2 : 1))
            return;
        if (underFlate && !isNullOrEmpty(parameters.getArrayItem(0)))
            return;
        jpegParameters = parameters.getArrayItem(underFlate ? 1 : 0);
    } else if (!underFlate) {
        jpegParameters = parameters;
    } else if (!parameters.isNull()) {
        return;
    }

    std::optional<std::string> jpeg = bytesOf(stream.getRawStreamData());
    if (underFlate)
        jpeg = inflate(*jpeg);
    if (!jpeg)
        return;
    const std::optional<std::string> cleaned = JpegSegments::withoutMetadata(*jpeg);
    if (!cleaned || cleaned->size() == jpeg->size())
        return;
    if (jpegParameters.isDictionary() && jpegParameters.getKeys().empty())
        jpegParameters = QPDFObjectHandle::newNull();
    stream.replaceStreamData(*cleaned, QPDFObjectHandle::newName("/DCTDecode"), jpegParameters);
    ++tally.picturesCleaned;
}

// Keeps what the writer needs; the rest of a trailer is about the document
// or its author.
void trimTrailer(QPDF &pdf, bool keepId, Report &report)
{
    QPDFObjectHandle trailer = pdf.getTrailer();
    for (const std::string &key : trailer.getKeys()) {
        // QPDFWriter writes /Size only where the trailer has one.
        if (key == "/Root" || key == "/Encrypt" || key == "/Size" || (key == "/ID" && keepId))
            continue;
        trailer.removeKey(key);
        if (key == "/Info" || key == "/ID")
            report.removed.push_back("trailer " + key);
        else if (key != "/Prev" && key != "/XRefStm")
            report.removed.push_back(key);
    }
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

// QPDFWriter keeps the first element of the trailer's /ID and derives the
// second from the time and the content; a random first element makes the pair
// unrelated to the old one even when the same file is cleaned twice a second.
void setFreshId(QPDF &pdf)
{
    pdf.getTrailer().replaceKey(
        "/ID", QPDFObjectHandle::newArray({QPDFObjectHandle::newString(randomBytes(16)),
                                           QPDFObjectHandle::newString(randomBytes(16))}));
}

std::string firstId(QPDF &pdf)
{
    QPDFObjectHandle id = pdf.getTrailer().getKey("/ID");
    if (id.isArray() && id.getArrayNItems() > 0 && id.getArrayItem(0).isString())
        return id.getArrayItem(0).getStringValue();
    return {};
}

void verify(OutputFile &output, std::size_t pages, const std::string &oldId)
{
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
        if (countPages(written, Exit::Unverified) != pages)
            fail(Exit::Unverified, "The cleaned PDF lost pages.");
        if (!oldId.empty() && firstId(written) == oldId)
            fail(Exit::Unverified, "The cleaned PDF kept its old identifier.");
    } catch (const Failure &) {
        throw;
    } catch (const std::exception &error) {
        fail(Exit::Unverified, "The cleaned PDF is damaged: " + detailOf(error));
    }
}

void appendJsonString(std::string &out, const std::string &text)
{
    out += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte >= 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    out += '"';
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
    const std::string oldId = idBindsKey ? std::string() : firstId(pdf);
    Tally tally;
    try {
        report.pages = countPages(pdf, Exit::Unreadable);
        trimTrailer(pdf, idBindsKey, report);
        if (!idBindsKey)
            setFreshId(pdf);
        for (QPDFObjectHandle object : pdf.getAllObjects()) {
            scrubDictionaries(object, tally);
            if (object.isStream())
                cleanJpeg(object, tally);
        }
    } catch (const Failure &) {
        throw;
    } catch (const std::bad_alloc &) {
        throw;
    } catch (const std::exception &error) {
        fail(Exit::Unreadable, "The PDF could not be read: " + detailOf(error));
    }
    report.pictures = tally.pictures;
    report.picturesCleaned = tally.picturesCleaned;
    if (tally.metadata > 0)
        report.removed.push_back(std::to_string(tally.metadata) + " /Metadata");
    if (tally.pieceInfo > 0)
        report.removed.push_back(std::to_string(tally.pieceInfo) + " /PieceInfo");

    OutputFile file(output);
    try {
        DescriptorSink sink(file.fd());
        QPDFWriter writer(pdf);
        writer.setOutputPipeline(&sink);
        // Streams are copied as they are: a page stream that inflates to
        // gigabytes is never inflated here.
        writer.setCompressStreams(false);
        writer.setDecodeLevel(qpdf_dl_none);
        writer.setPreserveEncryption(encrypted);
        writer.setNewlineBeforeEndstream(true); // strict readers want the end of line there
        writer.write();
        sink.flush();
        if (sink.error() != 0)
            fail(Exit::WriteFailed, systemReason(sink.error()));
    } catch (const Failure &) {
        throw;
    } catch (const std::bad_alloc &) {
        throw;
    } catch (const std::exception &error) {
        fail(Exit::Unreadable, "The PDF could not be rewritten: " + detailOf(error));
    }
    verify(file, report.pages, oldId);
    file.syncAndClose();
    file.keep();
    return report;
}

std::string toJson(const Report &report)
{
    std::string json = "{\"pages\":" + std::to_string(report.pages)
        + ",\"pictures\":" + std::to_string(report.pictures)
        + ",\"picturesCleaned\":" + std::to_string(report.picturesCleaned) + ",\"removed\":[";
    for (std::size_t i = 0; i < report.removed.size(); ++i) {
        if (i > 0)
            json += ',';
        appendJsonString(json, report.removed[i]);
    }
    return json + "]}";
}

} // namespace PdfCleaning
