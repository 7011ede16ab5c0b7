// A catalogue update answer of 10,000 statements (5,000 UPDATEs of engines
// the client holds, 5,000 INSERTs of new ones, as the server page writes
// them) applied in one transaction on the update's private connection, every
// statement checked by its authorizer. Target: at most 1 s. The peer in the
// same run: the sqlite3 shell applying the same statements in one
// transaction, with the same journal and sync settings, to the same database.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <string>

#include "core/ProgramFolder.h"
#include "support/MedianReporter.h"
#include "update/UpdateClient.h"

extern char** environ;

namespace {

constexpr int kStatements = 10000;

QString gSeeded;  // a program folder's database holding the client's engines
QString gWork;    // the copy each run applies the answer to
QString gAnswer;  // the answer as the client receives it
QString gShellInput;

void prepare(const QString& dir) {
    const auto r =
        fd::prepareProgramFolder(dir + QStringLiteral("/pf"), QStringLiteral(FARROWDALE_DATA_DIR));
    if (!r.ok) throw std::runtime_error(r.message.toStdString());
    gSeeded = dir + QStringLiteral("/pf/QELS.db");
    gWork = dir + QStringLiteral("/work.db");
    QString held = QStringLiteral("DELETE FROM SearchEngines;\n");
    QString answer = QStringLiteral("<XML program=\"QELS\" author=\"Farrowdale\">\r\n");
    QString statements;
    for (int i = 0; i < kStatements; ++i) {
        const int id = 1000 + i;
        const QString name = QStringLiteral("'Engine %1'").arg(id);
        const QString review = QStringLiteral("'https://e%1.example/?q=site:<%URL%>'").arg(id);
        const QString submit =
            QStringLiteral("'https://e%1.example/add?u=<%URL%>&m=<%EMAIL%>'").arg(id);
        const QString tip = QStringLiteral("'Tip for engine %1 with ''quotes'''").arg(id);
        if (i % 2 == 0) {
            held +=
                QStringLiteral("INSERT INTO SearchEngines (SearchEngineID) VALUES (%1);\n").arg(id);
            statements += QStringLiteral(
                              "UPDATE SearchEngines SET SearchEngineName = %2,ReviewQueryString = "
                              "%3,SubmitQueryString = %4,SearchEngineTips = %5,HTTPReviewMethod "
                              "= 'get',HTTPSubmitMethod = 'post',Popularity = '%6' WHERE "
                              "SearchEngineID = %1")
                              .arg(id)
                              .arg(name, review, submit, tip)
                              .arg(i % 50);
        } else {
            statements += QStringLiteral(
                              "INSERT INTO SearchEngines (SearchEngineID,SearchEngineName,"
                              "ReviewQueryString,SubmitQueryString,SearchEngineTips,"
                              "HTTPReviewMethod,HTTPSubmitMethod,Popularity) VALUES "
                              "(%1,%2,%3,%4,%5,'get','post','%6')")
                              .arg(id)
                              .arg(name, review, submit, tip)
                              .arg(i % 50);
        }
        statements += QStringLiteral("\r\n");
    }
    answer += statements + QStringLiteral("</XML>");
    gAnswer = answer;
    // The shell reads ";"-ended statements.
    gShellInput =
        QStringLiteral("PRAGMA journal_mode=TRUNCATE;\nPRAGMA synchronous=FULL;\nBEGIN;\n") +
        QString(statements).replace(QStringLiteral("\r\n"), QStringLiteral(";\n")) +
        QStringLiteral("COMMIT;\n");
    fd::CADODBAccess db(fd::connectionStringFor(dir + QStringLiteral("/pf")));
    for (const QString& s : held.split(u'\n', Qt::SkipEmptyParts)) db.execute(s);
}

bool freshCopy() {
    QFile::remove(gWork);
    QFile::remove(gWork + QStringLiteral("-journal"));
    return QFile::copy(gSeeded, gWork);
}

void BM_ApplyAnswerThroughAuthorizer(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        if (!freshCopy()) state.SkipWithError("copy failed");
        state.ResumeTiming();
        fd::UpdateConnection connection(gWork);
        if (fd::applyUpdateAnswer(connection, gAnswer) != fd::UpdateOutcome::Applied)
            state.SkipWithError("answer not applied");
    }
}

// sqlite3 work.db < answer.sql, started without a shell.
void BM_Sqlite3ShellPeer(benchmark::State& state) {
    const std::string db = gWork.toStdString();
    const std::string in = (gWork + QStringLiteral(".sql")).toStdString();
    {
        QFile f(QString::fromStdString(in));
        f.open(QIODevice::WriteOnly);
        f.write(gShellInput.toUtf8());
    }
    for (auto _ : state) {
        state.PauseTiming();
        if (!freshCopy()) state.SkipWithError("copy failed");
        state.ResumeTiming();
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_addopen(&fa, 0, in.c_str(), O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
        char arg0[] = "sqlite3", arg1[] = "-bail";
        std::string dbArg = db;
        char* argv[] = {arg0, arg1, dbArg.data(), nullptr};
        pid_t pid = 0;
        int status = -1;
        if (posix_spawnp(&pid, "sqlite3", &fa, nullptr, argv, environ) != 0 ||
            waitpid(pid, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            state.SkipWithError("sqlite3 failed");
        posix_spawn_file_actions_destroy(&fa);
    }
}

FD_WALL_BENCHMARK(BM_ApplyAnswerThroughAuthorizer, 10);
FD_WALL_BENCHMARK(BM_Sqlite3ShellPeer, 10);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    prepare(dir.path());
    const std::map<std::string, double> medians = runKeepingMedians(&argc, argv);
    const auto ours = medians.find("BM_ApplyAnswerThroughAuthorizer");
    const auto peer = medians.find("BM_Sqlite3ShellPeer");
    if (ours != medians.end() && peer != medians.end()) {
        std::printf(
            "\nUpdate answer of %d statements in one transaction, authorizer on: median %.1f ms "
            "(target: at most 1000 ms -> %s); sqlite3 shell applying the same statements: median "
            "%.1f ms.\n",
            kStatements, ours->second, ours->second <= 1000.0 ? "MET" : "NOT MET", peer->second);
    }
    benchmark::Shutdown();
    return 0;
}
