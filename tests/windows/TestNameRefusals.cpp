#include "RawNames.h"
#include "WidgetPart.h"
#include "WindowParts.h"
#include "keys/ApplicationTextKey.h"
#include "keys/KeyFile.h"
#include "widgets/FileDialog.h"
#include "widgets/FlatButton.h"
#include "widgets/KeyLamp.h"
#include "widgets/MessageBox.h"
#include "windows/EncryptWindow.h"
#include "windows/SecureDeleteWindow.h"

#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(Language)

namespace {

const QString OwnKey = QStringLiteral("Abcdefghijklm%!+oKarnwyb");

QStringList entries(const QWidget *window, const char *listName)
{
    QStringList texts;
    const auto *list = part<QListWidget>(window, listName);
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
}

} // namespace

// The windows get names from file dialogs (text) and drops (URLs). A name
// whose bytes are not UTF-8 ("\xFF.txt") reaches a dialog's answer as text
// that names another file ("\xEF\xBF\xBD.txt", its twin here); such names are
// refused with a warning before a window lists them, and no file changes.
class TestNameRefusals : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<RawNames::TemporaryFolder> m_dir;
    QByteArray m_root;

    // The text a dialog gives for a name that is not UTF-8.
    QString lossyPath(const QByteArray &name = RawNames::NotUtf8) const
    {
        return m_dir->filePath(QFile::decodeName(name));
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<RawNames::TemporaryFolder>();
        m_root = RawNames::bytesOf(m_dir->path()) + '/';
        QVERIFY(RawNames::write(m_root + RawNames::NotUtf8, "the user's file"));
        QVERIFY(RawNames::write(m_root + RawNames::Twin, "another file"));
        QVERIFY(RawNames::write(m_root + "plain.txt", "plain"));
        MessageBox::clearHistory();
        MessageBox::setAutoAnswer(true);
        FileDialog::clearHistory();
    }

    void cleanup()
    {
        MessageBox::setAutoAnswer(false);
        FileDialog::setNextResults({});
        m_dir.reset();
    }

    // The drop's URL still has the bytes: "%FF.txt" is refused as what it is.
    void dropOfANameThatIsNotUtf8()
    {
        EncryptWindow window;
        window.openWith(
            EncryptSession{OwnKey, Language::English, QByteArray(ApplicationTextKey), QString()});
        const auto before = RawNames::snapshot(m_root);
        QMimeData mime;
        mime.setUrls({QUrl::fromEncoded(QByteArray("file://") + m_root + "%FF.txt")});
        QDragEnterEvent enter(QPoint(300, 150), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(300, 150), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &drop);

        QCOMPARE(MessageBox::shownMessages(),
                 QList<Message>{Message::dialog(
                     MessageIcon::Warning,
                     QStringLiteral("%1/\\xFF.txt: the name is not valid UTF-8 and cannot be used "
                                    "unchanged; nothing was done. Please rename the file first.")
                         .arg(m_dir->path()))});
        QCOMPARE(entries(&window, EncryptParts::FileList), QStringList());
        QCOMPARE(part<QLineEdit>(&window, EncryptParts::FolderField)->text(), QString());
        QCOMPARE(RawNames::snapshot(m_root), before);
    }

    // A dialog's answer: the names that may stand for another file are left
    // out, the others are listed; a run then leaves the refused name's file
    // and its twin byte for byte as they were.
    void dialogAnswers_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<Language>("language");
        QTest::newRow("encrypt window") << "encrypt" << Language::English;
        QTest::newRow("encrypt window, German") << "encrypt" << Language::German;
        QTest::newRow("secure delete window") << "secure delete" << Language::English;
    }

    void dialogAnswers()
    {
        QFETCH(QString, window);
        QFETCH(Language, language);
        const auto before = RawNames::snapshot(m_root);
        const QString warning =
            QDir::toNativeSeparators(lossyPath()) +
            textFor(language,
                    ": Der Name kann für eine andere Datei stehen, deren Name kein gültiges UTF-8 "
                    "ist; es wurde nichts getan. Bitte benennen Sie diese Datei zuerst um.",
                    ": the name may stand for another file, whose name is not valid UTF-8; "
                    "nothing was done. Please rename that file first.");
        FileDialog::setNextResult({lossyPath(), m_dir->filePath(QStringLiteral("plain.txt"))});

        if (window == QLatin1String("encrypt")) {
            EncryptWindow encrypt;
            encrypt.openWith(
                EncryptSession{OwnKey, language, QByteArray(ApplicationTextKey), QString()});
            part<FlatButton>(&encrypt, EncryptParts::SelectFiles)->click();
            QCOMPARE(entries(&encrypt, EncryptParts::FileList), QStringList{"plain.txt"});
            QSignalSpy finished(&encrypt, &EncryptWindow::runFinished);
            part<FlatButton>(&encrypt, EncryptParts::Encrypt)->click();
            QVERIFY(!finished.isEmpty() || finished.wait(60000));
        } else {
            SecureDeleteWindow shred;
            shred.open(SecureDeleteSession{language, {}});
            part<FlatButton>(&shred, SecureDeleteParts::SelectFiles)->click();
            QCOMPARE(entries(&shred, SecureDeleteParts::FileList), QStringList{"plain.txt"});
            QSignalSpy finished(&shred, &SecureDeleteWindow::runFinished);
            part<FlatButton>(&shred, SecureDeleteParts::StartShredding)->click();
            QVERIFY(!finished.isEmpty() || finished.wait(60000));
        }
        QCOMPARE(MessageBox::shownMessages().first(),
                 Message::dialog(MessageIcon::Warning, warning));
        // Only the listed file was worked on.
        auto after = RawNames::snapshot(m_root);
        QVERIFY(!after.contains("plain.txt"));
        after.remove("plain.txt.enc");
        auto untouched = before;
        untouched.remove("plain.txt");
        QCOMPARE(after, untouched);
    }

    // A key file chosen in the dialog under a name that may stand for
    // another: no key is read, the window keeps the personal key.
    void keyFileThatMayStandForAnother()
    {
        QVERIFY(RawNames::write(m_root + "\xFF.key", "the user's key file"));
        QVERIFY(WriteKeyFile(lossyPath("\xFF.key"), QByteArray(ApplicationTextKey),
                             {QStringLiteral("another key")})
                    .status == KeyFileWriteResult::Status::Written);
        EncryptWindow window;
        window.openWith(
            EncryptSession{OwnKey, Language::English, QByteArray(ApplicationTextKey), QString()});
        const auto before = RawNames::snapshot(m_root);
        FileDialog::setNextResult({lossyPath("\xFF.key")});
        part<FlatButton>(&window, EncryptParts::LoadKey)->click();

        QCOMPARE(MessageBox::shownMessages().size(), 1);
        QVERIFY(MessageBox::shownTexts().first().contains(QStringLiteral("not valid UTF-8")));
        QCOMPARE(part<QLineEdit>(&window, EncryptParts::KeyField)->text(), OwnKey);
        QVERIFY(!part<KeyLamp>(&window, EncryptParts::KeyLamp)->isVisible());
        QCOMPARE(RawNames::snapshot(m_root), before);
    }
};

QTEST_MAIN(TestNameRefusals)
#include "TestNameRefusals.moc"
