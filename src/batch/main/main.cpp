#include "analysis/FormationInputCheck.h"
#include "app/CommandLine.h"
#include "batch/BatchRun.h"
#include "batch/main/BatchPdf.h"
#include "batch/main/ReportModule.h"
#include "state/NumberText.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLibraryInfo>
#include <QLocale>
#include <QTextStream>
#include <QTranslator>
#include <thread>
#include <unistd.h>

namespace {

QtMessageHandler toolkitHandler = nullptr;

// The toolkit's English note that the offscreen drawing found no runtime folder (a run from cron)
// is no concern of the batch's user, and would be the one English line of a run.
void withoutRuntimeFolderNote(QtMsgType type, const QMessageLogContext& context,
                              const QString& text) {
    if ((type == QtWarningMsg && text.startsWith(QStringLiteral("QStandardPaths:"))) ||
        !toolkitHandler)
        return;
    toolkitHandler(type, context, text);
}

// What a field engineer needs beside the options to get a first run right.
const QString HelpDetails = QStringLiteral(R"(
Таблицы базы скважин:
  kwu_regime (или --regimes-table), строка на режим: kwu_id integer; rate double - дебит
    (приемистость), м3/сут; pressure double - забойное давление, МПа; well_type integer -
    1 добывающая, 2 нагнетательная.
  kwu_ind: kwu_id; kprod - м3/(сут*атм); pplast, pzab_dop - атм. Для каждой скважины в ней
    заранее должна быть ровно одна строка: программа только изменяет её.

Подключение к серверу через ODBC-драйвер "SQL Server": сервер и порт из --server, из
--connection - всё со второй точки с запятой (если в строке есть пробел - часть после
последнего пробела). Например,
  --connection "Provider=MSDASQL;Trusted_Connection=yes;Database=wells" --server "db,5432"
  даёт driver={SQL Server};Server=db;Port=5432;Database=wells.
В Linux драйвер регистрируется под этим именем в /etc/odbcinst.ini, например:
  [SQL Server]
  Driver=/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so

Код завершения: 0 - все скважины обработаны и записаны; 1 - прогон прошёл, но часть скважин
отказана или файлов пропущена (причины в сводке); 2 - прогон не состоялся: неверные параметры,
база недоступна, сводка или отчёт не записаны.
Подробнее и пример от пустой базы до сводки: справка программы (F1), "Пакетная обработка".
)");

// The program's options, with the texts its help shows.
struct BatchCommandLine {
    const QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Справка по параметрам.")};
    const QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Версия программы.")};
    const QCommandLineOption database{QStringLiteral("database"),
                                      QStringLiteral("Файл базы скважин SQLite."),
                                      QStringLiteral("файл")};
    const QCommandLineOption connection{QStringLiteral("connection"),
                                        QStringLiteral("Строка подключения ODBC, как у окна."),
                                        QStringLiteral("текст")};
    const QCommandLineOption server{QStringLiteral("server"), QStringLiteral("Имя сервера."),
                                    QStringLiteral("имя")};
    const QCommandLineOption table{QStringLiteral("regimes-table"),
                                   QStringLiteral("Таблица режимов (kwu_id, rate, pressure, "
                                                  "well_type); по умолчанию kwu_regime."),
                                   QStringLiteral("имя"), QStringLiteral("kwu_regime")};
    const QCommandLineOption input{QStringLiteral("input"),
                                   QStringLiteral("Папка файлов скважин (.csv, .ida; имя файла "
                                                  "— kwu_id)."),
                                   QStringLiteral("папка")};
    const QCommandLineOption wellType{QStringLiteral("well-type"),
                                      QStringLiteral("Тип скважин папки: 1 — добывающие, 2 — "
                                                     "нагнетательные."),
                                      QStringLiteral("1|2"), QStringLiteral("1")};
    const QCommandLineOption rule{QStringLiteral("rule"),
                                  QStringLiteral("linear|quadratic|cubic|break|vogel|composite|"
                                                 "fetkovich"),
                                  QStringLiteral("правило")};
    const QCommandLineOption pnas{QStringLiteral("pnas"),
                                  QStringLiteral("Давление насыщения, МПа."),
                                  QStringLiteral("число")};
    const QCommandLineOption modelPres{QStringLiteral("model-pres"),
                                       QStringLiteral("Pпл для моделей, МПа (пусто — "
                                                      "подбирается)."),
                                       QStringLiteral("число")};
    const QCommandLineOption estimate{
        QStringLiteral("estimate"),
        QStringLiteral("Оценка: transmissibility — гидропроводность по скину, skin — скин по "
                       "гидропроводности."),
        QStringLiteral("вид")};
    const QCommandLineOption skin{QStringLiteral("skin"),
                                  QStringLiteral("Скин-эффект (или гидропроводность, Д*см/сПз)."),
                                  QStringLiteral("число")};
    const QCommandLineOption rkontur{QStringLiteral("rkontur"),
                                     QStringLiteral("Радиус контура питания, м."),
                                     QStringLiteral("число")};
    const QCommandLineOption rwell{QStringLiteral("rwell"), QStringLiteral("Радиус скважины, м."),
                                   QStringLiteral("число")};
    const QCommandLineOption summary{
        QStringLiteral("summary"),
        QStringLiteral("Сводка CSV по скважинам; с --worker — по скважинам, "
                       "взятым этим процессом."),
        QStringLiteral("файл")};
    const QCommandLineOption pdfReport{QStringLiteral("report"),
                                       QStringLiteral("PDF: страница на скважину."),
                                       QStringLiteral("файл")};
    const QCommandLineOption dryRun{QStringLiteral("dry-run"),
                                    QStringLiteral("Ничего не записывать в базу.")};
    const QCommandLineOption jobs{QStringLiteral("jobs"),
                                  QStringLiteral("Число потоков; по умолчанию — число ядер."),
                                  QStringLiteral("N")};
    const QCommandLineOption startRun{
        QStringLiteral("start-run"),
        QStringLiteral("Начать общий прогон на сервере: таблица kwu_batch_work со всеми "
                       "скважинами таблицы режимов и индекс её несделанных строк.")};
    const QCommandLineOption worker{
        QStringLiteral("worker"),
        QStringLiteral("Работать в общем прогоне: брать скважины из kwu_batch_work, пока они "
                       "есть; таких процессов может быть сколько угодно на любых машинах.")};

