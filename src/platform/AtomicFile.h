#pragma once

#include "platform/FileProblem.h"

#include <QByteArray>
#include <QString>

// Replaces a file whole, so that a write that is cut off (crash, power loss,
// full disk) never leaves a half-written file behind: the bytes go to a new
// file created exclusively in the same folder, which is flushed to the disk
// and then renamed over the old file (SafeOpen::Replacement). A link at the
// path is replaced, never written through. On POSIX systems the new file is
// readable and writable by its owner only (mode 0600).
namespace AtomicFile {

// Returns false and says why when the file could not be written; the old
// file is then left as it was.
bool write(const QString &path, const QByteArray &bytes, FileProblem *problem = nullptr);

// Test seam: while an object of this class lives, every AtomicFile::write on
// this thread lets only the first `bytes` bytes reach the temporary file and
// then fails as a full disk would.
class FailAfterForTesting
{
public:
    explicit FailAfterForTesting(qint64 bytes);
    ~FailAfterForTesting();
    FailAfterForTesting(const FailAfterForTesting &) = delete;
    FailAfterForTesting &operator=(const FailAfterForTesting &) = delete;

private:
    qint64 m_previous;
};

} // namespace AtomicFile
