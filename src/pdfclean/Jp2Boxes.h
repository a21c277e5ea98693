#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace Jp2Boxes {

// A JPEG 2000 picture with only what its decoder reads. A JP2 file keeps its
// top-level boxes "jP  ", "ftyp", "jp2h" (children and all) and "jp2c"; the
// others ("xml ", "uuid", "uinf", "res " outside jp2h...) describe the file
// and go. A raw codestream (FF4F) and the one in "jp2c" lose the comments
// (COM) of their main header. nullopt when the bytes are neither, or a
// length runs past the end: the caller then leaves them alone.
std::optional<std::string> withoutMetadata(std::string_view jpx);

} // namespace Jp2Boxes
