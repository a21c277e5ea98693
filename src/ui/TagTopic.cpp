#include "TagTopic.h"

#include <TagRoles.h>

#include <QCoreApplication>

#include <initializer_list>

namespace {

bool hasAny(QStringView text, std::initializer_list<const char16_t *> words)
{
    for (const char16_t *word : words) {
        if (text.contains(QStringView(word), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool isLocation(QStringView group, QStringView name)
{
    return group == u"GPS"
        || hasAny(name, {u"GPS", u"Latitude", u"Longitude", u"Altitude", u"Location", u"City", u"Country",
                         u"Province", u"Sub-location", u"Sublocation", u"Coordinates"})
        || name == u"State";
}

// Before people: "CreatorTool", a PDF's "Creator" and "Producer" name programs, not people.
bool isSoftware(QStringView group, QStringView name)
{
    return (group == u"PDF" && name == u"Creator")
        || hasAny(name, {u"Software", u"Tool", u"Producer", u"Application", u"Encoder", u"WritingApp",
                         u"MuxingApp", u"Firmware"});
}

bool isPeople(QStringView name)
{
    return hasAny(name, {u"Artist", u"Author", u"Creator", u"Contributor", u"Owner", u"Copyright", u"Rights",
                         u"By-line", u"Credit", u"Contact", u"Person", u"Writer", u"Editor", u"Publisher"});
}

// Before dates: an exposure time is a camera setting, not a moment.
bool isCamera(QStringView group, QStringView name)
{
    return group.startsWith(u"MakerNotes") || group == u"Canon" || group == u"Nikon" || group == u"Sony"
        || group == u"Panasonic" || group == u"Olympus" || group == u"FujiFilm" || group == u"Pentax"
        || group == u"Apple" || group == u"Samsung"
        || hasAny(name, {u"Make", u"Model", u"Serial", u"Lens", u"Exposure", u"FNumber", u"Aperture", u"ISO",
                         u"Focal", u"Flash", u"WhiteBalance", u"Shutter", u"Metering", u"Camera", u"Shot"});
}

bool isDate(QStringView name)
{
    return hasAny(name, {u"Date", u"Time", u"Year", u"When"});
}

} // namespace

TagTopic topicOfTag(QStringView key)
{
    if (isToolRemark(key))
        return TagTopic::toolWarnings;
    const qsizetype colon = key.indexOf(u':');
    const QStringView group = colon < 0 ? QStringView() : key.left(colon);
    const QStringView name = colon < 0 ? key : key.mid(colon + 1);
    // A file's attributes are named by where they come from, not by what they say.
    if (group == u"Attribute")
        return name.contains(u"publisher") ? TagTopic::people : TagTopic::other;
    if (isLocation(group, name))
        return TagTopic::location;
    if (isSoftware(group, name))
        return TagTopic::software;
    if (isPeople(name))
        return TagTopic::people;
    if (isCamera(group, name))
        return TagTopic::camera;
    if (isDate(name))
        return TagTopic::dates;
    return TagTopic::other;
}

QString topicHeading(TagTopic topic)
{
    switch (topic) {
    case TagTopic::location:
        //% "Location"
        return qtTrId("log_topic_location");
    case TagTopic::people:
        //% "People"
        return qtTrId("log_topic_people");
    case TagTopic::dates:
        //% "Dates"
        return qtTrId("log_topic_dates");
    case TagTopic::camera:
        //% "Camera"
        return qtTrId("log_topic_camera");
    case TagTopic::software:
        //% "Software"
        return qtTrId("log_topic_software");
    case TagTopic::other:
        //% "Other"
        return qtTrId("log_topic_other");
    case TagTopic::toolWarnings:
        //% "ExifTool's warnings"
        return qtTrId("log_topic_tool_warnings");
    }
    Q_UNREACHABLE();
}
