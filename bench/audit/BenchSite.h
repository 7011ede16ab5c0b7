#pragma once
// The benchmark site (bench_site.py) on 127.0.0.1: started with the number
// of pages it serves, stopped with the object.

#include <QProcess>
#include <QString>

class BenchSite {
public:
    explicit BenchSite(int pages) {
        proc_.start(
            QStringLiteral("/usr/bin/python3"),
            {QStringLiteral(FARROWDALE_BENCH_DIR "/bench_site.py"), QString::number(pages)});
        while (port_ == 0 && proc_.waitForReadyRead(60000)) {
            const QByteArray line = proc_.readLine().trimmed();
            if (line.startsWith("PORT ")) port_ = line.mid(5).toInt();
        }
    }
    ~BenchSite() {
        proc_.kill();
        proc_.waitForFinished(5000);
    }
    // "http://127.0.0.1:<port>", without a final "/".
    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(port_); }
    bool ok() const { return port_ > 0; }

private:
    QProcess proc_;
    int port_ = 0;
};
