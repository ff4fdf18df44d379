#pragma once

#include "batch/BatchInterpretation.h"

#include <QSqlDatabase>
#include <memory>
#include <utility>
#include <vector>

namespace id::batchrun {

// The wells of the next block, in kwu_id order; none when the source is done.
class WellSource {
public:
    virtual ~WellSource() = default;
    virtual std::vector<WellRegimes> next(QString& error) = 0;
    // How many wells there are, for the progress.
    virtual int total() = 0;
    // Files that are no well's, each with why.
    virtual std::vector<std::pair<QString, QString>> skipped() const { return {}; }
};

// The refusal of a well whose regimes cannot be told apart.
QString ambiguous(qint64 id, const QString& what);
std::int16_t wellTypeOf(const QVariant& cell);

// The wells of the regimes table of the database, a block at a time.
std::unique_ptr<WellSource> makeDatabaseSource(QSqlDatabase db, QString table);
// The wells of a folder of one file per well, its base name the kwu_id.
std::unique_ptr<WellSource> makeFolderSource(const QString& folder, std::int16_t wellType);

} // namespace id::batchrun
