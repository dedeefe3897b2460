// How quickly the encrypt window answers while it encrypts one large file.
//
// A probe thread posts an event to the window's thread every 10 ms, stamped
// with the time of posting; the window's thread notes how long each event
// waited before it was handled. The same encryption runs twice in the same
// process, side by side:
//   window  the window as shipped: its run is a job on a background task and
//           the window's thread only receives the job's reports;
//   inline  the same job run on the window's own thread, which then handles
//           no events until the file is done.
// Prints the worst and the 99th-percentile wait of each and their ratio.
//
// Usage: bench_responsiveness [SIZE_MIB] [WORK_DIR]   (default 512, a temp dir)
// Environment: ROUNDS (default 2), each round runs both modes, alternating
// which comes first.

#include "jobs/EncryptJob.h"
#include "widgets/FileDialog.h"
#include "widgets/FlatButton.h"
#include "widgets/MessageBox.h"
#include "windows/EncryptWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <vector>

namespace {

const QEvent::Type ProbeType = static_cast<QEvent::Type>(QEvent::registerEventType());

QElapsedTimer &monotonic()
{
    static QElapsedTimer timer;
    return timer;
}

class ProbeEvent : public QEvent
{
public:
    explicit ProbeEvent(qint64 postedAt)
        : QEvent(ProbeType)
        , postedAt(postedAt)
    {
    }
    qint64 postedAt;
};

// Lives on the window's thread and notes how long each probe waited.
class ProbeReceiver : public QObject
{
public:
    std::vector<qint64> waits; // nanoseconds
    qint64 worstAt = 0;        // when the longest wait ended

