#pragma once

#include "exports/view/ChartExport.h"

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class QMenu;

namespace id {

class AnalysisDocument;
class FilePort;
class MessagePort;
struct TypedInputs;

// The window's commands on files: new, open and save an analysis (asking before changes are
// lost), and every export. Each file is written whole or not at all, and a failure is said.
class FileActions : public QObject {
    Q_OBJECT
public:
    FileActions(AnalysisDocument& document, MessagePort& messages, FilePort& files,
                std::function<TypedInputs()> typed, std::function<ChartSizes()> chartSizes,
                QObject* parent = nullptr);

    // Each asks about unsaved changes first where it would lose them; false when the user
    // cancelled or the step failed (after saying why).
    bool newAnalysis();
    bool openAnalysis(const QString& path = {});
    bool saveAnalysis();
    bool saveAnalysisAs();
    // A text file's contents (UTF-8, or one byte a character), or none after saying why not.
    std::optional<QString> readTextFile(const QString& path);
    // Whether the analysis may be dropped: unchanged, saved now, or the user says so.
    bool confirmDiscard();

    // "Последние файлы", made afresh from the remembered list: each item opens its file.
    void fillRecentMenu(QMenu& menu);

    // Exports, each to a file the user chooses.
    void exportChartFile(ExportedChart chart);
    void exportCsvFile();
    void exportReportFile();

signals:
    // The analysis was replaced whole (a new or an opened one).
    void replaced();
    // The analysis was saved into its file.
    void saved();

private:
    void takeTypedInputs();
    bool writeFile(const QString& path);
    // Writes the bytes through the file port; on failure says why, under the heading given.
    bool writeWhole(const QString& path, const QByteArray& bytes, const QString& notSaved);

    AnalysisDocument& document_;
    MessagePort& messages_;
    FilePort& files_;
    std::function<TypedInputs()> typed_;
    std::function<ChartSizes()> chartSizes_;
};

} // namespace id
