#pragma once
// Reading what a page sent: a value counts only when it has the type asked
// for, so a payload of the wrong shape reads as absent and never throws.
#include <optional>
#include <string>

#include "platform/Json.h"

namespace nimbo::Payload {

inline std::optional<std::string> text(const MaybeJson& value) {
    if (value && value->is_string()) return value->get<std::string>();
    return std::nullopt;
}

inline std::optional<bool> flag(const MaybeJson& value) {
    if (value && value->is_boolean()) return value->get<bool>();
    return std::nullopt;
}

inline std::optional<double> number(const MaybeJson& value) {
    if (value && value->is_number()) return value->get<double>();
    return std::nullopt;
}

// Exactly true: the pages' way of switching something on.
inline bool on(const MaybeJson& value) {
    return flag(value).value_or(false);
}

// A member of a dictionary; absent for a missing member or a payload that is
// not a dictionary.
inline MaybeJson member(const MaybeJson& payload, const char* name) {
    if (!payload || !payload->is_object()) return std::nullopt;
    auto found = payload->find(name);
    if (found == payload->end()) return std::nullopt;
    return *found;
}

}  // namespace nimbo::Payload
