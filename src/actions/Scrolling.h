#pragma once
// What a page may ask of a scroll of the application in front.
#include "platform/Json.h"

namespace nimbo::Scrolling {

// How far one scroll goes, in screens: the payload's "pages" number, else
// 0.85, kept within 0.2 to 1.5 so a page can neither jump nor stall.
double pages(const MaybeJson& payload);

}  // namespace nimbo::Scrolling
