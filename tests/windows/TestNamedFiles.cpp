#include "WidgetPart.h"
#include "WindowParts.h"
#include "widgets/MessageBox.h"
#include "windows/EncryptWindow.h"
#include "windows/SecureDeleteWindow.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(Language)

namespace {

QStringList entries(const QListWidget *list)
{
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names << list->item(i)->text();
    return names;
}

} // namespace

// Files and folders named on the command line, by a later start or in a
// drop, as the encrypt and the secure delete window list them: the list's
// folder, bare names for what lies in it, whole paths for the rest, folders
// with a trailing delimiter; what does not exist is refused with a warning
// that names each path and why.
class TestNamedFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void bothWindowsListWhatTheyCan_data();
    void bothWindowsListWhatTheyCan();
    void aLaterListReplacesTheEarlier();

private:
    QString path(const QString &name) const { return m_dir->path() + QLatin1Char('/') + name; }
    void makeFile(const QString &name)
    {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("plain text\n");
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestNamedFiles::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("sub/deeper")));
    makeFile(QStringLiteral("a.txt"));
    makeFile(QStringLiteral("b.TXT.ENC"));
    makeFile(QStringLiteral("sub/c.txt"));
    // hop/.. is sub, not the folder that holds hop.
    QVERIFY(QFile::link(path(QStringLiteral("sub/deeper")), path(QStringLiteral("hop"))));
    MessageBox::clearHistory();
    MessageBox::setAutoAnswer(true);
}

void TestNamedFiles::cleanup()
{
    MessageBox::setAutoAnswer(false);
    MessageBox::clearHistory();
    m_dir.reset();
}

void TestNamedFiles::bothWindowsListWhatTheyCan_data()
{
    QTest::addColumn<Language>("language");
    QTest::addColumn<QStringList>("named");  // relative to the fixture folder
    QTest::addColumn<QString>("folder");     // of the list, relative; "-" for none
    QTest::addColumn<QStringList>("listed"); // <base> is the fixture folder as the system finds it
    QTest::addColumn<bool>("encryptedBox");
    QTest::addColumn<QString>("warning"); // <dir> is the fixture folder

    const Language en = Language::English;
    QTest::newRow("files of one folder, in the order named")
        << en << QStringList{"a.txt", "b.TXT.ENC"} << "" << QStringList{"a.txt", "b.TXT.ENC"}
        << true << "";
    QTest::newRow("the last name decides the box")
        << en << QStringList{"b.TXT.ENC", "a.txt"} << "" << QStringList{"b.TXT.ENC", "a.txt"}
        << false << "";
    QTest::newRow("named twice, listed once")
        << en << QStringList{"a.txt", "./a.txt", "sub/../a.txt", "sub", "sub/", "./sub"} << ""
        << QStringList{"a.txt", "sub/"} << false << "";
    QTest::newRow("a missing file is refused, the others listed")
        << en << QStringList{"gone.txt", "a.txt"} << "" << QStringList{"a.txt"} << false
        << "Not added to the list:\n<dir>/gone.txt does not exist";
    QTest::newRow("a folder first: the folder it lies in is the list's")
        << en << QStringList{"sub/deeper", "sub/c.txt"} << "sub" << QStringList{"deeper/", "c.txt"}
        << false << "";
    QTest::newRow("files of other folders by their whole path")
        << en << QStringList{"a.txt", "sub/c.txt", "sub/deeper", "b.TXT.ENC"} << ""
        << QStringList{"a.txt", "<base>/sub/c.txt", "<base>/sub/deeper/", "b.TXT.ENC"} << true
        << "";
    QTest::newRow("the folder as the system finds it, through a link")
        << en << QStringList{"hop/../c.txt"} << "sub" << QStringList{"c.txt"} << false << "";
    QTest::newRow("a link to a folder is listed as the link")
        << en << QStringList{"hop"} << "" << QStringList{"hop"} << false << "";
    QTest::newRow("German") << Language::German << QStringList{"sub/c.txt", "gone", "sub", "a.txt"}
                            << "sub" << QStringList{"c.txt", "<base>/sub/", "<base>/a.txt"} << false
                            << "Nicht in die Liste aufgenommen:\n<dir>/gone existiert nicht";
}

void TestNamedFiles::bothWindowsListWhatTheyCan()
{
    QFETCH(Language, language);
    QFETCH(QStringList, named);
    QFETCH(QString, folder);
    QFETCH(QStringList, listed);
    QFETCH(bool, encryptedBox);
    QFETCH(QString, warning);
    QStringList paths;
    for (const QString &name : named)
        paths << path(name);
    const QString base = QFileInfo(m_dir->path()).canonicalFilePath();
    const QString expectedFolder = folder == QLatin1String("-")
                                       ? QString()
                                       : QDir::cleanPath(base + QLatin1Char('/') + folder) + '/';
    listed.replaceInStrings(QStringLiteral("<base>"), base);
    warning.replace(QStringLiteral("<dir>"), m_dir->path());
    const QStringList warnings = warning.isEmpty() ? QStringList() : QStringList{warning};

    EncryptWindow encrypt;
    encrypt.openWith(EncryptSession{QStringLiteral("key"), language, QByteArray("k"), QString()});
    encrypt.listFiles(paths);
    QCOMPARE(entries(part<QListWidget>(&encrypt, EncryptParts::FileList)), listed);
    QCOMPARE(part<QLineEdit>(&encrypt, EncryptParts::FolderField)->text(), expectedFolder);
    QCOMPARE(part<QCheckBox>(&encrypt, EncryptParts::EncryptedBox)->isChecked(), encryptedBox);
    QCOMPARE(MessageBox::shownTexts(), warnings);
    if (!warnings.isEmpty())
        QCOMPARE(MessageBox::shownMessages().first().caption, QStringLiteral("Warnung"));
    MessageBox::clearHistory();

    SecureDeleteWindow shred;
    shred.open(SecureDeleteSession{language, {}});
    shred.listFiles(paths);
    QCOMPARE(entries(part<QListWidget>(&shred, SecureDeleteParts::FileList)), listed);
    QCOMPARE(part<QLineEdit>(&shred, SecureDeleteParts::FolderField)->text(), expectedFolder);
    QVERIFY(part<QLabel>(&shred, SecureDeleteParts::SelectionCount)
                ->text()
                .startsWith(QString::number(listed.size()) + QLatin1Char(' ')));
    QCOMPARE(shred.lastFolder(), expectedFolder);
    QCOMPARE(MessageBox::shownTexts(), warnings);
    shred.close();
}

void TestNamedFiles::aLaterListReplacesTheEarlier()
{
    EncryptWindow encrypt;
    encrypt.openWith(EncryptSession{QStringLiteral("key"), Language::English, QByteArray("k"), {}});
    encrypt.listFiles({path(QStringLiteral("sub/c.txt"))});
    encrypt.listFiles({path(QStringLiteral("a.txt"))});
    QCOMPARE(entries(part<QListWidget>(&encrypt, EncryptParts::FileList)), QStringList{"a.txt"});

    SecureDeleteWindow shred;
    shred.open(SecureDeleteSession{Language::English, {}});
    shred.listFiles({path(QStringLiteral("sub/c.txt"))});
    shred.listFiles({path(QStringLiteral("a.txt"))});
    QCOMPARE(entries(part<QListWidget>(&shred, SecureDeleteParts::FileList)), QStringList{"a.txt"});
    shred.close();
}

QTEST_MAIN(TestNamedFiles)
#include "TestNamedFiles.moc"
