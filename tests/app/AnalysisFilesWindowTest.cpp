#include "charts/view/AxisRangeDialog.h"
#include "support/AnalysisFixture.h"
#include "support/PdfText.h"
#include "support/WindowRecording.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace id::test {
namespace {

// Files, unsaved changes and undo through the real window.
class AnalysisFilesTest : public AnalysisFixture {
protected:
    // The first line where two recordings differ, or nothing.
    static std::string difference(const QString& expected, const QString& actual) {
        const QStringList a = expected.split('\n');
        const QStringList b = actual.split('\n');
        for (qsizetype i = 0; i < std::max(a.size(), b.size()); ++i)
            if (a.value(i) != b.value(i))
                return QString("line %1:\n  expected %2\n  actual   %3")
                    .arg(i + 1)
                    .arg(a.value(i), b.value(i))
                    .toStdString();
        return {};
    }
    // What the window shows. The clipboard, the table's current cell (and with it "Вставить
    // строку" and "Вставить"), the items of the selection pop-up and the captions of hidden
    // labels are not part of the analysis, nor the items of a menu that cannot open.
    QString recording() {
        messages.clear();
        clipboard.setText(QString());
        QString text = WindowRecording(*frame, messages, clipboard).text();
        static const QRegularExpression place(" current=\\d+,\\d+|(mEditPastRow|mEditPaste) "
                                              "enabled=\\d|\\n  mSelPointTrend\\w+ [^\\n]*|"
                                              "(Label\\d visible=0) text=\"[^\"]*\"");
        text.replace(place, "\\1");
        // The items of a menu that cannot open cannot be seen.
        QStringList lines;
        bool closedMenu = false;
        for (const QString& line : text.split('\n')) {
            if (!line.startsWith(' '))
                closedMenu = line.startsWith('m') && line.contains(" enabled=0");
            else if (closedMenu)
                continue;
            lines << line;
        }
        return lines.join('\n');
    }
    QString path(const QString& name) const { return folder.filePath(name); }
    void saveAs(const QString& file) {
        files.answerNext(file);
        ASSERT_TRUE(choose(menus().mFileSaveAs));
    }
    void open(const QString& file) {
        files.answerNext(file);
        ASSERT_TRUE(choose(menus().mFileOpen));
    }
    void injectionWithTwoTrends() {
        ASSERT_TRUE(choose(menus().mEditWellNag));
        build("1\t5,5\n2\t6\n3\t6,5\n6\t7,5\n7\t9,5\n8\t11,5\n");
        ASSERT_TRUE(choose(menus().mTrendAddSelectPoint));
        trendOnPoints(1, LinearTrend, {1, 2, 3}, {5.5, 6, 6.5});
        trendOnPoints(2, LinearTrend, {6, 7, 8}, {7.5, 9.5, 11.5});
    }
    QTemporaryDir folder;
};

TEST_F(AnalysisFilesTest, AnOpenedFileShowsWhatWasShownWhenSaved) {
    const std::vector<std::pair<const char*, std::function<void()>>> analyses = {
        {"producing, one trend",
         [this] {
             form().Pnas->setText("5");
             build("10\t20\n20\t18\n30\t16,5\n40\t14\n");
             ASSERT_TRUE(choose(menus().mIdSkinGidro));
             ASSERT_TRUE(choose(menus().mTrendLine));
         }},
        {"injection, two trends", [this] { injectionWithTwoTrends(); }},
        {"injection, one trend",
         [this] {
             ASSERT_TRUE(choose(menus().mEditWellNag));
             build("10\t5\n20\t7\n30\t9,5\n");
             ASSERT_TRUE(choose(menus().mTrendPolinom2));
         }},
        {"producing, two trends",
         [this] {
             build("1\t25\n2\t24\n3\t23\n6\t18\n7\t16\n8\t14\n");
             ASSERT_TRUE(choose(menus().mTrendAddSelectPoint));
             trendOnPoints(1, LinearTrend, {1, 2, 3}, {25, 24, 23});
             trendOnPoints(2, CubicTrend, {2, 3, 6, 7, 8}, {24, 23, 18, 16, 14});
         }},
    };
    for (const auto& [name, make] : analyses) {
        SCOPED_TRACE(name);
        start();
        make();
        saveAs(path(name));
        const QString file = path(name) + ".ida";
        ASSERT_TRUE(QFile::exists(file));
        EXPECT_TRUE(frame->windowTitle().endsWith(QString(" — ") + name + ".ida[*]"));
        EXPECT_FALSE(frame->isWindowModified());
        const AnalysisState saved = state();
        const QString shown = recording();

        start();
        open(file);
        EXPECT_TRUE(state() == saved);
        EXPECT_EQ(difference(shown, recording()), "");
        EXPECT_FALSE(frame->analysis().document().modified());
    }
}

TEST_F(AnalysisFilesTest, ABadFileLeavesTheAnalysisOnScreen) {
    build("10\t20\n20\t18\n");
    const AnalysisState before = state();
    QFile bad(path("bad.ida"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(R"({"format": "indicator-diagram-analysis", "version": 7})");
    bad.close();
    open(bad.fileName());
    EXPECT_TRUE(messages.last().contains("более новой версией программы"));
    EXPECT_TRUE(state() == before);
    open(path("missing.ida"));
    EXPECT_TRUE(messages.last().startsWith("Файл не открыт"));
    EXPECT_TRUE(state() == before);
}

// A save that cannot finish leaves the old file whole and nothing beside it.
TEST_F(AnalysisFilesTest, AFailedSaveKeepsTheOldFile) {
    build("10\t20\n20\t18\n");
    saveAs(path("well.ida"));
    QFile file(path("well.ida"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray old = file.readAll();
    file.close();
    ASSERT_TRUE(choose(menus().mTrendLine));
    // Root writes into read-only folders: the folder is made immutable instead.
    const bool root = geteuid() == 0;
    const auto lock = [&](bool locked) {
        if (root)
            return QProcess::execute("chattr", {locked ? "+i" : "-i", folder.path()}) == 0;
        return QFile::setPermissions(folder.path(), locked ? QFile::ReadOwner | QFile::ExeOwner
                                                           : QFile::ReadOwner | QFile::WriteOwner |
                                                                 QFile::ExeOwner);
    };
    ASSERT_TRUE(lock(true));
    messages.clear();
    EXPECT_FALSE(frame->analysis().files().saveAnalysis());
    ASSERT_TRUE(lock(false));
    EXPECT_TRUE(messages.last().startsWith("Анализ не сохранён"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), old);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"well.ida"});
    EXPECT_TRUE(frame->analysis().document().modified());
}

// Every write fails at every step as the system would make it fail: each says why in Russian,
// with the system's words in the details, and leaves the file that was there as it was.
TEST_F(AnalysisFilesTest, EveryWriteFailingAtAnyStepKeepsTheOldFile) {
    form().Pnas->setText("5");
    build("10\t20\n20\t18\n30\t16,5\n");
    ASSERT_TRUE(choose(menus().mTrendLine));
    const struct {
        QAction* item;
        const char* name;
        const char* notSaved;
    } writes[] = {{menus().mFileSaveAs, "well.ida", "Анализ не сохранён"},
                  {menus().mFileExportCsv, "data.csv", "Файл CSV не сохранён"},
                  {menus().mFileExportDiagram, "diagram.svg", "График не сохранён"},
                  {menus().mFileExportPiChart, "pi.png", "График не сохранён"},
                  {menus().mFileExportPdf, "report.pdf", "Отчёт не сохранён"}};
    const struct {
        WriteStep step;
        int error;
        const char* cause;
    } failures[] = {{WriteStep::Open, EACCES, "нет прав доступа"},
                    {WriteStep::Write, EROFS, "только для чтения"},
                    {WriteStep::Flush, ENOSPC, "на диске нет места"},
                    {WriteStep::Commit, EBUSY, "файл занят другой программой"}};
    for (const auto& w : writes) {
        QFile old(path(w.name));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old contents");
        old.close();
        for (const auto& f : failures) {
            SCOPED_TRACE(std::string(w.name) + " / " + f.cause);
            messages.clear();
            files.answerNext(path(w.name));
            files.failNextWrite(f.step, f.error);
            choose(w.item);
            ASSERT_EQ(messages.messages().size(), 1);
            EXPECT_TRUE(messages.last().startsWith(QString(w.notSaved) + ": "));
            EXPECT_TRUE(messages.last().contains(f.cause)) << messages.last().toStdString();
            EXPECT_EQ(messages.details().last(),
                      "Сообщение системы: " + QString::fromLocal8Bit(std::strerror(f.error)));
            ASSERT_TRUE(old.open(QIODevice::ReadOnly));
            EXPECT_EQ(old.readAll(), "old contents");
            old.close();
            EXPECT_TRUE(frame->analysis().document().modified());
        }
    }
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 5) << "no file left beside";
}

// Nothing is saved that could not be opened again: a box holding a whole pasted table, or a
// slope so small that its coefficient is not a number.
TEST_F(AnalysisFilesTest, WhatCouldNotBeOpenedAgainIsNotSaved) {
    build("1\t1E-300\n1000000000\t0\n");
    EXPECT_FALSE(choose(menus().mTrendLine) && state().TrendCount > 0);
    // Refused for its slope, or earlier for a reading beyond the scale a fit can hold.
    EXPECT_TRUE(messages.last().contains("Наклон линии тренда слишком мал") ||
                messages.last().contains("вне допустимого масштаба"));
    form().Pnas->setText(QString(1001, u'1'));
    saveAs(path("long"));
    EXPECT_TRUE(messages.last().startsWith("Анализ не сохранён: его нельзя было бы открыть"));
    EXPECT_FALSE(QFile::exists(path("long.ida")));
}

TEST_F(AnalysisFilesTest, UnsavedChangesAreAskedAbout) {
    frame->close();
    EXPECT_TRUE(messages.questions().isEmpty()) << "nothing to save yet";
    start();
    build("10\t20\n20\t18\n");
    messages.answerNext(MessagePort::Answer::Cancel);
    frame->close();
    EXPECT_EQ(messages.questions().last(), "Сохранить изменения в анализе?");
    EXPECT_TRUE(frame->isVisible());
    messages.answerNext(MessagePort::Answer::Cancel);
    EXPECT_FALSE(choose(menus().mFileNew) && state().measurementCount() == 0);
    EXPECT_EQ(state().measurementCount(), 2);
    messages.answerNext(MessagePort::Answer::Yes);
    files.answerNext(path("kept.ida"));
    ASSERT_TRUE(choose(menus().mFileNew));
    EXPECT_TRUE(QFile::exists(path("kept.ida")));
    EXPECT_EQ(state().measurementCount(), 0);
    EXPECT_TRUE(state().Table.isEmpty());
    const qsizetype asked = messages.questions().size();
    frame->close();
    EXPECT_EQ(messages.questions().size(), asked) << "a new analysis has nothing to save";
    EXPECT_FALSE(frame->isVisible());
}

// Dropped files, the title's file name and unsaved mark, and the recent files.
TEST_F(AnalysisFilesTest, FilesDroppedRememberedAndNamedInTheTitle) {
    const auto drop = [&](const QString& file, QWidget* over) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(file)});
        const QPoint at = over->mapTo(frame.get(), over->rect().center());
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(frame.get(), &enter);
        if (!enter.isAccepted())
            return false;
        // Shift proposes a move: the file is copied all the same, never taken from its place.
        QDropEvent dropped(QPointF(at), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                           Qt::ShiftModifier);
        QApplication::sendEvent(frame.get(), &dropped);
        EXPECT_EQ(dropped.dropAction(), Qt::CopyAction);
        QTest::qWait(1);
        return true;
    };
    // "Unicode text" of a spreadsheet: UTF-16 with its byte-order mark.
    QFile csv(path("замеры.csv"));
    ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
    const QString table = QStringLiteral("\uFEFFQ;P\n10.5;20\n20;18.25\n");
    csv.write(reinterpret_cast<const char*>(table.utf16()), table.size() * 2);
    csv.close();
    EXPECT_FALSE(drop(path("picture.png"), form().MSFlexGrid1));
    ASSERT_TRUE(drop(path("замеры.csv"), form().Picture3));
    EXPECT_EQ(state().Table.size(), 2);
    EXPECT_EQ(state().Table[1].Pressure, "18,25");
    EXPECT_TRUE(messages.last().startsWith("Данные вставлены: десятичная точка"))
        << messages.last().toStdString();
    EXPECT_TRUE(frame->isWindowModified());

    saveAs(path("first.ida"));
    EXPECT_FALSE(frame->isWindowModified());
    EXPECT_TRUE(frame->windowTitle().endsWith(" — first.ida[*]"))
        << frame->windowTitle().toStdString();
    ASSERT_TRUE(choose(menus().mFileNew));
    form().Pnas->setText("4");
    // A dropped analysis asks about the unsaved change first; "Отмена" keeps everything.
    messages.answerNext(MessagePort::Answer::Cancel);
    ASSERT_TRUE(drop(path("first.ida"), form().Pnas));
    EXPECT_EQ(state().Inputs.Pnas, "4");
    ASSERT_TRUE(drop(path("first.ida"), form().Pnas));
    EXPECT_EQ(state().Table.size(), 2);
    EXPECT_EQ(messages.questions().size(), 2);

    saveAs(path("second.ida"));
    emit menus().mEdit->aboutToShow();
    QStringList recent;
    for (QAction* item : menus().mFileRecent->actions())
        recent << item->text();
    ASSERT_EQ(recent.size(), 2);
    EXPECT_TRUE(recent[0].contains("second.ida") && recent[1].contains("first.ida"))
        << recent.join('|').toStdString();
    menus().mFileRecent->actions()[1]->trigger();
    EXPECT_TRUE(frame->windowTitle().contains("first.ida"));
}

