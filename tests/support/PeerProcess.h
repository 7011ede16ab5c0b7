#pragma once
// A peer server for tests (a Python script under tests/fixtures run with
// /usr/bin/python3) that prints "PORT <n>" first and may report more lines
// on stdout afterwards; killed with the object.

#include <QDeadlineTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace fd::test {

class PeerProcess {
public:
    PeerProcess(const QString& script, const QStringList& args) {
        proc_.setProcessChannelMode(QProcess::SeparateChannels);
        proc_.start(QStringLiteral("/usr/bin/python3"), QStringList{script} + args);
        if (!proc_.waitForStarted(10000)) return;
        while (port_ == 0 && proc_.waitForReadyRead(10000)) {
            // The lines after the port are left for nextLine().
            while (port_ == 0 && proc_.canReadLine()) {
                const QByteArray line = proc_.readLine().trimmed();
                if (line.startsWith("PORT ")) port_ = line.mid(5).toInt();
            }
        }
    }
    ~PeerProcess() {
        proc_.kill();
        proc_.waitForFinished(5000);
    }
    bool ok() const { return port_ > 0; }
    int port() const { return port_; }
    // The next whole line the peer reports, waiting for it a bounded while
    // (empty when none comes): a line may arrive in pieces.
    QString nextLine() {
        QDeadlineTimer deadline(10000);
        while (!proc_.canReadLine() && !deadline.hasExpired())
            if (!proc_.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) break;
        return QString::fromUtf8(proc_.readLine().trimmed());
    }

private:
    QProcess proc_;
    int port_ = 0;
};

}  // namespace fd::test
