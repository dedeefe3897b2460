#include "filecipher/LayerChain.h"

#include "cipher/Rc4.h"
#include "cipher/Sha1.h"
#include "cipher/Sha256.h"
#include "filecipher/FileRefusalTexts.h"
#include "platform/ExclusiveNewFile.h"
#include "platform/FileLinks.h"
#include "platform/FileSync.h"
#include "platform/LockedInputFile.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace {

// Blocks are whole numbers of cipher chunks, so that every chunk border
// falls on a multiple of 8192 bytes of the file.
constexpr qint64 BlockSize = 128 * qint64(StreamCipher::StreamChunkSize);
constexpr int BlockCount = 8;
// The result goes to the system in pieces much smaller than a block: the
// kernel's cost of one write grows faster than its size (measured for a
// 512 MiB file: 1 MiB writes took up to five times the system time of
// 64 KiB ones, and 128 KiB ones still twice as much now and then).
constexpr qint64 WritePiece = 8 * qint64(StreamCipher::StreamChunkSize);

struct Block
{
    std::unique_ptr<char[]> data = std::make_unique<char[]>(BlockSize);
    qint64 size = 0;
};

// A queue of block numbers between the two threads of a run.
class BlockQueue
{
public:
    void push(int block)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_blocks.push_back(block);
        }
        m_changed.notify_all();
    }

    // Nothing once the queue is closed and empty.
    std::optional<int> pop()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_closed || !m_blocks.empty(); });
        if (m_blocks.empty())
            return std::nullopt;
        const int block = m_blocks.front();
        m_blocks.pop_front();
        return block;
    }

    void close()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_closed = true;
        }
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<int> m_blocks;
    bool m_closed = false;
};

// The key streams of all layers applied to a block, chunk by chunk. Two
// layers (a whole file's run) go through both generators at once.
void applyLayers(std::vector<Rc4> &ciphers, Block &block)
{
    for (qint64 offset = 0; offset < block.size; offset += StreamCipher::StreamChunkSize) {
        const auto length = static_cast<quint32>(
            std::min<qint64>(StreamCipher::StreamChunkSize, block.size - offset));
        char *bytes = block.data.get() + offset;
        if (ciphers.size() == 2) {
            Rc4::EncryptBoth(ciphers[0], ciphers[1], bytes, bytes, length);
            continue;
        }
        for (Rc4 &cipher : ciphers)
            cipher.Encrypt(bytes, bytes, length);
    }
}

bool writeInPieces(ExclusiveNewFile &output, const Block &block)
{
    for (qint64 offset = 0; offset < block.size; offset += WritePiece) {
        const qint64 length = std::min(WritePiece, block.size - offset);
        if (!output.write({block.data.get() + offset, size_t(length)}))
            return false;
    }
    return true;
}

// Reads, applies the layers and writes, pipelined over two threads: this
// thread reads the input and writes the result (the system copies and the
// disk's work), a second one applies the key streams. Blocks go round in
// the order of the file.
StreamEnd streamLayers(std::vector<Rc4> &ciphers, LockedInputFile &input, ExclusiveNewFile &output,
                       const ByteProgress &progress, const CancelCheck &cancelled)
{
    const quint64 total = static_cast<quint64>(std::max<qint64>(0, input.identity().size));
    std::vector<Block> blocks(BlockCount);
    BlockQueue toCipher;
    BlockQueue toWrite;
    std::thread worker([&] {
        while (const std::optional<int> index = toCipher.pop()) {
            applyLayers(ciphers, blocks[size_t(*index)]);
            toWrite.push(*index);
        }
        toWrite.close();
    });

    StreamEnd end;
    quint64 done = 0;
    std::deque<int> free;
    for (int k = 0; k < BlockCount; ++k)
        free.push_back(k);
    bool reading = true;
    int inFlight = 0;
    if (progress)
        progress(0, total);
    while (reading || inFlight > 0) {
        if (reading && cancelled && cancelled()) {
            end = {FileFailure::Cancelled, QString()};
            reading = false;
        }
        while (reading && !free.empty() && end.failure == FileFailure::None) {
            const int index = free.front();
            free.pop_front();
            Block &block = blocks[size_t(index)];
            block.size = input.read({block.data.get(), size_t(BlockSize)});
            if (block.size < 0) {
                end = {FileFailure::ReadFailed, input.errorText()};
                reading = false;
                break;
            }
            if (block.size < BlockSize)
                reading = false;
            if (block.size == 0) {
                free.push_back(index);
                break;
            }
            toCipher.push(index);
            ++inFlight;
        }
        if (!reading && inFlight == 0)
            break;
        const std::optional<int> index = toWrite.pop();
        if (!index)
            break;
        --inFlight;
        const Block &block = blocks[size_t(*index)];
        if (end.failure == FileFailure::None) {
            if (writeInPieces(output, block)) {
                done += quint64(block.size);
                if (progress)
                    progress(done, std::max(done, total));
            } else {
                end = {FileFailure::WriteFailed, output.errorText()};
                reading = false;
            }
        }
        free.push_back(*index);
    }
    toCipher.close();
    worker.join();
    for (Block &block : blocks)
        std::fill_n(block.data.get(), BlockSize, '\0');
    return end;
}

