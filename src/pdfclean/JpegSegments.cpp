#include "JpegSegments.h"

namespace {

constexpr unsigned char SOI = 0xD8;
constexpr unsigned char EOI = 0xD9;
constexpr unsigned char SOS = 0xDA;

bool startsWith(std::string_view payload, std::string_view signature)
{
    return payload.substr(0, signature.size()) == signature;
}

// A whitelist: what is not named here is dropped.
bool keep(unsigned char marker, std::string_view payload)
{
    using namespace std::string_view_literals;
    if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC8)
        return true; // SOF0-15, DHT (C4), DAC (CC); C8 is reserved
    switch (marker) {
    case 0xDB: // DQT
    case 0xDD: // DRI
        return true;
    case 0xE0:
        return startsWith(payload, "JFIF\0"sv); // not "JFXX": that is a thumbnail
    case 0xE2:
        return startsWith(payload, "ICC_PROFILE\0"sv); // not MPF, FPXR
    case 0xEE:
        return startsWith(payload, "Adobe"sv); // colour transform: decoders need it
    default:
        return false;
    }
}

// Markers that stand alone, without a length.
bool standalone(unsigned char marker)
{
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}

// Where the entropy-coded data that starts at `at` ends: the first marker
// that is neither a stuffed zero nor a restart.
std::size_t endOfScan(std::string_view jpeg, std::size_t at)
{
    while (at + 1 < jpeg.size()) {
        if (static_cast<unsigned char>(jpeg[at]) == 0xFF) {
            const auto next = static_cast<unsigned char>(jpeg[at + 1]);
            if (next != 0x00 && next != 0xFF && !(next >= 0xD0 && next <= 0xD7))
                return at;
        }
        ++at;
    }
    return jpeg.size();
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
    bool scanned = false;
    while (at < jpeg.size()) {
        if (byte(at) != 0xFF)
            return std::nullopt;
        while (at < jpeg.size() && byte(at) == 0xFF) // fill bytes
            ++at;
        if (at >= jpeg.size())
            return std::nullopt;
        const unsigned char marker = byte(at++);
        if (marker == EOI) {
            if (!scanned)
                return std::nullopt;
            out += "\xFF\xD9";
            return out; // what follows is another picture, or rubbish
        }
        if (marker == 0x00 || marker == SOI)
            return std::nullopt;
        if (standalone(marker)) {
            out += '\xFF';
            out += static_cast<char>(marker);
            continue;
        }
        if (at + 2 > jpeg.size())
            return std::nullopt;
        const std::size_t length = (std::size_t{byte(at)} << 8) | byte(at + 1);
        if (length < 2 || at + length > jpeg.size())
            return std::nullopt;
        const std::size_t end = at + length;
        if (marker == SOS) {
            const std::size_t scanEnd = endOfScan(jpeg, end);
            if (scanEnd >= jpeg.size())
                return std::nullopt;
            out += '\xFF';
            out += static_cast<char>(marker);
            out.append(jpeg.substr(at, scanEnd - at));
            scanned = true;
            at = scanEnd;
            continue;
        }
        if (keep(marker, jpeg.substr(at + 2, length - 2))) {
            out += '\xFF';
            out += static_cast<char>(marker);
            out.append(jpeg.substr(at, length));
        }
        at = end;
    }
    return std::nullopt;
}

} // namespace JpegSegments
