#pragma once

#include <cstdint>

namespace id {

// Modes the main frame starts in. The plain program starts with the defaults; the other modes
// are reached by tests now and by the database front end later.
struct StartOptions {
    bool DatabaseMode = false;
    bool WellTypeSelectable = true;
    std::int16_t WellType = 1;
};

} // namespace id
