#include "FileCleaner.h"

#include "MatroskaCleaner.h"
#include "NativeCleaner.h"
#include "OfficeCleaner.h"
#include "OriginalFile.h"
#include "PassTimes.h"
#include "PdfCleaner.h"
#include "FileAttributes.h"
#include "KeepingPlan.h"
#include "ResidueCheck.h"
#include "StagedCopy.h"
#include "StripPlan.h"
#include "ToolFailureReading.h"
#include "WriteTransaction.h"

#include <CancelScope.h>
#include <FileItem.h>
#include <LocalName.h>
#include <MovieScrub.h>

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <unistd.h>

namespace {

// exiftool names the file it worked on; the user knows it by its own name.
Failure namingTheFile(Failure failure, const QString &staged, const QString &file)
{
    if (auto *toolError = std::get_if<ExifToolError>(&failure);
        toolError && toolError->kind() == ExifToolError::Case::processError) {
        return ExifToolError::processError(QString(toolError->message()).replace(staged, file));
    }
    return failure;
}

QList<QByteArray> namesOf(const QList<QPair<QByteArray, QByteArray>> &attributes)
{
    QList<QByteArray> names;
    for (const auto &attribute : attributes)
        names.append(attribute.first);
    return names;
}

QList<QByteArray> identifyingAttributeNames(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return {};
    const auto attributes = FileAttributes::identifyingAttributes(fd);
    ::close(fd);
    return namesOf(attributes);
}

// The attributes show in the log beside the tags, as what the clean removes.
void listAttributes(MetadataTable &table, const QList<QPair<QByteArray, QByteArray>> &attributes)
{
    for (const auto &[name, value] : attributes)
        table.insert(QStringLiteral("Attribute:") + QString::fromUtf8(name), QString::fromUtf8(value));
}

// Chunks, segments and boxes the walk found and the clean left behind, which
// exiftool may not list: "Container:caBX" = "chunk 4".
void listPieces(MetadataTable &table, const QList<ContainerItem> &pieces)
{
    for (const ContainerItem &piece : pieces) {
        QString key = QStringLiteral("Container:") + QString::fromUtf8(piece.type);
        for (int n = 2; table.contains(key); ++n)
            key = QStringLiteral("Container:%1 (%2)").arg(QString::fromUtf8(piece.type), QString::number(n));
        table.insert(key, piece.detail.isEmpty() ? piece.place : piece.place + QStringLiteral(": ") + piece.detail);
    }
}

// The pieces of a walk a writer describes itself, at the same place, are told once, in the writer's words.
QList<ContainerItem> withoutRetold(QList<ContainerItem> walked, const QList<ContainerItem> &told)
{
    walked.removeIf([&told](const ContainerItem &piece) {
        return std::any_of(told.begin(), told.end(), [&piece](const ContainerItem &item) {
            return item.size > 0 && item.offset == piece.offset && item.size == piece.size;
        });
    });
    return walked;
}

QString toolError(const MetadataTable &table)
{
    return table.value(QStringLiteral("ExifTool:Error"), table.value(QStringLiteral("Error")));
}

CleanError residueLeft(const QString &name, const ResidueReport &report)
{
    const ContainerItem &first = report.identifying.constFirst();
    return CleanError(CleanError::Kind::residueLeft, {name, first.place, QString::fromUtf8(first.type),
                                                      QString::number(report.identifying.size() - 1)});
}

// The kinds the strip plan refuses, as their makers name them.
QString refusedKindName(SupportedFormat format)
{
    return format == SupportedFormat::raf ? QStringLiteral("Fujifilm RAF") : rawValue(format).toUpper();
}

// The QuickTime-based kinds whose header dates exiftool zeroes and the app's
// scrub then checks.
bool isMovie(SupportedFormat format)
{
    return format == SupportedFormat::mp4 || format == SupportedFormat::mov || format == SupportedFormat::m4a
        || format == SupportedFormat::threegp;
}

bool givenUp(const CleanRequest &request)
{
    return request.cancel && request.cancel->load();
}

} // namespace

FileCleaner::FileCleaner(ToolPaths paths, ToolRunner &runner, RunLimits limits, const StagingJournal *journal)
    : m_exiftool(std::move(paths), runner, limits)
    , m_runner(runner)
    , m_journal(journal)
{
}

