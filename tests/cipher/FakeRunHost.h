#pragma once

#include "ScriptedPrompter.h"
#include "cipher/EncryptRunHost.h"

#include <QCoreApplication>
#include <QStringList>
#include <QThread>

#include <thread>

// A window stand-in for the runs: list, folder, check box, label and
// progress as plain values; every message recorded and answered from a
// script. The file work runs on a thread of its own, as in the window, and
// any message asked away from the main thread is counted.
class FakeRunHost : public EncryptRunHost
{
public:
    class Prompts : public ScriptedPrompter
    {
    public:
        MessageAnswer ask(const Message &message) override
        {
            if (QThread::currentThread() != QCoreApplication::instance()->thread())
                ++offMainThread;
            return ScriptedPrompter::ask(message);
        }
        int offMainThread = 0;
    };

    QString key = QStringLiteral("key text");
    QString folder;
    QStringList entries;
    bool encoded = false;
    QString label = QStringLiteral("unchanged");
    QList<int> progress;
    QList<int> styles;
    Prompts prompts;
    int lang = 1;
    int workCalls = 0;
    quint64 lastDone = 0;
    quint64 lastTotal = 0;

    QString keyText() const override { return key; }
    QString folderText() const override { return folder; }
    int entryCount() const override { return static_cast<int>(entries.size()); }
    QString entry(int index) const override { return entries.value(index); }
    void setEntry(int index, const QString &name) override { entries[index] = name; }
    bool encodedChecked() const override { return encoded; }
    void setEncodedChecked(bool checked) override { encoded = checked; }
    void setResultText(const QString &text) override { label = text; }
    void ShowProgress(int percent, int style) override
    {
        progress.append(percent);
        styles.append(style);
    }
    Prompter &prompter() override { return prompts; }
    int language() const override { return lang; }
    void pause(int) override {}

    void runFileWork(const std::function<void()> &work) override
    {
        ++workCalls;
        std::thread worker(work);
        worker.join();
    }

    void fileWorkProgress(quint64 done, quint64 total) override
    {
        lastDone = done;
        lastTotal = total;
    }
};
