#include "jobs/RunController.h"

#include "ScriptedPrompter.h"

#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace {

// A job as the windows run them, with the steps a test needs: reports for
// its files, a question, and waiting until it is cancelled.
class FakeJob
{
public:
    struct Plan
    {
        int files = 1;
        int byteReports = 1; // per file
        bool askFirst = false;
        bool waitForCancel = false;
        bool askAfterCancel = false;
        bool throwAtEnd = false;
    };

    FakeJob(Plan plan, Prompter &prompter, FileJobObserver &observer)
        : m_plan(plan)
        , m_prompter(prompter)
        , m_observer(observer)
    {
    }

    QList<MessageAnswer> run()
    {
        QList<MessageAnswer> answers;
        for (int file = 0; file < m_plan.files; ++file) {
            m_observer.fileStarted(file, QStringLiteral("file%1").arg(file));
            for (int k = 1; k <= m_plan.byteReports; ++k) {
                m_observer.bytesDone(quint64(k), quint64(m_plan.byteReports));
                m_observer.runBytesDone(quint64(file) * quint64(m_plan.byteReports) + quint64(k),
                                        quint64(m_plan.files) * quint64(m_plan.byteReports));
            }
            if (m_plan.askFirst && file == 0)
                answers.append(ask());
            FileReport report;
            report.index = file;
            report.outcome = FileOutcome::Done;
            m_observer.fileDone(report);
        }
        while (m_plan.waitForCancel && !m_cancelled)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (m_plan.askAfterCancel)
            answers.append(ask());
        if (m_plan.throwAtEnd)
            throw std::runtime_error("the job failed");
        return answers;
    }

    void cancel() { m_cancelled = true; }

private:
    MessageAnswer ask()
    {
        return m_prompter.ask(Message::box(QStringLiteral("Velmora2"), QStringLiteral("Go on?"),
                                           MessageIcon::Question, MessageButtons::YesNo));
    }

    Plan m_plan;
    Prompter &m_prompter;
    FileJobObserver &m_observer;
    std::atomic<bool> m_cancelled{false};
};

// Records what reaches the window's side, and on which thread.
struct Window
{
    ScriptedPrompter prompter;
    QList<int> started;
    QList<std::tuple<int, quint64, quint64>> bytes;
    QList<std::pair<quint64, quint64>> runBytes;
    QList<int> done;
    bool allOnOwnThread = true;

    RunController::Handlers handlers()
    {
        const auto mark = [this] {
            allOnOwnThread = allOnOwnThread && QThread::currentThread() == qApp->thread();
        };
        return {[this, mark](int index) {
                    mark();
                    started.append(index);
                },
                [this, mark](int index, quint64 doneBytes, quint64 total) {
                    mark();
                    bytes.append({index, doneBytes, total});
                },
                [this, mark](const FileReport &report) {
                    mark();
                    done.append(report.index);
                },
                [this, mark](quint64 doneBytes, quint64 total) {
                    mark();
                    runBytes.append({doneBytes, total});
                }};
    }
};

bool startJob(RunController &runs, FakeJob::Plan plan, QList<MessageAnswer> &answers)
{
    return runs.start(
        [plan](Prompter &prompter, FileJobObserver &observer) {
            return std::make_unique<FakeJob>(plan, prompter, observer);
        },
        [&answers](FakeJob &job) { answers = job.run(); });
}

} // namespace

