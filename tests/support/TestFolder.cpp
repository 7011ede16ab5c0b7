#include "TestFolder.h"

#include <QFile>
#include <stdexcept>

#include "core/ExtraTables.h"
#include "core/ProgramFolder.h"

namespace fd::test {

QString deliveredData() {
    return QStringLiteral(FARROWDALE_DATA_DIR);
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

TestFolder::TestFolder() {
    const auto prep = prepareProgramFolder(dir_.path(), deliveredData());
    if (!prep.ok) throw std::runtime_error(prep.message.toStdString());
    // The delivered update address is a real host name; a program started on
    // this folder asks a closed loopback port instead, so no test goes out
    // to the network.
    globals().gDB->execute(QStringLiteral(
        "UPDATE WebSiteConfiguration SET UpdateURL = 'http://127.0.0.1:9/Update.asp'"));
    // The tables a started program adds beside the delivered eight.
    const QString extra = ensureExtraTables(globals().gDB->databasePath());
    if (!extra.isEmpty()) throw std::runtime_error(extra.toStdString());
}

Globals& TestFolder::globals() {
    if (!globals_) globals_ = std::make_unique<Globals>(dir_.path());
    return *globals_;
}

void TestFolder::exec(const QString& sql) {
    globals().gDB->execute(sql);
}

QString TestFolder::scalar(const QString& sql) {
    auto rs = globals().gDB->query(sql);
    return rs->eof() ? QString() : rs->field(0);
}

QString TestFolder::errorLog() const {
    return QString::fromUtf8(readFile(file(QStringLiteral("errorlog.txt"))));
}

}  // namespace fd::test
