#include "FuzzCheck.h"

#include <XmlScrub.h>

// The first byte picks the rules, the rest is the part: a rewritten part is
// well-formed and has nothing more to lose.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const XmlPart part = XmlPart(data[0] % 6);
    const QByteArray xml(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const QSet<QByteArray> dropped {"docProps/core.xml", "settings.xml"};
    const XmlScrubbed scrubbed = XmlScrub::scrub(xml, part, "word/_rels/document.xml.rels", dropped);
    if (scrubbed.entities || !scrubbed.damage.isEmpty()) {
        if (!scrubbed.xml.isEmpty())
            FuzzCheck::fail("a refused part was written");
        return 0;
    }
    const XmlScrubbed again = XmlScrub::scrub(scrubbed.xml, part, "word/_rels/document.xml.rels", dropped);
    if (!again.damage.isEmpty() || again.entities)
        FuzzCheck::fail("a rewritten part is not well-formed");
    if (!again.removed.isEmpty())
        FuzzCheck::fail("a rewritten part still has something to lose");
    return 0;
}
