#pragma once

#include <QHash>
#include <QString>

// Tag name to value text, as the tool reported them. Unordered: views that
// list a table sort it themselves.
using MetadataTable = QHash<QString, QString>;
