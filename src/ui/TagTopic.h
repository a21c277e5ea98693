#pragma once

#include <QString>
#include <QStringView>

// What a tag of the log is about, in the order the log shows them: where a
// file was made first, since that is what people least want to share.
// Keys are exiftool's "Group:Name" ("GPS:GPSLatitude", "XMP-dc:Creator",
// "Attribute:user.xdg.comment").
enum class TagTopic {
    location,
    people,
    dates,
    camera,
    software,
    other,
    toolWarnings, // exiftool's remarks on what it read, not tags of the file
};

TagTopic topicOfTag(QStringView key);

// The heading the log shows above a topic's tags.
QString topicHeading(TagTopic topic);
