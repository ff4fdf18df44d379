#include <QApplication>
#include <QLocale>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Every test starts from empty settings: what one test remembers (recent files, a window's zoom
// or geometry) must not decide what the next one sees.
class FreshSettings : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override {
        QSettings settings;
        settings.clear();
        settings.sync();
    }
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The program's number conventions: decimal comma.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    // Settings of their own, empty at start: a user's recent files are neither read nor touched,
    // and tests running side by side in other processes do not clear each other's zoom.
    QStandardPaths::setTestModeEnabled(true);
    const QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    QApplication::setOrganizationName(QStringLiteral("indicator-diagram-tests"));
    QApplication::setApplicationName(QStringLiteral("indicator-diagram-tests"));
    QSettings().clear();
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshSettings);
    return RUN_ALL_TESTS();
}
