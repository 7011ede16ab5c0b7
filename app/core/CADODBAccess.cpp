#include "CADODBAccess.h"

#include <QDir>
#include <QXmlStreamWriter>

#include "AppError.h"
#include "DatabaseConnection.h"
#include "FileReplace.h"
#include "JetSql.h"

namespace fd {

namespace {

const QString kSource = QStringLiteral("CADODBAccess");

// Runs the statement and collects every row it returns.
RecordsetPtr run(const db::Connection& c, const QString& jetSql) {
    db::Statement st = c.prepare(translateJetSql(jetSql).toUtf8());
    QStringList cols;
    const int ncol = st.columnCount();
    for (int col = 0; col < ncol; ++col) cols << st.columnName(col);
    std::vector<Recordset::Row> rows;
    while (st.next()) {
        Recordset::Row row(static_cast<std::size_t>(ncol));
        for (int col = 0; col < ncol; ++col) {
            auto& cell = row[static_cast<std::size_t>(col)];
            if (st.isNull(col)) continue;
            cell.isNull = false;
            cell.text = st.text(col);
        }
        rows.push_back(std::move(row));
    }
    return std::make_shared<Recordset>(std::move(cols), std::move(rows));
}

}  // namespace

QString connectionStringFor(const QString& programFolder) {
    // A value that holds a separator, a quote or blanks at either end is
    // written between double quotes (a double quote inside doubled), so any
    // path the file system allows reads back unchanged.
    QString path = QDir(programFolder).filePath(QString::fromLatin1(kDatabaseFileName));
    if (path.contains(u';') || path.contains(u'"') || path.contains(u'\'') ||
        path != path.trimmed())
        path = u'"' + path.replace(u'"', QStringLiteral("\"\"")) + u'"';
    return QStringLiteral("Provider=SQLite;Data Source=") + path +
           QStringLiteral(";Persist Security Info=False");
}

QString CADODBAccess::pathFromConnectionString(const QString& cs) {
    const qsizetype n = cs.size();
    qsizetype i = 0;
    while (i < n) {
        const qsizetype eq = cs.indexOf(u'=', i);
        if (eq < 0) break;
        const QString key = cs.mid(i, eq - i).trimmed();
        i = eq + 1;
        while (i < n && cs[i].isSpace()) ++i;
        QString value;
        if (i < n && (cs[i] == u'"' || cs[i] == u'\'')) {
            // A quoted value: everything up to the closing quote, a doubled
            // quote standing for one.
            const QChar q = cs[i++];
            for (; i < n; ++i) {
                if (cs[i] == q) {
                    if (i + 1 < n && cs[i + 1] == q) {
                        value += q;
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                value += cs[i];
            }
            const qsizetype semi = cs.indexOf(u';', i);
            i = semi < 0 ? n : semi + 1;
        } else {
            const qsizetype semi = cs.indexOf(u';', i);
            value = cs.mid(i, (semi < 0 ? n : semi) - i).trimmed();
            i = semi < 0 ? n : semi + 1;
        }
        if (key.compare(QLatin1String("Data Source"), Qt::CaseInsensitive) == 0) return value;
    }
    return {};
}

CADODBAccess::CADODBAccess(QString connectionString)
    : path_(pathFromConnectionString(connectionString)) {}

db::Connection CADODBAccess::connect() const {
    // Unlike a write-ahead log, the rollback journal has nothing to be
    // replayed or checkpointed when the next connection opens, which keeps a
    // connection per statement cheap.
    try {
        return db::Connection(path_, kSource);
    } catch (const AppError& e) {
        throw AppError(
            err::kDatabase,
            QStringLiteral("Could not open the database '%1': %2").arg(path_, e.description()),
            kSource);
    }
}

RecordsetPtr CADODBAccess::query(const QString& strSQL) const {
    db::Connection c = connect();
    db::Transaction t(c);
    RecordsetPtr rs = run(c, strSQL);
    t.commit();
    return rs;
}

void CADODBAccess::execute(const QString& strSQL) const {
    db::Connection c = connect();
    db::Transaction t(c);
    run(c, strSQL);
    t.commit();
}

RecordsetPtr CADODBAccess::fnSQL_RS(const QString& strSQL) const {
    try {
        return query(strSQL);
    } catch (const std::exception&) {
        return nullptr;  // the caller fails on its first use and logs it
    }
}

void CADODBAccess::fnSQL_NoRS(const QString& strSQL) const {
    try {
        execute(strSQL);
    } catch (const std::exception&) {
        // rolled back by the connection; nothing is reported
    }
}

bool CADODBAccess::fnSQL_XML(const QString& strSQL, const QString& strFilename) const {
    const RecordsetPtr rs = run(connect(), strSQL);
    FileReplacement file(strFilename);
    if (!file.open()) throw AppError(err::kPathNotFound, file.errorString(), kSource);
    QXmlStreamWriter w(&file.device());
    w.setAutoFormatting(true);
    w.writeStartElement(QStringLiteral("xml"));
    w.writeNamespace(QStringLiteral("uuid:BDC6E3F0-6DA3-11d1-A2A3-00AA00C14882"),
                     QStringLiteral("s"));
    w.writeNamespace(QStringLiteral("uuid:C2F41010-65B3-11d1-A29F-00AA00C14882"),
                     QStringLiteral("dt"));
    w.writeNamespace(QStringLiteral("urn:schemas-microsoft-com:rowset"), QStringLiteral("rs"));
    w.writeNamespace(QStringLiteral("#RowsetSchema"), QStringLiteral("z"));
    const QString s = QStringLiteral("uuid:BDC6E3F0-6DA3-11d1-A2A3-00AA00C14882");
    const QString rsn = QStringLiteral("urn:schemas-microsoft-com:rowset");
    w.writeStartElement(s, QStringLiteral("Schema"));
    w.writeAttribute(QStringLiteral("id"), QStringLiteral("RowsetSchema"));
    w.writeStartElement(s, QStringLiteral("ElementType"));
    w.writeAttribute(QStringLiteral("name"), QStringLiteral("row"));
    w.writeAttribute(QStringLiteral("content"), QStringLiteral("eltOnly"));
    for (int i = 0; i < rs->columns().size(); ++i) {
        w.writeStartElement(s, QStringLiteral("AttributeType"));
        w.writeAttribute(QStringLiteral("name"), rs->columns()[i]);
        w.writeAttribute(rsn, QStringLiteral("number"), QString::number(i + 1));
        w.writeEndElement();
    }
    w.writeEndElement();  // ElementType
    w.writeEndElement();  // Schema
    w.writeStartElement(rsn, QStringLiteral("data"));
    for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
        w.writeStartElement(QStringLiteral("#RowsetSchema"), QStringLiteral("row"));
        for (const QString& col : rs->columns())
            if (!rs->isNull(col)) w.writeAttribute(col, rs->field(col));
        w.writeEndElement();
    }
    w.writeEndElement();  // data
    w.writeEndElement();  // xml
    if (w.hasError() || !file.commit()) {
        throw AppError(err::kPathNotFound, file.errorString(), kSource);
    }
    return true;
}

}  // namespace fd
