#pragma once

#include <QString>

#include <functional>

class Prompter;

// What the encrypt and decrypt runs need from the window that holds the file
// list. The encrypt window implements it; the command-line companion and the
// tests have their own.
class EncryptRunHost
{
public:
    // ShowProgress colour styles.
    static constexpr int DecryptStyle = 1;
    static constexpr int EncryptStyle = 3;

    virtual ~EncryptRunHost() = default;

    virtual QString keyText() const = 0;    // CurrentKey
    virtual QString folderText() const = 0; // Edit4, ends with a path delimiter
    virtual int entryCount() const = 0;     // ListBox1
    virtual QString entry(int index) const = 0;
    virtual void setEntry(int index, const QString &name) = 0;
    virtual bool encodedChecked() const = 0; // CheckBoxEncoded
    virtual void setEncodedChecked(bool checked) = 0;
    virtual void setResultText(const QString &text) = 0; // Label3
    virtual void ShowProgress(int percent, int style) = 0;
    virtual Prompter &prompter() = 0;
    virtual int language() const = 0; // 0 German, else English

    // The pause after each file that lets the progress be seen.
    virtual void pause(int milliseconds);

    // Runs the heavy work of one file: reading, ciphering and writing, which
    // touches neither the host nor the prompter. The default runs it here; a
    // window runs it on a worker thread and keeps handling events until it
    // is done. Messages about the outcome follow afterwards on this thread.
    virtual void runFileWork(const std::function<void()> &work) { work(); }

    // Bytes of the current file done so far, called from the thread that runs
    // the work, so that a bar can move within a large file.
    virtual void fileWorkProgress(quint64 done, quint64 total)
    {
        Q_UNUSED(done);
        Q_UNUSED(total);
    }
};
