#include "shred/OverwriteAndDelete.h"

#include "platform/ExclusiveFile.h"
#include "platform/FileAttributes.h"
#include "shred/OverwriteBlocks.h"
#include "shred/OverwriteCount.h"

#include <cstring>
#include <vector>

namespace {

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

ShredReport removeAfter(const QString &path, ShredOutcome success, ShredReport report)
{
    QString error;
    bool denied = false;
    if (FileAttributes::remove(path, &error, &denied)) {
        report.outcome = success;
        return report;
    }
    report.outcome = ShredOutcome::OverwrittenNotRemoved;
    report.problem = denied ? ShredProblem::RemoveDenied : ShredProblem::RemoveFailed;
    report.systemText = error;
    return report;
}

} // namespace

unsigned char ShredPassByte(int pass)
{
    return pass % 2 == 0 ? 0x3E : 0xC1;
}

ShredReport OverwriteAndDelete(const QString &path, const ShredPlan &plan)
{
    const FileAttributes attributes = FileAttributes::query(path);
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

    if (attributes.size <= 0) {
        ShredReport report = removeAfter(path, ShredOutcome::RemovedEmpty, {});
        if (report.outcome == ShredOutcome::OverwrittenNotRemoved)
            report.outcome = ShredOutcome::Refused; // nothing was written to it
        return report;
    }

    ExclusiveFile file;
    if (!file.open(path, attributes)) {
        if (file.failure() == ExclusiveFile::Failure::NotFound)
            return problem(ShredOutcome::NotFound, ShredProblem::None);
        return problem(ShredOutcome::Refused, openProblem(file.failure()), file.errorText());
    }
    if (file.linkCount() > 1 && !plan.otherNamesConfirmed)
        return problem(ShredOutcome::Refused, ShredProblem::HardLink);

    ShredReport report;
    report.passes = 2 * OverwriteCount::clamped(plan.count);
    QString writeError;
    {
        std::vector<char> block(static_cast<size_t>(ShredBlockSize));
        quint64 before = 0; // bytes of the passes already done
        for (int pass = report.passes; pass >= 1; --pass) {
            // The length now: a file that grew since the last pass is
            // overwritten to its new end.
            const qint64 size = file.currentSize();
            if (size < 0) {
                writeError = file.errorText();
                break;
            }
            const quint64 total = before + static_cast<quint64>(size) * static_cast<quint64>(pass);
            const unsigned char passByte = ShredPassByte(pass);
            std::memset(block.data(), passByte, block.size());
            const bool written =
                OverwriteBlocks(size, ShredBlockSize, [&](qint64 offset, qint64 length) {
                    if (!file.writeAt(offset, block.data(), length))
                        return false;
                    if (plan.progress)
                        plan.progress(before + static_cast<quint64>(offset + length), total);
                    return true;
                });
            if (!written || !file.flushToDisk()) {
                writeError = file.errorText();
                break;
            }
            before += static_cast<quint64>(size);
            ++report.passesDone;
            if (plan.afterPass)
                plan.afterPass(pass, passByte);
            if (pass > 1 && plan.stopRequested && plan.stopRequested())
                break;
        }
    }
    if (!file.close() && writeError.isEmpty())
        writeError = file.errorText();

    if (!writeError.isEmpty()) {
        // The content is partly destroyed; the file goes all the same.
        report.outcome = ShredOutcome::Failed;
        report.problem = ShredProblem::WriteFailed;
        report.systemText = writeError;
        QString removeError;
        if (!FileAttributes::remove(path, &removeError))
            report.systemText += QStringLiteral("; ") + removeError;
        return report;
    }
    if (report.passesDone < report.passes) {
        report.outcome = ShredOutcome::Stopped;
        return report;
    }
    return removeAfter(path, ShredOutcome::Overwritten, report);
}
