#include "app/view/MenuTree.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace id {

namespace {

QMenu* addMenu(QMenuBar* bar, const char* name, const QString& caption) {
    QMenu* menu = bar->addMenu(caption);
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    return menu;
}

QMenu* addSubmenu(QMenu* parent, const char* name, const QString& caption) {
    QMenu* menu = parent->addMenu(caption);
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    return menu;
}

QAction* addItem(QMenu* menu, const char* name, const QString& caption, bool enabled = true,
                 bool checkable = false, bool checked = false) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    action->setEnabled(enabled);
    action->setCheckable(checkable);
    action->setChecked(checked);
    return action;
}

// "Данные": table, save, well type, undo and redo.
void addDataMenu(MenuTree& m, QMenuBar* bar) {
    m.mEdit = addMenu(bar, "mEdit", QStringLiteral("Данные"));
    m.mEditPastRow = addItem(m.mEdit, "mEditPastRow", QStringLiteral("Вставить строку"), false);
    m.mEditPaste = addItem(m.mEdit, "mEditPaste", QStringLiteral("Вставить"), false);
    m.mEditSave = addItem(m.mEdit, "mEditSave", QStringLiteral("Сохранить"), false);
    m.mEditWell = addSubmenu(m.mEdit, "mEditWell", QStringLiteral("Тип скважины"));
    m.mEditWellDob =
        addItem(m.mEditWell, "mEditWellDob", QStringLiteral("Добывающая"), true, true, false);
    m.mEditWellNag =
        addItem(m.mEditWell, "mEditWellNag", QStringLiteral("Нагнетательная"), true, true, false);
    m.mEditWells = addItem(m.mEdit, "mEditWells", QStringLiteral("Скважины базы…"), false);
    m.mWellNext = addItem(m.mEdit, "mWellNext", QStringLiteral("Следующая скважина"), false);
    m.mWellNext->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageDown));
    m.mWellPrev = addItem(m.mEdit, "mWellPrev", QStringLiteral("Предыдущая скважина"), false);
    m.mWellPrev->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageUp));
    m.mEdit->addSeparator();
    m.mEditUndo = addItem(m.mEdit, "mEditUndo", QStringLiteral("Отменить"), false);
    m.mEditUndo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    m.mEditRedo = addItem(m.mEdit, "mEditRedo", QStringLiteral("Повторить"), false);
    m.mEditRedo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    m.mEdit->addSeparator();
}

// "Данные", continued: analysis files and exports.
void addFileItems(MenuTree& m) {
    m.mFileNew = addItem(m.mEdit, "mFileNew", QStringLiteral("Новый анализ"));
    m.mFileNew->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    m.mFileOpen = addItem(m.mEdit, "mFileOpen", QStringLiteral("Открыть анализ…"));
    m.mFileOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    m.mFileSave = addItem(m.mEdit, "mFileSave", QStringLiteral("Сохранить анализ"));
    m.mFileSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    m.mFileSaveAs = addItem(m.mEdit, "mFileSaveAs", QStringLiteral("Сохранить анализ как…"));
    m.mFileSaveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    m.mFileRecent = addSubmenu(m.mEdit, "mFileRecent", QStringLiteral("Последние файлы"));
    m.mFileExport = addSubmenu(m.mEdit, "mFileExport", QStringLiteral("Экспорт"));
    m.mFileExportDiagram =
        addItem(m.mFileExport, "mFileExportDiagram", QStringLiteral("Диаграмма в файл…"));
    m.mFileExportPiChart =
        addItem(m.mFileExport, "mFileExportPiChart", QStringLiteral("График PI-Q в файл…"));
    m.mFileExportCsv =
        addItem(m.mFileExport, "mFileExportCsv", QStringLiteral("Данные и результаты в CSV…"));
    m.mFileExportPdf = addItem(m.mFileExport, "mFileExportPdf", QStringLiteral("Отчёт PDF…"));
}

