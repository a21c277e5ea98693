#include "PictureCleaning.h"

#include "Jp2Boxes.h"
#include <JpegContainer.h>

#include <qpdf/Buffer.hh>
#include <qpdf/Pl_Buffer.hh>
#include <qpdf/Pl_Flate.hh>

#include <optional>

namespace {

// The photo whitelist the app cleans JPEG files with, colour profile scrub
// included; a page draws the pixels as stored, so no orientation block.
std::optional<std::string> cleanedJpeg(const std::string &picture)
{
    auto cleaned = cleanJpeg(QByteArrayView(picture.data(), qsizetype(picture.size())), JpegOrientation::drop);
    if (!cleaned)
        return std::nullopt;
    return cleaned.value().toStdString();
}

std::string bytesOf(const std::shared_ptr<Buffer> &buffer)
{
    return std::string(reinterpret_cast<const char *>(buffer->getBuffer()), buffer->getSize());
}

bool isNullOrEmpty(QPDFObjectHandle parameters)
{
    return parameters.isNull() || (parameters.isDictionary() && parameters.getKeys().empty());
}

// Only a plain flate layer (no predictor) over the picture is taken off.
std::optional<std::string> inflate(const std::string &data)
{
    try {
        Pl_Buffer sink("picture");
        Pl_Flate flate("inflate", &sink, Pl_Flate::a_inflate);
        flate.write(reinterpret_cast<const unsigned char *>(data.data()), data.size());
        flate.finish();
        return bytesOf(sink.getBufferSharedPointer());
    } catch (const std::exception &) {
        return std::nullopt;
    }
}

enum class Codec { none, jpeg, jpx };

Codec codecOf(QPDFObjectHandle filter)
{
    if (filter.isNameAndEquals("/DCTDecode"))
        return Codec::jpeg;
    if (filter.isNameAndEquals("/JPXDecode"))
        return Codec::jpx;
    return Codec::none;
}

} // namespace

namespace PictureCleaning {

void clean(QPDFObjectHandle stream, Tally &tally)
{
    QPDFObjectHandle dict = stream.getDict();
    if (dict.getKey("/Subtype").isNameAndEquals("/Image"))
        ++tally.pictures;
    QPDFObjectHandle filter = dict.getKey("/Filter");
    QPDFObjectHandle parameters = dict.getKey("/DecodeParms");

    bool underFlate = false;
    if (filter.isArray() && filter.getArrayNItems() == 1)
        filter = filter.getArrayItem(0);
    if (filter.isArray() && filter.getArrayNItems() == 2 && filter.getArrayItem(0).isNameAndEquals("/FlateDecode")) {
        underFlate = true;
        filter = filter.getArrayItem(1);
    }
    const Codec codec = codecOf(filter);
    if (codec == Codec::none)
        return;

    QPDFObjectHandle codecParameters = QPDFObjectHandle::newNull();
    if (parameters.isArray()) {
        if (parameters.getArrayNItems() != (underFlate ? 2 : 1))
            return;
        if (underFlate && !isNullOrEmpty(parameters.getArrayItem(0)))
            return;
        codecParameters = parameters.getArrayItem(underFlate ? 1 : 0);
    } else if (!underFlate) {
        codecParameters = parameters;
    } else if (!parameters.isNull()) {
        return;
    }

    std::optional<std::string> picture = bytesOf(stream.getRawStreamData());
    if (underFlate)
        picture = inflate(*picture);
    if (!picture)
        return;
    const std::optional<std::string> cleaned =
        codec == Codec::jpeg ? cleanedJpeg(*picture) : Jp2Boxes::withoutMetadata(*picture);
    if (!cleaned || *cleaned == *picture)
        return;
    if (isNullOrEmpty(codecParameters))
        codecParameters = QPDFObjectHandle::newNull();
    stream.replaceStreamData(*cleaned, QPDFObjectHandle::newName(codec == Codec::jpeg ? "/DCTDecode" : "/JPXDecode"),
                             codecParameters);
    ++tally.cleaned;
}

} // namespace PictureCleaning
