#pragma once
// What an embedded ICC colour profile says of itself, read with Little CMS.
#include <optional>
#include <string>

namespace nimbo::media {

struct ProfileFacts {
    std::optional<std::string> name;        // its description
    std::optional<std::string> colorModel;  // "RGB", "Gray", "CMYK", "Lab"
};

// Absent when the bytes are no profile.
std::optional<ProfileFacts> readProfile(const std::string& bytes);

}  // namespace nimbo::media