// "ИД".
void addDiagramMenu(MenuTree& m, QMenuBar* bar) {
    m.mIdd = addMenu(bar, "mIdd", QStringLiteral("ИД"));
    m.mIdAdd = addItem(m.mIdd, "mIdAdd", QStringLiteral("Построить график"), false);
    m.mEditCopy = addSubmenu(m.mIdd, "mEditCopy", QStringLiteral("Копировать"));
    m.mEditCopyIDData =
        addItem(m.mEditCopy, "mEditCopyIDData", QStringLiteral("Копировать данные"));
    m.mEditCopyIDGraf =
        addItem(m.mEditCopy, "mEditCopyIDGraf", QStringLiteral("Копировать график ИД"));
    m.mEditCopyPIGraf =
        addItem(m.mEditCopy, "mEditCopyPIGraf", QStringLiteral("Копировать график PI-Q"));
    m.mIdFormat = addSubmenu(m.mIdd, "mIdFormat", QStringLiteral("Формат осей графиков"));
    m.mIdFormatX = addItem(m.mIdFormat, "mIdFormatX", QStringLiteral("Формат оси X ИД"));
    m.mIdFormatY = addItem(m.mIdFormat, "mIdFormatY", QStringLiteral("Формат оси Y ИД"));
    m.mIdFormatYPIQ = addItem(m.mIdFormat, "mIdFormatYPIQ", QStringLiteral("Формат оси Y PI-Q"));
    m.mIdSkin = addSubmenu(m.mIdd, "mIdSkin", QStringLiteral("Оценка"));
    m.mIdSkinGidro = addItem(m.mIdSkin, "mIdSkinGidro",
                             QStringLiteral("Оценка гидропроводности по скину"), true, true);
    m.mIdSkinSkin = addItem(m.mIdSkin, "mIdSkinSkin",
                            QStringLiteral("Оценка скина по гидропроводности"), true, true);
    m.mIdSkinNot = addItem(m.mIdSkin, "mIdSkinNot",
                           QStringLiteral("Без оценки скина и гидропроводности"), true, true, true);
    m.mIdStat = addItem(m.mIdd, "mIdStat", QStringLiteral("Статистика"), false);
    m.mIdConfBands =
        addItem(m.mIdd, "mIdConfBands", QStringLiteral("Доверительные интервалы"), false, true);
}

// "Линия тренда".
void addTrendMenu(MenuTree& m, QMenuBar* bar) {
    m.mTrend = addMenu(bar, "mTrend", QStringLiteral("Линия тренда"));
    m.mTrend->menuAction()->setEnabled(false);
    m.mTrendAdd = addSubmenu(m.mTrend, "mTrendAdd", QStringLiteral("Линия тренда по всем точкам"));
    m.mTrendAdd->menuAction()->setEnabled(false);
    m.mTrendLine = addItem(m.mTrendAdd, "mTrendLine", QStringLiteral("Линейная"));
    m.mTrendPolinom2 =
        addItem(m.mTrendAdd, "mTrendPolinom2", QStringLiteral("Полиномиальная 2-й степени"));
    m.mTrendPolinom3 =
        addItem(m.mTrendAdd, "mTrendPolinom3", QStringLiteral("Полиномиальная 3-й степени"));
    m.mTrendModels = addSubmenu(m.mTrend, "mTrendModels", QStringLiteral("Модели притока"));
    m.mModelVogel = addItem(m.mTrendModels, "mModelVogel", QStringLiteral("Фогель"));
    m.mModelComposite =
        addItem(m.mTrendModels, "mModelComposite", QStringLiteral("Дарси + Фогель (с Pнас)"));
    m.mModelFetkovich = addItem(m.mTrendModels, "mModelFetkovich", QStringLiteral("Феткович"));
    m.mTrendBreak =
        addItem(m.mTrend, "mTrendBreak", QStringLiteral("Излом (две прямые) автоматически"), false);
    m.mTrendDelete =
        addItem(m.mTrend, "mTrendDelete", QStringLiteral("Удалить линию тренда"), false);
    m.mTrendAddSelectPoint =
        addItem(m.mTrend, "mTrendAddSelectPoint",
                QStringLiteral("Линии тренда по выбранным точкам"), true, true, false);
    m.mTrendRestorePoints = addItem(m.mTrend, "mTrendRestorePoints",
                                    QStringLiteral("Вернуть исключённые точки"), false);
}

// The pop-up of a point selection, opened at the pointer.
void addSelectionPopup(MenuTree& m, QWidget* popupParent) {
    m.mSelPointTrend = new QMenu(QStringLiteral("Линия тренда по точкам"), popupParent);
    m.mSelPointTrend->setObjectName(QStringLiteral("mSelPointTrend"));
    m.mSelPointTrend->menuAction()->setObjectName(QStringLiteral("mSelPointTrend"));
    m.mSelPointTrendLine =
        addItem(m.mSelPointTrend, "mSelPointTrendLine", QStringLiteral("Линейная"));
    m.mSelPointTrendPolinom2 = addItem(m.mSelPointTrend, "mSelPointTrendPolinom2",
                                       QStringLiteral("Полиномиальная 2-й степени"));
    m.mSelPointTrendPolinom3 = addItem(m.mSelPointTrend, "mSelPointTrendPolinom3",
                                       QStringLiteral("Полиномиальная 3-й степени"));
    m.mSelPointTrendBreak = addItem(m.mSelPointTrend, "mSelPointTrendBreak",
                                    QStringLiteral("Излом (две прямые) автоматически"));
    m.mSelPointTrendAdd =
        addItem(m.mSelPointTrend, "mSelPointTrendAdd", QStringLiteral("Добавить"));
    m.mSelPointTrendCancel =
        addItem(m.mSelPointTrend, "mSelPointTrendCancel", QStringLiteral("Отмена"));
}

} // namespace

