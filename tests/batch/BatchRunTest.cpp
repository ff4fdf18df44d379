#include "batch/BatchRun.h"
#include "batch/ResultWriter.h"
#include "support/PdfText.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
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

// A result row that is there twice: that well's update is undone and said so, and every other
// well is written as in a field without the double row (the block is written again, each well
// then behind a savepoint of its own).
TEST_F(BatchRunTest, AWellWithTwoResultRowsIsUndoneAlone) {
    BatchReport plain, doubled;
    run(1, false, plain);
    const auto results = [&] {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "batch-double");
        db.setDatabaseName(databaseFile());
        EXPECT_TRUE(db.open());
        QStringList rows;
        QSqlQuery q("select kwu_id, kprod, pplast, pzab_dop from kwu_ind order by kwu_id", db);
        while (q.next())
            rows << QString("%1 %2 %3 %4")
                        .arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                             q.value(3).toString());
        return rows;
    };
    const QStringList expected = results();
    {
        QSqlDatabase db = QSqlDatabase::database("batch-double");
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec("create table k2 (kwu_id integer, kprod real, pplast real, "
                           "pzab_dop real)"));
        ASSERT_TRUE(q.exec("insert into k2 select kwu_id, 0, 0, 0 from kwu_ind"));
        ASSERT_TRUE(q.exec("insert into k2 values (5, 0, 0, 0)"));
        ASSERT_TRUE(q.exec("drop table kwu_ind"));
        ASSERT_TRUE(q.exec("alter table k2 rename to kwu_ind"));
    }
    QSqlDatabase::removeDatabase("batch-double");
    const QString summary = run(2, false, doubled);
    EXPECT_EQ(doubled.failed, plain.failed + 1);
    EXPECT_TRUE(summary.contains("Запрос затронул 2 записи вместо одной, изменения отменены."))
        << summary.toStdString();
    QStringList got = results();
    QSqlDatabase::removeDatabase("batch-double");
    QStringList want = expected;
    want.replaceInStrings(QRegularExpression("^5 .*"), "5 0 0 0");
    want.insert(want.indexOf("5 0 0 0"), "5 0 0 0");
    EXPECT_EQ(got, want);
}

// The disk's say is the summary's: a block whose transaction the database rolls back (here a
// trigger, as a full disk would) is written for none of its wells, and a well's own transaction
// that cannot begin (one left open) is no well written.
TEST_F(BatchRunTest, WhatTheDatabaseUndoesIsNotToldWritten) {
    const auto written = [&](const QString& connection) {
        QSqlQuery q("select count(*) from kwu_ind where kprod <> 0",
                    QSqlDatabase::database(connection));
        return q.next() ? q.value(0).toInt() : -1;
    };
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "batch-undone");
        db.setDatabaseName(databaseFile());
        ASSERT_TRUE(db.open());
        ASSERT_TRUE(QSqlQuery(db).exec("create trigger stop before update on kwu_ind when "
                                       "new.kwu_id = 7 begin select raise(rollback, 'нельзя'); "
                                       "end"));
    }
    BatchReport report;
    const QString summary = run(2, false, report);
    EXPECT_EQ(report.failed, 43) << summary.toStdString();
    EXPECT_TRUE(summary.contains("7;linear;ошибка;")) << summary.toStdString();
    EXPECT_EQ(summary.count("Запись блока отменена базой: "), 40) << summary.toStdString();
    EXPECT_EQ(written("batch-undone"), 0);

    {
        QSqlDatabase db = QSqlDatabase::database("batch-undone");
        ASSERT_TRUE(QSqlQuery(db).exec("drop trigger stop"));
        ASSERT_TRUE(db.transaction());
        // The writer's statements go before the connection is closed.
        batchrun::ResultWriter writer(db);
        WellOutcome o;
        o.kwuId = 3;
        o.ok = true;
        o.productivity = 2;
        o.reservoirPressure = 20;
        EXPECT_TRUE(writer.write(o, false).startsWith("Запись не начата: "));
        ASSERT_TRUE(db.rollback());
        EXPECT_EQ(written("batch-undone"), 0);
        EXPECT_EQ(writer.write(o, false), QString()) << "with no transaction left open";
        EXPECT_EQ(written("batch-undone"), 1);
    }
    QSqlDatabase::removeDatabase("batch-undone");
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
    EXPECT_TRUE(lines[3].endsWith("режим 2: давление «abc» — не число"));

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

