#include "app/view/HelpWindow.h"
#include "app/view/AboutBox.h"
#include "support/GuiFixture.h"

#include <QDirIterator>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTextBlock>
#include <QTextBrowser>
#include <QToolButton>

namespace id::test {
namespace {

using HelpWindowTest = GuiFixture;

// Clicks the first link to the page, as the user would.
void clickLink(QTextBrowser* browser, const QString& page) {
    for (QTextBlock block = browser->document()->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().anchorHref() != page)
                continue;
            QTextCursor cursor(browser->document());
            cursor.setPosition(fragment.position() + 1);
            browser->ensureCursorVisible();
            browser->setTextCursor(cursor);
            browser->ensureCursorVisible();
            const QPoint at = browser->cursorRect(cursor).center();
            QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, at);
            return;
        }
    ADD_FAILURE() << "no link to " << page.toStdString();
}

// Every page of the help, and the pages its links lead to.
TEST_F(HelpWindowTest, F1OpensTheContentsAndEveryLinkLeadsToAPage) {
    EXPECT_EQ(menus().mHelpSpravka->shortcut(), QKeySequence(Qt::Key_F1));
    QTest::keyClick(frame.get(), Qt::Key_F1);
    HelpWindow* help = frame->help();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    QTextBrowser* browser = help->findChild<QTextBrowser*>("HelpBrowser");
    EXPECT_EQ(browser->source().toString(), "qrc:/help/index.html");
    EXPECT_TRUE(browser->toPlainText().contains("Содержание"));

    QStringList pages;
    for (QDirIterator it(":/help", {"*.html"}); it.hasNext();)
        pages << QFileInfo(it.next()).fileName();
    EXPECT_GE(pages.size(), 9);
    static const QRegularExpression link(QStringLiteral("href=\"([^\"#]+\\.html)"));
    for (const QString& page : pages) {
        SCOPED_TRACE(page.toStdString());
        QFile file(":/help/" + page);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());
        EXPECT_TRUE(html.contains("<title>"));
        for (auto m = link.globalMatch(html); m.hasNext();)
            EXPECT_TRUE(pages.contains(m.next().captured(1)))
                << m.peekNext().captured(1).toStdString();
    }

    // Following a link of the contents, then back, then to the contents again.
    clickLink(browser, "allowed.html");
    EXPECT_EQ(browser->source().toString(), "qrc:/help/allowed.html");
    EXPECT_TRUE(browser->toPlainText().contains("12,64 МПа"));
    auto* back = help->findChild<QToolButton*>("HelpBack");
    ASSERT_TRUE(back->isEnabled());
    back->click();
    EXPECT_EQ(browser->source().toString(), "qrc:/help/index.html");
    clickLink(browser, "save.html");
    EXPECT_EQ(browser->source().toString(), "qrc:/help/save.html");
    help->findChild<QToolButton*>("HelpContents")->click();
    EXPECT_EQ(browser->source().toString(), "qrc:/help/index.html");

    // Asking again brings the same window back on its contents.
    clickLink(browser, "data.html");
    menus().mHelpSpravka->trigger();
    EXPECT_EQ(frame->help(), help);
    EXPECT_EQ(browser->source().toString(), "qrc:/help/index.html");
}

// "О программе" names what a support request needs: the version the program itself reports, the
// toolkit actually loaded, the SQLite inside its driver, and the settings file.
TEST_F(HelpWindowTest, AboutNamesVersionLibrariesAndSettings) {
    EXPECT_FALSE(frame->windowIcon().isNull());
    menus().mHelpAbout->trigger();
    AboutBox* about = frame->about();
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->isVisible());
    const QString text = about->findChild<QLabel*>("AboutText")->text();

    QProcess program;
    program.start(ID_BUILD_DIR "/indicator-diagram", {"--version"});
    ASSERT_TRUE(program.waitForFinished(10000));
    const QString version =
        QString::fromUtf8(program.readAllStandardOutput()).trimmed().section(' ', -1);
    ASSERT_FALSE(version.isEmpty());
    EXPECT_TRUE(text.contains("Версия " + version + ", собрана ")) << text.toStdString();
    EXPECT_TRUE(QRegularExpression(R"(собрана \d\d\.\d\d\.\d{4})").match(text).hasMatch());
    EXPECT_TRUE(text.contains(QString("Qt</td><td>&nbsp;") + qVersion())) << text.toStdString();
    EXPECT_TRUE(QRegularExpression(R"(SQLite</td><td>&nbsp;3\.\d+\.\d+)").match(text).hasMatch())
        << text.toStdString();
    EXPECT_TRUE(text.contains(QSettings().fileName().toHtmlEscaped()));

    menus().mHelpAbout->trigger();
    EXPECT_EQ(frame->about(), about);
}

} // namespace
} // namespace id::test