// Every kind of command is a step back and forth, to identical analyses and pictures.
TEST_F(AnalysisFilesTest, UndoAndRedoWalkEveryCommandKind) {
    frame->analysis().setPopupChooser(
        [](QMenu& menu) { return menu.findChild<QAction*>("mSelPointTrendLine"); });
    const auto openDialog = [this](QAction* item) {
        EXPECT_TRUE(choose(item));
        return frame->analysis().axisDialog();
    };
    const std::vector<std::pair<QString, std::function<void()>>> steps = {
        {"вставка", [this] { paste("10\t20\n20\t18\n30\t16,5\n40\t14\n"); }},
        {"ввод",
         [this] {
             driver.click(2, 2);
             driver.type("5");
         }},
        {"удаление", [this] { driver.key(Qt::Key_Delete); }},
        {"вставка строки",
         [this] {
             driver.click(1, 1);
             choose(menus().mEditPastRow);
         }},
        {"удаление",
         [this] {
             driver.select(1, 1, 1, 2);
             driver.key(Qt::Key_Delete);
         }},
        {"давление насыщения", [this] { QTest::keyClicks(form().Pnas, "5"); }},
        {"построение графика", [this] { choose(menus().mIdAdd); }},
        {"оценка", [this] { choose(menus().mIdSkinSkin); }},
        {"параметры пласта",
         [this] {
             form().Rkontur->setFocus();
             form().Rkontur->setText("500");
             form().MSFlexGrid1->setFocus();
         }},
        {"линия тренда", [this] { choose(menus().mTrendLine); }},
        {"формат оси",
         [&] {
             AxisRangeDialog* dialog = openDialog(menus().mIdFormatX);
             dialog->Text2->setText("80");
             dialog->Command1->click();
         }},
        {"способ определения Pз", [this] { form().Check1->click(); }},
        {"выбор Pз",
         [this] {
             mouseAt(form().Picture4, QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton,
                     Qt::ShiftModifier, 30, 12.5);
         }},
        {"удаление линии тренда", [this] { choose(menus().mTrendDelete); }},
        {"выбор точек", [this] { choose(menus().mTrendAddSelectPoint); }},
        {"линия тренда",
         [this] {
             mouseAt(form().Picture4, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton,
                     Qt::NoModifier, 1, 25);
             mouseAt(form().Picture4, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier, 45, 1);
             mouseAt(form().Picture4, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton,
                     Qt::NoModifier, 45, 1);
         }},
        {"тип скважины", [this] { choose(menus().mEditWellNag); }},
    };
    std::vector<AnalysisState> states{state()};
    std::vector<QString> pictures{recording()};
    for (const auto& [label, act] : steps) {
        SCOPED_TRACE(label.toStdString());
        act();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(state() == states.back()) << "the step changed nothing";
        EXPECT_EQ(menus().mEditUndo->text(), "Отменить: " + label);
        states.push_back(state());
        pictures.push_back(recording());
    }
    for (std::size_t i = states.size() - 1; i > 0; --i) {
        SCOPED_TRACE("undo to " + std::to_string(i - 1));
        menus().mEditUndo->trigger();
        EXPECT_TRUE(state() == states[i - 1]);
        EXPECT_EQ(difference(pictures[i - 1], recording()), "");
    }
    EXPECT_FALSE(menus().mEditUndo->isEnabled());
    for (std::size_t i = 1; i < states.size(); ++i) {
        SCOPED_TRACE("redo to " + std::to_string(i));
        ASSERT_TRUE(menus().mEditRedo->isEnabled());
        EXPECT_EQ(menus().mEditRedo->text(), "Повторить: " + steps[i - 1].first);
        QTest::keyClick(frame.get(), Qt::Key_Y, Qt::ControlModifier);
        EXPECT_TRUE(state() == states[i]);
        EXPECT_EQ(difference(pictures[i], recording()), "");
    }
}

