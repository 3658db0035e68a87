#pragma once
// Standard Base64 (RFC 4648 alphabet, with padding, no line breaks).
#include <cstdint>
#include <string>
#include <vector>

namespace nimbo {

std::string base64(const std::vector<std::uint8_t>& bytes);

}  // namespace nimbo
