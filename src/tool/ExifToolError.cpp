#include "ExifToolError.h"

#include <QCoreApplication>

ExifToolError ExifToolError::processError(QString message)
{
    return ExifToolError(Case::processError, std::move(message));
}

ExifToolError ExifToolError::binaryNotFound()
{
    return ExifToolError(Case::binaryNotFound, {});
}

ExifToolError ExifToolError::parseError()
{
    return ExifToolError(Case::parseError, {});
}

ExifToolError ExifToolError::timeout()
{
    return ExifToolError(Case::timeout, {});
}

QString ExifToolError::description() const
{
    switch (m_case) {
    case Case::processError:
        return QStringLiteral("ExifTool: ") + m_message;
    case Case::binaryNotFound:
        return qtTrId("exiftool_not_found");
    case Case::parseError:
        return QStringLiteral("Failed to parse ExifTool output");
    case Case::timeout:
        return QStringLiteral("ExifTool process timed out");
    }
    Q_UNREACHABLE();
}

QString describe(const ServiceError &error)
{
    return std::visit(
        [](const auto &e) -> QString {
            if constexpr (std::is_same_v<std::decay_t<decltype(e)>, ExifToolError>)
                return e.description();
            else
                return e.description;
        },
        error);
}

bool isToolError(const ServiceError &error, ExifToolError::Case kind)
{
    const auto *toolError = std::get_if<ExifToolError>(&error);
    return toolError && toolError->kind() == kind;
}
