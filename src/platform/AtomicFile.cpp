#include "platform/AtomicFile.h"

#include "platform/SafeOpen.h"

#include <cerrno>

namespace {

thread_local qint64 failAfter = -1;

} // namespace

namespace AtomicFile {

bool write(const QString &path, const QByteArray &bytes, FileProblem *problem)
{
    SafeOpen::Replacement file;
    if (!file.begin(path, problem))
        return false;
    if (failAfter >= 0 && failAfter < bytes.size()) {
        // What a full disk reports when the next block does not fit.
        file.write(QByteArrayView(bytes).first(failAfter), problem);
        file.discard();
        if (problem)
            *problem = FileProblem::system(path, ENOSPC);
        return false;
    }
    return file.write(bytes, problem) && file.commit(problem);
}

FailAfterForTesting::FailAfterForTesting(qint64 bytes)
    : m_previous(failAfter)
{
    failAfter = bytes;
}

FailAfterForTesting::~FailAfterForTesting()
{
    failAfter = m_previous;
}

} // namespace AtomicFile
