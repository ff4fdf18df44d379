#include "app/BatchRun.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace id {
namespace {

class BatchRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "batch-test");
            db.setDatabaseName(databaseFile());
            ASSERT_TRUE(db.open());
            QSqlQuery q(db);
            q.exec("create table kwu_ind (kwu_id integer primary key, kprod real, pplast real, "
                   "pzab_dop real)");
            q.exec("create table kwu_regime (kwu_id integer, rate double, pressure double, "
                   "well_type integer)");
            // Wells 1..40 on lines of their own; 41 one rate only, 42 flat, 43 not in kwu_ind.
            for (int id = 1; id <= 43; ++id) {
                if (id != 43)
                    q.exec(QString("insert into kwu_ind values (%1, 0, 0, 0)").arg(id));
                for (int k = 1; k <= 4; ++k) {
                    const double rate = id == 41 ? 10 : 10.0 * k;
                    const double pressure =
                        id == 42 ? 15 : 20 + id * 0.1 - 0.2 * k + 0.01 * (k % 2);
                    q.exec(QString("insert into kwu_regime values (%1, %2, %3, 1)")
                               .arg(id)
                               .arg(rate)
                               .arg(pressure));
                }
            }
        }
        QSqlDatabase::removeDatabase("batch-test");
    }
    QString databaseFile() const { return folder.filePath("field.db"); }
    QString run(int jobs, bool dryRun, BatchReport& report) {
        BatchOptions o;
        o.databaseFile = databaseFile();
        o.settings.pnas = "5";
        o.summaryFile = folder.filePath(QString("summary-%1.csv").arg(jobs));
        o.jobs = jobs;
        o.dryRun = dryRun;
        report = runBatch(o);
        QFile f(o.summaryFile);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return QString::fromUtf8(f.readAll());
    }
    QTemporaryDir folder;
};

// Every well in kwu_id order whatever the threads; the bad ones listed with their reason and the
// rest written, each into its own row only.
TEST_F(BatchRunTest, AFieldFromTheDatabase) {
    BatchReport dry, one, many;
    const QString planned = run(3, true, dry);
    EXPECT_EQ(dry.wells, 43);
    EXPECT_EQ(dry.failed, 2) << "too few rates and the flat well; the missing row is not written";
    const QString once = run(1, false, one);
    const QString again = run(4, false, many);
    EXPECT_EQ(once, again);
    EXPECT_EQ(one.failed, 3);
    const QStringList lines = once.split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 44);
    EXPECT_TRUE(lines[41].startsWith("41;linear;ошибка;"));
    EXPECT_TRUE(lines[43].contains("нет записи с kwu_id=43"));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "batch-check");
        db.setDatabaseName(databaseFile());
        ASSERT_TRUE(db.open());
        QSqlQuery q("select count(*) from kwu_ind where kprod > 0 and pplast > 0", db);
        ASSERT_TRUE(q.next());
        EXPECT_EQ(q.value(0).toInt(), 40);
    }
    QSqlDatabase::removeDatabase("batch-check");
}

// A folder of files, and the program's answers to its arguments.
TEST_F(BatchRunTest, AFolderAndTheCommandLine) {
    QDir(folder.path()).mkdir("wells");
    for (const auto& [name, text] : {std::pair{"7.csv", "Дебит;Давление\n10;20\n20;18\n30;16,1\n"},
                                     {"3.csv", "10,20\n20,18.5\n30,17\n"},
                                     {"9.csv", "10;20\n20;abc\n"}}) {
        QFile f(folder.filePath(QString("wells/") + name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    BatchOptions o;
    o.inputFolder = folder.filePath("wells");
    o.settings.pnas = "5";
    o.settings.estimation = EstimationMode::TransmissibilityFromSkin;
    o.settings.skin = "0";
    o.settings.rkontur = "300";
    o.settings.rwell = "0,1";
    o.summaryFile = folder.filePath("folder.csv");
    const BatchReport report = runBatch(o);
    EXPECT_EQ(report.wells, 3);
    EXPECT_EQ(report.failed, 1);
    QFile f(o.summaryFile);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[1].startsWith("3;linear;ok;6,666"));
    EXPECT_TRUE(lines[1].endsWith(";9,8;")) << "the transmissibility estimate";
    EXPECT_TRUE(lines[2].startsWith("7;linear;ok;"));
    EXPECT_TRUE(lines[3].contains("Строка 2"));

    const auto exitCode = [&](const QStringList& arguments) {
        QProcess p;
        p.start(ID_BUILD_DIR "/indicator-batch", arguments);
        p.waitForFinished(60000);
        return p.exitCode();
    };
    EXPECT_EQ(exitCode({"--database", databaseFile()}), 2) << "no rule";
    EXPECT_EQ(exitCode({"--rule", "linear", "--database", "x", "--connection", "y"}), 2);
    EXPECT_EQ(exitCode({"--rule", "linear", "--input", o.inputFolder, "--jobs", "0"}), 2);
    EXPECT_EQ(exitCode({"--rule", "linear", "--database", folder.filePath("none.db")}), 2);
    const QString pdf = folder.filePath("wells.pdf");
    EXPECT_EQ(
        exitCode({"--rule", "linear", "--input", o.inputFolder, "--pnas", "5", "--report", pdf}),
        1);
    QFile pages(pdf);
    ASSERT_TRUE(pages.open(QIODevice::ReadOnly));
    EXPECT_EQ(pages.readAll().count("/Type /Page\n"), 3) << "a page per well";
    EXPECT_EQ(exitCode({"--rule", "cubic", "--database", databaseFile(), "--dry-run"}), 1);
}

} // namespace
} // namespace id
