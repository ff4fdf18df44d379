#pragma once

#include "app/AppContext.h"

#include <QObject>

namespace id {

// Paste of a two-column block into the measurement table and copy of the fit set as text.
class MeasurementClipboard : public QObject {
    Q_OBJECT
public:
    explicit MeasurementClipboard(AppContext& context, QObject* parent = nullptr);

    // "Вставить": writes the clipboard's block from the current row on, growing the table.
    void paste();
    // "Копировать данные": the fit set as rate TAB pressure LF lines.
    void copyFitSet();

private:
    AppContext& ctx_;
};

} // namespace id
