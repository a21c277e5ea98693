#include "Jp2Boxes.h"

#include <cstdint>

namespace {

std::uint64_t bigEndian(std::string_view bytes, std::size_t at, std::size_t count)
{
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < count; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

void appendBigEndian(std::string &out, std::uint64_t value, std::size_t count)
{
    for (std::size_t i = count; i > 0; --i)
        out += static_cast<char>((value >> (8 * (i - 1))) & 0xFF);
}

// The main header of a codestream without its COM segments: the header runs
// from SOC to the first SOT, each marker segment with its own length.
std::optional<std::string> codestreamWithoutComments(std::string_view stream)
{
    if (stream.size() < 4 || bigEndian(stream, 0, 2) != 0xFF4F)
        return std::nullopt;
    std::string out(stream.substr(0, 2));
    std::size_t at = 2;
    while (true) {
        if (at + 4 > stream.size())
            return std::nullopt;
        const auto marker = bigEndian(stream, at, 2);
        if ((marker >> 8) != 0xFF)
            return std::nullopt;
        if (marker == 0xFF90) { // SOT: the tiles follow, copied as they are
            out.append(stream.substr(at));
            return out;
        }
        const std::size_t length = bigEndian(stream, at + 2, 2);
        if (length < 2 || at + 2 + length > stream.size())
            return std::nullopt;
        if (marker != 0xFF64) // COM
            out.append(stream.substr(at, 2 + length));
        at += 2 + length;
    }
}

bool needed(std::string_view type)
{
    return type == "jP  " || type == "ftyp" || type == "jp2h" || type == "jp2c";
}

} // namespace

namespace Jp2Boxes {

std::optional<std::string> withoutMetadata(std::string_view jpx)
{
    if (jpx.size() >= 2 && bigEndian(jpx, 0, 2) == 0xFF4F)
        return codestreamWithoutComments(jpx);
    if (jpx.size() < 12 || jpx.substr(4, 4) != "jP  ")
        return std::nullopt;

    std::string out;
    out.reserve(jpx.size());
    std::size_t at = 0;
    while (at < jpx.size()) {
        if (at + 8 > jpx.size())
            return std::nullopt;
        std::uint64_t length = bigEndian(jpx, at, 4);
        const std::string_view type = jpx.substr(at + 4, 4);
        std::size_t header = 8;
        if (length == 1) {
            if (at + 16 > jpx.size())
                return std::nullopt;
            length = bigEndian(jpx, at + 8, 8);
            header = 16;
        } else if (length == 0) {
            length = jpx.size() - at; // the last box runs to the end
        }
        if (length < header || length > jpx.size() - at)
            return std::nullopt;
        const std::string_view payload = jpx.substr(at + header, length - header);
        if (type == "jp2c") {
            const std::optional<std::string> stream = codestreamWithoutComments(payload);
            if (!stream)
                return std::nullopt;
            const std::uint64_t newLength = stream->size() + 8;
            if (newLength <= 0xFFFFFFFF) {
                appendBigEndian(out, newLength, 4);
                out += "jp2c";
            } else {
                appendBigEndian(out, 1, 4);
                out += "jp2c";
                appendBigEndian(out, newLength + 8, 8);
            }
            out += *stream;
        } else if (needed(type)) {
            out.append(jpx.substr(at, length));
        }
        at += length;
    }
    return out;
}

} // namespace Jp2Boxes
