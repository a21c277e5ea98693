#include "FuzzCheck.h"

#include <IccProfile.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return FuzzCheck::run(data, size, walkIcc, cleanIcc);
}
