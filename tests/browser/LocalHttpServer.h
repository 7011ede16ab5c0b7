#pragma once
// The test HTTP server (tests/fixtures/http_test_server.py) on the loopback
// address and a free port, serving a folder; stopped with the object.

#include <QProcess>
#include <QString>

namespace fd::test {

class LocalHttpServer {
public:
    explicit LocalHttpServer(const QString& root, int lifetimeSeconds = 240) {
        proc_.setProcessChannelMode(QProcess::SeparateChannels);
        proc_.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(FARROWDALE_HTTP_SERVER),
                                                         root, QString::number(lifetimeSeconds)});
        if (!proc_.waitForStarted(10000)) return;
        if (!proc_.waitForReadyRead(10000)) return;
        const QByteArray line = proc_.readLine().trimmed();
        if (line.startsWith("PORT ")) port_ = line.mid(5).toInt();
    }
    ~LocalHttpServer() {
        proc_.kill();
        proc_.waitForFinished(5000);
    }
    bool ok() const { return port_ > 0; }
    QString url(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1/%2").arg(port_).arg(path);
    }

private:
    QProcess proc_;
    int port_ = 0;
};

}  // namespace fd::test