FileFailure inputFailure(LockedInputFile::Failure failure)
{
    switch (failure) {
    case LockedInputFile::Failure::None:
        return FileFailure::None;
    case LockedInputFile::Failure::NotFound:
        return FileFailure::NotFound;
    case LockedInputFile::Failure::Link:
        return FileFailure::IsLink;
    case LockedInputFile::Failure::Folder:
        return FileFailure::IsFolder;
    case LockedInputFile::Failure::NotRegular:
        return FileFailure::NotRegularFile;
    case LockedInputFile::Failure::InUse:
        return FileFailure::InUse;
    case LockedInputFile::Failure::AccessDenied:
        return FileFailure::AccessDenied;
    case LockedInputFile::Failure::Replaced:
    case LockedInputFile::Failure::Other:
        break;
    }
    return FileFailure::ReadFailed;
}

// What a refusal of the system about the result's name or its new file
// means for the file: only a denied access is reported as one.
FileFailure resultFailure(SystemCause cause)
{
    switch (cause) {
    case SystemCause::AccessDenied:
        return FileFailure::AccessDenied;
    case SystemCause::NameTooLong:
        return FileFailure::NameTooLong;
    default:
        return FileFailure::WriteFailed;
    }
}

// The system's words for why the input could not be opened; a file that was
// replaced meanwhile counts as one that could not be read.
QString inputDetail(const LockedInputFile &input)
{
    if (input.failure() == LockedInputFile::Failure::Replaced)
        return QStringLiteral("replaced while being opened");
    return input.errorText();
}

class FileTransformRun
{
public:
    FileTransformRun(const QString &key, const FileTransform &transform,
                     const ByteProgress &progress)
        : m_key(key)
        , m_transform(transform)
        , m_progress(progress)
    {
    }

    ~FileTransformRun()
    {
        for (Rc4 &cipher : m_ciphers)
            cipher.Burn();
    }

    FileWorkOutcome run()
    {
        if (!openInput() || !guardResultName() || (!m_transform.body && !keyLayers()))
            return m_outcome;
        if (!m_output.create(m_transform.output))
            return refuse(resultFailure(m_output.failure()), m_output.errorText());
        const StreamEnd end = m_transform.body ? m_transform.body(m_input, m_output)
                                               : streamLayers(m_ciphers, m_input, m_output,
                                                              m_progress, m_transform.cancelled);
        if (end.failure != FileFailure::None)
            return refuse(end.failure, end.detail);
        if (!m_output.flushToDisk())
            return refuse(FileFailure::WriteFailed, m_output.errorText());
        if (m_transform.acceptResult) {
            // The check reads the result by a name: the part file's.
            const QString readable = m_output.nameForReading();
            if (readable.isEmpty())
                return refuse(FileFailure::WriteFailed, m_output.errorText());
            if (!m_transform.acceptResult(readable, m_transform.output))
                return refuse(FileFailure::ResultDoesNotFit, QString());
        }
        if (cancelRequested())
            return refuse(FileFailure::Cancelled, QString());
        return finish();
    }

private:
    bool openInput()
    {
        if (!m_input.open(m_transform.input))
            return refuse(inputFailure(m_input.failure()), inputDetail(m_input)), false;
        const quint64 allowed = 1 + m_transform.ownNames;
        if (m_transform.refuseFurtherNames && m_input.identity().links > allowed)
            return refuse(FileFailure::MultipleNames, QString()), false;
        m_input.adviseSequential();
        return true;
    }

