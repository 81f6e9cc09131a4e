#pragma once

namespace cw {

inline constexpr const char* kVersionText = "Camwright Version 1.15 beta";

}  // namespace cw
