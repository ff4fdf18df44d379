#include "batch/WellSources.h"

#include "batch/SqliteStatement.h"

#include <QDir>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <optional>

namespace id::batchrun {

QString ambiguous(qint64 id, const QString& what) {
    return QStringLiteral("kwu_id %1: %2 — неясно, какие замеры его; ничего не записано")
        .arg(id)
        .arg(what);
}

std::int16_t wellTypeOf(const QVariant& cell) {
    return cell.toInt() == InjectionWell ? InjectionWell : ProducingWell;
}

namespace {

// Each block is one transaction of a file (a commit, with its wait for the disk), and three are
// in memory at once (read, interpreted, written): 384 wells keep a run within 16 MiB with the
// commits' waits a small part of it.
constexpr int WellsPerBlock = 384;

// The regimes table read in one pass ordered by kwu_id, so that the time grows with the field
// whether the table has an index or not: a table without one would be scanned again for every
// block. Before it, the distinct ids alone: one id written in two ways (12 and '12') is known
// ambiguous before any of its rows is interpreted.
class DatabaseSource : public WellSource {
public:
    DatabaseSource(QSqlDatabase db, QString table)
        : db_(std::move(db)), table_(std::move(table)), file_(SqliteStatement::handleOf(db_)),
          rows_(db_) {}
    int total() override {
        prepare();
        return total_;
    }
    std::vector<WellRegimes> next(QString& error) override {
        std::vector<WellRegimes> wells;
        prepare();
        if (!error_.isEmpty()) {
            error = error_;
            return wells;
        }
        Key key;
        int regime = 0;
        for (;;) {
            if (!pending_ && !(pending_ = nextRow(error)))
                break;
            const Row& row = *pending_;
            const Key rowKey = row.plain ? Key{row.plainId, {}} : keyOf(row.id);
            if (wells.empty() || rowKey != key) {
                if (wells.size() == WellsPerBlock)
                    break;
                wells.push_back(startWell(row));
                key = rowKey;
                regime = 0;
            }
            WellRegimes& well = wells.back();
            if (well.refusal.isEmpty() && regime > 0 && typeOf(row) != well.wellType)
                well.refusal = ambiguous(well.kwuId, QStringLiteral("режимы и добывающей, и "
                                                                    "нагнетательной скважины"));
            if (row.plain)
                addRegime(well, ++regime, {CellValue::Number, row.plainRate, {}},
                          {CellValue::Number, row.plainPressure, {}});
            else
                addRegime(well, ++regime, readCell(row.rate), readCell(row.pressure));
            pending_.reset();
        }
        return wells;
    }

private:
    struct Row {
        QVariant id, rate, pressure, type;
        // The common row of a file, taken without variants: an integer id, finite numbers and
        // an integer type; read as the variants would be.
        bool plain = false;
        qint64 plainId = 0;
        double plainRate = 0;
        double plainPressure = 0;
        std::int16_t plainType = ProducingWell;
    };
    static std::int16_t typeOf(const Row& row) {
        return row.plain ? row.plainType : wellTypeOf(row.type);
    }
    // A row's well: its integer id, or (for an id that is none) its text.
    struct Key {
        std::optional<qint64> id;
        QString text;
        bool operator==(const Key&) const = default;
    };
    static Key keyOf(const QVariant& id) {
        QString why;
        if (const std::optional<qint64> v = readWellId(id, why))
            return {v, {}};
        return {std::nullopt, id.isNull() ? QStringLiteral("null") : id.toString()};
    }
    WellRegimes startWell(const Row& row) const {
        WellRegimes well;
        well.wellType = typeOf(row);
        QString why;
        if (const std::optional<qint64> id = row.plain ? row.plainId : readWellId(row.id, why)) {
            well.kwuId = *id;
            if (ambiguous_.contains(*id))
                well.refusal = ambiguous(*id, QStringLiteral("он записан в таблице режимов "
                                                             "по-разному"));
        } else {
            well.idText = row.id.isNull()                         ? QStringLiteral("NULL")
                          : row.id.toString().trimmed().isEmpty() ? QStringLiteral("«»")
                                                                  : row.id.toString();
            well.refusal = why;
        }
        return well;
    }
    std::optional<Row> nextRow(QString& error) {
        if (fileRows_) {
            SqliteStatement& f = *fileRows_;
            if (!f.next()) {
                error = f.error();
                return std::nullopt;
            }
            const std::optional<qint64> id = f.integer(0);
            const std::optional<double> rate = f.real(1);
            const std::optional<double> pressure = f.real(2);
            const std::optional<qint64> type = f.integer(3);
            if (id && rate && std::isfinite(*rate) && pressure && std::isfinite(*pressure) &&
                type && *type >= std::numeric_limits<int>::min() &&
                *type <= std::numeric_limits<int>::max()) {
                Row row;
                row.plain = true;
                row.plainId = *id;
                row.plainRate = *rate;
                row.plainPressure = *pressure;
                row.plainType = *type == InjectionWell ? InjectionWell : ProducingWell;
                return row;
            }
            return Row{f.value(0), f.value(1), f.value(2), f.value(3)};
        }
        if (rows_.next())
            return Row{rows_.value(0), rows_.value(1), rows_.value(2), rows_.value(3)};
        if (rows_.lastError().isValid())
            error = rows_.lastError().text();
        return std::nullopt;
    }
    void prepare() {
        if (prepared_)
            return;
        prepared_ = true;
        const QString idsText = QStringLiteral("select kwu_id from %1 group by kwu_id").arg(table_);
        // The ids as read, sorted afterwards: an id twice among the distinct values is written
        // in two ways. A sorted list holds a field's ids in half the memory of a set.
        std::vector<qint64> seen;
        const auto take = [&](const QVariant& cell, std::optional<qint64> id) {
            ++total_;
            QString why;
            if (!id)
                id = readWellId(cell, why);
            if (id)
                seen.push_back(*id);
        };
        const auto findAmbiguous = [&] {
            std::sort(seen.begin(), seen.end());
            for (std::size_t i = 1; i < seen.size(); ++i)
                if (seen[i] == seen[i - 1])
                    ambiguous_.insert(seen[i]);
        };
        const QString rowsText =
            QStringLiteral("select kwu_id, rate, pressure, well_type from %1 order by kwu_id")
                .arg(table_);
        if (file_) {
            SqliteStatement ids(file_, idsText);
            while (ids.next()) {
                const std::optional<qint64> id = ids.integer(0);
                take(id ? QVariant() : ids.value(0), id);
            }
            findAmbiguous();
            fileRows_.emplace(file_, rowsText);
            error_ = !ids.error().isEmpty() ? ids.error() : fileRows_->error();
            return;
        }
        QSqlQuery ids(db_);
        ids.setForwardOnly(true);
        if (!ids.exec(idsText)) {
            error_ = ids.lastError().text();
            return;
        }
        while (ids.next())
            take(ids.value(0), std::nullopt);
        ids.finish();
        findAmbiguous();
        rows_.setForwardOnly(true);
        if (!rows_.exec(rowsText))
            error_ = rows_.lastError().text();
    }

