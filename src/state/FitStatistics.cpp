#include "state/FitStatistics.h"

#include <array>

namespace id {

std::shared_ptr<const FitStatistics>
PointFigures::whole(const FitStatistics& slim, const std::vector<double>& rates,
                    const std::vector<double>& pressures) const {
    const std::lock_guard lock(mutex_);
    if (std::shared_ptr<const FitStatistics> held = held_.lock())
        return held;
    auto made = std::make_shared<FitStatistics>(slim);
    compute(rates, pressures, *made);
    held_ = made;
    // The last few computed stay whole while nobody shows them: a window that goes back and
    // forth between two analyses (undo, redo) computes each once. Bounded: a few fits' arrays.
    static std::mutex recentLock;
    static std::array<std::shared_ptr<const FitStatistics>, 4> recent;
    static std::size_t next = 0;
    {
        const std::lock_guard recentGuard(recentLock);
        recent[next] = made;
        next = (next + 1) % recent.size();
    }
    return made;
}

SharedFitStatistics::SharedFitStatistics(FitStatistics statistics) {
    if (statistics.pointFigures) {
        // Their memory goes too, not only their elements.
        std::vector<double>().swap(statistics.residuals);
        std::vector<double>().swap(statistics.studentized);
    }
    value = std::make_shared<const FitStatistics>(std::move(statistics));
}

std::shared_ptr<const FitStatistics> wholeStatistics(const SharedFitStatistics& statistics,
                                                     const std::vector<double>& rates,
                                                     const std::vector<double>& pressures) {
    const FitStatistics* st = statistics.get();
    if (!st || !st->pointFigures || rates.size() != static_cast<std::size_t>(st->points) ||
        pressures.size() != rates.size())
        return statistics.value;
    return st->pointFigures->whole(*st, rates, pressures);
}

} // namespace id
