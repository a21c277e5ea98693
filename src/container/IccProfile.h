#pragma once

#include "ContainerItem.h"

#include <Expected.h>

#include <QByteArrayView>

#include <optional>

// ICC colour profiles, as photos embed them. A profile keeps its colour
// data byte for byte; what says where, when and by whom it was made goes.

// Every part of the profile: the header (identifying while it carries a
// date, a device or a maker), the tag table and each tag.
ContainerWalk walkIcc(QByteArrayView profile);
// The profile with its creation date, device, maker, creator, preferred CMM,
// platform and ID zeroed; without the device and copyright texts and the
// metadata dictionary; its description neutral unless it is a standard name.
Expected<QByteArray> cleanIcc(QByteArrayView profile);
// The profile's description ("sRGB IEC61966-2.1"), for the log.
std::optional<QString> iccDescription(QByteArrayView profile);
// Whether a description names a standard space rather than someone's device.
bool isStandardIccName(const QString &description);
