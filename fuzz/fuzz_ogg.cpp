#include "FuzzCheck.h"

#include <OggPages.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return FuzzCheck::run(data, size, walkOgg, cleanOgg);
}
