#pragma once

#include <ContainerItem.h>
#include <Expected.h>

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// What every container must hold on any input: the walk and the writer agree
// on whether it can be followed, a written file walks clean and writing it
// again changes nothing.
namespace FuzzCheck {

[[noreturn]] inline void fail(const char *what)
{
    std::fprintf(stderr, "container check failed: %s\n", what);
    std::abort();
}

template <typename Walk, typename Clean>
int run(const uint8_t *data, size_t size, Walk walk, Clean clean)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const ContainerWalk before = walk(bytes);
    const Expected<QByteArray> cleaned = clean(bytes);
    if (cleaned.hasValue() == bool(before.damage))
        fail("walk and writer disagree on damage");
    if (!cleaned)
        return 0;
    const ContainerWalk after = walk(cleaned.value());
    if (after.hasIdentifying())
        fail("written file still carries something identifying");
    const Expected<QByteArray> again = clean(cleaned.value());
    if (!again || again.value() != cleaned.value())
        fail("writing a written file changed it");
    return 0;
}

} // namespace FuzzCheck
