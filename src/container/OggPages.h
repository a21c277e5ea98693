#pragma once

#include "ContainerItem.h"

#include <Expected.h>

#include <QByteArrayView>

// Ogg Vorbis and Ogg Opus files of one stream, page by page, every page's
// checksum checked. The comment header (tags, the encoder's vendor string,
// METADATA_BLOCK_PICTURE covers) is replaced by an empty one: the format
// requires the header, with a vendor string that may be empty. The header
// pages are laid out again, and the audio pages after them keep their
// bytes; only their sequence numbers and checksums change when the number
// of header pages does. Several streams (a video, a skeleton, a chain of
// files) are not read.
ContainerWalk walkOgg(QByteArrayView bytes);
Expected<QByteArray> cleanOgg(QByteArrayView bytes);
