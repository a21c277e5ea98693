#include "FuzzCheck.h"

#include <RiffWave.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return FuzzCheck::run(data, size, walkWav, cleanWav);
}
