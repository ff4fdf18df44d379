#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QRegularExpression>

namespace id {

namespace {

// The toolkit's own options, which QApplication reads from the same command line.
const QStringList ToolkitOptionsWithValue = {"platform",        "platformpluginpath",
                                             "platformtheme",   "plugin",
                                             "qwindowgeometry", "qwindowicon",
                                             "qwindowtitle",    "style",
                                             "stylesheet",      "display",
                                             "geometry",        "session",
                                             "title",           "name",
                                             "visual",          "qmljsdebugger",
                                             "fontengine"};
const QStringList ToolkitFlags = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

QStringList withoutToolkitOptions(const QStringList& arguments) {
    QStringList ours;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString name = arguments[i];
        if (i == 0 || !name.startsWith(u'-') || name == QStringLiteral("--")) {
            ours << name;
            continue;
        }
        name.remove(0, name.startsWith(QStringLiteral("--")) ? 2 : 1);
        const qsizetype equals = name.indexOf(u'=');
        const QString bare = equals < 0 ? name : name.left(equals);
        if (ToolkitOptionsWithValue.contains(bare)) {
            if (equals < 0)
                ++i; // its value
            continue;
        }
        if (ToolkitFlags.contains(bare))
            continue;
        ours << arguments[i];
    }
    return ours;
}

CommandLine failure(const QString& text) {
    CommandLine line;
    line.exitNow = true;
    line.exitCode = 2;
    line.error = text + QStringLiteral("\nСправка по параметрам: --help\n");
    return line;
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Индикаторная диаграмма скважины: тренды, коэффициент продуктивности, "
                       "пластовое и допустимое забойное давление."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Показать эту справку и выйти."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Показать версию программы и выйти."));
    const QCommandLineOption connection(
        QStringLiteral("connection"),
        QStringLiteral("Строка подключения к базе скважин (ODBC, драйвер \"SQL Server\")."),
        QStringLiteral("текст"));
    const QCommandLineOption server(
        QStringLiteral("server"),
        QStringLiteral("Имя сервера, если строка подключения не содержит пробелов."),
        QStringLiteral("имя"));
    const QCommandLineOption record(
        QStringLiteral("record"),
        QStringLiteral("Ключ kwu_id записи таблицы kwu_ind, в которую сохраняются результаты."),
        QStringLiteral("номер"));
    const QCommandLineOption database(
        QStringLiteral("database"),
        QStringLiteral("Файл базы скважин SQLite вместо сервера (файл должен существовать)."),
        QStringLiteral("файл"));
    parser.addOptions({help, version, connection, server, record, database});
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);

    if (!parser.parse(withoutToolkitOptions(arguments))) {
        // The toolkit's own texts are English.
        if (!parser.unknownOptionNames().isEmpty())
            return failure(QStringLiteral("Неизвестный параметр: ") +
                           parser.unknownOptionNames().join(QStringLiteral(", ")));
        static const std::pair<QRegularExpression, QString> texts[] = {
            {QRegularExpression(QStringLiteral("^Missing value after '(.*)'")),
             QStringLiteral("После параметра %1 нужно значение.")},
            {QRegularExpression(QStringLiteral("^Unexpected value after '(.*)'")),
             QStringLiteral("Параметр %1 не принимает значения.")},
        };
        for (const auto& [english, russian] : texts)
            if (const QRegularExpressionMatch match = english.match(parser.errorText());
                match.hasMatch())
                return failure(russian.arg(match.captured(1)));
        return failure(parser.errorText());
    }
    if (parser.isSet(help)) {
        CommandLine line;
        line.exitNow = true;
        const QString program =
            arguments.isEmpty() ? QString() : QFileInfo(arguments.first()).fileName();
        line.output =
            parser.helpText()
                .replace(QStringLiteral("Usage: <executable_name>"),
                         QStringLiteral("Запуск: ") + program)
                .replace(QStringLiteral(" [options]"), QStringLiteral(" [параметры]"))
                .replace(QStringLiteral("\nOptions:\n"), QStringLiteral("\nПараметры:\n"));
        return line;
    }
    if (parser.isSet(version)) {
        CommandLine line;
        line.exitNow = true;
        line.output = QStringLiteral("Индикаторная диаграмма %1\n").arg(QStringLiteral(ID_VERSION));
        return line;
    }
    if (parser.positionalArguments().size() > 1)
        return failure(QStringLiteral("Лишние аргументы: ") +
                       parser.positionalArguments().mid(1).join(u' '));
    CommandLine line;
    if (!parser.positionalArguments().isEmpty())
        line.analysisFile = parser.positionalArguments().first();
    const bool toServer = parser.isSet(connection) || parser.isSet(server);
    const bool toFile = parser.isSet(database);
    if (!toServer && !toFile && !parser.isSet(record))
        return line;
    if (toServer && toFile)
        return failure(QStringLiteral("Параметр --database нельзя сочетать с --connection и "
                                      "--server: выберите файл или сервер."));
    if (!toServer && !toFile)
        return failure(QStringLiteral("Параметр --record требует базы: укажите --connection "
                                      "или --database."));
    if (!parser.isSet(record))
        return failure(QStringLiteral("Не указана запись: нужен параметр --record номер."));
    bool isNumber = false;
    const int id = parser.value(record).trimmed().toInt(&isNumber);
    if (!isNumber)
        return failure(
            QStringLiteral("Номер записи --record должен быть целым числом, а не \"%1\".")
                .arg(parser.value(record)));
    if (toServer && !parser.isSet(connection))
        return failure(
            QStringLiteral("Не указана строка подключения: нужен параметр --connection."));
    if (toFile && QFileInfo(parser.value(database)).isDir())
        return failure(
            QStringLiteral("\"%1\" - это папка, а нужен файл базы.").arg(parser.value(database)));
    if (toFile && !QFileInfo(parser.value(database)).isFile())
        return failure(QStringLiteral("Файл базы \"%1\" не найден.").arg(parser.value(database)));

    StartOptions& o = line.options;
    o.DatabaseMode = true;
    o.RecordId = id;
    o.ConnectionText = parser.value(connection);
    o.ServerName = parser.value(server);
    o.DatabaseFile = toFile ? QFileInfo(parser.value(database)).absoluteFilePath() : QString();
    return line;
}

} // namespace id
