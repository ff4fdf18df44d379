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

namespace {

struct Options {
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Показать эту справку и выйти.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Показать версию программы и выйти.")};
    QCommandLineOption connection{
        QStringLiteral("connection"),
        QStringLiteral("Строка подключения к базе скважин (ODBC, драйвер \"SQL Server\")."),
        QStringLiteral("текст")};
    QCommandLineOption server{
        QStringLiteral("server"),
        QStringLiteral("Имя сервера, если строка подключения не содержит пробелов."),
        QStringLiteral("имя")};
    QCommandLineOption record{
        QStringLiteral("record"),
        QStringLiteral("Ключ kwu_id записи таблицы kwu_ind, в которую сохраняются результаты."),
        QStringLiteral("номер")};
    QCommandLineOption database{
        QStringLiteral("database"),
        QStringLiteral("Файл базы скважин SQLite вместо сервера (файл должен существовать)."),
        QStringLiteral("файл")};
    QCommandLineOption regimesTable{
        QStringLiteral("regimes-table"),
        QStringLiteral("Таблица режимов скважин (kwu_id, rate, pressure, well_type); по "
                       "умолчанию kwu_regime."),
        QStringLiteral("имя"), QStringLiteral("kwu_regime")};
};

// The parser's own failure in Russian (its texts are English).
CommandLine parserFailure(const QCommandLineParser& parser) {
    return failure(russianParserError(parser));
}

// What --help prints, in Russian.
CommandLine helpText(const QCommandLineParser& parser, const QStringList& arguments) {
    CommandLine line;
    line.exitNow = true;
    line.output = russianHelpText(
        parser, arguments.isEmpty() ? QString() : QFileInfo(arguments.first()).fileName());
    return line;
}

// The database options checked together; the line as it is when there are none.
CommandLine withDatabase(const QCommandLineParser& parser, const Options& opt, CommandLine line) {
    const bool toServer = parser.isSet(opt.connection) || parser.isSet(opt.server);
    const bool toFile = parser.isSet(opt.database);
    if (!toServer && !toFile && !parser.isSet(opt.record))
        return line;
    if (toServer && toFile)
        return failure(QStringLiteral("Параметр --database нельзя сочетать с --connection и "
                                      "--server: выберите файл или сервер."));
    if (!toServer && !toFile)
        return failure(QStringLiteral("Параметр --record требует базы: укажите --connection "
                                      "или --database."));
    if (!parser.isSet(opt.record))
        return failure(QStringLiteral("Не указана запись: нужен параметр --record номер."));
    // The name goes into statements as it stands.
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_.]*$"));
    if (!plain.match(parser.value(opt.regimesTable)).hasMatch())
        return failure(QStringLiteral("Имя таблицы режимов недопустимо: ") +
                       parser.value(opt.regimesTable));
    bool isNumber = false;
    const qint64 id = parser.value(opt.record).trimmed().toLongLong(&isNumber);
    if (!isNumber)
        return failure(
            QStringLiteral("Номер записи --record должен быть целым числом, а не \"%1\".")
                .arg(parser.value(opt.record)));
    if (toServer && !parser.isSet(opt.connection))
        return failure(
            QStringLiteral("Не указана строка подключения: нужен параметр --connection."));
    const QString file = parser.value(opt.database);
    if (toFile && QFileInfo(file).isDir())
        return failure(QStringLiteral("\"%1\" - это папка, а нужен файл базы.").arg(file));
    if (toFile && !QFileInfo(file).isFile())
        return failure(QStringLiteral("Файл базы \"%1\" не найден.").arg(file));

    StartOptions& o = line.options;
    o.DatabaseMode = true;
    o.RecordId = id;
    o.ConnectionText = parser.value(opt.connection);
    o.ServerName = parser.value(opt.server);
    o.DatabaseFile = toFile ? QFileInfo(file).absoluteFilePath() : QString();
    o.RegimesTable = parser.value(opt.regimesTable);
    return line;
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Индикаторная диаграмма скважины: тренды, коэффициент продуктивности, "
                       "пластовое и допустимое забойное давление."));
    const Options opt;
    parser.addOptions({opt.help, opt.version, opt.connection, opt.server, opt.record, opt.database,
                       opt.regimesTable});
    parser.addPositionalArgument(QStringLiteral("файл"),
                                 QStringLiteral("Файл анализа (.ida), открываемый при запуске."),
                                 QStringLiteral("[файл]"));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    if (!parser.parse(withoutToolkitOptions(arguments)))
        return parserFailure(parser);
    if (parser.isSet(opt.help))
        return helpText(parser, arguments);
    if (parser.isSet(opt.version)) {
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
    return withDatabase(parser, opt, line);
}

QString russianHelpText(const QCommandLineParser& parser, const QString& program) {
    // The toolkit's Russian translation says the usage line in its own words.
    static const QRegularExpression usage(QStringLiteral("^(Usage|Использование): \\S+"));
    return parser.helpText()
        .replace(usage, QStringLiteral("Запуск: ") + program)
        .replace(QStringLiteral(" [options]"), QStringLiteral(" [параметры]"))
        .replace(QStringLiteral("\nOptions:\n"), QStringLiteral("\nПараметры:\n"))
        .replace(QStringLiteral("\nArguments:\n"), QStringLiteral("\nАргументы:\n"));
}

QString russianParserError(const QCommandLineParser& parser) {
    if (!parser.unknownOptionNames().isEmpty())
        return QStringLiteral("Неизвестный параметр: ") +
               parser.unknownOptionNames().join(QStringLiteral(", "));
    static const std::pair<QRegularExpression, QString> texts[] = {
        {QRegularExpression(QStringLiteral("^Missing value after '(.*)'")),
         QStringLiteral("После параметра %1 нужно значение.")},
        {QRegularExpression(QStringLiteral("^Unexpected value after '(.*)'")),
         QStringLiteral("Параметр %1 не принимает значения.")},
    };
    for (const auto& [english, russian] : texts)
        if (const QRegularExpressionMatch match = english.match(parser.errorText());
            match.hasMatch())
            return russian.arg(match.captured(1));
    return parser.errorText();
}

} // namespace id
