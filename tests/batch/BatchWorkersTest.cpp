#include "app/ResultSaving.h"
#include "database/WellDatabase.h"
#include "support/PgServer.h"
#include "support/QtPrinters.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace id {
namespace {

using test::connectionText;
using test::serverPort;

// Workers on the throw-away server: a field of 1 000 wells, three of them bad (one rate, flat
// pressures, no row in kwu_ind); a trigger counts every write into kwu_ind.
class BatchWorkersTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        qputenv("ODBCSYSINI", QByteArrayLiteral(ID_BUILD_DIR "/tests/odbc"));
    }
    QStringList sql(const QString& database, const QStringList& statements) {
        const StartOptions o{.ConnectionText = connectionText(database),
                             .ServerName = "127.0.0.1," + serverPort()};
        return test::runStatements("QODBC", WellDatabase(o).databaseName(), statements);
    }
    QString database;
    void SetUp() override {
        ASSERT_FALSE(serverPort().isEmpty());
        // A database of each test's own: ctest runs them side by side.
        database =
            QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->name())
                .toLower();
        sql("postgres", {"drop database if exists " + database, "create database " + database});
        sql(database,
            {"create table kwu_ind (kwu_id integer primary key, kprod numeric, pplast numeric, "
             "pzab_dop numeric)",
             "create table kwu_regime (kwu_id integer, rate double precision, pressure double "
             "precision, well_type integer)",
             "insert into kwu_ind select i, 0, 0, 0 from generate_series(1, 999) i",
             "insert into kwu_regime select i, 10 * k, 20 + i * 0.001 - 0.2 * k + 0.01 * (k % 2), "
             "1 from generate_series(1, 1000) i, generate_series(1, 4) k",
             "update kwu_regime set rate = 10 where kwu_id = 500",
             "update kwu_regime set pressure = 15 where kwu_id = 600",
             "create table writes (kwu_id integer)",
             "create function counted() returns trigger as $$ begin insert into writes values "
             "(new.kwu_id); return new; end $$ language plpgsql",
             "create trigger counted after update on kwu_ind for each row execute function "
             "counted()"});
    }
    QProcess* worker(const QStringList& extra = {}) {
        auto* p = new QProcess;
        p->start(ID_BUILD_DIR "/indicator-batch",
                 QStringList{"--connection", connectionText(database), "--server",
                             "127.0.0.1," + serverPort(), "--rule", "linear", "--pnas", "5"} +
                     extra);
        EXPECT_TRUE(p->waitForStarted());
        return p;
    }
    int finish(QProcess* p) {
        EXPECT_TRUE(p->waitForFinished(120000));
        const int code = p->exitCode();
        delete p;
        return code;
    }
    // Every well done, every good one written exactly once, the bad ones reported.
    void expectEveryWellOnce() {
        EXPECT_EQ(sql(database, {"select count(*) from kwu_batch_work where not done"}),
                  QStringList{"0"});
        EXPECT_EQ(sql(database, {"select count(*), count(distinct kwu_id) from writes"}),
                  QStringList{"997"});
        EXPECT_EQ(sql(database, {"select count(distinct kwu_id) from writes"}), QStringList{"997"});
        EXPECT_EQ(sql(database, {"select string_agg(kwu_id::text, ',' order by kwu_id) from "
                                 "kwu_batch_work where not ok"}),
                  QStringList{"500,600,1000"});
    }
};

TEST_F(BatchWorkersTest, TwoWorkersShareTheField) {
    EXPECT_EQ(finish(worker({"--start-run"})), 0);
    const QTemporaryDir dir;
    QProcess* a = worker({"--worker", "--summary", dir.filePath("a.csv")});
    QProcess* b = worker({"--worker", "--summary", dir.filePath("b.csv")});
    // Each says whether its own wells all worked: the bad ones went to one or the other.
    const int first = finish(a), second = finish(b);
    EXPECT_TRUE(first <= 1 && second <= 1 && first + second >= 1) << first << second;
    expectEveryWellOnce();
    // Each summary holds the wells its worker took: together every well once.
    QSet<int> ids;
    int lines = 0;
    for (const char* name : {"a.csv", "b.csv"}) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QStringList rows = QString::fromUtf8(f.readAll()).split("\r\n", Qt::SkipEmptyParts);
        for (qsizetype i = 1; i < rows.size(); ++i, ++lines)
            ids.insert(rows[i].section(';', 0, 0).toInt());
    }
    EXPECT_EQ(lines, 1000);
    EXPECT_EQ(ids.size(), 1000);
}

// A plain run through the server: the regimes read in one pass on a connection of their own while
// the results are written on the other.
TEST_F(BatchWorkersTest, APlainRunWritesEveryGoodWellOnce) {
    EXPECT_EQ(finish(worker()), 1) << "three bad wells";
    EXPECT_EQ(sql(database, {"select count(*) from writes"}), QStringList{"997"});
    EXPECT_EQ(sql(database, {"select count(distinct kwu_id) from writes"}), QStringList{"997"});
}

TEST_F(BatchWorkersTest, AKilledWorkersWellIsTakenByAnother) {
    EXPECT_EQ(finish(worker({"--start-run"})), 0);
    QProcess* a = worker({"--worker"});
    QElapsedTimer clock;
    clock.start();
    while (sql(database, {"select count(*) from kwu_batch_work where done"}).value(0).toInt() <
               100 &&
           clock.elapsed() < 60000)
        QThread::msleep(10);
    a->kill();
    a->waitForFinished();
    delete a;
    EXPECT_GT(
        sql(database, {"select count(*) from kwu_batch_work where not done"}).value(0).toInt(), 0)
        << "killed in the middle";
    EXPECT_EQ(finish(worker({"--worker"})), 1);
    expectEveryWellOnce();
}

} // namespace
} // namespace id
