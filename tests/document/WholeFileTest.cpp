#include "document/WholeFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cerrno>
#include <gtest/gtest.h>
#include <unistd.h>

namespace id {
namespace {

// A real full disk: a 64 KiB memory disk filled to the last byte. The toolkit's own commit
// would replace the file with an empty one here. Needs root to mount; skipped otherwise.
TEST(WholeFile, AFullDiskKeepsTheOldFileAndSaysSo) {
    if (geteuid() != 0)
        GTEST_SKIP() << "mounting a memory disk needs root";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=64k", "tmpfs", dir.path()}) != 0)
        GTEST_SKIP() << "this machine does not let tests mount a memory disk";
    const QString path = dir.filePath("well.ida");
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old contents");
    }
    QFile filler(dir.filePath("filler"));
    {
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(4096, 'x');
        while (filler.write(block) > 0) {
        }
        filler.close();
    }
    for (const QByteArray& bytes : {QByteArray(100, 'n'), QByteArray(200'000, 'n')}) {
        const std::optional<WriteFailure> failed = writeWholeFile(path, bytes);
        ASSERT_TRUE(failed) << bytes.size();
        EXPECT_EQ(failed->cause, "на диске нет места");
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::ReadOnly));
        EXPECT_EQ(old.readAll(), "old contents");
    }
    // Nearly full: part of the file fits, and the toolkit says no more than "Unknown error".
    ASSERT_TRUE(filler.resize(filler.size() - 16384));
    const std::optional<WriteFailure> partly = writeWholeFile(path, QByteArray(200'000, 'n'));
    ASSERT_TRUE(partly);
    EXPECT_EQ(partly->cause, "на диске нет места");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
    QProcess::execute("umount", {dir.path()});
}

TEST(WholeFile, AFolderIsNoFile) {
    QTemporaryDir dir;
    const std::optional<WriteFailure> failed = writeWholeFile(dir.path(), "x");
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->cause, "путь указывает на папку, а не на файл");
}

} // namespace
// Whatever step the system refuses (the sync to the disk among them), the old file stays byte
// for byte, nothing is left beside it, and the cause is said in Russian.
TEST(WholeFile, EveryRefusedStepKeepsTheOldFile) {
    const struct {
        int error;
        const char* cause;
    } errors[] = {{EIO, "ошибка ввода-вывода на диске"},
                  {EROFS, "диск доступен только для чтения"}};
    for (const WriteStep step :
         {WriteStep::Open, WriteStep::Write, WriteStep::Flush, WriteStep::Commit})
        for (const auto& e : errors) {
            SCOPED_TRACE(static_cast<int>(step));
            QTemporaryDir dir;
            const QString path = dir.filePath("well.ida");
            {
                QFile old(path);
                ASSERT_TRUE(old.open(QIODevice::WriteOnly));
                old.write("old contents");
            }
            const std::optional<WriteFailure> failed =
                writeWholeFile(path, "new contents", step, e.error);
            ASSERT_TRUE(failed);
            EXPECT_EQ(failed->step, step);
            EXPECT_EQ(failed->cause, e.cause);
            QFile old(path);
            ASSERT_TRUE(old.open(QIODevice::ReadOnly));
            EXPECT_EQ(old.readAll(), "old contents");
            EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
        }
}

} // namespace id