    QSqlDatabase db_;
    QString table_;
    // An SQLite file is read by the library itself, anything else through the toolkit.
    sqlite3* file_;
    std::optional<SqliteStatement> fileRows_;
    QSqlQuery rows_;
    std::optional<Row> pending_;
    bool prepared_ = false;
    QString error_;
    int total_ = 0;
    QSet<qint64> ambiguous_;
};

class FolderSource : public WellSource {
public:
    FolderSource(const QString& folder, std::int16_t wellType) : wellType_(wellType) {
        const QDir dir(folder);
        std::map<qint64, QStringList> byId;
        for (const QFileInfo& f :
             dir.entryInfoList({QStringLiteral("*.csv"), QStringLiteral("*.ida")}, QDir::Files)) {
            QString why;
            if (const std::optional<qint64> id = readWellId(f.completeBaseName(), why))
                byId[*id] << f.filePath();
            else
                skipped_.push_back(
                    {f.fileName(), QStringLiteral("имя файла — не kwu_id (целое число)")});
        }
        for (auto& [id, paths] : byId)
            files_.push_back({id, paths});
    }
    int total() override { return static_cast<int>(files_.size()); }
    std::vector<WellRegimes> next(QString&) override {
        std::vector<WellRegimes> wells;
        for (; at_ < files_.size() && wells.size() < WellsPerBlock; ++at_) {
            const auto& [id, paths] = files_[at_];
            if (paths.size() > 1) {
                QStringList names;
                for (const QString& path : paths)
                    names << QFileInfo(path).fileName();
                WellRegimes well{id, wellType_, {}, {}, {}, {}, {}};
                well.refusal =
                    ambiguous(id, QStringLiteral("несколько файлов (%1)").arg(names.join(", ")));
                wells.push_back(well);
                continue;
            }
            const FileRegimes read = readWellFile(paths.front(), id, wellType_);
            if (read.well) {
                wells.push_back(*read.well);
            } else {
                WellRegimes well{id, wellType_, {}, {}, {}, {}, {}};
                well.refusal = read.error;
                wells.push_back(well);
            }
        }
        return wells;
    }
    std::vector<std::pair<QString, QString>> skipped() const override { return skipped_; }

private:
    std::int16_t wellType_;
    std::vector<std::pair<qint64, QStringList>> files_;
    std::vector<std::pair<QString, QString>> skipped_;
    std::size_t at_ = 0;
};

} // namespace

std::unique_ptr<WellSource> makeDatabaseSource(QSqlDatabase db, QString table) {
    return std::make_unique<DatabaseSource>(std::move(db), std::move(table));
}

std::unique_ptr<WellSource> makeFolderSource(const QString& folder, std::int16_t wellType) {
    return std::make_unique<FolderSource>(folder, wellType);
}

} // namespace id::batchrun
