#include "batch/SqliteStatement.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace id::batchrun {
namespace {

class SqliteStatementTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        db = QSqlDatabase::addDatabase("QSQLITE", "statement-test");
        db.setDatabaseName(folder.filePath("f.db"));
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec("create table t (a, b real)"));
        // Every storage class a user's cell may hold.
        for (const char* a : {"12", "-9223372036854775808", "2.5", "1e308", "'12'", "' 7 '",
                              "'дебит'", "''", "null", "x'00ff'", "'1,5'"})
            ASSERT_TRUE(q.exec(QString("insert into t values (%1, 0)").arg(a)));
        handle = SqliteStatement::handleOf(db);
        ASSERT_NE(handle, nullptr);
    }
    void TearDown() override {
        db.close();
        db = {};
        QSqlDatabase::removeDatabase("statement-test");
    }
    QTemporaryDir folder;
    QSqlDatabase db;
    sqlite3* handle = nullptr;
};

// The values are those the toolkit's own driver gives for the same rows: the batch reads a cell
// the same whichever way it is read.
TEST_F(SqliteStatementTest, ValuesAreTheDriversOwn) {
    QSqlQuery expected(db);
    ASSERT_TRUE(expected.exec("select a from t order by rowid"));
    SqliteStatement rows(handle, "select a from t order by rowid");
    ASSERT_TRUE(rows.prepared());
    int count = 0;
    while (rows.next()) {
        ASSERT_TRUE(expected.next());
        const QVariant want = expected.value(0);
        const QVariant got = rows.value(0);
        EXPECT_EQ(got.metaType(), want.metaType()) << count;
        EXPECT_EQ(got.isNull(), want.isNull()) << count;
        EXPECT_EQ(got, want) << count;
        ++count;
    }
    EXPECT_FALSE(expected.next());
    EXPECT_EQ(count, 11);
    EXPECT_TRUE(rows.error().isEmpty());
}

TEST_F(SqliteStatementTest, RunsOnceUntilResetAndSaysWhyItFails) {
    SqliteStatement rows(handle, "select a from t");
    int count = 0;
    while (rows.next())
        ++count;
    // Stepped past its end the library would start again from the first row.
    EXPECT_FALSE(rows.next());
    EXPECT_EQ(count, 11);
    rows.reset();
    EXPECT_TRUE(rows.next());

    SqliteStatement missing(handle, "select a from kwu_regime");
    EXPECT_FALSE(missing.prepared());
    EXPECT_FALSE(missing.next());
    EXPECT_FALSE(missing.run());
    EXPECT_TRUE(missing.error().contains("no such table")) << missing.error().toStdString();

    // A text bound is read as the literal would be; the changed rows are counted.
    SqliteStatement update(handle, "update t set b = cast(? as real) where a = ?");
    update.bind(0, QStringLiteral("0.5"));
    update.bind(1, qint64(12));
    ASSERT_TRUE(update.run());
    EXPECT_EQ(update.changes(), 1);
    update.reset();
    update.bindNull(0);
    update.bind(1, QStringLiteral("дебит"));
    ASSERT_TRUE(update.run());
    EXPECT_EQ(update.changes(), 1);
    QSqlQuery check(db);
    ASSERT_TRUE(check.exec("select b from t where a = 12 or a = 'дебит' order by rowid"));
    ASSERT_TRUE(check.next());
    EXPECT_EQ(check.value(0), QVariant(0.5));
    ASSERT_TRUE(check.next());
    EXPECT_TRUE(check.value(0).isNull());
    // A statement that fails as it runs says so.
    SqliteStatement constrained(handle, "insert into t (rowid, a) values (1, 0)");
    EXPECT_FALSE(constrained.run());
    EXPECT_TRUE(constrained.error().contains("UNIQUE")) << constrained.error().toStdString();
}

} // namespace
} // namespace id::batchrun