class TestRunController : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The window's thread is busy while the job reports a thousand byte
    // counts and then asks: one count reaches the window, the latest, and
    // the question is asked there while the job waits for the answer.
    void reportsAndQuestionsReachTheWindowsThread()
    {
        Window window;
        window.prompter.queueAnswers({MessageAnswer::No});
        RunController runs(window.prompter, window.handlers());
        QSignalSpy finished(&runs, &RunController::finished);
        QList<MessageAnswer> answers;
        QVERIFY(startJob(runs, {2, 1000, true, false, false, false}, answers));
        QVERIFY(runs.isRunning());
        QVERIFY(!startJob(runs, {}, answers)); // one run at a time
        std::this_thread::sleep_for(std::chrono::milliseconds(200));

        QVERIFY(finished.wait(5000));
        QVERIFY(!runs.isRunning());
        QVERIFY(window.allOnOwnThread);
        QCOMPARE(window.started, (QList<int>{0, 1}));
        QCOMPARE(window.done, (QList<int>{0, 1}));
        QCOMPARE(window.bytes.first(), std::make_tuple(0, quint64(1000), quint64(1000)));
        QVERIFY(window.bytes.size() < 2 * 1000);
        for (const auto &[index, doneBytes, total] : std::as_const(window.bytes)) {
            QVERIFY(index == 0 || index == 1);
            QVERIFY(doneBytes <= total);
        }
        // The bytes of the whole run likewise: the latest first, never
        // backwards, the last one at the end.
        QCOMPARE(window.runBytes.first(), std::make_pair(quint64(1000), quint64(2000)));
        QCOMPARE(window.runBytes.last(), std::make_pair(quint64(2000), quint64(2000)));
        QVERIFY(window.runBytes.size() < 2 * 1000);
        QVERIFY(std::is_sorted(window.runBytes.begin(), window.runBytes.end()));
        QCOMPARE(window.prompter.texts(), QStringList{"Go on?"});
        QCOMPARE(answers, QList<MessageAnswer>{MessageAnswer::No});
    }

    // Stopping for the end of the program: nothing to do when no run goes
    // on; else the job is cancelled, a later question is answered No without
    // reaching the window, and stopped() follows finished().
    void stopForQuit()
    {
        Window window;
        RunController runs(window.prompter, window.handlers());
        QVERIFY(!runs.stopForQuit());
        QSignalSpy finished(&runs, &RunController::finished);
        QSignalSpy stopped(&runs, &RunController::stopped);
        QList<MessageAnswer> answers;
        QVERIFY(startJob(runs, {1, 1, false, true, true, false}, answers));
        QVERIFY(!runs.stopRequested());
        QVERIFY(runs.stopForQuit());
        QVERIFY(runs.stopRequested());
        bool stopSeenWhenFinished = false;
        connect(&runs, &RunController::finished, this,
                [&] { stopSeenWhenFinished = runs.stopRequested() && !runs.isRunning(); });
        QVERIFY(stopped.wait(5000));
        QCOMPARE(finished.size(), 1);
        QVERIFY(stopSeenWhenFinished);
        QCOMPARE(answers, QList<MessageAnswer>{MessageAnswer::No});
        QVERIFY(window.prompter.messages.isEmpty());
    }

    // A cancel stops the job and still lets its questions through; no
    // stopped() follows, that is for quitting only.
    void cancelKeepsAsking()
    {
        Window window;
        window.prompter.queueAnswers({MessageAnswer::Yes});
        RunController runs(window.prompter, window.handlers());
        QSignalSpy finished(&runs, &RunController::finished);
        QSignalSpy stopped(&runs, &RunController::stopped);
        QList<MessageAnswer> answers;
        QVERIFY(startJob(runs, {1, 1, false, true, true, false}, answers));
        runs.cancel();
        QVERIFY(finished.wait(5000));
        QCOMPARE(answers, QList<MessageAnswer>{MessageAnswer::Yes});
        QCOMPARE(window.prompter.texts(), QStringList{"Go on?"});
        QCOMPARE(stopped.size(), 0);
    }

    // A controller that goes while its run is on stops the job and waits
    // for it; the question the job asks meanwhile is answered No.
    void goingWhileRunningWaitsForTheJob()
    {
        Window window;
        QList<MessageAnswer> answers;
        {
            RunController runs(window.prompter, window.handlers());
            QVERIFY(startJob(runs, {1, 1, false, true, true, false}, answers));
        }
        QCOMPARE(answers, QList<MessageAnswer>{MessageAnswer::No});
        QVERIFY(window.prompter.messages.isEmpty());
    }

    void whatTheJobThrowsIsKept()
    {
        Window window;
        RunController runs(window.prompter, window.handlers());
        std::exception_ptr failure;
        connect(&runs, &RunController::finished, this,
                [&runs, &failure] { failure = runs.takeFailure(); });
        QSignalSpy finished(&runs, &RunController::finished);
        QList<MessageAnswer> answers;
        QVERIFY(startJob(runs, {1, 1, false, false, false, true}, answers));
        QVERIFY(finished.wait(5000));
        QVERIFY(failure);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, std::rethrow_exception(failure));
    }
};

QTEST_GUILESS_MAIN(TestRunController)
#include "TestRunController.moc"
