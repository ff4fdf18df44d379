#include "app/CommandRunner.h"

#include "app/AppContext.h"
#include "platform/MessagePort.h"
#include "state/AnalysisFault.h"
#include "state/AnalysisState.h"

namespace id {

void runCommand(AppContext& ctx, const std::function<void()>& command) {
    try {
        command();
    } catch (const AnalysisFault& fault) {
        ctx.state.ReplayingIdTrends = false;
        ctx.state.StopAfterTrendLabel = false;
        ctx.state.ReplayingPiTrends = false;
        ctx.messages.showMessage(fault.message());
    }
    ctx.state.ReplayingIdTrends = false;
    ctx.state.StopAfterTrendLabel = false;
    ctx.state.ReplayingPiTrends = false;
}

} // namespace id
