#include "analysis/FormationInputCheck.h"
#include "app/CommandLine.h"
#include "batch/BatchRun.h"
#include "batch/main/BatchPdf.h"
#include "state/NumberText.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
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

} // namespace

int main(int argc, char** argv) {
    toolkitHandler = qInstallMessageHandler(withoutRuntimeFolderNote);
    // A PDF needs fonts, hence the toolkit's drawing side; it draws offscreen, no display asked.
    bool pdf = false;
    for (int i = 1; i < argc; ++i)
        pdf = pdf || QByteArray(argv[i]).startsWith("--report");
    if (pdf && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QCoreApplication> app =
        pdf ? std::make_unique<QGuiApplication>(argc, argv)
            : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("indicator-batch"));
    // The numbers are read and written as the window does: decimal comma.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    QTranslator toolkitTexts;
    if (toolkitTexts.load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&toolkitTexts);
    QTextStream err(stderr);
    QCommandLineParser parser;
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
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Справка по параметрам."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Версия программы."));
    const QCommandLineOption database(QStringLiteral("database"),
                                      QStringLiteral("Файл базы скважин SQLite."),
                                      QStringLiteral("файл"));
    const QCommandLineOption connection(QStringLiteral("connection"),
                                        QStringLiteral("Строка подключения ODBC, как у окна."),
                                        QStringLiteral("текст"));
    const QCommandLineOption server(QStringLiteral("server"), QStringLiteral("Имя сервера."),
                                    QStringLiteral("имя"));
    const QCommandLineOption table(QStringLiteral("regimes-table"),
                                   QStringLiteral("Таблица режимов (kwu_id, rate, pressure, "
                                                  "well_type); по умолчанию kwu_regime."),
                                   QStringLiteral("имя"), QStringLiteral("kwu_regime"));
    const QCommandLineOption input(QStringLiteral("input"),
                                   QStringLiteral("Папка файлов скважин (.csv, .ida; имя файла "
                                                  "— kwu_id)."),
                                   QStringLiteral("папка"));
    const QCommandLineOption wellType(QStringLiteral("well-type"),
                                      QStringLiteral("Тип скважин папки: 1 — добывающие, 2 — "
                                                     "нагнетательные."),
                                      QStringLiteral("1|2"), QStringLiteral("1"));
    const QCommandLineOption rule(QStringLiteral("rule"),
                                  QStringLiteral("linear|quadratic|cubic|break|vogel|composite|"
                                                 "fetkovich"),
                                  QStringLiteral("правило"));
    const QCommandLineOption pnas(QStringLiteral("pnas"),
                                  QStringLiteral("Давление насыщения, МПа."),
                                  QStringLiteral("число"));
    const QCommandLineOption modelPres(QStringLiteral("model-pres"),
                                       QStringLiteral("Pпл для моделей, МПа (пусто — "
                                                      "подбирается)."),
                                       QStringLiteral("число"));
    const QCommandLineOption estimate(
        QStringLiteral("estimate"),
        QStringLiteral("Оценка: transmissibility — гидропроводность по скину, skin — скин по "
                       "гидропроводности."),
        QStringLiteral("вид"));
    const QCommandLineOption skin(QStringLiteral("skin"),
                                  QStringLiteral("Скин-эффект (или гидропроводность, Д*см/сПз)."),
                                  QStringLiteral("число"));
    const QCommandLineOption rkontur(QStringLiteral("rkontur"),
                                     QStringLiteral("Радиус контура питания, м."),
                                     QStringLiteral("число"));
    const QCommandLineOption rwell(QStringLiteral("rwell"), QStringLiteral("Радиус скважины, м."),
                                   QStringLiteral("число"));
    const QCommandLineOption summary(
        QStringLiteral("summary"),
        QStringLiteral("Сводка CSV по скважинам; с --worker — по скважинам, "
                       "взятым этим процессом."),
        QStringLiteral("файл"));
    const QCommandLineOption pdfReport(QStringLiteral("report"),
                                       QStringLiteral("PDF: страница на скважину."),
                                       QStringLiteral("файл"));
    const QCommandLineOption dryRun(QStringLiteral("dry-run"),
                                    QStringLiteral("Ничего не записывать в базу."));
    const QCommandLineOption jobs(QStringLiteral("jobs"),
                                  QStringLiteral("Число потоков; по умолчанию — число ядер."),
                                  QStringLiteral("N"));
    const QCommandLineOption startRun(
        QStringLiteral("start-run"),
        QStringLiteral("Начать общий прогон на сервере: таблица kwu_batch_work со всеми "
                       "скважинами таблицы режимов и индекс её несделанных строк."));
    const QCommandLineOption worker(
        QStringLiteral("worker"),
        QStringLiteral("Работать в общем прогоне: брать скважины из kwu_batch_work, пока они "
                       "есть; таких процессов может быть сколько угодно на любых машинах."));
    parser.addOptions({help,     version, database,  connection, server,   table,    input,
                       wellType, rule,    pnas,      modelPres,  estimate, skin,     rkontur,
                       rwell,    summary, pdfReport, dryRun,     jobs,     startRun, worker});
    const auto bad = [&](const QString& text) {
        err << text << "\nСправка по параметрам: --help\n";
        return 2;
    };
    if (!parser.parse(app->arguments()))
        return bad(id::russianParserError(parser));
    if (parser.isSet(help)) {
        QTextStream(stdout) << id::russianHelpText(parser, QStringLiteral("indicator-batch"))
                            << HelpDetails;
        return 0;
    }
    if (parser.isSet(version)) {
        QTextStream(stdout) << QStringLiteral("Пакетная интерпретация индикаторных диаграмм %1\n")
                                   .arg(QStringLiteral(ID_VERSION));
        return 0;
    }
    id::BatchOptions options;
    const std::optional<id::BatchRule> chosen = id::batchRule(parser.value(rule));
    if (!chosen && !parser.isSet(startRun))
        return bad(QStringLiteral("Укажите правило --rule: linear, quadratic, cubic, break, vogel, "
                                  "composite или fetkovich"));
    options.settings.rule = chosen.value_or(id::BatchRule::Linear);
    if (parser.isSet(estimate)) {
        const QString kind = parser.value(estimate);
        if (kind == QStringLiteral("transmissibility"))
            options.settings.estimation = id::EstimationMode::TransmissibilityFromSkin;
        else if (kind == QStringLiteral("skin"))
            options.settings.estimation = id::EstimationMode::SkinFromTransmissibility;
        else
            return bad(QStringLiteral("--estimate должен быть transmissibility или skin"));
    }
    // A number given is checked as the window's box checks it; the window would put a default
    // in place of a wrong one, a script gets a refusal.
    const struct {
        const QCommandLineOption& option;
        id::FormationInput input;
        QString* text;
    } numbers[] = {
        {pnas, id::FormationInput::SaturationPressure, &options.settings.pnas},
        {modelPres, id::FormationInput::ModelReservoirPressure, &options.settings.modelPres},
        {skin,
         options.settings.estimation == id::EstimationMode::SkinFromTransmissibility
             ? id::FormationInput::Transmissibility
             : id::FormationInput::SkinFactor,
         &options.settings.skin},
        {rkontur, id::FormationInput::DrainageRadius, &options.settings.rkontur},
        {rwell, id::FormationInput::WellRadius, &options.settings.rwell},
    };
    for (const auto& n : numbers) {
        if (!parser.isSet(n.option))
            continue;
        const QString given = parser.value(n.option);
        // An empty Pпл leaves it to the fit, as the window's empty box does.
        if (n.text == &options.settings.modelPres && given.trimmed().isEmpty())
            continue;
        const std::optional<double> value = id::readCellNumber(given);
        if (!value)
            return bad(
                QStringLiteral("--%1: «%2» — не число").arg(n.option.names().constFirst(), given));
        *n.text = id::formatGeneral(*value).replace(u'.', u',');
        if (const std::optional<QString> refused = id::formationInputRefusal(n.input, *n.text))
            return bad(QStringLiteral("--%1: %2").arg(n.option.names().constFirst(), *refused));
    }
    options.databaseFile = parser.value(database);
    options.connectionText = parser.value(connection);
    options.serverName = parser.value(server);
    options.regimesTable = parser.value(table);
    options.inputFolder = parser.value(input);
    options.summaryFile = parser.value(summary);
    options.dryRun = parser.isSet(dryRun);
    if (!options.databaseFile.isEmpty() && !options.connectionText.isEmpty())
        return bad(QStringLiteral("Укажите либо --database, либо --connection"));
    if (options.inputFolder.isEmpty() && options.databaseFile.isEmpty() &&
        options.connectionText.isEmpty())
        return bad(QStringLiteral("Укажите, откуда брать замеры: --database, --connection или "
                                  "--input"));
    const QString type = parser.value(wellType);
    if (type != QStringLiteral("1") && type != QStringLiteral("2"))
        return bad(QStringLiteral("--well-type должен быть 1 или 2"));
    options.wellType = static_cast<std::int16_t>(type.toInt());
    options.jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    if (parser.isSet(jobs)) {
        bool number = false;
        options.jobs = parser.value(jobs).toInt(&number);
        if (!number || options.jobs < 1 || options.jobs > 1024)
            return bad(QStringLiteral("--jobs должен быть целым от 1 до 1024"));
    }
    if (parser.isSet(startRun)) {
        const id::BatchReport started = id::startSharedRun(options);
        if (!started.fatal.isEmpty())
            return bad(started.fatal);
        err << QStringLiteral("Прогон начат: скважин %1\n").arg(started.wells);
        return 0;
    }
    std::unique_ptr<id::BatchPdf> pages;
    if (parser.isSet(pdfReport)) {
        pages = std::make_unique<id::BatchPdf>(parser.value(pdfReport));
        if (!pages->problem().isEmpty())
            return bad(pages->problem());
        options.settings.drawing = true;
        options.eachWell = [&](const id::WellRegimes& well, const id::WellOutcome& outcome) {
            pages->addWell(well, outcome, options.settings.rule);
        };
    }
    QElapsedTimer clock;
    clock.start();
    const bool terminal = isatty(2);
    const auto run = parser.isSet(worker) ? id::runWorker : id::runBatch;
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
    // The report's first page: the run's settings.
    QStringList settings;
    if (pages) {
        settings << QStringLiteral("Правило: ") + parser.value(rule);
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
        add(QStringLiteral("Давление насыщения, МПа"), pnas);
        add(QStringLiteral("Pпл для моделей, МПа"), modelPres);
        add(QStringLiteral("Оценка"), estimate);
        add(QStringLiteral("Скин-эффект (гидропроводность)"), skin);
        add(QStringLiteral("Радиус контура питания, м"), rkontur);
        add(QStringLiteral("Радиус скважины, м"), rwell);
        settings << QStringLiteral("Запись в базу: ") +
                        (options.dryRun || !options.inputFolder.isEmpty() ? QStringLiteral("нет")
                                                                          : QStringLiteral("да"));
    }
    const QString reportFailed =
        pages && (report.fatal.isEmpty() || report.wells > 0) ? pages->finish(settings) : QString();
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
