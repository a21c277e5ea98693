#pragma once

#include <qpdf/QPDFObjectHandle.hh>

// The pictures inside: JPEG (/DCTDecode, alone or under a plain Flate layer)
// and JPEG 2000 (/JPXDecode) streams lose their metadata; other images are
// pixels only and stay as they are.
namespace PictureCleaning {

struct Tally
{
    int pictures = 0; // image streams of any kind
    int cleaned = 0;  // those that lost something
};

void clean(QPDFObjectHandle stream, Tally &tally);

} // namespace PictureCleaning
