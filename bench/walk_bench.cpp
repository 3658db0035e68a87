// The element walk of a busy GTK window: milliseconds per element with the
// fifteen attributes a walk reads, through the shell's adapter and through a
// plain libatspi walk that asks one thing per call, side by side on the same
// window. Run inside a desktop with the accessibility bus (scripts/walk-bench).
//
//   nimbo_walk_bench [WIDGETS] [ROUNDS]
#include <atspi/atspi.h>
#include <gio/gio.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/atspi/AtspiAccessibility.h"

namespace {

using Clock = std::chrono::steady_clock;
using nimbo::platform::AXRef;

const std::vector<std::string> kFifteen{
    "AXRole",     "AXSubrole", "AXTitle",     "AXDescription", "AXValue",           "AXPlaceholderValue",
    "AXPosition", "AXSize",    "AXChildren",  "AXVisibleRows", "AXVisibleChildren", "AXContents",
    "AXHelp",     "AXURL",     "AXIdentifier"};

// Pre-order, depth first, every element of the tree: as a walk that prunes nothing.
size_t adapterWalk(nimbo::atspi::AtspiAccessibility& ax, const AXRef& root) {
    size_t count = 0;
    std::vector<AXRef> stack{root};
    while (!stack.empty()) {
        AXRef element = stack.back();
        stack.pop_back();
        auto values = ax.copyMultiple(element, kFifteen);
        if (!values) continue;
        ++count;
        if (auto* children = std::get_if<std::vector<AXRef>>(&(*values)[8])) {
            for (auto it = children->rbegin(); it != children->rend(); ++it) stack.push_back(*it);
        }
    }
    return count;
}

// The same walk with libatspi, one request per attribute and per child.
size_t naiveWalk(AtspiAccessible* root) {
    size_t count = 0;
    std::vector<AtspiAccessible*> stack{static_cast<AtspiAccessible*>(g_object_ref(root))};
    while (!stack.empty()) {
        AtspiAccessible* node = stack.back();
        stack.pop_back();
        ++count;
        AtspiRole role = atspi_accessible_get_role(node, nullptr);
        g_free(atspi_accessible_get_name(node, nullptr));
        g_free(atspi_accessible_get_description(node, nullptr));
        g_free(atspi_accessible_get_accessible_id(node, nullptr));
        if (GHashTable* attributes = atspi_accessible_get_attributes(node, nullptr)) g_hash_table_unref(attributes);
        if (AtspiStateSet* states = atspi_accessible_get_state_set(node)) g_object_unref(states);
        if (AtspiComponent* component = atspi_accessible_get_component_iface(node)) {
            g_free(atspi_component_get_extents(component, ATSPI_COORD_TYPE_SCREEN, nullptr));
            g_object_unref(component);
        }
        if (role == ATSPI_ROLE_TEXT || role == ATSPI_ROLE_ENTRY) {
            if (AtspiText* text = atspi_accessible_get_text_iface(node)) {
                g_free(atspi_text_get_text(text, 0, -1, nullptr));
                g_object_unref(text);
            }
        }
        gint children = atspi_accessible_get_child_count(node, nullptr);
        for (gint i = children - 1; i >= 0; --i) {
            if (AtspiAccessible* child = atspi_accessible_get_child_at_index(node, i, nullptr)) stack.push_back(child);
        }
        g_object_unref(node);
    }
    return count;
}

AtspiAccessible* naiveApplication(int pid) {
    AtspiAccessible* desktop = atspi_get_desktop(0);
    AtspiAccessible* found = nullptr;
    gint count = atspi_accessible_get_child_count(desktop, nullptr);
    for (gint i = 0; i < count && !found; ++i) {
        AtspiAccessible* app = atspi_accessible_get_child_at_index(desktop, i, nullptr);
        if (app && static_cast<int>(atspi_accessible_get_process_id(app, nullptr)) == pid) {
            found = app;
        } else if (app) {
            g_object_unref(app);
        }
    }
    g_object_unref(desktop);
    return found;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// CPU time a process has used, in milliseconds (user and system).
double cpuMs(int pid) {
    std::FILE* file = std::fopen(("/proc/" + std::to_string(pid) + "/stat").c_str(), "r");
    if (!file) return 0;
    char text[1024] = {};
    size_t length = std::fread(text, 1, sizeof(text) - 1, file);
    std::fclose(file);
    text[length] = '\0';
    // Fields 14 and 15, counted after the command name's closing parenthesis.
    const char* rest = std::strrchr(text, ')');
    unsigned long user = 0, system = 0;
    if (!rest || std::sscanf(rest + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &user, &system) != 2) {
        return 0;
    }
    return 1000.0 * double(user + system) / double(sysconf(_SC_CLK_TCK));
}

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int widgets = argc > 1 ? std::atoi(argv[1]) : 600;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 7;

    const std::string busy = std::to_string(widgets);
    GSubprocess* app = g_subprocess_new(G_SUBPROCESS_FLAGS_STDOUT_PIPE, nullptr, NIMBO_TEST_APP, "--at", "0,0",
                                        "--busy", busy.c_str(), nullptr);
    if (!app) return 1;
    GDataInputStream* lines = g_data_input_stream_new(g_subprocess_get_stdout_pipe(app));
    g_free(g_data_input_stream_read_line(lines, nullptr, nullptr, nullptr));  // "ready"
    const int pid = std::atoi(g_subprocess_get_identifier(app));

    nimbo::atspi::AtspiAccessibility probe;
    AXRef application;
    for (int tries = 0; tries < 200 && !(application = probe.application(pid)); ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!application) {
        std::fprintf(stderr, "the test application is not on the accessibility bus\n");
        return 1;
    }

    // One walk before libatspi listens: the toolkit makes its accessible
    // objects on first demand and announces each, and libatspi, handling
    // those announcements inside a blocking call, can deadlock itself.
    auto shown = probe.copy(application, "AXWindows");
    adapterWalk(probe, std::get<std::vector<AXRef>>(*shown).front());

    atspi_init();
    AtspiAccessible* naiveApp = naiveApplication(pid);
    if (!naiveApp) return 1;
    AtspiAccessible* naiveWindow = atspi_accessible_get_child_at_index(naiveApp, 0, nullptr);

    std::vector<double> adapterMs, naiveMs;
    // CPU spent by the application answering and by this process asking, over all rounds.
    double adapterApp = 0, adapterSelf = 0, naiveAppCpu = 0, naiveSelf = 0;
    size_t adapterNodes = 0, naiveNodes = 0;
    for (int round = 0; round < rounds; ++round) {
        {
            // A fresh adapter each round: nothing read before is reused, its
            // connection to the application is made again.
            nimbo::atspi::AtspiAccessibility ax;
            const double app0 = cpuMs(pid), self0 = cpuMs(getpid());
            auto start = Clock::now();
            AXRef element = ax.application(pid);
            auto windows = ax.copy(element, "AXWindows");
            auto& list = std::get<std::vector<AXRef>>(*windows);
            adapterNodes = adapterWalk(ax, list.front());
            adapterMs.push_back(msSince(start));
            adapterApp += cpuMs(pid) - app0;
            adapterSelf += cpuMs(getpid()) - self0;
        }
        {
            atspi_accessible_clear_cache(naiveApp);
            const double app0 = cpuMs(pid), self0 = cpuMs(getpid());
            auto start = Clock::now();
            naiveNodes = naiveWalk(naiveWindow);
            naiveMs.push_back(msSince(start));
            naiveAppCpu += cpuMs(pid) - app0;
            naiveSelf += cpuMs(getpid()) - self0;
        }
    }
    const double adapter = median(adapterMs), naive = median(naiveMs);
    std::printf("busy GTK window, %d extra widgets, median of %d rounds\n", widgets, rounds);
    std::printf("adapter (batched, fifteen attributes): %zu elements in %.1f ms = %.4f ms per element\n", adapterNodes,
                adapter, adapter / double(adapterNodes));
    std::printf("libatspi, one call per attribute:      %zu elements in %.1f ms = %.4f ms per element\n", naiveNodes,
                naive, naive / double(naiveNodes));
    const double adapterCount = double(adapterNodes) * rounds, naiveCount = double(naiveNodes) * rounds;
    std::printf("CPU per element, application + asker: adapter %.3f + %.3f ms, libatspi %.3f + %.3f ms\n",
                adapterApp / adapterCount, adapterSelf / adapterCount, naiveAppCpu / naiveCount,
                naiveSelf / naiveCount);
    std::printf("ratio: %.1fx faster per element\n", (naive / double(naiveNodes)) / (adapter / double(adapterNodes)));

    g_object_unref(naiveWindow);
    g_object_unref(naiveApp);
    g_subprocess_force_exit(app);
    g_object_unref(lines);
    g_object_unref(app);
    return 0;
}