    // The result's name: free (the result may take it only while it stays
    // free), a regular file (locked like an input, so that no other run
    // works on it, and replaced by the rename), a link (replaced as a link
    // by the rename, never written through), or anything else: refused.
    bool guardResultName()
    {
        const FileIdentity existing = FileIdentity::ofPath(m_transform.output);
        switch (existing.kind) {
        case FileIdentity::Kind::Missing:
            m_placing = ExclusiveNewFile::Placing::OnlyIfAbsent;
            return true;
        case FileIdentity::Kind::Link:
            return true;
        case FileIdentity::Kind::RegularFile:
            if (m_resultName.open(m_transform.output))
                return true;
            if (m_resultName.failure() == LockedInputFile::Failure::InUse)
                return refuse(FileFailure::InUse, QString()), false;
            // Gone or replaced by a link meanwhile: the rename handles both.
            return true;
        case FileIdentity::Kind::Folder:
        case FileIdentity::Kind::Other:
            return refuse(FileFailure::ResultNameBlocked, QString()), false;
        case FileIdentity::Kind::Unreadable:
            break;
        }
        return refuse(resultFailure(existing.cause), existing.reason), false;
    }

    bool keyLayers()
    {
        m_ciphers = std::vector<Rc4>(m_transform.layersUseSha1.size());
        try {
            for (size_t k = 0; k < m_ciphers.size(); ++k) {
                if (m_transform.layersUseSha1[k])
                    m_ciphers[k].InitStr(m_key, hashClass<Sha1>);
                else
                    m_ciphers[k].InitStr(m_key, hashClass<Sha256>);
            }
        } catch (const CipherError &error) {
            return refuse(FileFailure::KeyUnusable, QString::fromUtf8(error.what())), false;
        }
        return true;
    }

    bool cancelRequested() const { return m_transform.cancelled && m_transform.cancelled(); }

    FileFailure changed() const
    {
        return m_transform.decrypting ? FileFailure::ChangedWhileDecrypted
                                      : FileFailure::ChangedWhileEncrypted;
    }

    // The result goes in place only while the input is unchanged, and the
    // input goes only while it is still unchanged after that.
    FileWorkOutcome finish()
    {
        if (!m_input.unchanged())
            return refuse(changed(), QString());
        // Private while being written; the input's permissions once in place.
        m_output.takeAttributes(m_input.identity());
        if (!m_output.place(m_placing)) {
            if (m_output.replaced())
                return refuse(FileFailure::ResultReplaced, QString());
            if (m_output.failure() == SystemCause::Exists)
                return refuse(FileFailure::ResultNameAppeared, QString());
            return refuse(resultFailure(m_output.failure()), m_output.errorText());
        }
        if (!m_input.unchanged()) {
            m_output.discard();
            return refuse(changed(), QString());
        }
        if (m_transform.removeInput && disposeOfInput())
            FileSync::flushFolderOf(m_transform.input);
        m_outcome.ok = true;
        m_outcome.result = m_transform.output;
        return m_outcome;
    }

    // The one point where the input goes, while it is still held here.
    bool disposeOfInput()
    {
        if (m_transform.disposeInput)
            return m_transform.disposeInput(m_transform.input, m_input.identity());
        return FileLinks::removeIfSame(m_transform.input, m_input.identity());
    }

    FileWorkOutcome refuse(FileFailure failure, const QString &detail)
    {
        m_output.discard();
        m_outcome = FileWorkOutcome::refused(m_transform.input, failure, detail);
        return m_outcome;
    }

    const QString m_key;
    const FileTransform &m_transform;
    const ByteProgress &m_progress;
    std::vector<Rc4> m_ciphers;
    LockedInputFile m_input;
    LockedInputFile m_resultName; // held for the run: the lock is what counts
    ExclusiveNewFile m_output;
    ExclusiveNewFile::Placing m_placing = ExclusiveNewFile::Placing::ReplaceExisting;
    FileWorkOutcome m_outcome;
};

} // namespace

FileWorkOutcome FileWorkOutcome::refused(const QString &input, FileFailure failure,
                                         const QString &detail)
{
    FileWorkOutcome outcome;
    outcome.failedInput = input;
    outcome.failure = failure;
    outcome.detail = detail;
    outcome.reason = FileRefusalTexts::reason(failure, Language::English, detail);
    return outcome;
}

FileWorkOutcome runFileTransform(const QString &keyText, const FileTransform &transform,
                                 const ByteProgress &progress)
{
    FileTransformRun run(keyText, transform, progress);
    return run.run();
}

FileWorkOutcome runLayerChain(const QString &keyText, const std::vector<LayerStep> &layers,
                              const ByteProgress &progress)
{
    if (layers.empty()) {
        FileWorkOutcome nothingToDo;
        nothingToDo.ok = true;
        return nothingToDo;
    }
    FileTransform transform;
    transform.input = layers.front().input;
    transform.output = layers.back().output;
    for (const LayerStep &layer : layers)
        transform.layersUseSha1.push_back(layer.useSha1);
    transform.removeInput = false;
    transform.refuseFurtherNames = false;
    return runFileTransform(keyText, transform, progress);
}
