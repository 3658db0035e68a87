#include "account/Session.h"

namespace nimbo::Session {

std::optional<std::string> host;

void restore(platform::Platform& platform, const std::string& /*origin*/, std::function<void()> done) {
    platform.main().post(std::move(done));
}

void keepNow(platform::Platform& platform, std::function<void()> done) {
    // The cookies are read even with nothing to store yet, so a quit waits for
    // the store exactly as it will once the session is written away.
    platform.cookies().all([done = std::move(done)](const std::vector<platform::Cookie>&) { done(); });
}

}  // namespace nimbo::Session
