#include "CrashChecks.h"

#include <sqlite3.h>
#include <zlib.h>

#include <QDir>
#include <QFile>
#include <cstring>

namespace fd::test {

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

void putFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

void clearFolderExcept(const QString& folder, const QStringList& keep) {
    QDir dir(folder);
    for (const QString& name :
         dir.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        if (!keep.contains(name)) dir.remove(name);
}

namespace {

struct Db {
    sqlite3* db = nullptr;
    explicit Db(const QString& path) {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    }
    ~Db() { sqlite3_close(db); }
};

}  // namespace

std::string integrityProblem(const QString& dbPath) {
    Db d(dbPath);
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(d.db, "PRAGMA integrity_check", -1, &st, nullptr) != SQLITE_OK)
        return std::string("cannot check the database: ") + sqlite3_errmsg(d.db);
    std::string answer;
    while (sqlite3_step(st) == SQLITE_ROW)
        answer += reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    sqlite3_finalize(st);
    return answer == "ok" ? std::string() : "integrity_check: " + answer;
}

QByteArray tableDump(const QString& dbPath, const char* sql) {
    Db d(dbPath);
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(d.db, sql, -1, &st, nullptr) != SQLITE_OK)
        return QByteArray("cannot read: ") + sqlite3_errmsg(d.db);
    QByteArray out;
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < sqlite3_column_count(st); ++c) {
            if (c) out += '\x1f';
            if (sqlite3_column_type(st, c) == SQLITE_NULL)
                out += "<null>";
            else
                out += reinterpret_cast<const char*>(sqlite3_column_text(st, c));
        }
        out += '\x1e';
    }
    sqlite3_finalize(st);
    return out;
}

namespace {

quint32 le32(const QByteArray& b, qsizetype at) {
    quint32 v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | quint8(b[at + i]);
    return v;
}
quint16 le16(const QByteArray& b, qsizetype at) {
    return quint16(quint8(b[at]) | (quint8(b[at + 1]) << 8));
}

// The member's data inflated (or stored), or nothing when it does not
// inflate to its stated size.
bool memberCrc(const QByteArray& b, qsizetype data, quint32 packed, quint32 size, int method,
               quint32* crc) {
    if (data + qsizetype(packed) > b.size()) return false;
    if (method == 0) {
        if (packed != size) return false;
        *crc = quint32(::crc32(0, reinterpret_cast<const Bytef*>(b.constData() + data), packed));
        return true;
    }
    if (method != 8) return false;
    QByteArray out(qsizetype(size), '\0');
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return false;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(b.constData() + data));
    z.avail_in = packed;
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = size;
    const int rc = inflate(&z, Z_FINISH);
    const bool whole = rc == Z_STREAM_END && z.total_out == size;
    inflateEnd(&z);
    if (!whole) return false;
    *crc = quint32(::crc32(0, reinterpret_cast<const Bytef*>(out.constData()), size));
    return true;
}

}  // namespace

std::string zipProblem(const QByteArray& b) {
    if (b.size() < 22) return "too short for a zip archive";
    qsizetype end = -1;
    for (qsizetype at = b.size() - 22; at >= 0 && at >= b.size() - 22 - 65535; --at)
        if (le32(b, at) == 0x06054b50u) {
            end = at;
            break;
        }
    if (end < 0) return "no end of central directory: the archive is cut short";
    const int count = le16(b, end + 10);
    qsizetype at = qsizetype(le32(b, end + 16));
    if (count == 0) return "an empty archive";
    for (int i = 0; i < count; ++i) {
        if (at + 46 > end || le32(b, at) != 0x02014b50u) return "a broken central directory";
        const int method = le16(b, at + 10);
        const quint32 crc = le32(b, at + 16);
        const quint32 packed = le32(b, at + 20);
        const quint32 size = le32(b, at + 24);
        const qsizetype local = qsizetype(le32(b, at + 42));
        const int nameLength = le16(b, at + 28);
        const QByteArray name = b.mid(at + 46, nameLength);
        at += 46 + nameLength + le16(b, at + 30) + le16(b, at + 32);
        if (local + 30 > b.size() || le32(b, local) != 0x04034b50u)
            return "member " + name.toStdString() + " has no local header";
        const qsizetype data = local + 30 + le16(b, local + 26) + le16(b, local + 28);
        quint32 actual = 0;
        if (!memberCrc(b, data, packed, size, method, &actual) || actual != crc)
            return "member " + name.toStdString() + " is damaged";
    }
    return {};
}

}  // namespace fd::test
