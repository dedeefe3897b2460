#include "age/AgeScryptWorker.h"

#include <QByteArray>

#include <openssl/crypto.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

namespace age {

namespace {

constexpr std::chrono::milliseconds askEvery{5};

// What one derivation works on, shared by its caller and its worker: the
// one that lets go last frees it, wiped. The caller's passphrase and salt
// are copied in, as the caller may be gone before the worker is done.
struct Derivation
{
    Derivation(QByteArrayView passphraseIn, QByteArrayView saltIn, int logNIn)
        : passphrase(passphraseIn.toByteArray())
        , salt(saltIn.toByteArray())
        , logN(logNIn)
    {
    }
    ~Derivation()
    {
        wipe(passphrase);
        wipe(salt);
    }
    Derivation(const Derivation &) = delete;
    Derivation &operator=(const Derivation &) = delete;

    QByteArray passphrase;
    QByteArray salt;
    const int logN;
    Key key;

    std::mutex mutex;
    std::condition_variable finished;
    // Under mutex:
    bool done = false;
    bool derived = false;
    bool abandoned = false; // the caller has returned without the key
};

// The workers of the process: how many run, and how many of those no caller
// waits for any more.
class Workers
{
public:
    // Never destroyed: a worker may still end after the static objects are
    // gone.
    static Workers &all()
    {
        static Workers *const workers = new Workers;
        return *workers;
    }

    void started()
    {
        const std::lock_guard lock(m_mutex);
        ++m_running;
    }

    void abandoned()
    {
        const std::lock_guard lock(m_mutex);
        ++m_abandoned;
    }

    void ended(bool wasAbandoned)
    {
        {
            const std::lock_guard lock(m_mutex);
            --m_running;
            if (wasAbandoned)
                --m_abandoned;
        }
        m_changed.notify_all();
    }

    // False when stop said yes first.
    bool waitUntilNoneAbandoned(const std::function<bool()> &stop)
    {
        std::unique_lock lock(m_mutex);
        while (!m_changed.wait_for(lock, askEvery, [this] { return m_abandoned == 0; })) {
            lock.unlock();
            if (stop())
                return false;
            lock.lock();
        }
        return true;
    }

    void waitUntilNoneRuns()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_running == 0; });
    }

private:
    Workers()
    {
        // OpenSSL tears itself down in an exit handler of its own; set up
        // first, it runs after the one here, once every worker is done. (No
        // options at all would set up nothing; these are ones that every
        // program may load.)
        OPENSSL_init_crypto(OPENSSL_INIT_LOAD_CRYPTO_STRINGS, nullptr);
        std::atexit([] { all().waitUntilNoneRuns(); });
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_running = 0;
    int m_abandoned = 0;
};

void work(std::shared_ptr<Derivation> derivation)
{
    const bool derived =
        scrypt(derivation->passphrase, derivation->salt, derivation->logN, derivation->key.span());
    // OpenSSL's state for this thread goes now, not when the thread ends: the
    // program's exit waits only until `ended` below, and a detached thread
    // may still be unwinding then.
    OPENSSL_thread_stop();
    bool abandoned = false;
    {
        const std::lock_guard lock(derivation->mutex);
        derivation->done = true;
        derivation->derived = derived;
        abandoned = derivation->abandoned;
    }
    derivation->finished.notify_all();
    // Wiped and freed here when the caller has already gone.
    derivation.reset();
    Workers::all().ended(abandoned);
}

} // namespace

KdfOutcome scryptCancellable(QByteArrayView passphrase, QByteArrayView salt, int logN,
                             std::span<unsigned char, keySize> out,
                             const std::function<bool()> &stop)
{
    wipe(out);
    const std::function<bool()> stopNow = [&stop] { return stop && stop(); };
    if (stopNow())
        return KdfOutcome::Cancelled;
    Workers &workers = Workers::all();
    if (!workers.waitUntilNoneAbandoned(stopNow))
        return KdfOutcome::Cancelled;

    std::shared_ptr<Derivation> derivation;
    try {
        derivation = std::make_shared<Derivation>(passphrase, salt, logN);
    } catch (const std::exception &) {
        return KdfOutcome::Failed;
    }
    workers.started();
    try {
        std::thread(work, derivation).detach();
    } catch (const std::exception &) {
        workers.ended(false);
        return KdfOutcome::Failed;
    }

    std::unique_lock lock(derivation->mutex);
    while (!derivation->finished.wait_for(lock, askEvery, [&] { return derivation->done; })) {
        lock.unlock();
        const bool stopping = stopNow();
        lock.lock();
        if (stopping) {
            if (!derivation->done) {
                derivation->abandoned = true;
                workers.abandoned();
            }
            return KdfOutcome::Cancelled;
        }
    }
    if (!derivation->derived)
        return KdfOutcome::Failed;
    std::copy(derivation->key.span().begin(), derivation->key.span().end(), out.begin());
    return KdfOutcome::Done;
}

void waitForScryptWorkers()
{
    Workers::all().waitUntilNoneRuns();
}

} // namespace age
