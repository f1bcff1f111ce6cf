// Replays the seed corpus and every input that ever made a fuzz target fail through the
// targets' bodies, so that each build checks them with its own compiler and sanitizers.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QString>

#include "fuzz/targets/fuzz_targets.h"

using namespace scheme::fuzz;

namespace {

QStringList InputFiles(const QString& Folder) {
    QStringList Files;
    const QDir Dir(Folder);
    for (const QString& Name : Dir.entryList(QDir::Files, QDir::Name))
        Files.append(Dir.filePath(Name));
    return Files;
}

// Runs every file of <Root>/<target>/ through its target; answers how many ran.
int Replay(const QString& Root) {
    int Count = 0;
    for (const TFuzzTarget& Target : FuzzTargets()) {
        for (const QString& Path : InputFiles(Root + u'/' + QLatin1String(Target.Name))) {
            QFile File(Path);
            EXPECT_TRUE(File.open(QIODevice::ReadOnly)) << Path.toStdString();
            const QByteArray Bytes = File.readAll();
            SCOPED_TRACE(Path.toStdString());
            EXPECT_NO_THROW(Target.Body(reinterpret_cast<const std::uint8_t*>(Bytes.constData()),
                                        static_cast<std::size_t>(Bytes.size())));
            ++Count;
        }
    }
    return Count;
}

}  // namespace

TEST(FuzzReplay, SeedCorpusPasses) {
    EXPECT_GT(Replay(QStringLiteral(SCHEME_FUZZ_DIR "/corpus")), 20);
}

// Every folder there is named after a target, so that no input is left out unseen.
TEST(FuzzReplay, EveryInputThatOnceFailedPasses) {
    const QString Root = QStringLiteral(SCHEME_FUZZ_DIR "/regressions");
    ASSERT_TRUE(QDir(Root).exists()) << Root.toStdString();
    QStringList Targets;
    for (const TFuzzTarget& Target : FuzzTargets()) Targets.append(QLatin1String(Target.Name));
    for (const QString& Folder : QDir(Root).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        EXPECT_TRUE(Targets.contains(Folder)) << Folder.toStdString();
    EXPECT_GT(Replay(Root), 0);
}

// The bodies themselves: empty and tiny inputs, and the checks they make.
TEST(FuzzReplay, EveryTargetTakesEmptyAndOneByteInputs) {
    const std::uint8_t Byte = 0xFF;
    for (const TFuzzTarget& Target : FuzzTargets()) {
        EXPECT_NO_THROW(Target.Body(nullptr, 0)) << Target.Name;
        EXPECT_NO_THROW(Target.Body(&Byte, 1)) << Target.Name;
    }
}

TEST(FuzzReplay, FailedCheckRaises) {
    EXPECT_NO_THROW(FuzzCheck(true, QStringLiteral("fine")));
    EXPECT_THROW(FuzzCheck(false, QStringLiteral("broken")), TFuzzFailure);
}
