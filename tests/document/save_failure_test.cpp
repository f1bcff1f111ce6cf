// Saves that fail: the error is reported and whatever the target held before stays as it was.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>

#include "scheme/document/scheme_data.h"
#include "scheme/platform/exceptions.h"

using namespace scheme;

namespace {

// Accepts the first Limit bytes, then refuses every write.
class TFailingDevice : public QIODevice {
public:
    explicit TFailingDevice(qint64 Limit) : FLimit(Limit) { open(QIODevice::WriteOnly); }
    QByteArray Accepted;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* Data, qint64 Size) override {
        const qint64 Room = FLimit - Accepted.size();
        if (Room <= 0) {
            setErrorString(QStringLiteral("device full"));
            return -1;
        }
        const qint64 Taken = std::min(Room, Size);
        Accepted.append(Data, Taken);
        return Taken;
    }

private:
    qint64 FLimit;
};

// A document of a few kilobytes: the sample diagram.
void LoadSample(TSchemeData& Data) {
    Data.SetTimerInterval(0);
    Data.LoadFromFile(QStringLiteral(SCHEME_SAMPLE_PATH));
}

QByteArray Contents(const QString& Path) {
    QFile File(Path);
    return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray("<unreadable>");
}

QString SaveError(TSchemeData& Data, const QString& Path) {
    try {
        Data.SaveToFile(Path);
    } catch (const Exception& E) {
        return E.Message();
    }
    return QString();
}

// Files larger than Bytes cannot be written while it lives (as on a full disk).
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t Bytes) {
        getrlimit(RLIMIT_FSIZE, &FOld);
        FOldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit Limit = FOld;
        Limit.rlim_cur = Bytes;
        setrlimit(RLIMIT_FSIZE, &Limit);
    }
    ~TFileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &FOld);
        std::signal(SIGXFSZ, FOldHandler);
    }

private:
    rlimit FOld{};
    void (*FOldHandler)(int) = nullptr;
};

}  // namespace

TEST(SaveFailure, StreamRefusingWritesPartWayRaises) {
    TSchemeData Data;
    LoadSample(Data);
    for (qint64 Limit : {qint64(0), qint64(1), qint64(100), qint64(4000)}) {
        TFailingDevice Device(Limit);
        EXPECT_THROW(Data.SaveToStream(Device), Exception) << Limit;
        EXPECT_LE(Device.Accepted.size(), Limit);
    }
    TFailingDevice Roomy(1 << 20);
    EXPECT_NO_THROW(Data.SaveToStream(Roomy));
    EXPECT_GT(Roomy.Accepted.size(), 4000);
}

TEST(SaveFailure, FullDeviceRaisesForStreamsAndFilesAndStaysADevice) {
    const QString Path = QStringLiteral("/dev/full");
    const QFileInfo Info(Path);
    // Only the real device: a regular file of that name would take the text without error.
    if (!Info.exists() || Info.isFile()) GTEST_SKIP() << "no /dev/full device here";
    TSchemeData Data;
    LoadSample(Data);
    QFile Full(Path);
    ASSERT_TRUE(Full.open(QIODevice::WriteOnly));
    // The file buffers the text; the failure shows when the buffer is written.
    EXPECT_THROW(Data.SaveToStream(Full), Exception);
    Full.close();
    // The device is written in place, not replaced by a file holding the text.
    const QString Error = SaveError(Data, Path);
    EXPECT_TRUE(Error.startsWith(QStringLiteral("Cannot write file"))) << Error.toStdString();
    EXPECT_FALSE(QFileInfo(Path).isFile());
}

TEST(SaveFailure, ReadOnlyLocationRaisesAndCreatesNothing) {
    // Permissions do not stop root, but /proc and /sys take no new files from anyone.
    const QString Path = QStringLiteral("/proc/scheme-save-test.txt");
    if (!QFileInfo(QStringLiteral("/proc/self")).exists()) GTEST_SKIP() << "no /proc here";
    TSchemeData Data;
    LoadSample(Data);
    const QString Error = SaveError(Data, Path);
    EXPECT_TRUE(Error.startsWith(QStringLiteral("Cannot create file"))) << Error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(Path));
}

TEST(SaveFailure, DirectoryInTheWayIsNotReplaced) {
    QTemporaryDir Dir;
    ASSERT_TRUE(Dir.isValid());
    const QString Target = Dir.filePath(QStringLiteral("doc.txt"));
    ASSERT_TRUE(QDir().mkdir(Target));
    QFile Inside(Target + QStringLiteral("/keep"));
    ASSERT_TRUE(Inside.open(QIODevice::WriteOnly));
    Inside.write("kept");
    Inside.close();
    TSchemeData Data;
    LoadSample(Data);
    EXPECT_FALSE(SaveError(Data, Target).isEmpty());
    EXPECT_TRUE(QFileInfo(Target).isDir());
    EXPECT_EQ(Contents(Target + QStringLiteral("/keep")), QByteArray("kept"));
}

TEST(SaveFailure, WriteFailingPartWayLeavesThePreviousFileWhole) {
    QTemporaryDir Dir;
    ASSERT_TRUE(Dir.isValid());
    const QString Target = Dir.filePath(QStringLiteral("doc.txt"));
    {
        TSchemeData Small;
        Small.SetTimerInterval(0);
        Small.SaveToFile(Target);
    }
    const QByteArray Previous = Contents(Target);
    TSchemeData Data;
    LoadSample(Data);
    QString Error;
    {
        const TFileSizeLimit Limit(2048);  // the sample is larger
        Error = SaveError(Data, Target);
    }
    EXPECT_TRUE(Error.startsWith(QStringLiteral("Cannot write file"))) << Error.toStdString();
    EXPECT_EQ(Contents(Target), Previous);
    // The half-written temporary copy is gone.
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("doc.txt")});
    // Without the limit the same save succeeds and replaces the file.
    EXPECT_TRUE(SaveError(Data, Target).isEmpty());
    EXPECT_GT(Contents(Target).size(), 2048);
}
