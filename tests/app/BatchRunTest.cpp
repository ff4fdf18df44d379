#include "app/BatchRun.h"
#include "support/PdfText.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <tuple>

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
    EXPECT_EQ(pages.readAll().count("/Type /Page\n"), 4) << "the run's page, a page per well";
    EXPECT_EQ(exitCode({"--rule", "cubic", "--database", databaseFile(), "--dry-run"}), 1);
}

// The report: a first page with the run's settings and counts, refusals by reason, then a page
// per well with its diagram, results with intervals or the reason it was refused.
TEST_F(BatchRunTest, TheReportCountsTheRunAndShowsEachWell) {
    QDir(folder.path()).mkdir("wells");
    const QByteArray bent = "10;20\n20;19\n30;18\n40;17\n50;14\n60;11\n70;8\n";
    for (const auto& [name, text] : {std::pair{"1.csv", bent},
                                     {"2.csv", QByteArray("10;20\n")},
                                     {"3.csv", QByteArray("10;20\n")}}) {
        QFile f(folder.filePath(QString("wells/") + name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    const QString pdf = folder.filePath("wells.pdf");
    QProcess p;
    p.start(
        ID_BUILD_DIR "/indicator-batch",
        {"--rule", "break", "--input", folder.filePath("wells"), "--pnas", "5", "--report", pdf});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 1) << p.readAllStandardError().toStdString();
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList pages = test::pdfText(file.readAll()).split('\f', Qt::SkipEmptyParts);
    ASSERT_EQ(pages.size(), 4) << "the run's page, a page per well";
    const auto words = [](QString t) { return t.simplified(); };
    const QString run = words(pages[0]);
    for (const QString& wanted : {QString("Правило break"), QString("Давление насыщения, МПа 5"),
                                  QString("Скважин Интерпретировано Не интерпретировано 3 1 2")})
        EXPECT_TRUE(run.contains(wanted)) << wanted.toStdString() << "\n" << run.toStdString();
    // The two refused wells share their reason, counted once for both.
    const QString refused = words(pages[2]);
    ASSERT_TRUE(refused.contains("Не интерпретирована")) << refused.toStdString();
    const QString reason =
        refused.section("Не интерпретирована ", 1).section(" Режимы", 0, 0).trimmed();
    ASSERT_FALSE(reason.isEmpty());
    EXPECT_TRUE(run.contains(reason + " 2")) << reason.toStdString() << "\n" << run.toStdString();

    const QString well = words(pages[1]);
    for (const char* wanted :
         {"Скважина kwu_id 1 (добывающая), правило break", "P заб, МПа", "Дебит, м3/сут", "излом",
          "95 % интервал", "Предельно-допустимое забойное давление, МПа"})
        EXPECT_TRUE(well.contains(wanted)) << wanted << "\n" << well.toStdString();
    EXPECT_TRUE(words(pages[3]).contains("Скважина kwu_id 3"));
}

// The help's example, from an empty database to the summary, run as it stands there: the wells'
// results are the lines' own (5 and 7,5 m3/(day*MPa), 22 and 10 MPa) in the database's units.
TEST(BatchHelp, TheWorkedExampleRunsAsWritten) {
    QFile page(ID_SOURCE_DIR "/src/app/help/batch.html");
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(page.readAll())
                             .replace("&lt;", "<")
                             .replace("&gt;", ">")
                             .replace("&amp;", "&");
    const qsizetype start = html.indexOf("<<'SQL'\n");
    const qsizetype end = html.indexOf("\nSQL\n", start);
    ASSERT_TRUE(start > 0 && end > start);
    const QString sql = html.mid(start + 8, end - start - 8);
    const QString command =
        html.mid(end + 5).section('\n', 0, 0).trimmed(); // indicator-batch --database ...
    ASSERT_TRUE(command.startsWith("indicator-batch ")) << command.toStdString();

    QTemporaryDir folder;
    QProcess sqlite;
    sqlite.setWorkingDirectory(folder.path());
    sqlite.start("sqlite3", {"field.sqlite"});
    sqlite.write(sql.toUtf8());
    sqlite.closeWriteChannel();
    ASSERT_TRUE(sqlite.waitForFinished(30000));
    ASSERT_EQ(sqlite.exitCode(), 0) << sqlite.readAllStandardError().toStdString();
    QProcess batch;
    batch.setWorkingDirectory(folder.path());
    batch.start(ID_BUILD_DIR "/indicator-batch", command.split(' ', Qt::SkipEmptyParts).mid(1));
    ASSERT_TRUE(batch.waitForFinished(60000));
    EXPECT_EQ(batch.exitCode(), 0) << batch.readAllStandardError().toStdString();
    QFile summary(folder.filePath("summary.csv"));
    ASSERT_TRUE(summary.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(summary.readAll()).count("\r\n"), 3);

    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "worked-example");
    db.setDatabaseName(folder.filePath("field.sqlite"));
    ASSERT_TRUE(db.open());
    QSqlQuery q(db);
    ASSERT_TRUE(q.exec("select kwu_id, kprod, pplast from kwu_ind order by kwu_id"));
    const double atmospheres = 9.86923; // per MPa
    for (const auto& [id, index, reservoir] : {std::tuple{1, 5.0, 22.0}, {2, 7.5, 10.0}}) {
        ASSERT_TRUE(q.next());
        EXPECT_EQ(q.value(0).toInt(), id);
        EXPECT_NEAR(q.value(1).toDouble(), index / atmospheres, 1e-5);
        EXPECT_NEAR(q.value(2).toDouble(), reservoir * atmospheres, 1e-3);
    }
    q = QSqlQuery();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase("worked-example");

    // The options' help carries the essentials of the page.
    QProcess help;
    help.start(ID_BUILD_DIR "/indicator-batch", {"--help"});
    ASSERT_TRUE(help.waitForFinished(30000));
    const QString text = QString::fromUtf8(help.readAllStandardOutput());
    for (const char* wanted : {"kwu_regime", "ровно одна строка", "Port=5432", "odbcinst.ini",
                               "[SQL Server]", "Код завершения", "Параметры:"})
        EXPECT_TRUE(text.contains(wanted)) << wanted;
}

} // namespace
} // namespace id
