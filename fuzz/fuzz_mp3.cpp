#include "FuzzCheck.h"

#include <Mp3Frames.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return FuzzCheck::run(data, size, walkMp3, cleanMp3);
}
