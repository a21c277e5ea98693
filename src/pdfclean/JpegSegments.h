#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace JpegSegments {

// The JPEG without its metadata segments (APP1 EXIF/XMP, APP13, COM, and any
// APPn a decoder does not need). Kept: APP0 "JFIF", APP2 "ICC_PROFILE",
// APP14 "Adobe". Every other segment, and everything from SOS on, is copied
// byte for byte. nullopt when the bytes are not a JPEG this parser trusts
// (no SOI, a length running past the end, no SOS): the caller then leaves
// them alone.
std::optional<std::string> withoutMetadata(std::string_view jpeg);

} // namespace JpegSegments
