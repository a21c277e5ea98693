// Walks a file's container on bytes from the fuzzer.
#include <MatroskaElements.h>

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    (void)walkMatroska(buffer);
    return 0;
}
