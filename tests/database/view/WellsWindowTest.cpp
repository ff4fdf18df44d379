#include "app/ResultSaving.h"
#include "batch/BatchRun.h"
#include "database/WellListModel.h"
#include "database/WellRuns.h"
#include "database/view/WellsActions.h"
#include "support/AnalysisFixture.h"
#include "support/PgServer.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <cmath>

namespace id::test {
namespace {

// A value as the database keeps it: six significant digits.
double stored(double v) {
    return QString::number(v, 'g', 6).toDouble();
}

// Wells 11, 12 and 13 of four regimes each on the line p = p0 − q / J (p0 = 20, 18, 16 MPa;
// J = 50, 40, 25 m³/(day·MPa)), their kwu_ind rows empty.
class WellsWindowTest : public AnalysisFixture {
protected:
    static void SetUpTestSuite() {
        qputenv("ODBCSYSINI", QByteArrayLiteral(ID_BUILD_DIR "/tests/odbc"));
    }
    // The first column of the last statement's rows.
    static QStringList sql(const StartOptions& o, const QStringList& statements) {
        return runStatements(o.DatabaseFile.isEmpty() ? "QODBC" : "QSQLITE",
                             WellDatabase(o).databaseName(), statements);
    }
    StartOptions server(qint64 record, const QString& port = serverPort()) const {
        return {.DatabaseMode = true,
                .ConnectionText = connectionText(database),
                .ServerName = "127.0.0.1," + port,
                .RecordId = record};
    }
    StartOptions sqlite(qint64 record) {
        StartOptions o{.DatabaseMode = true,
                       .RecordId = record,
                       .DatabaseFile = folder.filePath("wells.sqlite")};
        QFile(o.DatabaseFile).open(QIODevice::Append);
        return o;
    }
    // A fresh database on the server for each test: ctest runs them side by side.
    void freshServerDatabase() {
        ASSERT_FALSE(serverPort().isEmpty()) << "the test server did not start";
        database =
            QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->name())
                .toLower();
        StartOptions admin = server(0);
        admin.ConnectionText = connectionText("postgres");
        sql(admin, {"drop database if exists " + database, "create database " + database});
    }
    void fillField(const StartOptions& o) {
        sql(o, {"create table kwu_ind (kwu_id integer primary key, kprod numeric, pplast "
                "numeric, pzab_dop numeric)",
                "create table kwu_regime (kwu_id integer, rate double precision, pressure double "
                "precision, well_type integer)",
                "insert into kwu_ind values (11, null, null, null), (12, null, null, null), "
                "(13, null, null, null)",
                "insert into kwu_regime values (11, 10, 19.8, 1), (11, 20, 19.6, 1), "
                "(11, 30, 19.4, 1), (11, 40, 19.2, 1)",
                "insert into kwu_regime values (12, 10, 17.75, 1), (12, 20, 17.5, 1), "
                "(12, 30, 17.25, 1), (12, 40, 17, 1)",
                "insert into kwu_regime values (13, 10, 15.6, 1), (13, 20, 15.2, 1), "
                "(13, 30, 14.8, 1), (13, 40, 14.4, 1)"});
    }
    QString title() const { return frame->windowTitle(); }
    QTemporaryDir folder;
    QString database;
};

// Started for well 11: its regimes fill the table; the list opens from "Данные", the walk goes
// to well 12, whose line is built and saved; the list shows what the database now holds, and the
// walk follows the order the list is sorted in.
TEST_F(WellsWindowTest, StartsForARecordWalksToTheNextWellAndSavesIt) {
    freshServerDatabase();
    for (const bool onServer : {false, true}) {
        SCOPED_TRACE(onServer ? "PostgreSQL" : "SQLite");
        const StartOptions o = onServer ? server(11) : sqlite(11);
        fillField(o);
        start(o);
        frame->wells().readStartRegimes();
        frame->wells().wait();
        ASSERT_EQ(state().Table.size(), 4);
        EXPECT_EQ(state().Table[0].Rate, "10");
        EXPECT_EQ(state().Table[3].Pressure, "19,2");
        EXPECT_TRUE(title().contains("скважина 11")) << title().toStdString();

        ASSERT_TRUE(choose(menus().mEditWells));
        WellsWindow* list = frame->wells().window();
        ASSERT_TRUE(list);
        EXPECT_EQ(list->objectName(), "FormWells");
        list->wait();
        ASSERT_EQ(list->model().rowCount(), 3);
        ASSERT_TRUE(choose(menus().mWellNext));
        frame->wells().wait();
        EXPECT_TRUE(title().contains("скважина 12")) << title().toStdString();
        EXPECT_EQ(state().Table[0].Pressure, "17,75");
        EXPECT_EQ(frame->analysis().document().options().RecordId, 12);

        ASSERT_TRUE(choose(menus().mIdAdd));
        ASSERT_TRUE(choose(menus().mTrendLine));
        messages.clear();
        ASSERT_TRUE(choose(menus().mEditSave));
        frame->analysis().database().wait();
        EXPECT_EQ(messages.messages(), QStringList{"Результаты были успешно сохранены"});
        // J = 40 and p0 = 18 MPa, in the database's atmospheres.
        const double kprod = stored(40 / AtmospheresPerMegapascal);
        const double pplast = stored(18 * AtmospheresPerMegapascal);
        const QStringList row = sql(o, {"select kprod || ' ' || pplast from kwu_ind where "
                                        "kwu_id = 12"});
        ASSERT_EQ(row.size(), 1);
        EXPECT_NEAR(row[0].section(' ', 0, 0).toDouble(), kprod, 1e-12);
        EXPECT_NEAR(row[0].section(' ', 1, 1).toDouble(), pplast, 1e-9);
        list->wait();
        const WellListRow* shown = list->model().well(12);
        ASSERT_TRUE(shown);
        EXPECT_NEAR(shown->kprod.value, kprod, 1e-12);
        EXPECT_NEAR(shown->pplast.value, pplast, 1e-9);
        EXPECT_EQ(shown->state, WellState::Interpreted);

        // Sorted by kwu_id downwards, the next well after 12 is 11; the analysis changed since
        // it was opened, so the question comes first.
        list->table().sortByColumn(WellListModel::Id, Qt::DescendingOrder);
        const qsizetype asked = messages.questions().size();
        ASSERT_TRUE(choose(menus().mWellNext));
        frame->wells().wait();
        EXPECT_EQ(messages.questions().size(), asked + 1);
        EXPECT_TRUE(title().contains("скважина 11")) << title().toStdString();
        EXPECT_FALSE(choose(menus().mWellNext)) << "11 is the last well downwards";

        // Enter on a row, and a double click on one, open that well.
        QTableView& table = list->table();
        table.setCurrentIndex(list->model().index(list->model().shownRow(13), 0));
        QTest::keyClick(&table, Qt::Key_Return);
        frame->wells().wait();
        EXPECT_TRUE(title().contains("скважина 13")) << title().toStdString();
        list->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(list));
        const QModelIndex twelve = list->model().index(list->model().shownRow(12), 0);
        table.scrollTo(twelve);
        // A double click is a press and a second press on the same row.
        const QPoint at = table.visualRect(twelve).center();
        QTest::mousePress(table.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(table.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(table.viewport(), Qt::LeftButton, {}, at);
        frame->wells().wait();
        EXPECT_TRUE(title().contains("скважина 12")) << title().toStdString();
        frame.reset();
    }
}

// The batch's rule on the wells shown: each well in its own transaction, the refused one with
// its reason in the list and in the shared run's work table. A server that goes away while the
// list is read, or cannot be reached for a run, is said in Russian and nothing is written.
TEST_F(WellsWindowTest, TheRuleRunsOnTheShownWellsAndFaultsAreSaidWithNothingWritten) {
    freshServerDatabase();
    const StartOptions o = server(11);
    fillField(o);
    // Well 13 keeps one regime only: too few for a line.
    sql(o, {"delete from kwu_regime where kwu_id = 13 and rate > 10",
            "create view kwu_regime_gone as select * from kwu_regime where "
            "pg_terminate_backend(pg_backend_pid())"});
    BatchOptions run;
    run.connectionText = o.ConnectionText;
    run.serverName = o.ServerName;
    ASSERT_TRUE(startSharedRun(run).fatal.isEmpty());
    start(o);
    ASSERT_TRUE(choose(menus().mEditWells));
    WellsWindow* list = frame->wells().window();
    list->wait();
    list->model().setFilter(WellFilter::NotInterpreted);
    ASSERT_EQ(list->model().rowCount(), 3);
    messages.clear();
    list->applyRule({});
    list->wait();
    EXPECT_EQ(messages.messages(),
              QStringList{"Правило применено к скважинам: 3 из 3, из них с отказом: 1."});
    EXPECT_EQ(list->model().rowCount(), 0) << "none is left not interpreted";
    EXPECT_EQ(list->model().well(13)->state, WellState::Refused);
    EXPECT_FALSE(list->model().well(13)->reason.isEmpty());
    EXPECT_NEAR(list->model().well(11)->kprod.value, stored(50 / AtmospheresPerMegapascal), 1e-12);
    EXPECT_EQ(sql(o, {"select string_agg(kwu_id || ':' || ok, ',' order by kwu_id) from "
                      "kwu_batch_work where done"}),
              QStringList{"11:true,12:true,13:false"});
    EXPECT_EQ(sql(o, {"select count(*) from kwu_ind where kprod is null"}), QStringList{"1"});

    StartOptions gone = o;
    gone.RegimesTable = "kwu_regime_gone";
    StartOptions down = server(11, "9");
    const struct {
        const char* name;
        StartOptions options;
        bool listing;
        const char* said;
    } faults[] = {
        {"server gone while listing", gone, true, "связь с сервером прервалась"},
        {"server down for a run", down, false, "сервер не принимает подключения"},
    };
    for (const auto& f : faults) {
        SCOPED_TRACE(f.name);
        const QStringList before = sql(o, {"select string_agg(kwu_id || ':' || coalesce(kprod, "
                                           "-1), ',' order by kwu_id) from kwu_ind"});
        WellsWindow window(f.options, messages, [] { return BatchSettings{}; });
        messages.clear();
        if (f.listing) {
            window.reload();
        } else {
            window.model().setRows({WellListRow{.kwuId = 12}});
            window.applyRule({});
        }
        window.wait();
        ASSERT_EQ(messages.messages().size(), 1);
        EXPECT_TRUE(messages.last().contains(QString::fromUtf8(f.said)))
            << messages.last().toStdString();
        EXPECT_EQ(sql(o, {"select string_agg(kwu_id || ':' || coalesce(kprod, -1), ',' order "
                          "by kwu_id) from kwu_ind"}),
                  before);
        if (f.listing) {
            EXPECT_TRUE(window.model().rows().empty());
        }
    }
}

} // namespace
} // namespace id::test
