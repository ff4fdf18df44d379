#include "batch/main/ReportModule.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace id {

std::optional<ReportModule> ReportModule::load(QString& why) {
    // Before the application exists: the program's own folder from the system.
    const QDir programs =
        QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).absoluteDir();
    const QString name = QString::fromLatin1(reportmodule::FileName);
    QString tried;
    for (const QString& path :
         {programs.filePath(name),
          programs.filePath(QStringLiteral(ID_REPORT_MODULE_DIR "/") + name)}) {
        if (!QFileInfo::exists(path))
            continue;
        QLibrary library(path);
        if (!library.load()) {
            tried = library.errorString();
            continue;
        }
        ReportModule m;
        m.makeApplication = reinterpret_cast<reportmodule::MakeApplication>(
            library.resolve(reportmodule::MakeApplicationEntry));
        m.draw = reinterpret_cast<reportmodule::Draw>(library.resolve(reportmodule::DrawEntry));
        if (m.makeApplication && m.draw)
            return m;
        tried = path + QStringLiteral(": модуль другой версии");
    }
    why = QStringLiteral("Отчёт PDF не может быть составлен: модуль отчёта ") + name +
          (tried.isEmpty() ? QStringLiteral(" не найден")
                           : QStringLiteral(" не загружен. Сообщение системы: ") + tried);
    return std::nullopt;
}

} // namespace id
