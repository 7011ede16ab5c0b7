// Every stored fuzz input, seeds and the inputs of faults found, replayed
// through its target and oracle, so a change that breaks one fails here
// without a fuzzer.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "FuzzTarget.h"

using namespace fd::fuzz;

namespace fd::fuzz {
void PrintTo(const Target& t, std::ostream* os) {
    *os << t.name;
}
}  // namespace fd::fuzz

namespace {

const QString kCorpora = QStringLiteral(FARROWDALE_SOURCE_DIR "/fuzz/corpus");

class CorpusReplay : public ::testing::TestWithParam<Target> {};

TEST_P(CorpusReplay, EveryStoredInputPassesItsOracle) {
    const Target& target = GetParam();
    const QDir dir(kCorpora + u'/' + QString::fromLatin1(target.name));
    const QStringList names = dir.entryList(QDir::Files, QDir::Name);
    ASSERT_FALSE(names.isEmpty()) << "no stored inputs in " << dir.path().toStdString();
    setThrowOnFailure(true);
    for (const QString& name : names) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
        const QByteArray bytes = f.readAll();
        try {
            target.run(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                       std::size_t(bytes.size()));
        } catch (const OracleFailure& failure) {
            ADD_FAILURE() << target.name << '/' << name.toStdString() << ": " << failure.what;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, CorpusReplay, ::testing::ValuesIn(targets()),
                         [](const ::testing::TestParamInfo<Target>& info) {
                             return std::string(info.param.name);
                         });

TEST(CorpusFolders, EachFolderBelongsToATarget) {
    for (const QString& folder : QDir(kCorpora).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        EXPECT_NE(findTarget(folder.toStdString()), nullptr) << folder.toStdString();
}

}  // namespace