    bool event(QEvent *event) override
    {
        if (event->type() != ProbeType)
            return QObject::event(event);
        const qint64 now = monotonic().nsecsElapsed();
        const qint64 wait = now - static_cast<ProbeEvent *>(event)->postedAt;
        if (waits.empty() || wait > *std::max_element(waits.begin(), waits.end()))
            worstAt = now;
        waits.push_back(wait);
        return true;
    }
};

class ProbeThread : public QThread
{
public:
    explicit ProbeThread(ProbeReceiver *receiver)
        : m_receiver(receiver)
    {
    }
    std::atomic<bool> stop{false};

protected:
    void run() override
    {
        while (!stop) {
            QCoreApplication::postEvent(m_receiver, new ProbeEvent(monotonic().nsecsElapsed()));
            QThread::msleep(10);
        }
    }

private:
    ProbeReceiver *m_receiver;
};

bool writeLargeFile(const QString &path, int mebibytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray block(1 << 20, Qt::Uninitialized);
    QRandomGenerator generator(42);
    generator.fillRange(reinterpret_cast<quint32 *>(block.data()), block.size() / 4);
    for (int k = 0; k < mebibytes; ++k) {
        block[0] = static_cast<char>(k);
        if (file.write(block) != block.size())
            return false;
    }
    if (!file.flush())
        return false;
    file.close();
    // Each clock starts with nothing left to write back from earlier work.
    ::sync();
    return true;
}

struct Measure
{
    double worstMs = 0;
    double p99Ms = 0;
    double medianMs = 0;
    double runSeconds = 0;
    double worstAtSeconds = 0; // from the start of the run
    size_t probes = 0;
    bool encrypted = false;
};

// Answers every question with Yes, as the user going on would.
class GoingOnPrompter : public Prompter
{
public:
    MessageAnswer ask(const Message &message) override
    {
        return message.buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
    }
};

const QString BenchKey = QStringLiteral("Abcdefghijklm%!+oKarnwyb");

// The window's run: a click on its encrypt button, then its events until
// the run has ended.
void runInWindow(EncryptWindow &tool)
{
    QEventLoop untilFinished;
    QObject::connect(&tool, &EncryptWindow::runFinished, &untilFinished, &QEventLoop::quit);
    tool.findChild<FlatButton *>(QStringLiteral("ToolButton1"))->click();
    if (tool.runActive())
        untilFinished.exec();
}

// The same job on the window's thread.
void runInline(const QString &path)
{
    FileJobObserver observer;
    GoingOnPrompter prompter;
    EncryptJob job(BenchKey, {path}, EncryptJobOptions{}, observer, prompter);
    job.run();
}

Measure measure(const QString &folder, const QString &name, bool inWindow)
{
    EncryptWindow tool;
    tool.openWith(EncryptSession{BenchKey, Language::English, QByteArray()});
    QCoreApplication::processEvents();
    FileDialog::setNextResult({QDir(folder).filePath(name)});
    tool.findChild<FlatButton *>(QStringLiteral("SpeedButton1"))->click();

    ProbeReceiver receiver;
    ProbeThread probe(&receiver);
    QElapsedTimer run;
    probe.start();
    QThread::msleep(50);
    QCoreApplication::processEvents();
    receiver.waits.clear();
    const qint64 started = monotonic().nsecsElapsed();
    run.start();
    if (inWindow)
        runInWindow(tool);
    else
        runInline(QDir(folder).filePath(name));
    Measure result;
    result.runSeconds = run.nsecsElapsed() / 1e9;
    probe.stop = true;
    probe.wait();
    QCoreApplication::processEvents();
    tool.hide();

    std::vector<qint64> waits = receiver.waits;
    std::sort(waits.begin(), waits.end());
    result.probes = waits.size();
    result.worstAtSeconds = (receiver.worstAt - started) / 1e9;
    if (!waits.empty()) {
        result.worstMs = waits.back() / 1e6;
        result.p99Ms = waits[std::min(waits.size() - 1, waits.size() * 99 / 100)] / 1e6;
        result.medianMs = waits[waits.size() / 2] / 1e6;
    }
    result.encrypted = QFile::exists(QDir(folder).filePath(name + QStringLiteral(".enc"))) &&
                       !QFile::exists(QDir(folder).filePath(name));
    return result;
}

void print(const char *label, const Measure &m)
{
    std::printf("%-8s run %7.2f s  probes %6zu  median %8.2f ms  p99 %8.2f ms  worst %8.2f ms"
                " (ended at %.2f s)  %s\n",
                label, m.runSeconds, m.probes, m.medianMs, m.p99Ms, m.worstMs, m.worstAtSeconds,
                m.encrypted ? "encrypted" : "NOT ENCRYPTED");
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    monotonic().start();
    MessageBox::setAutoAnswer(true);
    const int mebibytes = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 512;

    std::unique_ptr<QTemporaryDir> own;
    QString folder;
    if (argc > 2) {
        own = std::make_unique<QTemporaryDir>(
            QDir(QString::fromLocal8Bit(argv[2]))
                .filePath(QStringLiteral("bench-responsiveness-XXXXXX")));
    } else {
        own = std::make_unique<QTemporaryDir>();
    }
    if (!own->isValid()) {
        std::fprintf(stderr, "bench_responsiveness: cannot create a work folder\n");
        return 2;
    }
    folder = own->path();
    const QString name = QStringLiteral("large.bin");
    const QString path = QDir(folder).filePath(name);

    std::printf("Encrypting one file of %d MiB in the encrypt window; probe every 10 ms\n",
                mebibytes);
    std::fflush(stdout);
    // Rounds alternate the order, so that neither mode always comes first.
    const int rounds = std::max(
        1, qEnvironmentVariableIntValue("ROUNDS") > 0 ? qEnvironmentVariableIntValue("ROUNDS") : 2);
    std::vector<Measure> windowRuns;
    std::vector<Measure> inlines;
    for (int round = 0; round < rounds; ++round) {
        for (int k = 0; k < 2; ++k) {
            const bool inWindow = (k == 0) == (round % 2 == 0);
            QFile::remove(QDir(folder).filePath(name + QStringLiteral(".enc")));
            if (!writeLargeFile(path, mebibytes))
                return 2;
            const Measure m = measure(folder, name, inWindow);
            print(inWindow ? "window" : "inline", m);
            std::fflush(stdout);
            (inWindow ? windowRuns : inlines).push_back(m);
        }
    }
    const auto worstOf = [](const std::vector<Measure> &all) {
        double worst = 0;
        for (const Measure &m : all)
            worst = std::max(worst, m.worstMs);
        return worst;
    };
    const auto medianRun = [](std::vector<Measure> all) {
        std::sort(all.begin(), all.end(),
                  [](const Measure &a, const Measure &b) { return a.runSeconds < b.runSeconds; });
        return all[all.size() / 2].runSeconds;
    };
    const double windowWorst = worstOf(windowRuns);
    const double inlineWorst = worstOf(inlines);
    std::printf(
        "worst wait over %d round(s): window %.2f ms, inline %.2f ms, inline/window %.1fx\n",
        rounds, windowWorst, inlineWorst, windowWorst > 0 ? inlineWorst / windowWorst : 0);
    std::printf("median run time: window %.2f s, inline %.2f s, window/inline %.2fx\n",
                medianRun(windowRuns), medianRun(inlines),
                medianRun(windowRuns) / medianRun(inlines));
    bool ok = windowWorst < 100.0;
    for (const Measure &m : windowRuns)
        ok = ok && m.encrypted;
    for (const Measure &m : inlines)
        ok = ok && m.encrypted;
    std::printf("target worst wait < 100 ms in the window: %s\n", ok ? "met" : "NOT MET");
    return ok ? 0 : 1;
}
