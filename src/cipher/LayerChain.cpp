#include "cipher/LayerChain.h"

#include "cipher/Rc4.h"
#include "cipher/Sha1.h"
#include "cipher/Sha256.h"
#include "platform/FileSync.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#if defined(Q_OS_UNIX)
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// Blocks are whole numbers of cipher chunks, so that every chunk border
// falls on a multiple of 8192 bytes of the file.
constexpr qint64 BlockSize = 128 * qint64(StreamCipher::StreamChunkSize);
constexpr int BlockCount = 6;
constexpr int EndOfData = -1;

struct Block
{
    std::unique_ptr<char[]> data = std::make_unique<char[]>(BlockSize);
    qint64 size = 0;
};

// The hand-over between the layers: queue 0 holds the free blocks, queue k
// the blocks waiting for layer k. One failure stops every layer.
class ChainState
{
public:
    explicit ChainState(size_t layers)
        : m_queues(layers)
    {
    }

    void push(size_t queue, int block)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_queues[queue].push_back(block);
        }
        m_changed.notify_all();
    }

    // Nothing once the chain has failed.
    std::optional<int> pop(size_t queue)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_failed || !m_queues[queue].empty(); });
        if (m_failed)
            return std::nullopt;
        const int block = m_queues[queue].front();
        m_queues[queue].pop_front();
        return block;
    }

    // The earliest layer's failure is the one reported.
    void fail(int layer, const QString &reason)
    {
        {
            const std::lock_guard lock(m_mutex);
            if (!m_failed || layer < m_failedLayer) {
                m_failedLayer = layer;
                m_reason = reason;
            }
            m_failed = true;
        }
        m_changed.notify_all();
    }

    bool failed(int &layer, QString &reason) const
    {
        const std::lock_guard lock(m_mutex);
        layer = m_failedLayer;
        reason = m_reason;
        return m_failed;
    }

    std::atomic<quint64> finished{0};

    // Writes from two layers at once to two files are several times slower
    // on common Linux file systems than the same writes one after the other,
    // so the layers take turns.
    std::mutex writing;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::deque<int>> m_queues;
    bool m_failed = false;
    int m_failedLayer = -1;
    QString m_reason;
};

void applyLayer(Rc4 &cipher, Block &block)
{
    for (qint64 offset = 0; offset < block.size; offset += StreamCipher::StreamChunkSize) {
        const auto length = static_cast<quint32>(
            std::min<qint64>(StreamCipher::StreamChunkSize, block.size - offset));
        cipher.Encrypt(block.data.get() + offset, block.data.get() + offset, length);
    }
}

bool writeBlock(QFileDevice &file, const Block &block)
{
    return file.write(block.data.get(), block.size) == block.size;
}

// Starts writing the result to the disk while the work goes on, so that the
// flush at the end has little left to wait for. Only a hint: the flush at
// the end is what makes the result durable.
class EarlyWriteback
{
public:
    void written(QFileDevice &file, qint64 bytes)
    {
#if defined(Q_OS_LINUX)
        m_pending += bytes;
        if (m_pending < Stride)
            return;
        ::sync_file_range(file.handle(), m_started, m_pending, SYNC_FILE_RANGE_WRITE);
        m_started += m_pending;
        m_pending = 0;
#else
        Q_UNUSED(file);
        Q_UNUSED(bytes);
#endif
    }

private:
    static constexpr qint64 Stride = 8 * BlockSize;
    qint64 m_started = 0;
    qint64 m_pending = 0;
};

// Fills a block unless the input ends first; -1 on a read error.
qint64 fillBlock(QFile &input, Block &block)
{
    qint64 got = 0;
    while (got < BlockSize) {
        const qint64 part = input.read(block.data.get() + got, BlockSize - got);
        if (part < 0)
            return -1;
        if (part == 0)
            break;
        got += part;
    }
    return got;
}

// Makes a rename in the folder durable. Not every file system can flush a
// folder; the file itself has been flushed already, so this is best effort.
void flushFolder(const QString &path)
{
#if defined(Q_OS_UNIX)
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int descriptor = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor >= 0) {
        FileSync::flushToDisk(descriptor);
        ::close(descriptor);
    }
#else
    Q_UNUSED(path);
#endif
}

class LayerChainRun
{
public:
    LayerChainRun(const QString &keyText, const std::vector<LayerStep> &layers,
                  const ByteProgress &progress)
        : m_key(keyText)
        , m_layers(layers)
        , m_progress(progress)
        , m_state(layers.size())
    {
    }

    ~LayerChainRun()
    {
        for (Rc4 &cipher : m_ciphers)
            cipher.Burn();
    }

