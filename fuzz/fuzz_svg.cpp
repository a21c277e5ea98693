#include "FuzzCheck.h"

#include <SvgDrawing.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return FuzzCheck::run(data, size, walkSvg, cleanSvg);
}
