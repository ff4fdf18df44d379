#include "platform/view/FlexGrid.h"
#include "platform/view/PictureSurface.h"
#include "support/GuiFixture.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>

namespace id {
namespace {

using test::GuiFixture;
using StartupTest = GuiFixture;

TEST_F(StartupTest, ShowsOnlyTheTwoTablesAndTheSaturationPressureInput) {
    WorkWindow& f = form();
    EXPECT_TRUE(f.MSFlexGrid1->isVisible());
    EXPECT_TRUE(f.MSFlexGrid2->isVisible());
    EXPECT_TRUE(f.Pnas->isVisible());
    EXPECT_TRUE(f.Label1->isVisible());
    EXPECT_EQ(f.Label1->text(), "Давление насыщения, МПа");
    for (QWidget* hidden : std::initializer_list<QWidget*>{
             f.Skin, f.Rkontur, f.Rwell, f.Label2, f.Label3, f.Label4, f.Check1, f.Check2,
             f.Picture3, f.Picture4, f.Picture5, f.Picture6, f.Picture7, f.Picture8, f.Picture9}) {
        SCOPED_TRACE(hidden->objectName().toStdString());
        EXPECT_FALSE(hidden->isVisible());
    }
    EXPECT_EQ(f.Check1->text(), "Ручной выбор предельно-допустимого Pз");
    EXPECT_EQ(f.Check2->text(), "Автопоиск предельно-допустимого Pз");
}

TEST_F(StartupTest, MeasurementTableStartsWithHeaderAndOneEmptyRow) {
    FlexGrid* g = form().MSFlexGrid1;
    EXPECT_EQ(g->Rows(), 2);
    EXPECT_EQ(g->Cols(), 3);
    EXPECT_EQ(g->text(0, 1), "Дебит, м3/сут");
    EXPECT_EQ(g->text(0, 2), "P заб, МПа");
    EXPECT_EQ(g->cellAlignment(0, 1), Qt::AlignCenter);
    EXPECT_EQ(g->text(1, 0), "");
    EXPECT_EQ(g->rowHeight(0), 30);
    EXPECT_EQ(g->font().family(), "Times New Roman");
    EXPECT_EQ(g->font().pointSize(), 11);
    EXPECT_EQ(form().Pnas->font().pointSize(), 11);
    EXPECT_EQ(form().Check1->font().pointSize(), 11);
    EXPECT_EQ(form().Picture5->fontSize(), 10);
    EXPECT_EQ(form().Picture9->fontSize(), 10);
}

TEST_F(StartupTest, ControlGeometryInPixelsOfTheStartingConfiguration) {
    WorkWindow& f = form();
    struct Case {
        QWidget* widget;
        QRect twips;
    };
    const Case cases[] = {
        {f.MSFlexGrid1, {400, 700, 4500, 4000}}, {f.Pnas, {400, 4900, 800, 350}},
        {f.Skin, {400, 5350, 800, 375}},         {f.Rkontur, {400, 5825, 800, 375}},
        {f.Rwell, {400, 6300, 800, 375}},        {f.Label1, {1300, 4900, 2895, 350}},
        {f.Label4, {1300, 6300, 2895, 375}},     {f.Check1, {400, 6875, 4500, 255}},
        {f.Check2, {400, 7180, 4500, 210}},      {f.MSFlexGrid2, {400, 7490, 4500, 975}},
        {f.Picture3, {5100, 700, 8000, 5000}},   {f.Picture4, {6060, 700, 7040, 4400}},
        {f.Picture7, {5100, 5900, 8000, 5000}},  {f.Picture8, {6060, 5900, 7040, 4400}},
        {f.Frame1, {0, 0, 13300, 11100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.widget->objectName().toStdString());
        const QRect g = c.widget->geometry();
        EXPECT_NEAR(g.x(), c.twips.x() / 15.0, 1);
        EXPECT_NEAR(g.y(), c.twips.y() / 15.0, 1);
        EXPECT_NEAR(g.width(), c.twips.width() / 15.0, 1);
        EXPECT_NEAR(g.height(), c.twips.height() / 15.0, 1);
    }
    EXPECT_NEAR(f.MSFlexGrid1->columnWidth(0), 581 / 15.0, 1);
    EXPECT_NEAR(f.MSFlexGrid1->columnWidth(1), 1784 / 15.0, 1);
    EXPECT_NEAR(f.MSFlexGrid2->columnWidth(0), 3825 / 15.0, 1);
}

TEST_F(StartupTest, CaptionNamesTheWellTypeOnceStarted) {
    EXPECT_EQ(frame->windowTitle(), "Индикаторная диаграмма добывающей скважины[*]");
    start({.WellType = InjectionWell});
    EXPECT_EQ(frame->windowTitle(), "Индикаторная диаграмма нагнетательной скважины[*]");
    EXPECT_EQ(form().MSFlexGrid1->text(0, 1), "Приемистость, м3/сут");
    EXPECT_EQ(form().MSFlexGrid1->rowHeight(0), 37);
    EXPECT_FALSE(form().Pnas->isVisible());
    EXPECT_FALSE(form().Label1->isVisible());
    EXPECT_NEAR(form().Picture4->y(), 1300 / 15.0, 1);
}

TEST_F(StartupTest, StartStateOfTheMenuTree) {
    const MenuTree& m = menus();
    struct Item {
        QAction* action;
        const char* name;
        const char* caption;
        bool enabled;
        bool visible;
        bool checked;
    };
    const Item items[] = {
        {m.mEdit->menuAction(), "mEdit", "Данные", true, true, false},
        {m.mEditPastRow, "mEditPastRow", "Вставить строку", false, true, false},
        {m.mEditPaste, "mEditPaste", "Вставить", false, true, false},
        {m.mEditSave, "mEditSave", "Сохранить", false, false, false},
        {m.mEditWell->menuAction(), "mEditWell", "Тип скважины", true, true, false},
        {m.mEditWellDob, "mEditWellDob", "Добывающая", true, true, true},
        {m.mEditWellNag, "mEditWellNag", "Нагнетательная", true, true, false},
        {m.mIdd->menuAction(), "mIdd", "ИД", true, true, false},
        {m.mIdAdd, "mIdAdd", "Построить график", false, true, false},
        {m.mEditCopy->menuAction(), "mEditCopy", "Копировать", true, true, false},
        {m.mEditCopyIDData, "mEditCopyIDData", "Копировать данные", true, true, false},
        {m.mEditCopyIDGraf, "mEditCopyIDGraf", "Копировать график ИД", true, true, false},
        {m.mEditCopyPIGraf, "mEditCopyPIGraf", "Копировать график PI-Q", true, true, false},
        {m.mIdFormat->menuAction(), "mIdFormat", "Формат осей графиков", true, true, false},
        {m.mIdFormatX, "mIdFormatX", "Формат оси X ИД", true, true, false},
        {m.mIdFormatY, "mIdFormatY", "Формат оси Y ИД", true, true, false},
        {m.mIdFormatYPIQ, "mIdFormatYPIQ", "Формат оси Y PI-Q", true, true, false},
        {m.mIdSkin->menuAction(), "mIdSkin", "Оценка", true, true, false},
        {m.mIdSkinGidro, "mIdSkinGidro", "Оценка гидропроводности по скину", true, true, false},
        {m.mIdSkinSkin, "mIdSkinSkin", "Оценка скина по гидропроводности", true, true, false},
        {m.mIdSkinNot, "mIdSkinNot", "Без оценки скина и гидропроводности", true, true, true},
        {m.mTrend->menuAction(), "mTrend", "Линия тренда", false, true, false},
        {m.mTrendAdd->menuAction(), "mTrendAdd", "Линия тренда по всем точкам", false, true, false},
        {m.mTrendLine, "mTrendLine", "Линейная", true, true, false},
        {m.mTrendPolinom2, "mTrendPolinom2", "Полиномиальная 2-й степени", true, true, false},
        {m.mTrendPolinom3, "mTrendPolinom3", "Полиномиальная 3-й степени", true, true, false},
        {m.mTrendDelete, "mTrendDelete", "Удалить линию тренда", false, true, false},
        {m.mTrendAddSelectPoint, "mTrendAddSelectPoint", "Линии тренда по выбранным точкам", true,
         true, false},
        {m.mHelp->menuAction(), "mHelp", "Помощь", true, true, false},
        {m.mHelpSpravka, "mHelpSpravka", "Справка", true, true, false},
        {m.mHelpAbout, "mHelpAbout", "О программе", true, true, false},
        {m.mSelPointTrendLine, "mSelPointTrendLine", "Линейная", true, true, false},
        {m.mSelPointTrendPolinom2, "mSelPointTrendPolinom2", "Полиномиальная 2-й степени", true,
         true, false},
        {m.mSelPointTrendPolinom3, "mSelPointTrendPolinom3", "Полиномиальная 3-й степени", true,
         true, false},
        {m.mSelPointTrendAdd, "mSelPointTrendAdd", "Добавить", true, true, false},
        {m.mSelPointTrendCancel, "mSelPointTrendCancel", "Отмена", true, true, false},
    };
    for (const Item& i : items) {
        SCOPED_TRACE(i.name);
        EXPECT_EQ(i.action->objectName(), i.name);
        EXPECT_EQ(i.action->text(), QString::fromUtf8(i.caption));
        EXPECT_EQ(i.action->isEnabled(), i.enabled);
        EXPECT_EQ(i.action->isVisible(), i.visible);
        EXPECT_EQ(i.action->isChecked(), i.checked);
        // Help answers F1, as on every desktop; the text's menus have no other keys.
        EXPECT_EQ(i.action->shortcut().isEmpty(), i.action != m.mHelpSpravka);
        EXPECT_FALSE(i.action->text().contains('&'));
        // Reachable by name for automation.
        EXPECT_NE(frame->findChild<QObject*>(i.name), nullptr);
    }
}

TEST_F(StartupTest, SelectionPopupIsNotInTheMenuBar) {
    QMenu* popup = frame->findChild<QMenu*>("mSelPointTrend");
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->title(), "Линия тренда по точкам");
    EXPECT_FALSE(frame->menuBar()->actions().contains(popup->menuAction()));
    QStringList bar;
    for (QAction* menu : frame->menuBar()->actions())
        bar << menu->objectName();
    EXPECT_EQ(bar, QStringList({"mEdit", "mIdd", "mTrend", "mView", "mHelp"}));
}

TEST_F(StartupTest, DatabaseModeHasADateColumnAndTheSaveCommand) {
    start({.DatabaseMode = true});
    FlexGrid* g = form().MSFlexGrid1;
    EXPECT_EQ(g->Cols(), 4);
    EXPECT_EQ(g->text(0, 3), "Дата");
    EXPECT_TRUE(menus().mEditSave->isVisible());
    EXPECT_FALSE(menus().mEditWell->menuAction()->isVisible());
    EXPECT_NEAR(g->columnWidth(0), 415 / 15.0, 1);
}

TEST_F(StartupTest, FixedWellTypeHidesTheSaveCommandAndTheWellTypeSubmenu) {
    start({.WellTypeSelectable = false});
    EXPECT_FALSE(menus().mEditSave->isVisible());
    EXPECT_FALSE(menus().mEditWell->menuAction()->isVisible());
}

TEST_F(StartupTest, StateHoldsModeAfterStartUp) {
    EXPECT_EQ(state().WellType, ProducingWell);
    EXPECT_EQ(state().TrendCount, 0);
    start({.DatabaseMode = true, .WellType = InjectionWell});
    EXPECT_EQ(state().WellType, InjectionWell);
    EXPECT_EQ(form().MSFlexGrid1->text(0, 3), "Дата");
}

} // namespace
} // namespace id
