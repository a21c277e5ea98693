#pragma once

#include <QString>

#include <variant>

// The tool service's own failures, each with its user-facing description.
class ExifToolError
{
public:
    enum class Case {
        processError,   // the tool ended with a non-zero status
        binaryNotFound, // no exiftool at the resource location
        parseError,     // JSON, but not an array of objects
        timeout,        // the run outlived its time limit and was stopped
    };

    static ExifToolError processError(QString message);
    static ExifToolError binaryNotFound();
    static ExifToolError parseError();
    static ExifToolError timeout();

    Case kind() const { return m_case; }
    // The tool's standard error text; empty for the other cases.
    const QString &message() const { return m_message; }

    // Never empty. "ExifTool: " + message, untrimmed, for processError.
    QString description() const;

    friend bool operator==(const ExifToolError &, const ExifToolError &) = default;

private:
    ExifToolError(Case kind, QString message) : m_case(kind), m_message(std::move(message)) { }

    Case m_case;
    QString m_message;
};

// The child process could not be started at all (missing interpreter, not
// executable, ...). Carries the system's own explanation.
struct LaunchError
{
    QString description;
};

// The tool's output was not JSON (or only a bare value). Carries the JSON
// reader's own explanation.
struct JsonSyntaxError
{
    QString description;
};

// A step of a clean other than exiftool's own failed (rewriting a PDF,
// cleaning a Matroska file), or the file cannot be cleaned without harm.
// Carries the user-facing text; the file is left as it was.
struct CleanError
{
    QString description;
};

using ServiceError = std::variant<ExifToolError, LaunchError, JsonSyntaxError, CleanError>;

// The user-facing text of any error the service passes up.
QString describe(const ServiceError &error);

// True when the error is the given case of ExifToolError.
bool isToolError(const ServiceError &error, ExifToolError::Case kind);
