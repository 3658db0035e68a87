#include "platform/linux/media/ColourProfiles.h"

#include <lcms2.h>

#include <vector>

namespace nimbo::media {

std::optional<ProfileFacts> readProfile(const std::string& bytes) {
    if (bytes.empty()) return std::nullopt;
    cmsHPROFILE profile = cmsOpenProfileFromMem(bytes.data(), static_cast<cmsUInt32Number>(bytes.size()));
    if (!profile) return std::nullopt;
    ProfileFacts facts;
    const cmsUInt32Number length = cmsGetProfileInfoASCII(profile, cmsInfoDescription, "en", "US", nullptr, 0);
    if (length > 1) {
        std::vector<char> text(length, '\0');
        cmsGetProfileInfoASCII(profile, cmsInfoDescription, "en", "US", text.data(), length);
        std::string name(text.data());
        if (!name.empty()) facts.name = name;
    }
    switch (cmsGetColorSpace(profile)) {
        case cmsSigRgbData:
            facts.colorModel = "RGB";
            break;
        case cmsSigGrayData:
            facts.colorModel = "Gray";
            break;
        case cmsSigCmykData:
            facts.colorModel = "CMYK";
            break;
        case cmsSigLabData:
            facts.colorModel = "Lab";
            break;
        default:
            break;
    }
    cmsCloseProfile(profile);
    return facts;
}

}  // namespace nimbo::media
