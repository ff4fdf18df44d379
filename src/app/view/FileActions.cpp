#include "app/view/FileActions.h"

#include "document/AnalysisDocument.h"
#include "document/AnalysisFileFormat.h"
#include "document/RecentFiles.h"
#include "exports/ReportText.h"
#include "platform/MessagePort.h"
#include "platform/view/FilePort.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QStringDecoder>

namespace id {

FileActions::FileActions(AnalysisDocument& document, MessagePort& messages, FilePort& files,
                         std::function<TypedInputs()> typed, std::function<ChartSizes()> chartSizes,
                         QObject* parent)
    : QObject(parent), document_(document), messages_(messages), files_(files),
      typed_(std::move(typed)), chartSizes_(std::move(chartSizes)) {}

void FileActions::takeTypedInputs() {
    document_.takeTypedInputs(typed_());
}

namespace {

const QString AnalysisFilter = QStringLiteral("Анализ индикаторной диаграммы (*.ida)");

// The path the user chose, with the format's extension when it has none (a dialog given in
// advance does not add it).
QString withSuffix(QString path, const QString& suffix) {
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += (path.endsWith(u'.') ? QString() : QStringLiteral(".")) + suffix;
    return path;
}

} // namespace

bool FileActions::confirmDiscard() {
    takeTypedInputs();
    if (!document_.modified())
        return true;
    switch (messages_.ask(QStringLiteral("Сохранить изменения в анализе?"))) {
    case MessagePort::Answer::Yes:
        return saveAnalysis();
    case MessagePort::Answer::No:
        return true;
    case MessagePort::Answer::Cancel:
        break;
    }
    return false;
}

bool FileActions::newAnalysis() {
    if (!confirmDiscard())
        return false;
    document_.startNew();
    emit replaced();
    return true;
}

std::optional<QString> FileActions::readTextFile(const QString& path) {
    // Far more than any table of steady regimes; a wrong file dropped is not read into memory.
    constexpr qint64 LargestText = 64 << 20;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        const QString cause = russianCause(file.errorString());
        messages_.showMessage(
            QStringLiteral("Файл не прочитан: ") +
                (cause.isEmpty() ? QStringLiteral("система отказала в чтении") : cause) +
                QStringLiteral(".\n") + QDir::toNativeSeparators(path),
            QStringLiteral("Сообщение системы: ") + file.errorString());
        return std::nullopt;
    }
    if (file.size() > LargestText) {
        messages_.showMessage(QStringLiteral("Файл не вставлен: он слишком велик для таблицы "
                                             "замеров."));
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    // A byte-order mark says the encoding ("Unicode text" of a spreadsheet is UTF-16).
    if (const std::optional<QStringConverter::Encoding> marked =
            QStringConverter::encodingForData(bytes);
        marked && *marked != QStringConverter::Utf8) {
        QStringDecoder decoder(*marked);
        return QString(decoder.decode(bytes));
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    // A spreadsheet of another code page: its numbers are ASCII all the same, and a header that
    // reads oddly is skipped anyway.
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    return text;
}

bool FileActions::openAnalysis(const QString& given) {
    if (!confirmDiscard())
        return false;
    const QString path =
        given.isEmpty() ? files_.openPath(QStringLiteral("Открыть анализ"), AnalysisFilter) : given;
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        // A recent file that is gone leaves the list.
        if (!QFileInfo::exists(path))
            RecentFiles::remove(QFileInfo(path).absoluteFilePath());
        const QString cause = russianCause(file.errorString());
        messages_.showMessage(
            QStringLiteral("Файл не открыт: ") +
                (cause.isEmpty() ? QStringLiteral("система отказала в чтении") : cause) +
                QStringLiteral(".\n") + QDir::toNativeSeparators(path),
            QStringLiteral("Сообщение системы: ") + file.errorString());
        return false;
    }
    if (file.size() > analysisfile::LargestFile) {
        messages_.showMessage(
            QStringLiteral("Файл не открыт: он слишком велик для анализа одной скважины."));
        return false;
    }
    if (const std::optional<QString> refused = document_.open(file.readAll(), path)) {
        messages_.showMessage(*refused);
        return false;
    }
    RecentFiles::add(document_.filePath());
    emit replaced();
    return true;
}

bool FileActions::saveAnalysis() {
    takeTypedInputs();
    return document_.filePath().isEmpty() ? saveAnalysisAs() : writeFile(document_.filePath());
}

bool FileActions::saveAnalysisAs() {
    takeTypedInputs();
    const QString suggested =
        document_.filePath().isEmpty() ? QStringLiteral("анализ.ida") : document_.filePath();
    const QString path =
        withSuffix(files_.savePath(QStringLiteral("Сохранить анализ"), suggested, AnalysisFilter),
                   QStringLiteral("ida"));
    return !path.isEmpty() && writeFile(path);
}

bool FileActions::writeFile(const QString& path) {
    const AnalysisDocument::FileBytes file = document_.fileBytes();
    if (!file.error.isEmpty()) {
        messages_.showMessage(QStringLiteral("Анализ не сохранён: ") + file.error);
        return false;
    }
    if (!writeWhole(path, file.bytes, QStringLiteral("Анализ не сохранён")))
        return false;
    document_.markSaved(path);
    RecentFiles::add(document_.filePath());
    emit saved();
    return true;
}

bool FileActions::writeWhole(const QString& path, const QByteArray& bytes,
                             const QString& notSaved) {
    if (bytes.isEmpty()) {
        messages_.showMessage(notSaved + QStringLiteral(": не удалось подготовить содержимое."));
        return false;
    }
    const std::optional<WriteFailure> failed = files_.write(path, bytes);
    if (failed)
        messages_.showMessage(notSaved + QStringLiteral(": ") + failed->cause +
                                  QStringLiteral(".\n") + QDir::toNativeSeparators(path),
                              QStringLiteral("Сообщение системы: ") + failed->systemText);
    return !failed;
}

void FileActions::exportChartFile(ExportedChart chart) {
    const QString path = withSuffix(
        files_.savePath(QStringLiteral("Экспорт графика"),
                        chart == ExportedChart::Diagram ? QStringLiteral("диаграмма.png")
                                                        : QStringLiteral("график PI-Q.png"),
                        QStringLiteral("Рисунок PNG (*.png);;Векторный рисунок SVG (*.svg)")),
        QStringLiteral("png"));
    if (path.isEmpty())
        return;
    const bool svg =
        QFileInfo(path).suffix().compare(QStringLiteral("svg"), Qt::CaseInsensitive) == 0;
    writeWhole(path,
               chartFile(svg ? ChartFormat::Svg : ChartFormat::Png, document_.state(), chart,
                         chartSizes_()),
               QStringLiteral("График не сохранён"));
}

void FileActions::exportCsvFile() {
    takeTypedInputs();
    const QString path =
        withSuffix(files_.savePath(QStringLiteral("Экспорт в CSV"), QStringLiteral("анализ.csv"),
                                   QStringLiteral("Таблица CSV (*.csv)")),
                   QStringLiteral("csv"));
    if (path.isEmpty())
        return;
    writeWhole(path, csvText(document_.state(), document_.options().DatabaseMode),
               QStringLiteral("Файл CSV не сохранён"));
}

void FileActions::exportReportFile() {
    takeTypedInputs();
    const QString path =
        withSuffix(files_.savePath(QStringLiteral("Отчёт PDF"), QStringLiteral("отчёт.pdf"),
                                   QStringLiteral("Документ PDF (*.pdf)")),
                   QStringLiteral("pdf"));
    if (path.isEmpty())
        return;
    writeWhole(path,
               reportFile(document_.state(),
                          analysisName(document_.filePath(), document_.options()),
                          document_.options().DatabaseMode, chartSizes_()),
               QStringLiteral("Отчёт не сохранён"));
}

void FileActions::fillRecentMenu(QMenu& menu) {
    menu.clear();
    const QStringList paths = RecentFiles::list();
    for (int i = 0; i < paths.size(); ++i) {
        QAction* item = menu.addAction(
            QStringLiteral("%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(paths[i])));
        item->setObjectName(QStringLiteral("mFileRecent%1").arg(i + 1));
        connect(item, &QAction::triggered, this, [this, path = paths[i]] { openAnalysis(path); });
    }
    menu.menuAction()->setEnabled(!paths.isEmpty());
}

} // namespace id
