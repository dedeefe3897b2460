#include "shred/OverwriteAndDelete.h"

#include "platform/ExclusiveFile.h"
#include "platform/FileAttributes.h"
#include "shred/OverwriteBlocks.h"
#include "shred/OverwriteCount.h"

#include <cstring>
#include <optional>
#include <vector>

namespace {

// Rounds of passes over bytes added after the last pass before a file that
// keeps growing is given up on and kept.
constexpr int GrowthRounds = 3;

ShredReport problem(ShredOutcome outcome, ShredProblem what, const QString &systemText = {})
{
    ShredReport report;
    report.outcome = outcome;
    report.problem = what;
    report.systemText = systemText;
    return report;
}

ShredProblem openProblem(ExclusiveFile::Failure failure)
{
    switch (failure) {
    case ExclusiveFile::Failure::InUse:
        return ShredProblem::InUse;
    case ExclusiveFile::Failure::AccessDenied:
        return ShredProblem::NoAccess;
    case ExclusiveFile::Failure::NotRegular:
        return ShredProblem::SpecialFile;
    case ExclusiveFile::Failure::Replaced:
        return ShredProblem::Replaced;
    case ExclusiveFile::Failure::None:
    case ExclusiveFile::Failure::NotFound:
    case ExclusiveFile::Failure::Other:
        break;
    }
    return ShredProblem::CannotOpen;
}

ShredProblem removalProblem(const NameRemoval &removal)
{
    return removal.cause == SystemCause::AccessDenied ||
                   removal.cause == SystemCause::ReadOnlyFileSystem
               ? ShredProblem::RemoveDenied
               : ShredProblem::RemoveFailed;
}

// Refuses what is not a regular file; nothing when it is one.
std::optional<ShredReport> refusalFor(const FileAttributes &attributes)
{
    switch (attributes.kind) {
    case FileAttributes::Kind::Missing:
        return problem(ShredOutcome::NotFound, ShredProblem::None);
    case FileAttributes::Kind::Unreadable:
        // Without its size nothing can be overwritten; removing it anyway would
        // leave its content on the disk.
        return problem(ShredOutcome::Refused, ShredProblem::Unreadable, attributes.errorText);
    case FileAttributes::Kind::Folder:
        return problem(ShredOutcome::Refused, ShredProblem::Folder);
    case FileAttributes::Kind::Other:
        return problem(ShredOutcome::Refused, ShredProblem::SpecialFile);
    case FileAttributes::Kind::Link:
        return problem(ShredOutcome::Refused, ShredProblem::SymbolicLink);
    case FileAttributes::Kind::RegularFile:
        break;
    }
    return std::nullopt;
}

// Removes an empty file without opening it, but only while the name still
// holds that file and it is still empty. Nothing when it has grown since:
// then it has content to overwrite.
std::optional<ShredReport> removeEmpty(const QString &path, const FileAttributes &attributes)
{
    NameRemoval::Expected expected;
    expected.device = attributes.device;
    expected.inode = attributes.inode;
    expected.size = 0;
    const NameRemoval removal = NameRemoval::remove(path, expected);
    switch (removal.result) {
    case NameRemoval::Result::Removed:
        return problem(ShredOutcome::RemovedEmpty, ShredProblem::None);
    case NameRemoval::Result::Missing:
        return problem(ShredOutcome::NotFound, ShredProblem::None);
    case NameRemoval::Result::Replaced: {
        ShredReport report = problem(ShredOutcome::Refused, ShredProblem::Replaced);
        report.otherFileNowAt = removal.strandedAt;
        return report;
    }
    case NameRemoval::Result::SizeChanged:
        break;
    case NameRemoval::Result::Failed:
        return problem(ShredOutcome::Refused, removalProblem(removal), removal.reason);
    }
    return std::nullopt;
}

// The passes over one open file, and the progress of all of them.
class PassWriter
{
public:
    PassWriter(ExclusiveFile &file, const ShredPlan &plan)
        : m_file(file)
        , m_plan(plan)
        , m_block(static_cast<size_t>(ShredBlockSize))
    {
    }

    // The work still ahead: `passes` passes over `bytes` bytes each.
    void expect(qint64 bytes, int passes)
    {
        m_total = m_done + static_cast<quint64>(bytes) * static_cast<quint64>(passes);
    }

    enum class Pass { Written, Failed, CutShort };

