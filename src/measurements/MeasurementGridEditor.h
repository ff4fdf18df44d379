#pragma once

#include "app/AppContext.h"

#include <QObject>

class QKeyEvent;

namespace id {

class FlexGrid;

// Editing of the measurement table: typed characters, Backspace, Enter, Delete of cells and
// rows, row insertion, and the menu states that follow the table's focus.
class MeasurementGridEditor : public QObject {
    Q_OBJECT
public:
    explicit MeasurementGridEditor(AppContext& context, QObject* parent = nullptr);

    // "Вставить строку": an empty row before the current data row.
    void insertRow();

    // Number of data columns the editing keys treat: 3 with the date column, 2 otherwise.
    int lastDataColumn() const;

private:
    void onKey(QKeyEvent* event);
    void enterCharacter(QChar character);
    void deleteSelection();
    void onFocusLost();
    void renumberFrom(int firstRow);

    AppContext& ctx_;
    FlexGrid* grid_;
};

} // namespace id
