#include "Failure.h"

#include <QCoreApplication>

namespace {

// The table's text, or the English text when no table is installed (tests,
// a missing translation).
QString translated(const char *id, const char *english)
{
    const QString text = qtTrId(id);
    return text == QLatin1String(id) ? QString::fromUtf8(english) : text;
}

QString translated(const char *id, const char *english, int n)
{
    const QString text = qtTrId(id, n);
    return text == QLatin1String(id) ? QString::fromUtf8(english).replace(QLatin1String("%n"), QString::number(n)) : text;
}

QString textOf(CleanError::Kind kind)
{
    using Kind = CleanError::Kind;
    switch (kind) {
    case Kind::notLocalFile:
        return translated("error_not_local_file", "%1 is not a local file; it was left unchanged.");
    case Kind::folder:
        return translated("error_folder", "%1 is a folder, not a file; it was left unchanged.");
    case Kind::notRegularFile:
        return translated("error_not_regular_file",
                          "%1 is not a regular file (it is a pipe, socket or device); it was left unchanged.");
    case Kind::hardLinks:
        return translated("error_hard_links",
                          "%1 has %2 other names (hard links) that would keep the metadata; it was left unchanged.");
    case Kind::unsupportedType:
        return translated("error_unsupported_type", "Tessaly does not clean .%1 files; the file was left unchanged.");
    case Kind::contentMismatch:
        return translated("error_content_mismatch", "This file is not the .%1 file its name says; it was left unchanged.");
    case Kind::linkTargetMissing:
        return translated("error_link_target_missing", "%1 is a link to a file that does not exist.");
    case Kind::notFound:
        return translated("error_not_found", "%1 was not found; it may have been moved or deleted.");
    case Kind::cannotOpen:
        return translated("error_cannot_open", "%1 cannot be opened (%2); it was left unchanged.");
    case Kind::replacedSinceAdded:
        return translated("error_replaced_since_added",
                          "%1 is no longer the file that was added (it was replaced, or its link now points "
                          "elsewhere); it was left unchanged.");
    case Kind::changedWhileCleaning:
        return translated("error_changed_while_cleaning",
                          "%1 changed while it was being cleaned; it was left as it is now.");
    case Kind::openForWriting:
        return translated("error_open_for_writing",
                          "%1 is still being written by another program; it was left unchanged. Try again when it "
                          "is finished.");
    case Kind::cleanedElsewhere:
        return translated("error_cleaned_elsewhere",
                          "%1 is being cleaned by another Tessaly window; it was left to that window.");
    case Kind::diskFull:
        return translated("error_disk_full", "There is not enough space on the disk to clean %1; it was left unchanged. "
                                                    "Free some space on the disk and try again.");
    case Kind::folderNotWritable:
        return translated("error_folder_not_writable",
                          "Tessaly cannot write in the folder of %1 (%2); it was left unchanged.");
    case Kind::readOnlyDisk:
        return translated("error_read_only_disk", "%1 is on a disk that cannot be written to; it was left unchanged.");
    case Kind::ownerNotKept:
        return translated("error_owner_not_kept",
                          "%1 belongs to another user, and its cleaned version could only belong to you; it was left "
                          "unchanged. Save a cleaned copy instead, or ask its owner to clean it.");
    case Kind::groupNotKept:
        return translated("error_group_not_kept",
                          "%1 belongs to a group you are not a member of, and its cleaned version could not keep that "
                          "group; it was left unchanged. Save a cleaned copy instead, or ask its owner to clean it.");
    case Kind::folderNotPermitted:
        return translated("error_folder_not_permitted",
                          "The cleaned version of %1 could not be written, because Tessaly may not write in its "
                          "folder; the file was left unchanged. Check the folder's permissions and try again.");
    case Kind::outputNotWritten:
        return translated("error_output_not_written",
                          "The cleaned version of %1 could not be written; the file was left unchanged. Make sure "
                          "the disk has free space and you may write in the folder, close any program that is "
                          "writing the file, and try again.");
    case Kind::writeFailed:
        return translated("error_write_failed",
                          "The cleaned version of %1 could not be written (%2); the file was left unchanged.");
    case Kind::copyExists:
        return translated("error_copy_exists", "%1 appeared while the cleaned copy was being written; nothing was overwritten.");
    case Kind::verifyFailed:
        return translated("error_verify_failed",
                          "The cleaned version of %1 did not pass its check (%2); the file was left unchanged.");
    case Kind::pdfUnreadable:
        return translated("error_pdf_unreadable", "%1 could not be read as a PDF (%2); it was left unchanged.");
    case Kind::pdfPasswordProtected:
        return translated("error_pdf_password", "%1 is protected by a password; it was left unchanged.");
    case Kind::pdfPagesLost:
        return translated("error_pdf_pages_lost", "The cleaned version of %1 would have lost pages; the original was kept.");
    case Kind::pdfTooDeep:
        return translated("error_pdf_too_deep",
                          "%1 has pages nested too deeply to be cleaned safely; it was left unchanged.");
    case Kind::archiveTooLarge:
        return translated("error_archive_too_large",
                          "%1 unpacks to far more than it holds, as a decompression bomb does; it was left unchanged.");
    case Kind::xmlEntities:
        return translated("error_xml_entities",
                          "%1 declares XML entities in %2, which could make it expand without end; it was left unchanged.");
    case Kind::helperCrashed:
        return translated("error_helper_crashed",
                          "%1 stopped unexpectedly on this file (it crashed or ran out of memory); the file was left "
                          "unchanged.");
    case Kind::helperTimedOut:
        return translated("error_helper_timed_out", "%1 took too long on this file and was stopped; the file was left unchanged.");
    case Kind::helperMissing:
        return translated("error_helper_missing", "%1 is missing from %2; files of this kind cannot be cleaned.");
    case Kind::helperFailed:
        return translated("error_helper_failed", "%1: %2");
    case Kind::kindRefused:
        return translated("error_kind_refused",
                          "Tessaly does not rewrite %2 files yet: rewriting their metadata has left such files "
                          "unreadable for raw converters. %1 was left unchanged.");
    case Kind::fragmentedMovie:
        return translated("error_fragmented_movie",
                          "%1 is a movie written in fragments, as some cameras and screen recorders write them, "
                          "which Tessaly cannot clean yet; it was left unchanged.");
    case Kind::damagedFile:
        return translated("error_damaged_file",
                          "%1 is damaged (%2), so it could not be cleaned safely; it was left unchanged.");
    case Kind::notThatKind:
        return translated("error_not_that_kind", "This is not %1. It was left unchanged.");
    case Kind::formatError:
        return translated("error_format_error",
                          "%1 is damaged, or not the kind of file its name says, so it could not be cleaned "
                          "safely; it was left unchanged.");
    case Kind::residueLeft:
        return translated("error_residue_left", "%1 could not be removed from %2; the file was left unchanged.");
    case Kind::quitting:
        return translated("error_quitting", "Cleaning was stopped because Tessaly is quitting; the file was left unchanged.");
    }
    Q_UNREACHABLE();
}

// What stayed, in plain words: the group or piece the check found (%2 of
// residueLeft) and the tag or type within it (%3).
QString residueWords(const QString &group, const QString &name)
{
    if (group == QLatin1String("GPS") || name.startsWith(QLatin1String("GPS")))
        return translated("residue_gps", "The GPS position");
    if (group == QLatin1String("Attribute"))
        return translated("residue_attribute", "The file attribute %1").arg(name);
    if (name == QLatin1String("damage"))
        return translated("residue_damage", "A part that could not be read (%1)").arg(group);
    if (group.startsWith(QLatin1String("XMP")))
        return translated("residue_xmp", "The XMP metadata (%1)").arg(name);
    if (group == QLatin1String("IFD1"))
        return translated("residue_thumbnail", "The thumbnail's %1").arg(name);
    if (group.isEmpty())
        return name;
    return translated("residue_in_group", "%1 (%2)").arg(name, group);
}

QString residueDescription(const QStringList &arguments)
{
    const QString name = arguments.value(0);
    const QString what = residueWords(arguments.value(1), arguments.value(2));
    const int more = arguments.value(3).toInt();
    QString text = textOf(CleanError::Kind::residueLeft).arg(what, name);
    if (more > 0)
        text += u' ' + translated("residue_more", "(%n more)", more);
    return text;
}

// What a file should have been, as the object of "This is not ...": "a JPEG
// picture". A translation may carry its own negation ("kein JPEG-Bild").
QString expectedKind(const QString &code)
{
    const QString kind = code.toUpper();
    if (kind == QLatin1String("JPG") || kind == QLatin1String("JPEG"))
        return translated("kind_not_jpeg", "a JPEG picture");
    if (kind == QLatin1String("PNG"))
        return translated("kind_not_png", "a PNG picture");
    if (kind == QLatin1String("WEBP"))
        return translated("kind_not_webp", "a WebP picture");
    if (kind == QLatin1String("HEIC") || kind == QLatin1String("HEIF"))
        return translated("kind_not_heic", "a HEIC picture");
    if (kind == QLatin1String("PDF"))
        return translated("kind_not_pdf", "a PDF document");
    static const QStringList raws{u"CR2"_qs, u"CR3"_qs, u"NEF"_qs, u"ARW"_qs, u"DNG"_qs, u"TIFF"_qs, u"TIF"_qs};
    if (raws.contains(kind))
        return translated("kind_not_raw", "a %1 camera raw").arg(kind);
    static const QStringList movies{u"MP4"_qs, u"MOV"_qs, u"M4V"_qs, u"MKV"_qs, u"QUICKTIME"_qs};
    if (movies.contains(kind))
        return translated("kind_not_movie", "a %1 video").arg(kind);
    return translated("kind_not_other", "a %1 file").arg(kind);
}

// What it looks like instead, as the object of "it looks like ...": "text".
QString lookalikeKind(const QString &code)
{
    const QString kind = code.toUpper();
    if (kind == QLatin1String("TXT"))
        return translated("kind_like_text", "text");
    if (kind == QLatin1String("HTML"))
        return translated("kind_like_web_page", "a web page");
    // exiftool takes any XML, a web page too, for XMP.
    if (kind == QLatin1String("XML") || kind == QLatin1String("XMP"))
        return translated("kind_like_xml", "XML text");
    if (kind == QLatin1String("JPG") || kind == QLatin1String("JPEG"))
        return translated("kind_like_jpeg", "a JPEG picture");
    if (kind == QLatin1String("PNG"))
        return translated("kind_like_png", "a PNG picture");
    if (kind == QLatin1String("PDF"))
        return translated("kind_like_pdf", "a PDF document");
    if (kind == QLatin1String("ZIP"))
        return translated("kind_like_zip", "a ZIP archive");
    return translated("kind_like_other", "a %1 file").arg(kind);
}

QString notThatKindDescription(const QStringList &arguments)
{
    const QString expected = expectedKind(arguments.value(1));
    if (arguments.value(2).isEmpty())
        return textOf(CleanError::Kind::notThatKind).arg(expected);
    return translated("error_not_that_kind_like", "This is not %1 (it looks like %2). It was left unchanged.")
        .arg(expected, lookalikeKind(arguments.value(2)));
}

} // namespace

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

