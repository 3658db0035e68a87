#include "platform/linux/x11/XTestInput.h"

namespace nimbo::x11 {

void XTestInput::click(Point) {}
std::optional<Point> XTestInput::pointer() { return std::nullopt; }
void XTestInput::warp(Point) {}
void XTestInput::key(int, std::uint64_t, std::int64_t) {}
void XTestInput::paste(std::int64_t) {}

}  // namespace nimbo::x11
