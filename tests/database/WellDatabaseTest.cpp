#include "database/WellDatabase.h"
#include "support/AnalysisFixture.h"

#include <QFile>
#include <QLabel>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>
#include <QVariant>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// The server tests run against the throw-away PostgreSQL server that CTest starts, reached
// through the PostgreSQL ODBC driver registered as "SQL Server".

namespace id::test {
namespace {

QString serverPort() {
    QFile file(QStringLiteral(ID_BUILD_DIR "/tests/pg/port"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()).trimmed()
                                          : QString();
}

// Start options for the test server, with the port the way SQL Server writes it.
StartOptions server(const QString& database, int record, const QString& port = serverPort()) {
    return {.DatabaseMode = true,
            .DatabaseRecordLoaded = true,
            .ConnectionText =
                QStringLiteral("Provider=MSDASQL;Trusted_Connection=yes;Database=") + database,
            .ServerName = QStringLiteral("127.0.0.1,") + port,
            .RecordId = record};
}

// Runs statements on a database of the options and returns the first column of the last one.
QStringList query(const StartOptions& options, const QStringList& statements) {
    QStringList values;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(
            options.DatabaseFile.isEmpty() ? "QODBC" : "QSQLITE", "test-reader");
        db.setDatabaseName(WellDatabase(options).databaseName());
        EXPECT_TRUE(db.open()) << db.lastError().text().toStdString();
        for (const QString& statement : statements) {
            QSqlQuery q(db);
            EXPECT_TRUE(q.exec(statement)) << q.lastError().text().toStdString();
            values.clear();
            while (q.next())
                for (int i = 0; i < q.record().count(); ++i)
                    values << (q.isNull(i) ? "NULL"
                                           : QString::number(q.value(i).toDouble(), 'f', 2));
        }
    }
    QSqlDatabase::removeDatabase("test-reader");
    return values;
}

// A server that accepts connections and never answers: the connection must give up by itself.
class SilentServer {
public:
    SilentServer() {
        socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        ::bind(socket_, reinterpret_cast<sockaddr*>(&address), size);
        ::listen(socket_, 8);
        ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
    }
    ~SilentServer() { ::close(socket_); }
    QString port() const { return QString::number(port_); }

private:
    int socket_ = -1;
    int port_ = 0;
};

class WellDatabaseTest : public AnalysisFixture {
protected:
    static void SetUpTestSuite() {
        qputenv("ODBCSYSINI", QByteArrayLiteral(ID_BUILD_DIR "/tests/odbc"));
    }
    // An SQLite well database with the records 1..3, or without the table.
    StartOptions sqlite(int record, bool withTable = true) {
        StartOptions o{.DatabaseMode = true,
                       .DatabaseRecordLoaded = true,
                       .RecordId = record,
                       .DatabaseFile = folder.filePath(
                           QStringLiteral("wells%1%2.sqlite").arg(record).arg(withTable))};
        QFile(o.DatabaseFile).open(QIODevice::WriteOnly);
        if (withTable)
            query(o, {"create table kwu_ind (kwu_id integer primary key, kprod real, pplast real, "
                      "pzab_dop real)",
                      "insert into kwu_ind values (1, 1, 1, 1), (2, 1, 1, 1), (3, 1, 1, 1)"});
        return o;
    }
    static AnalysisState results(double index, double reservoir, double allowed) {
        AnalysisState s;
        s.ProductivityIndex = index;
        s.ReservoirPressure = reservoir;
        s.AllowedBottomholePressure = allowed;
        return s;
    }
    static QStringList row(const StartOptions& o) {
        return query(o, {QStringLiteral("select kprod, pplast, pzab_dop from kwu_ind where "
                                        "kwu_id=%1")
                             .arg(o.RecordId)});
    }
    QTemporaryDir folder;
};

TEST_F(WellDatabaseTest, SavesIntoSqliteAndPostgresAndReadsBack) {
    ASSERT_FALSE(serverPort().isEmpty()) << "the test server did not start";
    for (const StartOptions& o : {sqlite(2), server("wells", 4)}) {
        SCOPED_TRACE(o.DatabaseFile.isEmpty() ? "PostgreSQL" : "SQLite");
        EXPECT_TRUE(WellDatabase(o).checkRecord().ok);
        const DatabaseOutcome saved = WellDatabase(o).saveResults(results(19.7385, 0, 5));
        EXPECT_TRUE(saved.ok) << saved.message.toStdString();
        EXPECT_EQ(saved.message, "Результаты были успешно сохранены");
        EXPECT_EQ(row(o), QStringList({"2.00", "NULL", "49.35"}));
        // Saving again updates the same row; the neighbours stay as they were.
        EXPECT_TRUE(WellDatabase(o).saveResults(results(1, 20.26, 0)).ok);
        EXPECT_EQ(row(o), QStringList({"0.10", "199.95", "NULL"}));
        StartOptions neighbour = o;
        neighbour.RecordId = 1;
        EXPECT_EQ(row(neighbour), QStringList({"1.00", "1.00", "1.00"}));
    }
}

TEST_F(WellDatabaseTest, FailuresNameTheirCauseAndSaveNothing) {
    ASSERT_FALSE(serverPort().isEmpty()) << "the test server did not start";
    // The shortest waits: each failure below is one of them running out.
    const DatabaseWaits usual = databaseWaits();
    setDatabaseWaits({.login = 1, .lock = 1, .statement = 2});
    const auto restore = qScopeGuard([&] { setDatabaseWaits(usual); });
    const SilentServer silent;
    StartOptions missingFile = sqlite(1);
    missingFile.DatabaseFile += ".gone";
    // The cause in Russian in the message, the driver's own words in the details.
    struct Case {
        const char* name;
        StartOptions options;
        QString cause;
        QString driver;
    };
    const Case cases[] = {
        // A port below 1024 that nothing listens on here.
        {"server down", server("wells", 1, "9"), "сервер не принимает подключения", ""},
        {"server silent", server("wells", 1, silent.port()), "сервер не ответил вовремя",
         "timeout expired"},
        {"missing table", server("empty", 1), "в базе нет таблицы kwu_ind",
         "relation \"kwu_ind\" does not exist"},
        {"missing row on the server", server("wells", 999), "нет записи с kwu_id=999", ""},
        {"missing row in the file", sqlite(999), "нет записи с kwu_id=999", ""},
        {"file without the table", sqlite(1, false), "в базе нет таблицы kwu_ind",
         "no such table: kwu_ind"},
        {"file gone", missingFile, "не найден", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DatabaseOutcome check = WellDatabase(c.options).checkRecord();
        EXPECT_FALSE(check.ok);
        EXPECT_TRUE(check.message.contains("сохранение результатов недоступно"))
            << check.message.toStdString();
        const DatabaseOutcome saved = WellDatabase(c.options).saveResults(results(2, 20, 15));
        EXPECT_FALSE(saved.ok);
        EXPECT_TRUE(saved.message.startsWith("Результаты не сохранены."));
        EXPECT_TRUE(saved.message.contains(c.cause)) << saved.message.toStdString();
        EXPECT_TRUE(saved.details.contains(c.driver)) << saved.details.toStdString();
        if (!c.driver.isEmpty()) {
            EXPECT_FALSE(saved.message.contains(c.driver)) << "the driver's words in the details";
        }
    }
    EXPECT_FALSE(QFile::exists(missingFile.DatabaseFile));
    EXPECT_EQ(row(server("wells", 1)), QStringList({"1.00", "1.00", "1.00"}));

    // A row that another session holds locked: the save gives up instead of freezing the window.
    {
        QSqlDatabase other = QSqlDatabase::addDatabase("QODBC", "other-session");
        other.setDatabaseName(WellDatabase(server("wells", 6)).databaseName());
        ASSERT_TRUE(other.open());
        ASSERT_TRUE(other.transaction());
        QSqlQuery(other).exec("update kwu_ind set kprod=5 where kwu_id=6");
        const DatabaseOutcome saved =
            WellDatabase(server("wells", 6)).saveResults(results(2, 20, 15));
        EXPECT_FALSE(saved.ok);
        EXPECT_TRUE(saved.message.contains("запись занята другим пользователем, ожидание (1 с)"))
            << saved.message.toStdString();
        EXPECT_TRUE(saved.details.contains("lock timeout")) << saved.details.toStdString();
        other.rollback();
    }
    QSqlDatabase::removeDatabase("other-session");

    // A server that takes longer than the limit over the statement: the save ends with that said.
    query(server("wells", 8),
          {"create function slow_update() returns trigger as $$ begin perform pg_sleep(30); "
           "return new; end $$ language plpgsql",
           "create trigger slow before update on kwu_ind for each row when (new.kwu_id = 8) "
           "execute function slow_update()"});
    const DatabaseOutcome slow = WellDatabase(server("wells", 8)).saveResults(results(2, 20, 15));
    EXPECT_FALSE(slow.ok);
    EXPECT_TRUE(slow.message.contains("сервер не выполнил запрос за 2 с"))
        << slow.message.toStdString();
    EXPECT_EQ(row(server("wells", 8)), QStringList({"1.00", "1.00", "1.00"}));

    // Two rows under one key are both left as they were.
    StartOptions twice = sqlite(7, false);
    query(twice, {"create table kwu_ind (kwu_id integer, kprod real, pplast real, pzab_dop real)",
                  "insert into kwu_ind values (7, 1, 1, 1), (7, 1, 1, 1)"});
    const DatabaseOutcome saved = WellDatabase(twice).saveResults(results(2, 20, 15));
    EXPECT_FALSE(saved.ok);
    EXPECT_TRUE(saved.message.contains("затронул 2 записи с kwu_id=7 вместо одной; изменения "
                                       "отменены"))
        << saved.message.toStdString();
    EXPECT_EQ(row(twice), QStringList({"1.00", "1.00", "1.00", "1.00", "1.00", "1.00"}));
}

TEST_F(WellDatabaseTest, TheSaveCommandReportsAndLeavesTheAnalysisAlone) {
    ASSERT_FALSE(serverPort().isEmpty()) << "the test server did not start";
    for (const StartOptions& o : {sqlite(3), server("wells", 5), server("wells", 998)}) {
        start(o);
        driver = GridDriver{frame->workWindow().MSFlexGrid1};
        build("10\t20\n20\t18\n30\t16\n");
        ASSERT_TRUE(choose(menus().mTrendLine));
        const AnalysisState before = state();
        messages.clear();
        ASSERT_TRUE(choose(menus().mEditSave));
        frame->analysis().database().wait();
        EXPECT_TRUE(state() == before);
        ASSERT_EQ(messages.messages().size(), 1);
        if (o.RecordId == 998) {
            EXPECT_TRUE(messages.last().contains("нет записи с kwu_id=998"));
            emit menus().mEdit->aboutToShow();
            EXPECT_FALSE(menus().mEditSave->isEnabled()) << "the record is gone";
            frame->analysis().database().wait();
            continue;
        }
        EXPECT_EQ(messages.last(), "Результаты были успешно сохранены");
        // 5 m3/day per MPa, 22 MPa, and no allowed pressure for a producing well's line.
        EXPECT_EQ(row(o), QStringList({"0.51", "217.12", "NULL"}));
    }
}

// A save waiting on a locked row runs beside the window: commands go on, one save at a time, the
// window shows it and closes only after it; a record missing at start is looked for again when
// the data menu opens.
TEST_F(WellDatabaseTest, TheWindowWorksWhileTheDatabaseDoes) {
    ASSERT_FALSE(serverPort().isEmpty()) << "the test server did not start";
    const StartOptions o = server("wells", 6);
    QSqlDatabase other = QSqlDatabase::addDatabase("QODBC", "locking-session");
    other.setDatabaseName(WellDatabase(o).databaseName());
    ASSERT_TRUE(other.open());
    ASSERT_TRUE(other.transaction());
    ASSERT_TRUE(QSqlQuery(other).exec("update kwu_ind set kprod=5 where kwu_id=6"));

    start(o);
    build("10\t20\n20\t18\n30\t16\n");
    ASSERT_TRUE(choose(menus().mTrendLine));
    messages.clear();
    ASSERT_TRUE(choose(menus().mEditSave));
    EXPECT_TRUE(frame->analysis().database().busy());
    EXPECT_TRUE(choose(menus().mTrendPolinom2));
    EXPECT_EQ(state().FirstTrend.Kind, QuadraticTrend);
    messages.clear();
    auto* progress = frame->findChild<QLabel*>("SaveProgress");
    ASSERT_TRUE(progress);
    EXPECT_TRUE(progress->isVisibleTo(frame.get()));
    EXPECT_FALSE(choose(menus().mEditSave)) << "one save at a time";
    EXPECT_FALSE(frame->close());
    EXPECT_TRUE(messages.messages().isEmpty()) << messages.messages().join("|").toStdString();
    QTRY_VERIFY_WITH_TIMEOUT(!frame->analysis().database().busy(), 20000);
    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_TRUE(messages.last().contains("запись занята другим пользователем"));
    QTest::qWait(50);
    EXPECT_TRUE(frame->isVisible()) << "after a failed save the user can try again";
    other.rollback();
    messages.clear();
    ASSERT_TRUE(choose(menus().mEditSave));
    EXPECT_FALSE(frame->close());
    QTRY_VERIFY_WITH_TIMEOUT(!frame->isVisible(), 20000);
    EXPECT_EQ(messages.messages(), QStringList({"Результаты были успешно сохранены"}));
    other.close();
    other = {};
    QSqlDatabase::removeDatabase("locking-session");

    StartOptions later = sqlite(2);
    later.DatabaseRecordLoaded = false;
    start(later);
    build("10\t20\n20\t18\n30\t16\n");
    ASSERT_TRUE(choose(menus().mTrendLine));
    emit menus().mEdit->aboutToShow();
    frame->analysis().database().wait();
    EXPECT_TRUE(menus().mEditSave->isEnabled());
}

TEST(WellDatabaseCause, CommonDriverErrorsAreSaidInRussian) {
    const std::pair<const char*, const char*> cases[] = {
        {"ERROR: canceling statement due to statement timeout", "не выполнил запрос за 15 с"},
        {"ERROR: canceling statement due to lock timeout", "занята другим пользователем"},
        {"[Microsoft][SQL Server]Lock request time out period exceeded.", "занята другим"},
        {"database is locked Unable to fetch row", "файл базы занят другой программой"},
        {"server closed the connection unexpectedly", "связь с сервером прервалась"},
        {"Invalid object name 'kwu_ind'.", "нет таблицы kwu_ind"},
        {"ERROR: column \"pzab_dop\" of relation \"kwu_ind\" does not exist",
         "нет нужного столбца"},
        {"attempt to write a readonly database", "только для чтения"},
        {"[unixODBC][Driver Manager]Data source name not found", "не установлен"},
        {"something unheard of", ""},
    };
    for (const auto& [driver, cause] : cases) {
        SCOPED_TRACE(driver);
        const QString said = databaseCause(driver);
        EXPECT_EQ(said.isEmpty(), QString(cause).isEmpty());
        EXPECT_TRUE(said.contains(QString::fromUtf8(cause))) << said.toStdString();
    }
}

} // namespace
} // namespace id::test