QString CleanError::description() const
{
    if (m_kind == Kind::residueLeft)
        return residueDescription(m_arguments);
    if (m_kind == Kind::notThatKind)
        return notThatKindDescription(m_arguments);
    const QString text = textOf(m_kind);
    const QStringList &a = m_arguments;
    switch (a.size()) {
    case 0:
        return text;
    case 1:
        return text.arg(a[0]);
    case 2:
        return text.arg(a[0], a[1]);
    default:
        return text.arg(a[0], a[1], a[2]);
    }
}

QString describe(const Failure &failure)
{
    return std::visit(
        [](const auto &f) -> QString {
            using T = std::decay_t<decltype(f)>;
            if constexpr (std::is_same_v<T, ExifToolError> || std::is_same_v<T, CleanError>)
                return f.description();
            else
                return f.description;
        },
        failure);
}

QString failureDetail(const Failure &failure)
{
    if (const auto *error = std::get_if<CleanError>(&failure))
        return error->detail();
    return {};
}

bool isToolError(const Failure &failure, ExifToolError::Case kind)
{
    const auto *toolError = std::get_if<ExifToolError>(&failure);
    return toolError && toolError->kind() == kind;
}

bool isCleanError(const Failure &failure, CleanError::Kind kind)
{
    const auto *error = std::get_if<CleanError>(&failure);
    return error && error->kind() == kind;
}
