#pragma once
// Conversions between the seam's JSON values and the engine's value types.
#include <glib.h>
#include <jsc/jsc.h>

#include "platform/Json.h"

namespace nimbo::x11 {

// The JSON form of a script value; absent when it has none (undefined, a
// function, a cyclic object). Never leaves an exception pending in the context.
MaybeJson jsonFromJsc(JSCValue* value);

// A floating GVariant for a JSON value: objects become a{sv}, arrays av,
// strings s, integers x (or t beyond int64), doubles d, booleans b, and null an
// empty maybe (mv), which the engine hands to scripts as null.
GVariant* variantFromJson(const Json& value);

}  // namespace nimbo::x11
