#include "document/RecentFiles.h"

#include <QSettings>

namespace id {

namespace {
const QString Key = QStringLiteral("recentFiles");
} // namespace

QStringList RecentFiles::withFirst(QStringList list, const QString& path) {
    list.removeAll(path);
    list.prepend(path);
    while (list.size() > Most)
        list.removeLast();
    return list;
}

QStringList RecentFiles::list() {
    return QSettings().value(Key).toStringList();
}

void RecentFiles::add(const QString& path) {
    QSettings().setValue(Key, withFirst(list(), path));
}

void RecentFiles::remove(const QString& path) {
    QStringList paths = list();
    paths.removeAll(path);
    QSettings().setValue(Key, paths);
}

} // namespace id
