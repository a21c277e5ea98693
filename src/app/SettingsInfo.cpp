#include "SettingsInfo.h"

#include <ToolLocator.h>

SettingsInfo::SettingsInfo(QVariant version, QString resourceDirectory, QObject *parent)
    : QObject(parent)
    , m_version(std::move(version))
    , m_resourceDirectory(std::move(resourceDirectory))
{
}

QString SettingsInfo::versionText(const QVariant &version)
{
    if (version.typeId() == QMetaType::QString)
        return version.toString();
    return QStringLiteral("1.0");
}

QString SettingsInfo::appVersion() const
{
    return versionText(m_version);
}

bool SettingsInfo::exiftoolAvailable() const
{
    const ToolPaths paths = m_resourceDirectory.isEmpty() ? ToolPaths::installed() : ToolPaths::inFolder(m_resourceDirectory);
    return paths.exiftool().has_value();
}
