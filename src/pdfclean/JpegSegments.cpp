#include "JpegSegments.h"

namespace {

constexpr unsigned char SOI = 0xD8;
constexpr unsigned char EOI = 0xD9;
constexpr unsigned char SOS = 0xDA;
constexpr unsigned char COM = 0xFE;

bool startsWith(std::string_view payload, std::string_view signature)
{
    return payload.substr(0, signature.size()) == signature;
}

bool keep(unsigned char marker, std::string_view payload)
{
    using namespace std::string_view_literals;
    switch (marker) {
    case 0xE0:
        return startsWith(payload, "JFIF\0"sv); // not "JFXX": that is a thumbnail
    case 0xE2:
        return startsWith(payload, "ICC_PROFILE\0"sv); // not MPF, FPXR
    case 0xEE:
        return startsWith(payload, "Adobe"sv); // colour transform: decoders need it
    default:
        return !(marker >= 0xE0 && marker <= 0xEF) && marker != COM;
    }
}

// Markers that stand alone, without a length.
bool standalone(unsigned char marker)
{
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}

} // namespace

namespace JpegSegments {

std::optional<std::string> withoutMetadata(std::string_view jpeg)
{
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(jpeg[at]); };
    if (jpeg.size() < 4 || byte(0) != 0xFF || byte(1) != SOI)
        return std::nullopt;

    std::string out;
    out.reserve(jpeg.size());
    out.append(jpeg.substr(0, 2));
    std::size_t at = 2;
    while (at < jpeg.size()) {
        const std::size_t segmentStart = at;
        if (byte(at) != 0xFF)
            return std::nullopt;
        while (at < jpeg.size() && byte(at) == 0xFF) // fill bytes
            ++at;
        if (at >= jpeg.size())
            return std::nullopt;
        const unsigned char marker = byte(at++);
        if (marker == 0x00 || marker == SOI || marker == EOI)
            return std::nullopt; // no SOS before the end
        if (standalone(marker)) {
            out.append(jpeg.substr(segmentStart, at - segmentStart));
            continue;
        }
        if (at + 2 > jpeg.size())
            return std::nullopt;
        const std::size_t length = (std::size_t{byte(at)} << 8) | byte(at + 1);
        if (length < 2 || at + length > jpeg.size())
            return std::nullopt;
        if (marker == SOS) {
            out.append(jpeg.substr(segmentStart));
            return out;
        }
        const std::size_t end = at + length;
        if (keep(marker, jpeg.substr(at + 2, length - 2)))
            out.append(jpeg.substr(segmentStart, end - segmentStart));
        at = end;
    }
    return std::nullopt;
}

} // namespace JpegSegments