    FileWorkOutcome run()
    {
        if (m_layers.empty())
            return {true, -1, QString(), QString(), QString()};
        if (!open())
            return outcome();
        stream();
        int layer = -1;
        QString reason;
        if (!m_state.failed(layer, reason))
            commit();
        return outcome();
    }

private:
    bool open()
    {
        const size_t count = m_layers.size();
        m_ciphers = std::vector<Rc4>(count);
        m_input.setFileName(m_layers.front().input);
        if (QFileInfo(m_input.fileName()).isDir()) {
            m_state.fail(0, QStringLiteral("Is a folder"));
            return false;
        }
        if (!m_input.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
            m_state.fail(0, m_input.errorString());
            return false;
        }
        m_total = static_cast<quint64>(std::max<qint64>(0, m_input.size()));
        const QFileDevice::Permissions permissions = m_input.permissions();
#if defined(Q_OS_LINUX)
        ::posix_fadvise(m_input.handle(), 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
        for (size_t k = 0; k < count; ++k) {
            const int layer = static_cast<int>(k);
            try {
                if (m_layers[k].useSha1)
                    m_ciphers[k].InitStr(m_key, hashClass<Sha1>);
                else
                    m_ciphers[k].InitStr(m_key, hashClass<Sha256>);
            } catch (const CipherError &error) {
                m_state.fail(layer, QString::fromUtf8(error.what()));
                return false;
            }
            if (k + 1 < count) {
                auto intermediate = std::make_unique<QFile>(m_layers[k].output);
                const bool opened = intermediate->open(QIODevice::WriteOnly | QIODevice::Truncate |
                                                           QIODevice::Unbuffered,
                                                       permissions);
                if (!opened) {
                    m_state.fail(layer, intermediate->errorString());
                    return false;
                }
                intermediate->setPermissions(permissions);
                m_created.push_back(m_layers[k].output);
                m_outputs.push_back(std::move(intermediate));
            } else {
                m_final = std::make_unique<QSaveFile>(m_layers[k].output);
                if (!m_final->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
                    m_state.fail(layer, m_final->errorString());
                    return false;
                }
                m_final->setPermissions(permissions);
            }
        }
        return true;
    }

    QFileDevice &output(size_t layer) const
    {
        if (layer + 1 < m_layers.size())
            return *m_outputs[layer];
        return *m_final;
    }

    // Layer 0 runs here and reads the input; every later layer has a thread.
    void stream()
    {
        std::vector<Block> blocks(BlockCount);
        for (int k = 0; k < BlockCount; ++k)
            m_state.push(0, k);
        std::vector<std::thread> threads;
        for (size_t k = 1; k < m_layers.size(); ++k)
            threads.emplace_back([this, k, &blocks] { laterLayer(k, blocks); });

        const size_t last = m_layers.size() - 1;
        for (;;) {
            const std::optional<int> index = m_state.pop(0);
            if (!index)
                break;
            report();
            Block &block = blocks[static_cast<size_t>(*index)];
            block.size = fillBlock(m_input, block);
            if (block.size < 0) {
                m_state.fail(0, m_input.errorString());
                break;
            }
            if (block.size > 0) {
                applyLayer(m_ciphers[0], block);
                if (!writeBlockInTurn(output(0), block)) {
                    m_state.fail(0, output(0).errorString());
                    break;
                }
                if (last == 0)
                    m_writeback.written(output(0), block.size);
            }
            if (last == 0) {
                m_state.finished += static_cast<quint64>(block.size);
                m_state.push(0, *index);
            } else if (block.size > 0) {
                m_state.push(1, *index);
            }
            if (block.size < BlockSize) {
                if (last > 0)
                    m_state.push(1, EndOfData);
                break;
            }
        }
        for (std::thread &thread : threads)
            thread.join();
        report();
    }

    void laterLayer(size_t k, std::vector<Block> &blocks)
    {
        const bool last = k + 1 == m_layers.size();
        for (;;) {
            const std::optional<int> index = m_state.pop(k);
            if (!index)
                return;
            if (*index == EndOfData) {
                if (!last)
                    m_state.push(k + 1, EndOfData);
                return;
            }
            Block &block = blocks[static_cast<size_t>(*index)];
            applyLayer(m_ciphers[k], block);
            if (!writeBlockInTurn(output(k), block)) {
                m_state.fail(static_cast<int>(k), output(k).errorString());
                return;
            }
            if (last) {
                m_writeback.written(output(k), block.size);
                m_state.finished += static_cast<quint64>(block.size);
                m_state.push(0, *index);
            } else {
                m_state.push(k + 1, *index);
            }
        }
    }

    bool writeBlockInTurn(QFileDevice &file, const Block &block)
    {
        const std::lock_guard lock(m_state.writing);
        return writeBlock(file, block);
    }

    void report()
    {
        if (!m_progress)
            return;
        const quint64 done = m_state.finished.load();
        m_progress(done, std::max(done, m_total));
    }

    void commit()
    {
        const int last = static_cast<int>(m_layers.size()) - 1;
        for (const std::unique_ptr<QFile> &intermediate : m_outputs)
            intermediate->close();
        if (!FileSync::flushToDisk(*m_final)) {
            m_state.fail(last, m_final->errorString());
            return;
        }
        if (!m_final->commit()) {
            m_state.fail(last, m_final->errorString());
            return;
        }
        flushFolder(m_layers.back().output);
        m_committed = true;
    }

    FileWorkOutcome outcome()
    {
        FileWorkOutcome result;
        int layer = -1;
        QString reason;
        if (!m_state.failed(layer, reason) && m_committed) {
            result.ok = true;
            return result;
        }
        m_input.close();
        if (m_final)
            m_final->cancelWriting();
        m_final.reset();
        m_outputs.clear();
        for (const QString &path : m_created)
            QFile::remove(path);
        result.failedLayer = layer;
        result.failedInput = m_layers[static_cast<size_t>(std::max(layer, 0))].input;
        result.reason = reason;
        return result;
    }

    const QString m_key;
    const std::vector<LayerStep> &m_layers;
    const ByteProgress &m_progress;
    ChainState m_state;
    std::vector<Rc4> m_ciphers;
    QFile m_input;
    std::vector<std::unique_ptr<QFile>> m_outputs;
    std::unique_ptr<QSaveFile> m_final;
    std::vector<QString> m_created;
    EarlyWriteback m_writeback;
    quint64 m_total = 0;
    bool m_committed = false;
};

} // namespace

FileWorkOutcome runLayerChain(const QString &keyText, const std::vector<LayerStep> &layers,
                              const ByteProgress &progress)
{
    LayerChainRun run(keyText, layers, progress);
    return run.run();
}