struct Finished {
    int exitCode = -1;
    QString output;
    QString errors;
};

Finished runProgram(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.start(program, arguments);
    p.waitForFinished(120000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

Finished runBatchProgram(const QStringList& arguments) {
    return runProgram(ID_BUILD_DIR "/indicator-batch", arguments);
}

// The reference well: the least-squares line through these points, by hand, is
// P = 21,94 - 0,196 q (Sxy = -196, Sxx = 1000 about q = 30, P = 16,06): PI = 1/0,196 =
// 5,10204 м3/сут/МПа, Pпл = 21,94 МПа; in the database's units (9,869233 atm per MPa)
// kprod = 0,516964 and pplast = 216,531. The same rates with every pressure 1 MPa higher give
// pplast = 22,94 * 9,869233 = 226,400.
const double ReferencePlast = 216.531;
const double HigherPlast = 226.400;
// What a refused well's row holds before the run and must hold after it.
const double Untouched = -7;

// A field as spreadsheets and several systems leave one: each well's cells, its id as stored,
// what its line of the summary says and what its kwu_ind row holds after the run (0: untouched).
TEST(HostileField, ReadOrRefuseNeverInvent) {
    QTemporaryDir dir;
    const QString file = dir.filePath("field.db");
    const QVariantList pressures{20, 18, 16.1, 14, 12.2};
    // Each well: its id as stored, the pressures at 10…50 and, if any, a sixth regime of another
    // well type or cells.
    const struct {
        QVariant id;
        QVariantList pressures;
        QVariantList sixth = {}; // rate, pressure, well type
    } wells[] = {
        {1, pressures},
        {2, pressures, {"", 3, 1}},
        {3, {"20", "18,0", "\"16,1\"", "14", "12.2"}},
        {4, pressures, {60, "n/a", 1}},
        {5, pressures, {60, QVariant(), 1}},
        {6, pressures, {70, 10, 2}},
        {2.5, pressures},
        {qint64(4294967297), {21, 19, 17.1, 15, 13.2}},
        {8, pressures},
        {"8", pressures},
        {"abc", pressures},
        {"", pressures},
        {9, pressures},
    };
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "hostile");
        db.setDatabaseName(file);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        // No type on the regimes' columns, as an import leaves them: texts stay texts.
        ASSERT_TRUE(q.exec("create table kwu_regime (kwu_id, rate, pressure, well_type)"));
        ASSERT_TRUE(q.exec("create table kwu_ind (kwu_id integer primary key, kprod real, "
                           "pplast real, pzab_dop real)"));
        // Rows start with what a refused well must leave as it finds it.
        for (const qint64 id : {1LL, 2LL, 3LL, 4LL, 5LL, 6LL, 8LL, 9LL, 4294967297LL})
            ASSERT_TRUE(q.exec(
                QString("insert into kwu_ind values (%1, %2, %2, %2)").arg(id).arg(Untouched)));
        q.prepare("insert into kwu_regime values (?, ?, ?, ?)");
        for (const auto& w : wells) {
            std::vector<QVariantList> rows;
            for (int k = 0; k < 5; ++k)
                rows.push_back({10 * (k + 1), w.pressures[k], 1});
            if (!w.sixth.isEmpty())
                rows.push_back(w.sixth);
            for (const QVariantList& row : rows) {
                q.addBindValue(w.id);
                for (const QVariant& cell : row)
                    q.addBindValue(cell);
                ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();
            }
        }
    }
    QSqlDatabase::removeDatabase("hostile");
    const QString summaryFile = dir.filePath("summary.csv");
    const Finished run = runBatchProgram(
        {"--rule", "linear", "--pnas", "5", "--database", file, "--summary", summaryFile});
    EXPECT_EQ(run.exitCode, 1) << "the run went through, some wells refused";
    QFile summary(summaryFile);
    ASSERT_TRUE(summary.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(summary.readAll()).split("\r\n");
    const struct {
        QString id;
        QString state;
        QString message;
        double pplast;
    } expected[] = {
        {"1", "ok", "", ReferencePlast},
        {"2", "ok", "режим 6 не учтён: дебит не задан (пустая ячейка)", ReferencePlast},
        {"3", "ok", "", ReferencePlast},
        {"4", "ошибка", "режим 6: давление «n/a» — не число", Untouched},
        {"5", "ok", "режим 6 не учтён: давление не задано (NULL)", ReferencePlast},
        {"6", "ошибка", "режимы и добывающей, и нагнетательной скважины", Untouched},
        {"2.5", "ошибка", "kwu_id «2,5» — не целое число", 0},
        {"4294967297", "ok", "", HigherPlast},
        {"8", "ошибка", "записан в таблице режимов по-разному", Untouched},
        {"9", "ok", "", ReferencePlast},
        {"8", "ошибка", "записан в таблице режимов по-разному", Untouched},
        {"abc", "ошибка", "kwu_id «abc» — не целое число", 0},
        {"«»", "ошибка", "kwu_id не задан", 0},
    };
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "hostile-check");
    db.setDatabaseName(file);
    ASSERT_TRUE(db.open());
    for (const auto& e : expected) {
        SCOPED_TRACE(e.id.toStdString());
        const auto line = std::find_if(lines.begin(), lines.end(), [&](const QString& l) {
            return l.startsWith(e.id + ";") && l.contains(e.message);
        });
        ASSERT_NE(line, lines.end());
        EXPECT_EQ(line->section(';', 2, 2), e.state);
        bool integer = false;
        const qint64 id = e.id.toLongLong(&integer);
        if (!integer)
            continue;
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(
            QString("select pplast, kprod, pzab_dop from kwu_ind where kwu_id = %1").arg(id)));
        ASSERT_TRUE(q.next());
        EXPECT_NEAR(q.value(0).toDouble(), e.pplast, 1e-3);
        if (e.pplast == Untouched) {
            EXPECT_EQ(q.value(1).toDouble(), Untouched);
            EXPECT_EQ(q.value(2).toDouble(), Untouched);
        }
    }
    QSqlQuery rows(db);
    ASSERT_TRUE(rows.exec("select count(*) from kwu_ind"));
    ASSERT_TRUE(rows.next());
    EXPECT_EQ(rows.value(0).toInt(), 9) << "no row made for an id cut or rounded";
    db.close();
    db = {};
    QSqlDatabase::removeDatabase("hostile-check");
}

