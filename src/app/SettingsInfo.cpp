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
    const QString directory = m_resourceDirectory.isEmpty() ? ToolLocator::defaultResourceDirectory()
                                                            : m_resourceDirectory;
    return ToolLocator::locateExifTool(directory).has_value();
}
