#pragma once
// The hostile peer of tests/fixtures/hostile_server.py, started for one test
// (or suite) on 127.0.0.1: every network path's tests point the path at it.

#include <QString>
#include <QStringList>
#include <vector>

#include "PeerProcess.h"

namespace fd::test {

// The ways the HTTP peer misbehaves, by the path that asks for each.
struct HostileAnswer {
    const char* path;
    const char* what;  // for test output
};
inline const std::vector<HostileAnswer>& hostileAnswers() {
    static const std::vector<HostileAnswer> all = {
        {"/silent", "never answers"},
        {"/drip", "drips one byte a second"},
        {"/huge", "sends 1 GB"},
        {"/loop", "redirects in a loop"},
        {"/reset", "resets the connection mid-body"},
        {"/short", "sends less than its Content-Length"},
        {"/gzip", "sends a gzip bomb (1 GB of zeros)"},
    };
    return all;
}

class HostileServer {
public:
    // An HTTP peer, or with rawMode ("silent", "drip", "reset") a peer of a
    // line protocol such as FTP.
    explicit HostileServer(const QString& rawMode = QString())
        : peer_(QStringLiteral(FARROWDALE_SOURCE_DIR "/tests/fixtures/hostile_server.py"),
                rawMode.isEmpty() ? QStringList{} : QStringList{QStringLiteral("--raw"), rawMode}) {
    }
    bool ok() const { return peer_.ok(); }
    int port() const { return peer_.port(); }
    QString url(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path);
    }
    // The next "REQUEST <method> <target>" or "CONNECT" line the peer wrote.
    QString nextLine() { return peer_.nextLine(); }

private:
    PeerProcess peer_;
};

}  // namespace fd::test
