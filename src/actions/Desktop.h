#pragma once
// The desktop the acting operations use, attached once at start-up.
#include "platform/Platform.h"

namespace nimbo::Actions {

platform::Platform& desktop();

}  // namespace nimbo::Actions
