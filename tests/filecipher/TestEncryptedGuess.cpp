#include "ScriptedPrompter.h"
#include "TestFiles.h"
#include "filecipher/EncryptedGuess.h"
#include "filecipher/FileReadError.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray Scrambled("\xe4\xf6\xfc\xdf\xe9\xe8\xa7\xb0\xb5\xd7");
const QByteArray Plain("An ordinary line of text.");

QByteArray lines(const QList<QByteArray> &list)
{
    return list.join("\r\n");
}

} // namespace

class TestEncryptedGuess : public QObject
{
    Q_OBJECT

private slots:
    void stripText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stripped");
        QTest::newRow("CR LF pairs go, lone breaks stay") << "a\r\nb\rc\nd"
                                                          << "ab\rc\nd";
        QTest::newRow("one pass over CR CR LF LF") << "\r\r\n\n"
                                                   << "\r\n";
        QTest::newRow("tab removal joins kqo") << "k\tqo"
                                               << "";
        QTest::newRow("kqo removal is one pass") << "kkqoqo"
                                                 << "kqo";
        QTest::newRow("kqo in any case") << "xKqOyKQOz"
                                         << "xyz";
        QTest::newRow("space removal comes after kqo") << "kq o"
                                                       << "kqo";
        QTest::newRow("look-alike letters stay") << "\u212aqo"
                                                 << "\u212aqo";
    }

    void stripText()
    {
        QFETCH(QString, text);
        QFETCH(QString, stripped);
        QCOMPARE(EncryptedGuess::stripText(text), stripped);
    }

    void printableOnlyAndFirstCharCode()
    {
        QCOMPARE(EncryptedGuess::printableOnly(QStringLiteral(" a b\tc\u00e4!~\u007f\r\n")),
                 QStringLiteral("abc!~"));
        QCOMPARE(EncryptedGuess::firstCharCode(QString()), 0);
        QCOMPARE(EncryptedGuess::firstCharCode(QStringLiteral("A")), 65);
        QCOMPARE(EncryptedGuess::firstCharCode(QStringLiteral("\u00e4x")), 228);
    }

    void isEncryptedText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("encrypted");
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("blanks and tabs") << " \t  \t" << false;
        QTest::newRow("ASCII sentence") << "The quick brown fox jumps over the lazy dog." << false;
        QTest::newRow("10 chars, 3 outside") << "abcdefg\u00e4\u00f6\u00fc" << false;
        QTest::newRow("10 chars, 4 outside") << "abcdef\u00e4\u00f6\u00fc\u00df" << true;
        QTest::newRow("only above 126") << "\u00e4\u00f6\u00fc" << true;
        QTest::newRow("kqo between scrambled") << "\u00e4KqO\u00f6abc" << true;
        QTest::newRow("other letters there") << "\u00e4XyZ\u00f6abc" << false;
        QTest::newRow("lone CRs count") << "ab\r\r\rc" << true;
        QTest::newRow("CR LF pairs do not") << "ab\r\n\r\nc" << false;
    }

    void isEncryptedText()
    {
        QFETCH(QString, text);
        QFETCH(bool, encrypted);
        QCOMPARE(EncryptedGuess::isEncryptedText(text), encrypted);
    }

    void looksEncrypted_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content"); // a null array: no file
        QTest::addColumn<bool>("verdict");
        QTest::addColumn<bool>("unchecked");
        QTest::addColumn<bool>("warned");

        QList<QByteArray> twenty;
        for (int k = 0; k < 20; ++k)
            twenty.append(k < 7 ? Scrambled : Plain);
        QList<QByteArray> firstOfTwenty(20, Plain);
        firstOfTwenty[0] = Scrambled;

        QTest::newRow("missing") << "missing.txt" << QByteArray() << false << true << false;
        QTest::newRow("ends in ec, unread") << "notes.ec" << Plain << true << true << false;
        QTest::newRow(".enc is no text type") << "notes.enc" << Scrambled << false << true << false;
        QTest::newRow("other type, unread") << "data.bin" << Scrambled << false << true << false;
        QTest::newRow("empty text file")
            << "empty.txt" << QByteArray("") << false << false << false;
        QTest::newRow("plain text")
            << "plain.txt" << lines({Plain, Plain}) << false << false << false;
        QTest::newRow("upper-case type") << "LOUD.TXT" << Scrambled << true << false << false;
        QTest::newRow("seven of twenty scrambled")
            << "a.log" << lines(twenty) << true << false << false;
        QTest::newRow("first of twenty scrambled")
            << "b.log" << lines(firstOfTwenty) << true << false << true;
        QTest::newRow("1 of 3 scrambled")
            << "c.ini" << lines({Plain, Scrambled, Plain}) << true << false << true;
        QTest::newRow("2 of 3 scrambled")
            << "d.ini" << lines({Scrambled, Plain, Scrambled}) << true << false << false;
        QTest::newRow("1 of 2 scrambled")
            << "e.htm" << lines({Scrambled, Plain}) << true << false << false;
        // Trailing blank lines are trimmed away before the lines are counted.
        QTest::newRow("blank tail")
            << "f.txt" << lines({Scrambled, Plain, "", " ", "\t", "", "", "", "", ""}) << true
            << false << false;
        // Leading blank lines vanish the same way.
        QTest::newRow("blank head")
            << "g.txt" << lines({"", "", "", "", "", "", "", Scrambled, Plain, Plain}) << true
            << false << true;
        QTest::newRow("UTF-16 with its mark")
            << "h.txt" << QByteArray("\xff\xfe") + QByteArray("p\0l\0a\0i\0n\0", 10) << false
            << false << false;
        QTest::newRow("UTF-8 with its mark")
            << "i.txt" << QByteArray("\xef\xbb\xbf") + QString::fromUtf8("äöüß€").toUtf8() << true
            << false << false;
    }

    void looksEncrypted()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(bool, verdict);
        QFETCH(bool, unchecked);
        QFETCH(bool, warned);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        if (!content.isNull())
            QVERIFY(TestFiles::write(path, content));
        ScriptedPrompter prompter;
        const EncryptedGuess::Verdict judged =
            EncryptedGuess::judgeFile(path, prompter, Language::English);
        QCOMPARE(judged.encrypted, verdict);
        QCOMPARE(!judged.fromContent, unchecked);
        QCOMPARE(prompter.messages.size(), warned ? 1 : 0);
        if (warned) {
            QCOMPARE(prompter.messages.first(),
                     Message::dialog(MessageIcon::Warning,
                                     "File(s) possibly already encrypted. Continue anyway?"));
        }
    }

    void warningFollowsTheLanguage()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("c.txt");
        QVERIFY(TestFiles::write(path, lines({Plain, Scrambled, Plain})));
        ScriptedPrompter prompter;
        QVERIFY(EncryptedGuess::judgeFile(path, prompter, Language::German).encrypted);
        QCOMPARE(prompter.texts(),
                 QStringList{"Daten möglicherweise bereits verschlüsselt. Trotzdem fortfahren?"});
        QCOMPARE(prompter.messages.first().caption, QStringLiteral("Warnung"));
    }

    // Only the lines that count are read: a large file with its seventh line
    // early gives the same verdict as the whole file would.
    void largeFileIsJudgedByItsFirstLines()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("big.log");
        QList<QByteArray> head(7, Scrambled);
        head[3] = Plain;
        QByteArray content = lines(head) + "\r\n";
        content += QByteArray(200000, '\n') + Plain.repeated(40000);
        QVERIFY(TestFiles::write(path, content));
        ScriptedPrompter prompter;
        QVERIFY(EncryptedGuess::judgeFile(path, prompter, Language::English).encrypted);
        QVERIFY(prompter.messages.isEmpty()); // 6 hits, last 6: no warning
    }

    // A file that exists but cannot be read: the process's own memory file
    // fails every read from offset 0, for any user.
    void unreadableFileRaises()
    {
        if (!QFile::exists(QStringLiteral("/proc/self/mem")))
            QSKIP("needs /proc/self/mem");
        QTemporaryDir dir;
        const QString path = dir.filePath("memory.txt");
        QVERIFY(QFile::link(QStringLiteral("/proc/self/mem"), path));
        ScriptedPrompter prompter;
        QVERIFY_THROWS_EXCEPTION(FileReadError,
                                 EncryptedGuess::judgeFile(path, prompter, Language::English));
    }
};

QTEST_GUILESS_MAIN(TestEncryptedGuess)
#include "TestEncryptedGuess.moc"