TEST(HostileField, FolderOfWellFiles) {
    QTemporaryDir dir;
    for (const auto& [name, text] :
         {std::pair{"5.csv", "10;20\n20;18\n"},
          {"05.csv", "10;20\n20;18\n"},
          {"7.csv", "\"Дебит\";\"Давление\"\n\"1 000\";\"20,5\"\n2 000;18\n3000;16\n"},
          {"8.csv", "10;20\n20;\n30;16\n40;14\n"},
          {"9.csv", "10;20\n20;n/a\n30;16\n"},
          {"итог.csv", "10;20\n20;18\n"}}) {
        QFile f(dir.filePath(QString::fromUtf8(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    const QString summaryFile = dir.filePath("summary.txt");
    const Finished run = runBatchProgram(
        {"--rule", "linear", "--pnas", "5", "--input", dir.path(), "--summary", summaryFile});
    EXPECT_EQ(run.exitCode, 1);
    QFile summary(summaryFile);
    ASSERT_TRUE(summary.open(QIODevice::ReadOnly));
    const QStringList lines =
        QString::fromUtf8(summary.readAll()).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 6);
    EXPECT_TRUE(lines[1].startsWith("итог.csv;linear;пропущен;")) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].startsWith("5;linear;ошибка;"));
    EXPECT_TRUE(lines[2].contains("несколько файлов (05.csv, 5.csv)"));
    // 7: P = 22,6667 - 0,00225 q through (1000; 20,5), (2000; 18), (3000; 16), by hand: Sxy =
    // -4500 about q = 2000, P = 18,1667, Sxx = 2 000 000; PI = 1/0,00225 = 444,444.
    EXPECT_TRUE(lines[3].startsWith("7;linear;ok;444,444444")) << lines[3].toStdString();
    EXPECT_TRUE(lines[4].startsWith("8;linear;ok;"));
    EXPECT_TRUE(lines[4].endsWith("режим 2 не учтён: давление не задано (пустая ячейка)"));
    EXPECT_TRUE(lines[5].endsWith("режим 2: давление «n/a» — не число"));
}

// The summary and the report on a full disk: a small filesystem of its own, mounted where the
// system lets a user namespace do so.
TEST(HostileField, FullDiskKeepsTheOldFiles) {
    QTemporaryDir dir;
    const QString file = dir.filePath("field.db");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "full-disk");
        db.setDatabaseName(file);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        q.exec("create table kwu_regime (kwu_id integer, rate real, pressure real, well_type "
               "integer)");
        q.exec("with recursive w(id) as (select 1 union all select id + 1 from w where id < 600), "
               "k(n) as (select 1 union all select n + 1 from k where n < 3) insert into "
               "kwu_regime select id, 10 * n, 20 - n + id * 0.001, 1 from w, k");
    }
    QSqlDatabase::removeDatabase("full-disk");
    const QString disk = dir.filePath("disk");
    QDir().mkpath(disk);
    const QString script =
        QString("mount -t tmpfs -o size=48k tmpfs '%1' || exit 77; printf old > '%1/s.csv'; "
                "printf old > '%1/r.pdf'; '%2' --rule linear --pnas 5 --database '%3' --dry-run "
                "--summary '%1/s.csv' --report '%1/r.pdf'; echo \"exit=$?\"; cat '%1/s.csv' "
                "'%1/r.pdf'")
            .arg(disk, ID_BUILD_DIR "/indicator-batch", file);
    const Finished run = runProgram("unshare", {"-rm", "sh", "-c", script});
    if (run.exitCode == 77 || !run.output.contains("exit="))
        GTEST_SKIP() << "no small filesystem can be mounted here";
    EXPECT_EQ(run.output, "exit=2\noldold");
    EXPECT_TRUE(run.errors.contains("Сводка не записана: на диске нет места"))
        << run.errors.toStdString();
    EXPECT_TRUE(run.errors.contains("Отчёт не записан: на диске нет места"));
}

