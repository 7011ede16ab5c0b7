#pragma once
// Runs farrowdale-cli as a user would: a separate process with its own
// environment (no FARROWDALE_HOME, a private per-user data folder), reading
// back its exit code, stdout and stderr.

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace fd::test {

struct CliResult {
    int code = -1;
    QString out;
    QString err;
};

inline QProcessEnvironment cliEnvironment(const QString& dataHome) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("FARROWDALE_HOME"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    return env;
}

inline CliResult runCli(const QStringList& args, const QProcessEnvironment& env) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(FARROWDALE_CLI), args);
    CliResult r;
    if (!p.waitForStarted(10000) || !p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished(5000);
        r.err = QStringLiteral("(did not finish)");
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// Writes a file the test arranges.
inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A run on one program folder.
class Cli {
public:
    explicit Cli(QString folder) : folder_(std::move(folder)), env_(cliEnvironment(home_.path())) {}
    CliResult operator()(const QStringList& args) const {
        return runCli(QStringList{QStringLiteral("--program-folder"), folder_} + args, env_);
    }
    const QProcessEnvironment& environment() const { return env_; }
    QString dataHome() const { return home_.path(); }

private:
    QString folder_;
    QTemporaryDir home_;
    QProcessEnvironment env_;
};

}  // namespace fd::test