MenuTree buildMenuTree(QMenuBar* bar, QWidget* popupParent) {
    MenuTree m;
    addDataMenu(m, bar);
    addFileItems(m);
    addDiagramMenu(m, bar);
    addTrendMenu(m, bar);
    m.mView = addMenu(bar, "mView", QStringLiteral("Вид"));
    m.mViewFit = addItem(m.mView, "mViewFit", QStringLiteral("По размеру окна"), true, true);
    m.mView->addSeparator();
    m.mViewZoomIn = addItem(m.mView, "mViewZoomIn", QStringLiteral("Крупнее"));
    // Ctrl+= zooms in where "+" needs Shift.
    m.mViewZoomIn->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Equal), QKeySequence(Qt::CTRL | Qt::Key_Plus)});
    m.mViewZoomOut = addItem(m.mView, "mViewZoomOut", QStringLiteral("Мельче"));
    m.mViewZoomOut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    m.mViewZoom100 = addItem(m.mView, "mViewZoom100", QStringLiteral("Масштаб 100 %"));
    m.mViewZoom100->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    m.mHelp = addMenu(bar, "mHelp", QStringLiteral("Помощь"));
    m.mHelpSpravka = addItem(m.mHelp, "mHelpSpravka", QStringLiteral("Справка"));
    m.mHelpSpravka->setShortcut(QKeySequence(Qt::Key_F1));
    m.mHelpAbout = addItem(m.mHelp, "mHelpAbout", QStringLiteral("О программе"));
    addSelectionPopup(m, popupParent);
    return m;
}

void applyMenuState(const MenuTree& m, const DataMenuState& d) {
    m.mEditPaste->setEnabled(d.paste);
    m.mFileExportDiagram->setEnabled(d.exportDiagram);
    m.mFileExportPiChart->setEnabled(d.exportPiChart);
    m.mFileExportCsv->setEnabled(d.exportCsv);
    m.mFileExportPdf->setEnabled(d.exportPdf);
    m.mEditSave->setEnabled(d.save);
}

void applyMenuState(const MenuTree& m, const DiagramMenuState& d) {
    m.mIdAdd->setEnabled(d.build);
    m.mIdFormat->menuAction()->setEnabled(d.format);
    m.mIdFormatX->setEnabled(d.formatX);
    m.mIdFormatY->setEnabled(d.formatY);
    m.mIdFormatYPIQ->setEnabled(d.formatPi);
    m.mEditCopy->menuAction()->setEnabled(d.copy);
    m.mEditCopyPIGraf->setEnabled(d.copyPi);
    m.mIdStat->setEnabled(d.statistics);
    m.mIdConfBands->setEnabled(d.confidenceBands);
    m.mIdSkin->menuAction()->setEnabled(d.estimate);
}

void applyMenuState(const MenuTree& m, const TrendMenuState& t) {
    m.mTrendAdd->menuAction()->setEnabled(t.byAllPoints);
    for (const auto& [item, enabled] : {std::pair{m.mTrendLine, t.line},
                                        {m.mTrendPolinom2, t.quadratic},
                                        {m.mTrendPolinom3, t.cubic}})
        if (enabled)
            item->setEnabled(*enabled);
    for (QAction* model : {m.mModelVogel, m.mModelComposite, m.mModelFetkovich})
        model->setEnabled(t.models);
    m.mTrendBreak->setEnabled(t.breakSearch);
    m.mTrendDelete->setEnabled(t.remove);
    m.mTrendRestorePoints->setEnabled(t.restorePoints);
}

void offerSelectionPopup(const MenuTree& m, bool line, int points) {
    for (QAction* kind : {m.mSelPointTrendLine, m.mSelPointTrendPolinom2, m.mSelPointTrendPolinom3,
                          m.mSelPointTrendBreak})
        kind->setVisible(!line);
    m.mSelPointTrendBreak->setEnabled(points >= 5);
    m.mSelPointTrendAdd->setVisible(line);
    m.mSelPointTrendLine->setEnabled(points >= 2);
    m.mSelPointTrendPolinom2->setEnabled(points >= 3);
    m.mSelPointTrendPolinom3->setEnabled(points >= 4);
}

int chosenTrendKind(const MenuTree& m, const QAction* chosen) {
    if (!chosen || !chosen->isEnabled())
        return NoTrend;
    if (chosen == m.mSelPointTrendLine || chosen == m.mSelPointTrendAdd)
        return LinearTrend;
    if (chosen == m.mSelPointTrendPolinom2)
        return QuadraticTrend;
    if (chosen == m.mSelPointTrendPolinom3)
        return CubicTrend;
    return NoTrend;
}

} // namespace id