CleanResult FileCleaner::clean(const CleanRequest &request) const
{
    // Every tool run of this clean hears the request's cancel.
    const CancelScope cancelScope(request.cancel);
    auto result = cleanFile(request);
    if (!result)
        return CleanResult::failed(request.id, result.error());
    return std::move(result).value();
}

Expected<CleanResult> FileCleaner::cleanFile(const CleanRequest &request) const
{
    if (auto tool = m_exiftool.exiftoolPath(); !tool)
        return tool.error();
    const QByteArray path = localPathBytes(request.url);
    if (path.isEmpty())
        return CleanError(CleanError::Kind::notLocalFile, {request.url.toDisplayString()});

    if (givenUp(request))
        return CleanError(CleanError::Kind::quitting);
    PassTimes opening(PassTimes::Pass::open);
    auto opened = OriginalFile::open(path, request.identity);
    opening.stop();
    if (!opened)
        return opened.error();
    const OriginalFile &original = opened.value();

    if (!request.format)
        return CleanError(CleanError::Kind::unsupportedType, {lowerCasePathExtension(request.url)});
    const SupportedFormat format = *request.format;
    // An unreadable file is left to the tools, which say why they cannot read it.
    const QByteArray head = original.head(1024);
    if (!head.isEmpty() && !contentFitsFormat(format, head))
        return CleanError(CleanError::Kind::contentMismatch, {rawValue(format)});

    if (stripPlanFor(format).method == CleaningMethod::refused)
        return CleanError(CleanError::Kind::kindRefused, {original.displayName(), refusedKindName(format)});
    if (auto locked = PdfCleaner::refuseLocked(paths().pdfCleaner(), format, original.path(), original.displayName()))
        return *locked;
    // Pictures are walked piece by piece; their unknown tags and embedded
    // documents would tell the check nothing the walk does not, and cost a
    // third of the tool's time. Unless something is kept: it sits in blocks
    // the walk leaves to the tags, unknown ones included.
    const KeptFamilies kept = KeepingPlan::keptFor(format, request.choices.kept);
    const bool picture = groupOf(format) == FormatGroup::image && NativeCleaner::walks(format) && kept.removesEverything();
    PassTimes beforeRead(PassTimes::Pass::beforeRead);
    auto before = picture ? m_exiftool.readTags(original.path()) : m_exiftool.readMetadata(original.path());
    beforeRead.stop();
    if (!before)
        return before.error();
    PassTimes beforeWalk(PassTimes::Pass::beforeWalk);
    // A picture the app writes itself is read from disk once: its walk and
    // its writer see the same bytes.
    const bool writtenNatively = stripPlanFor(format).method == CleaningMethod::native;
    std::optional<QByteArray> originalBytes = writtenNatively ? NativeCleaner::readOriginal(original) : std::nullopt;
    const auto attributes = FileAttributes::identifyingAttributes(original.descriptor());

    // A file that carries nothing to remove stays as it is: its bytes, its
    // dates, its inode. Only a kind whose container the app walks can be
    // shown to carry nothing; tags alone never prove it. A file that keeps
    // something by choice is always written: the blocks that hold what it
    // keeps are then ours, not a stranger's.
    const ResidueReport found = originalBytes
        ? checkResidue(format, NativeCleaner::walkBytes(format, *originalBytes), before.value(), namesOf(attributes), kept)
        : checkResidue(format, original.path(), before.value(), namesOf(attributes), kept);
    beforeWalk.stop();
    if (found.containerWalked && found.isClean() && kept.removesEverything()) {
        CleanResult untouched = CleanResult::untouched(request.id, before.value());
        untouched.stillInFile = found.kept;
        untouched.identity = request.identity;
        return untouched;
    }

    if (givenUp(request))
        return CleanError(CleanError::Kind::quitting);
    PassTimes writing(PassTimes::Pass::write);
    auto staged = StagedCopy::create(original, m_journal);
    if (!staged)
        return staged.error();
    StagedCopy copy = std::move(staged).value();
    auto notes = write(format, original, originalBytes ? &*originalBytes : nullptr, copy,
                       request.cancel ? request.cancel : m_runner.stopFlag(), kept);
    writing.stop();
    originalBytes.reset(); // a picture may be large, and the checks read the copy from disk
    if (!notes)
        return readWrongKind(notes.error(), format, before.value(), original.displayName());
    // Given up, the staged copy is dropped here, before anything replaces the original.
    if (givenUp(request))
        return CleanError(CleanError::Kind::quitting);

    const CleaningChoices &choices = request.choices;
    // A copy of a copy would be "(cleaned) (cleaned)": such files are cleaned where they are.
    const bool asCopy = choices.keepOriginal && !isCleanedCopyName(QString::fromUtf8(original.fileName()));
    PassTimes finishing(PassTimes::Pass::finish);
    auto written = WrittenCopy::from(std::move(copy), original, choices.keepModificationDate);
    finishing.stop();
    if (!written)
        return written.error();

    MetadataTable after;
    ResidueReport residue;
    auto checked = std::move(written).value().check([&](const QString &version) -> Expected<Success> {
        PassTimes afterRead(PassTimes::Pass::afterRead);
        // What the app wrote itself, the walk below judges piece by piece to
        // its last byte: every segment or chunk against the allowed list, the
        // kept Exif down to its one tag, the colour profile's every tag, and
        // anything after the picture's end. exiftool's read then only has to
        // tell what is in the header, for the log and the tags' roles, and
        // need not scan a JPEG's picture data for a trailer.
        auto read = writtenNatively ? m_exiftool.readHeaderTags(version)
                    : picture       ? m_exiftool.readTags(version)
                                    : m_exiftool.readEverything(version);
        afterRead.stop();
        if (!read) {
            return CleanError(CleanError::Kind::verifyFailed,
                              {original.displayName(), describe(namingTheFile(read.error(), version, original.path()))});
        }
        if (const QString error = toolError(read.value()); !error.isEmpty())
            return CleanError(CleanError::Kind::verifyFailed, {original.displayName(), error});
        // The same kind of file: its type may change its name ("Extended
        // WEBP" becomes "WEBP" without its metadata chunks), never its kind.
        const QString mimeType = QStringLiteral("File:MIMEType");
        if (read.value().value(mimeType) != before.value().value(mimeType)) {
            return CleanError(CleanError::Kind::verifyFailed,
                              {original.displayName(), read.value().value(mimeType, QStringLiteral("?"))});
        }
        PassTimes afterWalk(PassTimes::Pass::afterWalk);
        residue = checkResidue(format, version, read.value(), identifyingAttributeNames(version), kept);
        afterWalk.stop();
        if (!residue.isClean())
            return residueLeft(original.displayName(), residue);
        after = std::move(read).value();
        return Success{};
    });
    if (!checked)
        return checked.error();

    if (givenUp(request))
        return CleanError(CleanError::Kind::quitting);
    QByteArray finalPath = original.realPath();
    if (asCopy) {
        auto saved = std::move(checked).value().saveAsCopy(original);
        if (!saved)
            return saved.error();
        finalPath = saved.value();
    } else if (auto replaced = std::move(checked).value().replace(original); !replaced) {
        return replaced.error();
    }
    MetadataTable listedBefore = std::move(before).value();
    listAttributes(listedBefore, attributes);
    listPieces(listedBefore, found.identifyingPieces);
    listedBefore.insert(notes.value().removed);
    CleanResult result = CleanResult::succeeded(request.id, listedBefore, after,
                                                asCopy ? urlForLocalPath(finalPath) : QUrl(), FileIdentity::of(path));
    result.stillInFile = withoutRetold(residue.kept, notes.value().kept) + notes.value().kept;
    result.kept = kept;
    return result;
}

