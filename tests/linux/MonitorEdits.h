#pragma once
// Edits the X server's monitor list as `xrandr --setmonitor` does, and puts
// the list back as it was when the object goes.
#include <string>
#include <vector>

namespace nimbo::test {

class MonitorEdits {
public:
    MonitorEdits();
    ~MonitorEdits();
    MonitorEdits(const MonitorEdits&) = delete;
    MonitorEdits& operator=(const MonitorEdits&) = delete;

    // Adds the monitor, or replaces the one of that name (which moves it to the end); no outputs.
    void set(const std::string& name, int x, int y, int width, int height, bool primary);
    void remove(const std::string& name);
    // Makes an existing monitor primary, keeping its geometry and outputs.
    void makePrimary(const std::string& name);

private:
    struct Saved {
        std::string name;
        int x, y, width, height, mmWidth, mmHeight;
        bool primary;
        std::vector<unsigned long> outputs;
    };
    static std::vector<Saved> current();
    static void apply(const Saved& monitor);
    std::vector<Saved> original_;
};

}  // namespace nimbo::test
