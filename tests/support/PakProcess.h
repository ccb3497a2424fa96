#pragma once
// Runs the built wrenfold-pak as a process and collects what it says.
#include <QDir>
#include <QProcess>

struct PakRun {
    int status;
    QString out, err;
};

inline PakRun runPak(const QStringList &args, const QString &dir = QDir::tempPath())
{
    QProcess p;
    p.setWorkingDirectory(dir);
    p.start(qEnvironmentVariable("WRENFOLD_BIN") + "/wrenfold-pak", args);
    if (!p.waitForFinished(60000))
        return {-1, {}, QStringLiteral("did not finish")};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}