Expected<Success> FileCleaner::copyBack(const OriginalFile &original, StagedCopy &copy, const KeptFamilies &kept) const
{
    QStringList arguments {QStringLiteral("-tagsFromFile"), original.path()};
    arguments << KeepingPlan::copiedTags(kept) << QStringLiteral("-o") << QStringLiteral("-") << copy.path();
    SandboxGrant grant = SandboxGrant::toRead(copy.path());
    grant.readable.append(original.path());
    grant.standardOutputTo = copy.scratchPath();
    if (auto written = m_exiftool.runProcess(arguments, original.size(), grant); !written)
        return namingTheFile(written.error(), copy.path(), original.path());
    return copy.moveToPath();
}

Expected<FileCleaner::WriterNotes> FileCleaner::write(SupportedFormat format, const OriginalFile &original,
                                                      const QByteArray *originalBytes, StagedCopy &copy,
                                                      const std::atomic<bool> *cancel, const KeptFamilies &kept) const
{
    StripPlan plan = stripPlanFor(format);
    // The app's own writers keep nothing of their own accord: what the person keeps comes back after them.
    if (!kept.removesEverything() && (plan.method == CleaningMethod::native || plan.method == CleaningMethod::heif)) {
        auto written = write(format, original, originalBytes, copy, cancel, {});
        if (!written)
            return written;
        if (auto copied = copyBack(original, copy, kept); !copied)
            return copied.error();
        return written;
    }
    plan.extraArguments = KeepingPlan::keepingArguments(plan.extraArguments, kept);
    const auto limit = m_exiftool.limits().forFileSize(original.size());
    WriterNotes notes;
    switch (plan.method) {
    case CleaningMethod::native:
        if (auto written = originalBytes
                               ? NativeCleaner::clean(format, *originalBytes, original.displayName(), copy.path())
                               : NativeCleaner::clean(format, original, copy.path());
            !written)
            return written.error();
        break;
    case CleaningMethod::heif:
        if (auto copied = copy.copyOriginal(original); !copied)
            return copied.error();
        if (auto cleaned = NativeCleaner::cleanHeifInPlace(copy.path(), original.displayName()); !cleaned)
            return cleaned.error();
        break;
    case CleaningMethod::exiftool:
        if (auto written = m_exiftool.writeCleanCopy(original.path(), copy.scratchPath(), plan.extraArguments); !written)
            return readToolFailure(namingTheFile(written.error(), copy.scratchPath(), original.path()),
                                   original.displayName(), QFileInfo(copy.path()).absolutePath(), original.size());
        if (auto named = copy.moveToPath(); !named)
            return named.error();
        if (format == SupportedFormat::tif || format == SupportedFormat::tiff) {
            if (auto scrubbed = NativeCleaner::scrubTiffProfileInPlace(copy.path(), original.displayName()); !scrubbed)
                return scrubbed.error();
        }
        if (isMovie(format)) {
            auto scrubbed = MovieScrub::scrub(copy.path(), !kept.removesEverything());
            if (!scrubbed)
                return scrubbed.error();
            notes.kept = scrubbed.value().content;
        }
        break;
    case CleaningMethod::matroska: {
        const auto mkvpropedit = paths().mkvpropedit();
        if (!mkvpropedit)
            return CleanError(CleanError::Kind::helperMissing, {QStringLiteral("mkvpropedit"), paths().helperDirectory});
        auto listing = m_exiftool.runProcess(MatroskaCleaner::contentsQuery(original.path()), original.size(),
                                             SandboxGrant::toRead(original.path()));
        if (!listing)
            return listing.error();
        auto contents = MatroskaCleaner::parseContents(listing.value());
        if (!contents)
            return contents.error();
        if (auto copied = copy.copyOriginal(original); !copied)
            return copied.error();
        if (auto cleaned = MatroskaCleaner::clean(*mkvpropedit, copy.path(), contents.value(), limit, cancel);
            !cleaned)
            return cleaned.error();
        break;
    }
    case CleaningMethod::pdf: {
        const auto helper = paths().pdfCleaner();
        if (!helper)
            return CleanError(CleanError::Kind::helperMissing,
                              {QStringLiteral("tessaly-pdf-clean"), paths().helperDirectory});
        auto cleaned = PdfCleaner::clean(*helper, original.path(), copy.path(), original.displayName(),
                                         m_exiftool.limits(), cancel);
        if (!cleaned)
            return cleaned.error();
        notes.kept = PdfCleaner::keptContent(cleaned.value());
        notes.removed = PdfCleaner::removedParts(cleaned.value());
        break;
    }
    case CleaningMethod::audio:
    case CleaningMethod::drawing:
        if (auto written = NativeCleaner::clean(format, original, copy.path()); !written)
            return written.error();
        break;
    case CleaningMethod::office:
    case CleaningMethod::ebook: {
        auto kept = OfficeCleaner::clean(format, original, copy.path());
        if (!kept)
            return kept.error();
        notes.kept = kept.value();
        break;
    }
    case CleaningMethod::refused:
        return CleanError(CleanError::Kind::unsupportedType, {rawValue(format)});
    }
    return notes;
}
