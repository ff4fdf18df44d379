#pragma once

#include <QString>
#include <QStringList>

namespace id {

// "Последние файлы": the analysis files opened or saved last, newest first, remembered between
// runs in the program's settings.
class RecentFiles {
public:
    static constexpr int Most = 8;

    // The list with the path put first (once), cut to the most it keeps.
    static QStringList withFirst(QStringList list, const QString& path);

    static QStringList list();
    static void add(const QString& path);
    static void remove(const QString& path);
};

} // namespace id