    void describe(QCommandLineParser& parser) const {
        parser.setApplicationDescription(
            QStringLiteral("Пакетная интерпретация индикаторных диаграмм: правило применяется ко "
                           "всем точкам каждой скважины, результаты записываются в kwu_ind.\n\n"
                           "Режим с пустой ячейкой или NULL не учитывается (сводка называет его); "
                           "скважина, у которой в ячейке не число, или чей kwu_id не целое число, "
                           "или не единственный, не интерпретируется и в базу не пишется.\n\n"
                           "Код завершения: 0 — все скважины интерпретированы и записаны; 1 — "
                           "прогон завершён, но часть скважин отклонена (причина каждой — в "
                           "сводке); 2 — прогон не состоялся: неверные параметры, недоступна база, "
                           "не записан файл сводки или отчёта (прежний файл не изменяется)."));
        parser.addOptions({help,     version, database,  connection, server,   table,    input,
                           wellType, rule,    pnas,      modelPres,  estimate, skin,     rkontur,
                           rwell,    summary, pdfReport, dryRun,     jobs,     startRun, worker});
    }
};

// A refused argument: why, and where the help is; the run did not take place.
int refuse(QTextStream& err, const QString& text) {
    err << text << "\nСправка по параметрам: --help\n";
    return 2;
}

// A run with a PDF report loads the report's module first: its application draws fonts.
struct Started {
    std::unique_ptr<QCoreApplication> app;
    std::optional<id::ReportModule> report;
    QString reportProblem;
};

Started startApplication(int& argc, char** argv) {
    bool pdf = false;
    for (int i = 1; i < argc; ++i)
        pdf = pdf || QByteArray(argv[i]).startsWith("--report");
    Started s;
    if (pdf)
        s.report = id::ReportModule::load(s.reportProblem);
    s.app.reset(s.report ? s.report->makeApplication(argc, argv)
                         : new QCoreApplication(argc, argv));
    return s;
}

// The rule, the estimate and the formation's numbers; why they are refused, if so.
std::optional<QString> readSettings(const QCommandLineParser& parser, const BatchCommandLine& cli,
                                    id::BatchSettings& settings) {
    const std::optional<id::BatchRule> chosen = id::batchRule(parser.value(cli.rule));
    if (!chosen && !parser.isSet(cli.startRun))
        return QStringLiteral("Укажите правило --rule: linear, quadratic, cubic, break, vogel, "
                              "composite или fetkovich");
    settings.rule = chosen.value_or(id::BatchRule::Linear);
    if (parser.isSet(cli.estimate)) {
        const QString kind = parser.value(cli.estimate);
        if (kind == QStringLiteral("transmissibility"))
            settings.estimation = id::EstimationMode::TransmissibilityFromSkin;
        else if (kind == QStringLiteral("skin"))
            settings.estimation = id::EstimationMode::SkinFromTransmissibility;
        else
            return QStringLiteral("--estimate должен быть transmissibility или skin");
    }
    // A number given is checked as the window's box checks it; the window would put a default
    // in place of a wrong one, a script gets a refusal.
    const struct {
        const QCommandLineOption& option;
        id::FormationInput input;
        QString* text;
    } numbers[] = {
        {cli.pnas, id::FormationInput::SaturationPressure, &settings.pnas},
        {cli.modelPres, id::FormationInput::ModelReservoirPressure, &settings.modelPres},
        {cli.skin,
         settings.estimation == id::EstimationMode::SkinFromTransmissibility
             ? id::FormationInput::Transmissibility
             : id::FormationInput::SkinFactor,
         &settings.skin},
        {cli.rkontur, id::FormationInput::DrainageRadius, &settings.rkontur},
        {cli.rwell, id::FormationInput::WellRadius, &settings.rwell},
    };
    for (const auto& n : numbers) {
        if (!parser.isSet(n.option))
            continue;
        const QString given = parser.value(n.option);
        // An empty Pпл leaves it to the fit, as the window's empty box does.
        if (n.text == &settings.modelPres && given.trimmed().isEmpty())
            continue;
        const std::optional<double> value = id::readCellNumber(given);
        if (!value)
            return QStringLiteral("--%1: «%2» — не число")
                .arg(n.option.names().constFirst(), given);
        *n.text = id::formatGeneral(*value).replace(u'.', u',');
        if (const std::optional<QString> refused = id::formationInputRefusal(n.input, *n.text))
            return QStringLiteral("--%1: %2").arg(n.option.names().constFirst(), *refused);
    }
    return std::nullopt;
}

// Where the measurements come from and where the results go; why that is refused, if so.
std::optional<QString> readSources(const QCommandLineParser& parser, const BatchCommandLine& cli,
                                   id::BatchOptions& options) {
    options.databaseFile = parser.value(cli.database);
    options.connectionText = parser.value(cli.connection);
    options.serverName = parser.value(cli.server);
    options.regimesTable = parser.value(cli.table);
    options.inputFolder = parser.value(cli.input);
    options.summaryFile = parser.value(cli.summary);
    options.dryRun = parser.isSet(cli.dryRun);
    if (!options.databaseFile.isEmpty() && !options.connectionText.isEmpty())
        return QStringLiteral("Укажите либо --database, либо --connection");
    if (options.inputFolder.isEmpty() && options.databaseFile.isEmpty() &&
        options.connectionText.isEmpty())
        return QStringLiteral("Укажите, откуда брать замеры: --database, --connection или "
                              "--input");
    const QString type = parser.value(cli.wellType);
    if (type != QStringLiteral("1") && type != QStringLiteral("2"))
        return QStringLiteral("--well-type должен быть 1 или 2");
    options.wellType = static_cast<std::int16_t>(type.toInt());
    return std::nullopt;
}

// The run's options from the arguments; why they are refused, if so.
std::optional<QString> readArguments(const QCommandLineParser& parser, const BatchCommandLine& cli,
                                     id::BatchOptions& options) {
    if (const std::optional<QString> refused = readSettings(parser, cli, options.settings))
        return refused;
    if (const std::optional<QString> refused = readSources(parser, cli, options))
        return refused;
    options.jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    if (parser.isSet(cli.jobs)) {
        bool number = false;
        options.jobs = parser.value(cli.jobs).toInt(&number);
        if (!number || options.jobs < 1 || options.jobs > 1024)
            return QStringLiteral("--jobs должен быть целым от 1 до 1024");
    }
    return std::nullopt;
}

// The report's first page: the run's settings.
QStringList reportSettings(const QCommandLineParser& parser, const BatchCommandLine& cli,
                           const id::BatchOptions& options) {
    QStringList settings;
    settings << QStringLiteral("Правило: ") + parser.value(cli.rule);
    settings << QStringLiteral("Замеры: ") +
                    (!options.inputFolder.isEmpty()
                         ? QStringLiteral("папка ") + options.inputFolder
                         : (!options.databaseFile.isEmpty()
                                ? QStringLiteral("база ") + options.databaseFile
                                : QStringLiteral("сервер ") + options.serverName) +
                               QStringLiteral(", таблица ") + options.regimesTable);
    const auto add = [&](const QString& caption, const QCommandLineOption& option) {
        if (parser.isSet(option))
            settings << caption + QStringLiteral(": ") + parser.value(option);
    };
    add(QStringLiteral("Давление насыщения, МПа"), cli.pnas);
    add(QStringLiteral("Pпл для моделей, МПа"), cli.modelPres);
    add(QStringLiteral("Оценка"), cli.estimate);
    add(QStringLiteral("Скин-эффект (гидропроводность)"), cli.skin);
    add(QStringLiteral("Радиус контура питания, м"), cli.rkontur);
    add(QStringLiteral("Радиус скважины, м"), cli.rwell);
    settings << QStringLiteral("Запись в базу: ") +
                    (options.dryRun || !options.inputFolder.isEmpty() ? QStringLiteral("нет")
                                                                      : QStringLiteral("да"));
    return settings;
}

// What the run came to, on the error stream, and the exit code that says it.
int finishRun(QTextStream& err, const id::BatchReport& report, const QString& reportFailed) {
    for (const QString& skipped : report.skipped)
        err << QStringLiteral("Пропущен файл ") << skipped << "\n";
    if (!report.fatal.isEmpty() || !reportFailed.isEmpty()) {
        for (const QString& failed : {report.fatal, reportFailed})
            if (!failed.isEmpty())
                err << failed << "\n";
        return 2;
    }
    const int refused = report.failed + static_cast<int>(report.skipped.size());
    err << QStringLiteral("Скважин: %1, с ошибкой: %2").arg(report.wells).arg(report.failed);
    if (!report.skipped.isEmpty())
        err << QStringLiteral(", пропущено файлов: %1").arg(report.skipped.size());
    err << "\n";
    return refused == 0 ? 0 : 1;
}

// The wells interpreted (by this process alone, or as a worker of a shared run), their pages
// added to the report as they are done, the progress shown on a terminal.
int runWells(const QCommandLineParser& parser, const BatchCommandLine& cli,
             id::BatchOptions& options, const Started& started, QTextStream& err) {
    std::unique_ptr<id::BatchPdf> pages;
    if (parser.isSet(cli.pdfReport)) {
        if (!started.report)
            return refuse(err, started.reportProblem);
        pages = std::make_unique<id::BatchPdf>(parser.value(cli.pdfReport), started.report->draw);
        if (!pages->problem().isEmpty())
            return refuse(err, pages->problem());
        options.settings.drawing = true;
        options.eachWell = [&](const id::WellRegimes& well, const id::WellOutcome& outcome) {
            pages->addWell(well, outcome, options.settings.rule);
        };
    }
    QElapsedTimer clock;
    clock.start();
    const bool terminal = isatty(2);
    const auto run = parser.isSet(cli.worker) ? id::runWorker : id::runBatch;
    const id::BatchReport report = run(options, [&](int done, int total) {
        if (!terminal)
            return;
        const double perSecond = done * 1000.0 / std::max<qint64>(1, clock.elapsed());
        err << QStringLiteral("\rскважин: %1 из %2, %3 в секунду, осталось около %4 с   ")
                   .arg(done)
                   .arg(total)
                   .arg(perSecond, 0, 'f', 0)
                   .arg(std::max(0.0, (total - done) / std::max(perSecond, 1e-9)), 0, 'f', 0)
            << Qt::flush;
    });
    if (terminal)
        err << "\n";
    // The report is put in place whatever stopped the run, its pages the wells done; a run that
    // did none leaves the old report.
    const QString reportFailed = pages && (report.fatal.isEmpty() || report.wells > 0)
                                     ? pages->finish(reportSettings(parser, cli, options))
                                     : QString();
    return finishRun(err, report, reportFailed);
}

} // namespace

