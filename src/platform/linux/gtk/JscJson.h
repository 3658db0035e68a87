#pragma once
// Conversions between the seam's JSON values and the engine's value types.
#include <glib.h>
#include <jsc/jsc.h>

#include <string>

#include "platform/Json.h"

namespace nimbo::x11 {

// The JSON form of a script value; absent when it has none (undefined, a
// function, a cyclic object). Never leaves an exception pending in the context.
MaybeJson jsonFromJsc(JSCValue* value);

// JSON text in which each escaped unpaired UTF-16 surrogate is replaced by
// the escape of U+FFFD; everything else is untouched.
std::string replaceLoneSurrogates(std::string json);

// Named arguments for webkit_web_view_call_async_javascript_function.
// WebKitGTK takes only strings, numbers and string-keyed dictionaries of those
// as arguments, so every other value (booleans, null, arrays, objects that may
// hold them) travels as its JSON text and `prelude` gets a statement that
// parses it back into the same parameter inside the page. Only argument names
// ever enter script text, and only when they are plain identifiers.
struct ScriptArguments {
    GVariant* variant = nullptr;  // floating a{sv}, or null when there are no arguments
    std::string prelude;
    std::string error;  // set when an argument can't be passed
};
ScriptArguments scriptArguments(const Json& arguments);

}  // namespace nimbo::x11
