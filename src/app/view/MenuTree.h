#pragma once

#include "app/MenuRules.h"

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace id {

// Every item of the main menu and of the selection pop-up, by its name.
struct MenuTree {
    QMenu* mEdit = nullptr;
    QAction* mEditPastRow = nullptr;
    QAction* mEditPaste = nullptr;
    QAction* mEditSave = nullptr;
    QMenu* mEditWell = nullptr;
    QAction* mEditWellDob = nullptr;
    QAction* mEditWellNag = nullptr;
    // Beyond the text: the wells of the database and the walk through their list.
    QAction* mEditWells = nullptr;
    QAction* mWellNext = nullptr;
    QAction* mWellPrev = nullptr;
    // Beyond the menus of the text: undo and redo, analysis files, export.
    QAction* mEditUndo = nullptr;
    QAction* mEditRedo = nullptr;
    QAction* mFileNew = nullptr;
    QAction* mFileOpen = nullptr;
    QAction* mFileSave = nullptr;
    QAction* mFileSaveAs = nullptr;
    // "Последние файлы": its items are made afresh each time "Данные" opens.
    QMenu* mFileRecent = nullptr;
    QMenu* mFileExport = nullptr;
    QAction* mFileExportDiagram = nullptr;
    QAction* mFileExportPiChart = nullptr;
    QAction* mFileExportCsv = nullptr;
    QAction* mFileExportPdf = nullptr;

    QMenu* mIdd = nullptr;
    QAction* mIdAdd = nullptr;
    QMenu* mEditCopy = nullptr;
    QAction* mEditCopyIDData = nullptr;
    QAction* mEditCopyIDGraf = nullptr;
    QAction* mEditCopyPIGraf = nullptr;
    QMenu* mIdFormat = nullptr;
    QAction* mIdFormatX = nullptr;
    QAction* mIdFormatY = nullptr;
    QAction* mIdFormatYPIQ = nullptr;
    QMenu* mIdSkin = nullptr;
    QAction* mIdSkinGidro = nullptr;
    QAction* mIdSkinSkin = nullptr;
    QAction* mIdSkinNot = nullptr;
    // Beyond the text: the trends' statistics.
    QAction* mIdStat = nullptr;
    QAction* mIdConfBands = nullptr;

    QMenu* mTrend = nullptr;
    QMenu* mTrendAdd = nullptr;
    QAction* mTrendLine = nullptr;
    QAction* mTrendPolinom2 = nullptr;
    QAction* mTrendPolinom3 = nullptr;
    // Beyond the text: the inflow models fitted to the fit set.
    QMenu* mTrendModels = nullptr;
    QAction* mModelVogel = nullptr;
    QAction* mModelComposite = nullptr;
    QAction* mModelFetkovich = nullptr;
    // Beyond the text: two lines and their break, found by the data.
    QAction* mTrendBreak = nullptr;
    QAction* mTrendDelete = nullptr;
    QAction* mTrendAddSelectPoint = nullptr;
    // Beyond the text: the points left out with Ctrl+click come back.
    QAction* mTrendRestorePoints = nullptr;

    // Beyond the text: the work window's zoom.
    QMenu* mView = nullptr;
    QAction* mViewFit = nullptr;
    QAction* mViewZoomIn = nullptr;
    QAction* mViewZoomOut = nullptr;
    QAction* mViewZoom100 = nullptr;

    QMenu* mHelp = nullptr;
    QAction* mHelpSpravka = nullptr;
    QAction* mHelpAbout = nullptr;

    // Pop-up menu of the point selection; not in the menu bar.
    QMenu* mSelPointTrend = nullptr;
    QAction* mSelPointTrendLine = nullptr;
    QAction* mSelPointTrendPolinom2 = nullptr;
    QAction* mSelPointTrendPolinom3 = nullptr;
    QAction* mSelPointTrendAdd = nullptr;
    // Beyond the text: the break of the picked points, as "Линия тренда" offers it for all.
    QAction* mSelPointTrendBreak = nullptr;
    QAction* mSelPointTrendCancel = nullptr;
};

// The opening rules' outcome applied to the items of the menu.
void applyMenuState(const MenuTree& menus, const DataMenuState& state);
void applyMenuState(const MenuTree& menus, const DiagramMenuState& state);
void applyMenuState(const MenuTree& menus, const TrendMenuState& state);

// The selection pop-up for a rectangle or for a two-point line, its kinds offered for the
// number of picked points; and the trend kind of the item chosen there (none for no item or
// one not offered).
void offerSelectionPopup(const MenuTree& menus, bool line, int points);
int chosenTrendKind(const MenuTree& menus, const QAction* chosen);

// Builds the menu tree in its start state: captions, enabled and checked states, shortcuts.
MenuTree buildMenuTree(QMenuBar* bar, QWidget* popupParent);

} // namespace id