// Numbers of the arguments checked as the window's boxes check them, refused with status 2.
TEST(HostileField, RefusedArguments) {
    const struct {
        QStringList arguments;
        QString said;
    } cases[] = {
        {{"--pnas", "abc"}, "--pnas: «abc» — не число"},
        {{"--pnas", "0"}, "--pnas: давление насыщения: «0» не подходит"},
        {{"--model-pres", "-3"}, "--model-pres: пластовое давление для моделей: «-3»"},
        {{"--estimate", "transmissibility", "--skin", "1e308"}, "--skin: скин-эффект"},
        {{"--estimate", "skin", "--skin", "0"}, "--skin: гидропроводность: «0»"},
        {{"--estimate", "skin", "--rkontur", "0"}, "--rkontur: радиус контура питания"},
        {{"--estimate", "skin", "--rwell", "-1"}, "--rwell: радиус скважины: «-1»"},
        {{"--jobs", "x"}, "--jobs должен быть целым"},
        {{"--bogus"}, "Неизвестный параметр: bogus"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const Finished run =
            runBatchProgram(QStringList{"--rule", "linear", "--input", "."} + c.arguments);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.errors.contains(c.said)) << run.errors.toStdString();
    }
    // No driver registered as "SQL Server": the run says what to register.
    QTemporaryDir noDrivers;
    const QByteArray drivers = qgetenv("ODBCSYSINI");
    qputenv("ODBCSYSINI", noDrivers.path().toLocal8Bit());
    const Finished noDriver = runBatchProgram(
        {"--rule", "linear", "--connection", "Database=wells", "--server", "127.0.0.1,1"});
    if (drivers.isNull())
        qunsetenv("ODBCSYSINI");
    else
        qputenv("ODBCSYSINI", drivers);
    EXPECT_EQ(noDriver.exitCode, 2);
    EXPECT_TRUE(noDriver.errors.contains("под именем «SQL Server» в odbcinst.ini"));
    EXPECT_TRUE(runBatchProgram({"--help"}).output.contains("Код завершения: 0"));
    EXPECT_EQ(runBatchProgram({"--version"}).exitCode, 0);
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
