#pragma once

#include <functional>

namespace id {

struct AppContext;

// Runs one command. A fault that ends it (a degenerate fit, a zero slope, a zero axis range) is
// told to the user; what was drawn and stored before stays. The redraw flags are down again
// afterwards in every case.
void runCommand(AppContext& context, const std::function<void()>& command);

} // namespace id
