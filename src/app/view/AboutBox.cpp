#include "app/view/AboutBox.h"

#include <Eigen/Core>
#include <QDialogButtonBox>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVBoxLayout>

namespace id {

namespace {

// The SQLite inside the toolkit's driver, which need not be the one the headers name.
QString sqliteVersion() {
    const QString name = QStringLiteral("about-sqlite");
    QString version;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(QStringLiteral(":memory:"));
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(QStringLiteral("select sqlite_version()")) && query.next())
                version = query.value(0).toString();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return version.isEmpty() ? QStringLiteral("драйвер не загружен") : version;
}

} // namespace

QString aboutText() {
    const QString row = QStringLiteral("<tr><td>%1</td><td>&nbsp;%2</td></tr>");
    QString libraries = row.arg(QStringLiteral("Qt"), QString::fromLatin1(qVersion()));
    if (QString::fromLatin1(qVersion()) != QStringLiteral(QT_VERSION_STR))
        libraries += row.arg(QStringLiteral("Qt при сборке"), QStringLiteral(QT_VERSION_STR));
    libraries += row.arg(QStringLiteral("Eigen"), QStringLiteral("%1.%2.%3")
                                                      .arg(EIGEN_WORLD_VERSION)
                                                      .arg(EIGEN_MAJOR_VERSION)
                                                      .arg(EIGEN_MINOR_VERSION));
    libraries += row.arg(QStringLiteral("SQLite"), sqliteVersion());
    libraries += row.arg(QStringLiteral("Драйверы баз данных"),
                         QSqlDatabase::drivers().join(QStringLiteral(", ")));
    return QStringLiteral("<h3>Индикаторная диаграмма</h3>"
                          "<p>Версия %1, собрана %2.</p>"
                          "<p>Библиотеки:</p><table>%3</table>"
                          "<p>Настройки (последние файлы, положение окон) хранятся в файле<br>"
                          "%4</p>")
        .arg(QStringLiteral(ID_VERSION), QStringLiteral(ID_BUILD_DATE), libraries,
             QSettings().fileName().toHtmlEscaped());
}

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("О программе"));
    auto* layout = new QVBoxLayout(this);
    auto* head = new QHBoxLayout;
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("AboutIcon"));
    icon->setPixmap(QIcon(QStringLiteral(":/icons/indicator-diagram.svg")).pixmap(64, 64));
    icon->setAlignment(Qt::AlignTop);
    text_ = new QLabel(aboutText(), this);
    text_->setObjectName(QStringLiteral("AboutText"));
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    head->addWidget(icon);
    head->addWidget(text_, 1);
    layout->addLayout(head);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close =
        buttons->addButton(QStringLiteral("Закрыть"), QDialogButtonBox::AcceptRole);
    close->setObjectName(QStringLiteral("AboutClose"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

} // namespace id
