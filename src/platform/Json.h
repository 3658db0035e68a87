#pragma once
// The one JSON value type used across the seam. "Absent" is std::nullopt,
// which stays distinct from a JSON null.
#include <nlohmann/json.hpp>
#include <optional>

namespace nimbo {
using Json = nlohmann::json;
using MaybeJson = std::optional<Json>;
}  // namespace nimbo
