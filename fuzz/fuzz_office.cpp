#include "FuzzCheck.h"

#include <OfficePackage.h>

// Any archive, read as each family of document: whatever a clean writes
// walks clean, and cleaning it again changes nothing.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const SupportedFormat format : {SupportedFormat::docx, SupportedFormat::odt, SupportedFormat::epub}) {
        // The residue check walks the original too: any input, any outcome, no crash.
        (void)OfficePackage::walk(format, bytes);
        const OfficeCleaning cleaned = OfficePackage::clean(format, bytes);
        if (cleaned.problem != OfficeCleaning::Problem::none)
            continue;
        if (OfficePackage::walk(format, cleaned.archive).hasIdentifying())
            FuzzCheck::fail("written archive still carries something identifying");
        const OfficeCleaning again = OfficePackage::clean(format, cleaned.archive);
        if (again.problem != OfficeCleaning::Problem::none || again.archive != cleaned.archive)
            FuzzCheck::fail("cleaning a cleaned archive changed it");
    }
    return 0;
}
