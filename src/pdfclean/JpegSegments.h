#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace JpegSegments {

// The JPEG's first image alone, with only the segments a decoder needs: SOI,
// SOFn, DHT, DAC, DQT, DRI, SOS with its scan, EOI, and of the application
// segments APP0 "JFIF", APP2 "ICC_PROFILE" and APP14 "Adobe". EXIF, XMP,
// IPTC, comments, MPF and every other segment go, and so does anything after
// the first EOI (a multi-picture file's further images). nullopt when the
// bytes are not a JPEG this parser trusts (no SOI, a length running past the
// end, no EOI): the caller then leaves them alone.
std::optional<std::string> withoutMetadata(std::string_view jpeg);

} // namespace JpegSegments
