#pragma once

#include "ContainerItem.h"

#include <QByteArrayView>
#include <QString>

#include <optional>

// The tags players put around compressed audio: ID3v2 before it, ID3v1,
// APE and Lyrics3 after it. MP3 and FLAC files carry them alike.
namespace AudioTags {

// The length of the ID3v2 tag at `at` (header, frames, padding and footer),
// 0 when there is none, -1 when its length runs past the file.
qsizetype id3v2Length(QByteArrayView bytes, qsizetype at);

// The ID3v2 tags that start the file (at most 16), each appended to `items`
// as identifying; `at` ends past them. The damage when one runs past the file.
std::optional<QString> leadingId3v2(QByteArrayView bytes, qsizetype &at, QList<ContainerItem> &items);

// Where the tags at the end of [from, end) begin (ID3v1, APE with or
// without its header, Lyrics3 v2, in any order), and each as an item.
struct Tail
{
    qsizetype start = 0;
    QList<ContainerItem> items;
    bool damaged = false; // a tag's length runs back past `from`
};
Tail tail(QByteArrayView bytes, qsizetype from, qsizetype end);

} // namespace AudioTags
