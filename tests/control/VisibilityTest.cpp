#include "control/Visibility.h"

#include <gtest/gtest.h>

#include "platform/sim/SimPlatform.h"

namespace nimbo {
namespace {

TEST(VisibilityTest, ShowcaseIsOnlyTheTextOneInEitherVariable) {
    sim::SimEnvironment env;
    EXPECT_FALSE(Visibility::showcaseEnv(env));
    for (const char* value : {"true", "yes", "01", " 1", ""}) {
        env.variables["NIMBO_SHOWCASE"] = value;
        EXPECT_FALSE(Visibility::showcaseEnv(env)) << value;
    }
    env.variables["NIMBO_NO_PROTECT"] = "1";
    EXPECT_TRUE(Visibility::showcaseEnv(env)) << "a different showcase value doesn't hide the other variable";
    env.variables.erase("NIMBO_NO_PROTECT");
    env.variables["NIMBO_SHOWCASE"] = "1";
    EXPECT_TRUE(Visibility::showcaseEnv(env));
}

}  // namespace
}  // namespace nimbo
