#include "FuzzCheck.h"

#include <JpegContainer.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return FuzzCheck::run(data, size, walkJpeg, [](QByteArrayView b) { return cleanJpeg(b); });
}