// Charts, data and a report go to files as a user's other programs read them.
TEST_F(AnalysisFilesTest, ExportsAreReadableByOtherPrograms) {
    form().Pnas->setText("5");
    build("10\t20\n20\t18\n30\t16,5\n40\t14\n");
    ASSERT_TRUE(choose(menus().mTrendLine));
    // A name without a suffix gets the format's own.
    const auto exported = [&](QAction* item, const QString& name, const QString& written = {}) {
        files.answerNext(path(name));
        EXPECT_TRUE(choose(item));
        QFile file(path(written.isEmpty() ? name : written));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        return file.readAll();
    };

    const QByteArray csv = exported(menus().mFileExportCsv, "data.csv");
    EXPECT_TRUE(csv.startsWith("\xEF\xBB\xBF"));
    const QStringList lines = QString::fromUtf8(csv.mid(3)).split("\r\n");
    EXPECT_EQ(lines.mid(0, 3), QStringList({"Дебит, м3/сут;P заб, МПа", "10;20", "20;18"}));
    EXPECT_TRUE(lines.contains("Коэф.продуктивности, м3/(сут*МПа);5,13"));
    EXPECT_TRUE(lines.contains("Линия тренда 1;\"y=-0,1950x+22,0000, R² = 0,991\"") ||
                lines.contains("Линия тренда 1;y=-0,1950x+22,0000, R² = 0,991"));

    const QByteArray svg = exported(menus().mFileExportDiagram, "diagram.svg");
    QXmlStreamReader xml(svg);
    QStringList texts;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"text")
            texts << xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    for (const char* label : {"0,0", "13,0", "26,0", "39,0", "18,0", "y=-0,1950x+22,0000"})
        EXPECT_TRUE(texts.contains(label)) << label;

    const QByteArray png = exported(menus().mFileExportPiChart, "pi", "pi.png");
    const QImage image = QImage::fromData(png, "PNG");
    EXPECT_EQ(image.size(), form().Picture7->size() * 2);
    // The index title keeps to the margin: no ink inside the plot beside it.
    const int plotLeft = 2 * (form().Picture7->width() - form().Picture8->width());
    for (int y = 2; y < 70; ++y)
        for (int x = plotLeft + 3; x < plotLeft + 24; ++x)
            ASSERT_EQ(image.pixel(x, y), qRgb(255, 255, 255)) << x << "," << y;

    // The report of a saved analysis names its file and lists the inputs in force.
    files.answerNext(path("well-12.ida"));
    ASSERT_TRUE(choose(menus().mFileSaveAs));
    const QByteArray pdf = exported(menus().mFileExportPdf, "report.pdf");
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    const QString text = pdfText(pdf);
    for (const char* wanted : {"Файл анализа: well-12.ida", "Давление насыщения, МПа", "14",
                               "y=-0,1950x+22,0000", "Коэф.продуктивности"})
        EXPECT_TRUE(text.contains(wanted)) << wanted << "\n" << text.toStdString();
}

} // namespace
} // namespace id::test
