#include "app/CommandLine.h"
#include "support/QtPrinters.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryFile>
#include <gtest/gtest.h>

namespace id {
namespace {

TEST(CommandLine, OptionsStartTheDatabaseModeOrEndWithAMessage) {
    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    const QString path = file.fileName();
    struct Case {
        const char* name;
        QStringList arguments;
        bool exitNow;
        QString error; // a part of the message, when it ends
    };
    const Case cases[] = {
        {"plain start", {}, false, {}},
        {"server",
         {"--connection", "a;b;Database=w", "--server", "h,1", "--record", "7"},
         false,
         {}},
        {"file", {"--database", path, "--record", " 12 "}, false, {}},
        {"no record", {"--connection", "a;b"}, true, "--record"},
        {"record alone", {"--record", "3"}, true, "--database"},
        {"record not a number", {"--database", path, "--record", "7a"}, true, "\"7a\""},
        {"record beyond 64 bits",
         {"--database", path, "--record", "9223372036854775808"},
         true,
         "целым"},
        {"file and server",
         {"--database", path, "--connection", "x", "--record", "1"},
         true,
         "нельзя сочетать"},
        {"server without connection", {"--server", "h", "--record", "1"}, true, "--connection"},
        {"missing file", {"--database", path + ".gone", "--record", "1"}, true, "не найден"},
        {"unknown option", {"--recod", "1"}, true, "Неизвестный параметр: recod"},
        {"missing value", {"--record"}, true, "После параметра --record нужно значение"},
        {"analysis file", {"well 7.ida"}, false, {}},
        {"stray argument", {"a.ida", "wells.txt"}, true, "Лишние аргументы: wells.txt"},
        {"value for a switch", {"--help=3"}, true, "Параметр --help не принимает значения"},
        {"folder for a file",
         {"--database", QFileInfo(path).path(), "--record", "1"},
         true,
         "это папка"},
        {"regimes table",
         {"--database", path, "--record", "1", "--regimes-table", "field.regimes"},
         false,
         {}},
        {"regimes table not a name",
         {"--database", path, "--record", "1", "--regimes-table", "r; drop table kwu_ind"},
         true,
         "Имя таблицы режимов недопустимо"},
        {"toolkit options pass",
         {"-platform", "offscreen", "-style=fusion", "-reverse"},
         false,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CommandLine line = parseCommandLine(QStringList{"indicator-diagram"} + c.arguments);
        EXPECT_EQ(line.exitNow, c.exitNow);
        EXPECT_EQ(line.exitCode, c.exitNow ? 2 : 0);
        EXPECT_TRUE(line.error.contains(c.error)) << line.error.toStdString();
        EXPECT_EQ(line.options.DatabaseMode, !c.exitNow && c.arguments.contains("--record"));
        EXPECT_FALSE(line.options.DatabaseRecordLoaded);
    }
    const StartOptions server =
        parseCommandLine({"p", "--connection", "a;b;D=w", "--server", "h,1", "--record", "7"})
            .options;
    EXPECT_EQ(server.ConnectionText, "a;b;D=w");
    EXPECT_EQ(server.ServerName, "h,1");
    EXPECT_EQ(server.RecordId, 7);
    // An id beyond 32 bits is the well's own, not cut.
    EXPECT_EQ(
        parseCommandLine({"p", "--database", path, "--record", "4294967297"}).options.RecordId,
        4294967297LL);
    EXPECT_TRUE(server.DatabaseFile.isEmpty());
    EXPECT_EQ(parseCommandLine({"p", "--database", path, "--record", "12"}).options.DatabaseFile,
              path);
    EXPECT_EQ(parseCommandLine({"p", "well 7.ida"}).analysisFile, "well 7.ida");
    EXPECT_EQ(server.RegimesTable, "kwu_regime");
    EXPECT_EQ(parseCommandLine({"p", "--database", path, "--record", "1", "--regimes-table", "r2"})
                  .options.RegimesTable,
              "r2");
}

// The program itself answers on its standard streams and never opens a window for these.
TEST(CommandLine, TheProgramAnswersOnItsStreams) {
    struct Case {
        QStringList arguments;
        int exitCode;
        QString out, err;
    };
    const Case cases[] = {
        {{"--help"}, 0, "--database <файл>", ""},
        {{"--version"}, 0, "Индикаторная диаграмма ", ""},
        {{"--record", "x", "--database", "/nonexistent"}, 2, "", "целым числом"},
        {{}, 1, "", "нет графического дисплея"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        QProcess program;
        // Without a display a window could not open at all.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("QT_QPA_PLATFORM");
        environment.remove("DISPLAY");
        program.setProcessEnvironment(environment);
        program.start(ID_BUILD_DIR "/indicator-diagram", c.arguments);
        ASSERT_TRUE(program.waitForFinished(10000));
        EXPECT_EQ(program.exitCode(), c.exitCode);
        const QString out = QString::fromLocal8Bit(program.readAllStandardOutput());
        const QString err = QString::fromLocal8Bit(program.readAllStandardError());
        EXPECT_TRUE(out.contains(c.out)) << out.toStdString();
        EXPECT_TRUE(err.contains(c.err)) << err.toStdString();
        EXPECT_EQ(out.isEmpty(), c.out.isEmpty());
    }
}

} // namespace
} // namespace id
