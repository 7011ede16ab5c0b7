#pragma once
// A fresh program folder in a temporary directory, seeded from the delivered
// files (database built from schema.sql and seed.sql), removed afterwards.

#include <QDir>
#include <QTemporaryDir>

#include "core/Globals.h"

namespace fd::test {

class TestFolder {
public:
    TestFolder();
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return QDir(dir_.path()).filePath(name); }
    // Globals over this folder (created on first use).
    Globals& globals();
    // Runs SQL directly (checked), for arranging and reading back.
    void exec(const QString& sql);
    QString scalar(const QString& sql);
    // The error log's text, "" when there is none.
    QString errorLog() const;

private:
    QTemporaryDir dir_;
    std::unique_ptr<Globals> globals_;
};

QString deliveredData();
QByteArray readFile(const QString& path);

}  // namespace fd::test
