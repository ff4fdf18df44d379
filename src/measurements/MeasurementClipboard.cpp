#include "measurements/MeasurementClipboard.h"

#include "app/MenuTree.h"
#include "app/WorkWindow.h"
#include "measurements/ClipboardTable.h"
#include "measurements/DiscardAnalysis.h"
#include "platform/FlexGrid.h"
#include "platform/MessagePort.h"
#include "state/AnalysisState.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMimeData>

namespace id {

MeasurementClipboard::MeasurementClipboard(AppContext& context, QObject* parent)
    : QObject(parent), ctx_(context) {
    connect(ctx_.menus.mEditPaste, &QAction::triggered, this, &MeasurementClipboard::paste);
    connect(ctx_.menus.mEditCopyIDData, &QAction::triggered, this,
            &MeasurementClipboard::copyFitSet);
}

void MeasurementClipboard::paste() {
    FlexGrid* grid = ctx_.form.MSFlexGrid1;
    const int j = grid->Row();
    if (j < 1)
        return;
    const QMimeData* data = QApplication::clipboard()->mimeData();
    const QString text = data && data->hasText() ? data->text() : QString();
    const PastePlan plan = planPaste(splitClipboardText(text));
    if (plan.refused) {
        if (!plan.error.isEmpty())
            ctx_.messages.showMessage(plan.error);
        DiscardAnalysis(ctx_, DiscardVariant::Insertion);
        return;
    }

    const int n = static_cast<int>(plan.rows.size());
    const int rows = grid->Rows();
    int inserted = 0;
    if (rows - j < n)
        inserted = n + j - rows + 1;
    else if (rows - j == n)
        inserted = 1;
    if (inserted > 0) {
        // The entry row is always empty, so rows inserted before it are rows appended after
        // it; appending them in one step keeps a paste of a long block fast.
        grid->setRowCount(rows + inserted);
    }
    grid->beginBulkEdit();
    grid->ensureCells(rows, rows + inserted);
    if (inserted > 0) {
        for (int r = rows - 1; r < rows - 1 + inserted; ++r)
            grid->setText(r, 0, QString::number(j));
    }
    for (int i = j + 1; i <= grid->Rows() - 2; ++i)
        grid->setText(i, 0, QString::number(i));
    constexpr Qt::Alignment aligned = Qt::AlignHCenter | Qt::AlignTop;
    for (int k = 0; k < n; ++k) {
        grid->setCellAlignment(j + k, 1, aligned);
        grid->setText(j + k, 1, plan.rows[static_cast<std::size_t>(k)].first);
        grid->setCellAlignment(j + k, 2, aligned);
        grid->setText(j + k, 2, plan.rows[static_cast<std::size_t>(k)].second);
    }
    grid->endBulkEdit();
    grid->setCurrentCellAt(j + n - 1, 2);
    DiscardAnalysis(ctx_, DiscardVariant::Insertion);
}

void MeasurementClipboard::copyFitSet() {
    const AnalysisState& s = ctx_.state;
    const std::vector<double>& rates = s.FitRates.values();
    const std::vector<double>& pressures = s.FitPressures.values();
    const auto count = static_cast<std::size_t>(std::max(0, s.FitPointCount));
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setText(fitSetText(
        std::vector<double>(rates.begin(), rates.begin() + std::min(count, rates.size())),
        std::vector<double>(pressures.begin(),
                            pressures.begin() + std::min(count, pressures.size()))));
}

} // namespace id
