#include "SelfCheck.h"

#include <qpdf/Buffer.hh>
#include <qpdf/Pl_Buffer.hh>
#include <qpdf/Pl_Flate.hh>

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

namespace {

class Findings
{
public:
    void add(const std::string &what)
    {
        if (std::find(m_names.begin(), m_names.end(), what) == m_names.end())
            m_names.push_back(what);
    }
    std::vector<std::string> m_names;
};

unsigned char at(std::string_view bytes, std::size_t index)
{
    return static_cast<unsigned char>(bytes[index]);
}

// False when a JPEG that reads as one holds a segment outside the decoder's
// needs or anything after its end. Bytes that do not read as a JPEG were
// left as they were and are not judged here.
bool jpegIsBare(std::string_view jpeg)
{
    using namespace std::string_view_literals;
    if (jpeg.size() < 4 || at(jpeg, 0) != 0xFF || at(jpeg, 1) != 0xD8)
        return true;
    std::size_t i = 2;
    while (i + 1 < jpeg.size()) {
        if (at(jpeg, i) != 0xFF)
            return true;
        const unsigned char marker = at(jpeg, i + 1);
        i += 2;
        if (marker == 0xFF) {
            --i;
            continue;
        }
        if (marker == 0xD9)
            return i == jpeg.size();
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue;
        if (i + 2 > jpeg.size())
            return true;
        const std::size_t length = std::size_t{at(jpeg, i)} << 8 | at(jpeg, i + 1);
        if (length < 2 || i + length > jpeg.size())
            return true;
        const std::string_view payload = jpeg.substr(i + 2, length - 2);
        const bool allowed = (marker >= 0xC0 && marker <= 0xCF && marker != 0xC8) || marker == 0xDB
            || marker == 0xDD || marker == 0xDA || (marker == 0xE0 && payload.substr(0, 5) == "JFIF\0"sv)
            || (marker == 0xE2 && payload.substr(0, 12) == "ICC_PROFILE\0"sv)
            || (marker == 0xEE && payload.substr(0, 5) == "Adobe"sv);
        if (!allowed)
            return false;
        i += length;
        if (marker == 0xDA) { // entropy-coded data up to the next real marker
            while (i + 1 < jpeg.size()
                   && !(at(jpeg, i) == 0xFF && at(jpeg, i + 1) != 0x00 && !(at(jpeg, i + 1) >= 0xD0 && at(jpeg, i + 1) <= 0xD7)))
                ++i;
        }
    }
    return true;
}

// False when a JP2 file has a top-level box a decoder does not read.
bool jpxIsBare(std::string_view jpx)
{
    if (jpx.size() < 12 || jpx.substr(4, 4) != "jP  ")
        return true;
    std::size_t i = 0;
    while (i + 8 <= jpx.size()) {
        std::uint64_t length = std::uint64_t{at(jpx, i)} << 24 | at(jpx, i + 1) << 16 | at(jpx, i + 2) << 8 | at(jpx, i + 3);
        const std::string_view type = jpx.substr(i + 4, 4);
        if (type != "jP  " && type != "ftyp" && type != "jp2h" && type != "jp2c")
            return false;
        if (length == 0)
            return true;
        if (length == 1) {
            if (i + 16 > jpx.size())
                return true;
            length = 0;
            for (std::size_t k = 0; k < 8; ++k)
                length = length << 8 | at(jpx, i + 8 + k);
        }
        if (length < 8 || length > jpx.size() - i)
            return true;
        i += length;
    }
    return true;
}

std::optional<std::string> pictureBytes(QPDFObjectHandle stream, bool underFlate)
{
    std::shared_ptr<Buffer> raw = stream.getRawStreamData();
    if (!underFlate)
        return std::string(reinterpret_cast<const char *>(raw->getBuffer()), raw->getSize());
    try {
        Pl_Buffer sink("picture");
        Pl_Flate flate("inflate", &sink, Pl_Flate::a_inflate);
        flate.write(raw->getBuffer(), raw->getSize());
        flate.finish();
        std::shared_ptr<Buffer> plain = sink.getBufferSharedPointer();
        return std::string(reinterpret_cast<const char *>(plain->getBuffer()), plain->getSize());
    } catch (const std::exception &) {
        return std::nullopt;
    }
}

void checkPicture(QPDFObjectHandle stream, Findings &findings)
{
    QPDFObjectHandle filter = stream.getDict().getKey("/Filter");
    bool underFlate = false;
    if (filter.isArray() && filter.getArrayNItems() == 2 && filter.getArrayItem(0).isNameAndEquals("/FlateDecode")) {
        underFlate = true;
        filter = filter.getArrayItem(1);
    } else if (filter.isArray() && filter.getArrayNItems() == 1) {
        filter = filter.getArrayItem(0);
    }
    const bool jpeg = filter.isNameAndEquals("/DCTDecode"), jpx = filter.isNameAndEquals("/JPXDecode");
    if (!jpeg && !jpx)
        return;
    const std::optional<std::string> bytes = pictureBytes(stream, underFlate);
    if (bytes && jpeg && !jpegIsBare(*bytes))
        findings.add("JPEG metadata");
    if (bytes && jpx && !jpxIsBare(*bytes))
        findings.add("JPEG 2000 metadata box");
}

void checkDictionary(QPDFObjectHandle dictionary, Findings &findings)
{
    static constexpr std::array<const char *, 10> forbidden{"/Metadata", "/PieceInfo", "/EmbeddedFiles", "/JavaScript",
                                                           "/JS", "/LastModified", "/EF", "/AF", "/AA", "/Collection"};
    for (const char *key : forbidden)
        if (dictionary.hasKey(key))
            findings.add(key);
    QPDFObjectHandle type = dictionary.getKey("/Type"), subtype = dictionary.getKey("/Subtype");
    if (type.isNameAndEquals("/EmbeddedFile") || subtype.isNameAndEquals("/FileAttachment"))
        findings.add("attachment");
    QPDFObjectHandle action = dictionary.getKey("/S");
    for (const char *script : {"/JavaScript", "/Launch", "/SubmitForm", "/ImportData", "/ResetForm", "/GoToR", "/GoToE",
                               "/Rendition", "/Sound", "/Movie", "/Hide", "/SetOCGState", "/GoTo3DView"})
        if (action.isNameAndEquals(script))
            findings.add("action " + std::string(script));
    if (QPDFObjectHandle uri = dictionary.getKey("/URI"); uri.isDictionary() && uri.hasKey("/Base"))
        findings.add("/URI /Base");
    if (subtype.isName() && dictionary.getKey("/Rect").isArray()) {
        for (const char *key : {"/M", "/CreationDate", "/NM", "/Subj"})
            if (dictionary.hasKey(key))
                findings.add(std::string("annotation ") + key);
        if (dictionary.hasKey("/T") && !subtype.isNameAndEquals("/Widget") && !dictionary.hasKey("/FT"))
            findings.add("annotation /T");
    }
}

} // namespace

namespace SelfCheck {

std::vector<std::string> leftovers(QPDF &written)
{
    Findings findings;
    if (written.getTrailer().hasKey("/Info"))
        findings.add("/Info");
    if (QPDFObjectHandle open = written.getRoot().getKey("/OpenAction"); open.isDictionary()) {
        QPDFObjectHandle type = open.getKey("/S");
        if (!type.isNameAndEquals("/GoTo") && !type.isNameAndEquals("/URI"))
            findings.add("/OpenAction");
    }
    std::vector<QPDFObjectHandle> stack = written.getAllObjects();
    while (!stack.empty()) {
        QPDFObjectHandle object = stack.back();
        stack.pop_back();
        if (object.isStream()) {
            checkPicture(object, findings);
            object = object.getDict();
        }
        if (object.isDictionary()) {
            checkDictionary(object, findings);
            for (auto item : object.ditems())
                if (!item.second.isIndirect())
                    stack.push_back(item.second);
        } else if (object.isArray()) {
            for (auto item : object.aitems())
                if (!item.isIndirect())
                    stack.push_back(item);
        }
    }
    return findings.m_names;
}

} // namespace SelfCheck
