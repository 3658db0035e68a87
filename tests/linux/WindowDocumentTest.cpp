// The document a window shows, read over the real accessibility bus from a
// viewer of our own that holds its file open and names it in its title.
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <stdexcept>

#include "Desktop.h"
#include "platform/linux/atspi/AtspiAccessibility.h"

namespace nimbo::test {
namespace {

using platform::AXRef;
using platform::AXUrl;
using platform::AXValue;

class Viewer {
public:
    explicit Viewer(const std::string& file, const std::vector<std::string>& options = {}) {
        std::vector<std::string> argv{NIMBO_FILE_VIEWER, file};
        argv.insert(argv.end(), options.begin(), options.end());
        child_ = std::make_unique<Child>(argv, std::vector<std::pair<std::string, std::string>>{},
                                         folder_.path() + "/stdout.txt");
        if (!waitUntil([&] { return readFile(folder_.path() + "/stdout.txt") == "ready\n"; }, 20.0)) {
            throw std::runtime_error("the viewer did not show");
        }
    }

    // What its window's "AXDocument" reads: a URL's address, else "(none)".
    std::string document(atspi::AtspiAccessibility& ax) {
        AXRef app;
        waitUntil([&] { return (app = ax.application(child_->pid())) != nullptr; }, 20.0);
        if (!app) throw std::runtime_error("the viewer is not on the accessibility bus");
        auto windows = ax.copy(app, "AXWindows");
        auto* list = windows ? std::get_if<std::vector<AXRef>>(&*windows) : nullptr;
        if (!list || list->size() != 1) throw std::runtime_error("the viewer has no one window");
        auto value = ax.copy(list->front(), "AXDocument");
        auto* url = value ? std::get_if<AXUrl>(&*value) : nullptr;
        return url ? url->address : value ? "(not a URL)" : "(none)";
    }

private:
    TempDir folder_;
    std::unique_ptr<Child> child_;
};

TEST(WindowDocument, IsTheOpenFileTheTitleNamesAsAFileUrl) {
    TempDir folder;
    const std::string shown = folder.path() + "/Holiday #1 100%.png";
    const std::string other = folder.path() + "/Holiday.png";
    writeFile(shown, "picture");
    writeFile(other, "another picture");
    atspi::AtspiAccessibility ax;

    // Another file whose name without its extension shows too loses to the
    // one the title names whole.
    Viewer viewer(shown, {"--also", other});
    EXPECT_EQ(viewer.document(ax), "file://" + folder.path() + "/Holiday%20%231%20100%25.png");

    // Named without its extension, the only such file is still found.
    Viewer plain(other, {"--title", "Holiday – Viewer"});
    EXPECT_EQ(plain.document(ax), "file://" + folder.path() + "/Holiday.png");
}

TEST(WindowDocument, IsNothingWithoutAnOpenFileTheTitleNames) {
    TempDir folder;
    const std::string file = folder.path() + "/clip.mp4";
    writeFile(file, "video");
    atspi::AtspiAccessibility ax;

    Viewer closed(file, {"--closed"});
    EXPECT_EQ(closed.document(ax), "(none)");

    Viewer untitled(file, {"--title", "Viewer"});
    EXPECT_EQ(untitled.document(ax), "(none)");

    // A file removed while shown is no document to read.
    const std::string gone = folder.path() + "/gone.png";
    writeFile(gone, "picture");
    Viewer removed(gone);
    ASSERT_EQ(unlink(gone.c_str()), 0);
    EXPECT_EQ(removed.document(ax), "(none)");
}

TEST(WindowDocument, IsTheAddressADocumentStatesBeforeTheTitle) {
    TempDir folder;
    const std::string file = folder.path() + "/notes.txt";
    writeFile(file, "text");
    atspi::AtspiAccessibility ax;

    Viewer stating(file, {"--states", "file:///srv/shared/report.pdf"});
    EXPECT_EQ(stating.document(ax), "file:///srv/shared/report.pdf");

    // A path is told as the file URL it is.
    Viewer path(file, {"--states", "/srv/shared/my report.pdf"});
    EXPECT_EQ(path.document(ax), "file:///srv/shared/my%20report.pdf");
}

}  // namespace
}  // namespace nimbo::test
