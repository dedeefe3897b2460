#include "AgeTool.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace AgeTool {

QString path()
{
    return QStringLiteral("/usr/bin/age");
}

bool isAvailable()
{
    return QFileInfo(path()).isExecutable() &&
           !QStandardPaths::findExecutable(QStringLiteral("python3")).isEmpty();
}

bool run(const QByteArray &passphrase, const QStringList &arguments, const QString &home,
         QString &output)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", home);
    environment.insert("AGE_PTY_TIMEOUT", "120");
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    const QString helper = QStringLiteral(VELMORA_TEST_DATA "/../age/age_with_passphrase.py");
    process.start("python3",
                  QStringList{helper, QString::fromUtf8(passphrase), path()} + arguments);
    const bool finished = process.waitForFinished(180000);
    output = QString::fromUtf8(process.readAll());
    return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

} // namespace AgeTool
