// Walks a HEIF file and takes its metadata items out, on bytes from the fuzzer.
#include <HeifItems.h>
#include <HeifMetadataRemoval.h>

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadWrite);
    (void)walkHeif(buffer);
    const auto removed = HeifMetadataRemoval::remove(buffer, QStringLiteral("fuzz.heic"));
    if (removed && bytes.size() != qsizetype(size))
        __builtin_trap(); // the editor must never change the file's length
    return 0;
}
