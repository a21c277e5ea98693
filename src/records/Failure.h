#pragma once

#include <QString>
#include <QStringList>

#include <variant>

// Why a file could not be read or cleaned. Failures are values up to the
// row that shows them; their text is looked up in the string table only when
// it is shown, so it follows the interface's language.

// exiftool's own failures, each with its user-facing description.
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

// A child process could not be started at all (missing interpreter, not
// executable, ...). Carries the system's own explanation.
struct LaunchError
{
    QString description;
    friend bool operator==(const LaunchError &, const LaunchError &) = default;
};

// The tool's output was not JSON (or only a bare value). Carries the JSON
// reader's own explanation.
struct JsonSyntaxError
{
    QString description;
    friend bool operator==(const JsonSyntaxError &, const JsonSyntaxError &) = default;
};

// Every other reason a file is left as it was: the file itself, the disk,
// another program, or a helper tool. `arguments` fill the text's %1, %2...;
// the first is the file's own name wherever a file is named.
class CleanError
{
public:
    enum class Kind {
        notLocalFile,        // %1 the URL
        folder,              // %1 name
        notRegularFile,      // %1 name
        hardLinks,           // %1 name, %2 number of other names
        unsupportedType,     // %1 extension
        contentMismatch,     // %1 extension
        linkTargetMissing,   // %1 name
        notFound,            // %1 name
        cannotOpen,          // %1 name, %2 system reason
        replacedSinceAdded,  // %1 name
        changedWhileCleaning,// %1 name
        openForWriting,      // %1 name
        cleanedElsewhere,    // %1 name
        diskFull,            // %1 name
        folderNotWritable,   // %1 name, %2 system reason
        readOnlyDisk,        // %1 name
        ownerNotKept,        // %1 name
        groupNotKept,        // %1 name
        folderNotPermitted,  // %1 name (a tool could not write in its folder)
        outputNotWritten,    // %1 name (a tool could not write its output, for no reason it gave)
        writeFailed,         // %1 name, %2 system reason
        copyExists,          // %1 name of the copy
        verifyFailed,        // %1 name, %2 what the check found
        damagedFile,         // %1 name, %2 where its structure breaks
        notThatKind,         // %1 name, %2 the kind expected, %3 the kind it looks like (may be empty),
                             // both as exiftool names them ("JPG", "TXT")
        formatError,         // %1 name (the tool could not follow the file's structure)
        residueLeft,         // %1 name, %2 group or piece, %3 tag or type, %4 how many more
        pdfUnreadable,       // %1 name, %2 the PDF reader's detail
        pdfPasswordProtected,// %1 name
        pdfPagesLost,        // %1 name
        pdfTooDeep,          // %1 name
        archiveTooLarge,     // %1 name (an archive that unpacks to far more than it holds)
        xmlEntities,         // %1 name, %2 the part that declares entities
        helperCrashed,       // %1 helper's name
        helperTimedOut,      // %1 helper's name
        helperMissing,       // %1 helper's name, %2 folder looked in
        helperFailed,        // %1 helper's name, %2 its own message (passed through)
        kindRefused,         // %1 name, %2 the kind, as makers name it ("Fujifilm RAF")
        fragmentedMovie,     // %1 name (a movie written as fragments, which exiftool cannot rewrite)
        quitting,            // (none)
    };

    CleanError(Kind kind, QStringList arguments = {}, QString detail = {})
        : m_kind(kind), m_arguments(std::move(arguments)), m_detail(std::move(detail)) { }

    Kind kind() const { return m_kind; }
    const QStringList &arguments() const { return m_arguments; }
    // What a tool said about it, in its own words: for the log, never the message.
    const QString &detail() const { return m_detail; }
    // Every %n is filled in one pass: text an argument brings (a name with
    // "%1" in it) is never filled again.
    QString description() const;

    friend bool operator==(const CleanError &, const CleanError &) = default;

private:
    Kind m_kind;
    QStringList m_arguments;
    QString m_detail;
};

using Failure = std::variant<ExifToolError, LaunchError, JsonSyntaxError, CleanError>;

// The user-facing text of any failure, in the interface's language.
QString describe(const Failure &failure);

// A tool's own account of the failure, for the log; empty when there is none.
QString failureDetail(const Failure &failure);

// True when the failure is the given case of ExifToolError.
bool isToolError(const Failure &failure, ExifToolError::Case kind);
// True when the failure is a CleanError of that kind.
bool isCleanError(const Failure &failure, CleanError::Kind kind);