    // Writes pass `pass` over the bytes [from, to) and forces them to the
    // disk. Failed: the system refused (the file's errorText() says why).
    // CutShort: another program made the file shorter than `to` meanwhile;
    // the pass ends there, so that it does not extend the file again.
    Pass write(int pass, qint64 from, qint64 to)
    {
        const unsigned char passByte = ShredPassByte(pass);
        std::memset(m_block.data(), passByte, m_block.size());
        bool cut = false;
        const bool written =
            OverwriteBlocks(to - from, ShredBlockSize, [&](qint64 offset, qint64 length) {
                const qint64 size = m_file.currentSize();
                if (size >= 0 && size < to) {
                    cut = true;
                    return false;
                }
                if (size < 0 || !m_file.writeAt(from + offset, m_block.data(), length))
                    return false;
                if (m_plan.progress)
                    m_plan.progress(m_done + static_cast<quint64>(offset + length), m_total);
                return true;
            });
        if (cut) {
            // What was written so far goes to the disk all the same.
            m_file.flushToDisk();
            return Pass::CutShort;
        }
        if (!written || !m_file.flushToDisk())
            return Pass::Failed;
        m_done += static_cast<quint64>(to - from);
        if (m_plan.afterPass)
            m_plan.afterPass(pass, passByte);
        return Pass::Written;
    }

private:
    ExclusiveFile &m_file;
    const ShredPlan &m_plan;
    std::vector<char> m_block;
    quint64 m_done = 0;
    quint64 m_total = 0;
};

ShredReport keep(ShredReport report, ShredProblem why)
{
    report.outcome = ShredOutcome::Kept;
    report.problem = why;
    return report;
}

// The passes over the open file, then its removal, but only of what was
// overwritten: the name must still hold this file at the length the last
// pass covered. A file that grew after the last pass gets all the passes
// over the added bytes (a few rounds at most); one that was cut short,
// replaced or moved away is kept where it stands.
ShredReport overwriteAndRemove(const QString &path, ExclusiveFile &file, const ShredPlan &plan)
{
    ShredReport report;
    report.passes = 2 * OverwriteCount::clamped(plan.count);
    PassWriter writer(file, plan);

    auto failed = [&](ShredReport failure) {
        // The content is partly destroyed; the file goes all the same, but
        // only while its name still holds it.
        failure.outcome = ShredOutcome::Failed;
        failure.problem = ShredProblem::WriteFailed;
        failure.systemText = file.errorText();
        const NameRemoval removal = file.removeName(path, -1);
        if (removal.result == NameRemoval::Result::Failed)
            failure.systemText += QStringLiteral("; ") + removal.reason;
        return failure;
    };

    // The length the passes so far covered, from the start of the file.
    qint64 covered = -1;
    for (int pass = report.passes; pass >= 1; --pass) {
        // The length now: a file that grew since the last pass is
        // overwritten to its new end.
        const qint64 size = file.currentSize();
        if (size < 0)
            return failed(report);
        if (size < covered)
            return keep(report, ShredProblem::CutShort);
        writer.expect(size, pass);
        const PassWriter::Pass written = writer.write(pass, 0, size);
        if (written == PassWriter::Pass::CutShort)
            return keep(report, ShredProblem::CutShort);
        if (written == PassWriter::Pass::Failed)
            return failed(report);
        covered = size;
        ++report.passesDone;
        if (pass > 1 && plan.stopRequested && plan.stopRequested()) {
            report.outcome = ShredOutcome::Stopped;
            return report;
        }
    }

    for (int round = 0;; ++round) {
        const qint64 size = file.currentSize();
        if (size < 0)
            return failed(report);
        if (size < covered)
            return keep(report, ShredProblem::CutShort);
        if (size > covered) {
            if (round >= GrowthRounds)
                return keep(report, ShredProblem::KeptGrowing);
            // Bytes added after the last pass began: all passes over them.
            writer.expect(size - covered, report.passes);
            for (int pass = report.passes; pass >= 1; --pass) {
                const PassWriter::Pass written = writer.write(pass, covered, size);
                if (written == PassWriter::Pass::CutShort)
                    return keep(report, ShredProblem::CutShort);
                if (written == PassWriter::Pass::Failed)
                    return failed(report);
            }
            covered = size;
            continue;
        }

        const NameRemoval removal = file.removeName(path, covered);
        switch (removal.result) {
        case NameRemoval::Result::Removed:
            report.outcome = ShredOutcome::Overwritten;
            return report;
        case NameRemoval::Result::Missing:
            return keep(report, ShredProblem::MovedWhileOverwritten);
        case NameRemoval::Result::Replaced:
            report.otherFileNowAt = removal.strandedAt;
            return keep(report, ShredProblem::ReplacedWhileOverwritten);
        case NameRemoval::Result::SizeChanged:
            if (round >= GrowthRounds)
                return keep(report, ShredProblem::KeptGrowing);
            continue; // looked at once more
        case NameRemoval::Result::Failed:
            report.outcome = ShredOutcome::OverwrittenNotRemoved;
            report.problem = removalProblem(removal);
            report.systemText = removal.reason;
            return report;
        }
    }
}

} // namespace

unsigned char ShredPassByte(int pass)
{
    return pass % 2 == 0 ? 0x3E : 0xC1;
}

ShredReport OverwriteAndDelete(const QString &path, const ShredPlan &plan)
{
    FileAttributes attributes = FileAttributes::query(path);
    if (std::optional<ShredReport> refused = refusalFor(attributes))
        return *refused;
    if (attributes.size <= 0) {
        if (std::optional<ShredReport> removed = removeEmpty(path, attributes))
            return *removed;
        // Written to since the look: overwritten like any other file.
        attributes = FileAttributes::query(path);
        if (std::optional<ShredReport> refused = refusalFor(attributes))
            return *refused;
    }

    ExclusiveFile file;
    if (!file.open(path, attributes)) {
        if (file.failure() == ExclusiveFile::Failure::NotFound)
            return problem(ShredOutcome::NotFound, ShredProblem::None);
        return problem(ShredOutcome::Refused, openProblem(file.failure()), file.errorText());
    }
    if (file.linkCount() > 1 && !plan.otherNamesConfirmed)
        return problem(ShredOutcome::Refused, ShredProblem::HardLink);

    ShredReport report = overwriteAndRemove(path, file, plan);
    // Every pass was flushed before the file was removed; a complaint of the
    // close comes too late to mean anything for the content.
    file.close();
    return report;
}

ShredReport OverwriteAndDeleteHeld(const QString &path, const FileIdentity &held,
                                   const ShredPlan &plan)
{
    ExclusiveFile file;
    if (!file.openHeld(path, held)) {
        if (file.failure() == ExclusiveFile::Failure::NotFound)
            return problem(ShredOutcome::Refused, ShredProblem::MovedWhileOverwritten);
        return problem(ShredOutcome::Refused, openProblem(file.failure()), file.errorText());
    }
    if (file.linkCount() > 1)
        return problem(ShredOutcome::Refused, ShredProblem::HardLink);
    ShredReport report = overwriteAndRemove(path, file, plan);
    file.close();
    return report;
}