int main(int argc, char** argv) {
    toolkitHandler = qInstallMessageHandler(withoutRuntimeFolderNote);
    const Started started = startApplication(argc, argv);
    QCoreApplication* app = started.app.get();
    QCoreApplication::setApplicationName(QStringLiteral("indicator-batch"));
    // The numbers are read and written as the window does: decimal comma.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    QTranslator toolkitTexts;
    if (toolkitTexts.load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&toolkitTexts);
    QTextStream err(stderr);
    QCommandLineParser parser;
    const BatchCommandLine cli;
    cli.describe(parser);
    if (!parser.parse(app->arguments()))
        return refuse(err, id::russianParserError(parser));
    if (parser.isSet(cli.help)) {
        QTextStream(stdout) << id::russianHelpText(parser, QStringLiteral("indicator-batch"))
                            << HelpDetails;
        return 0;
    }
    if (parser.isSet(cli.version)) {
        QTextStream(stdout) << QStringLiteral("Пакетная интерпретация индикаторных диаграмм %1\n")
                                   .arg(QStringLiteral(ID_VERSION));
        return 0;
    }
    id::BatchOptions options;
    if (const std::optional<QString> refused = readArguments(parser, cli, options))
        return refuse(err, *refused);
    if (parser.isSet(cli.startRun)) {
        const id::BatchReport started = id::startSharedRun(options);
        if (!started.fatal.isEmpty())
            return refuse(err, started.fatal);
        err << QStringLiteral("Прогон начат: скважин %1\n").arg(started.wells);
        return 0;
    }
    return runWells(parser, cli, options, started, err);
}
