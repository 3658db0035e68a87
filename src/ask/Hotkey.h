#pragma once
// The global key tap that watches for the held chord.
#include <functional>

namespace nimbo {

class Hotkey {
public:
    // True once the tap has delivered events steadily.
    bool steadyListening = false;
    // True when the tap stopped hearing keys although it should.
    bool deaf = false;
    std::function<void()> onDeaf;

    void start() { started_ = true; }
    void restart() { started_ = true; }
    bool started() const { return started_; }

private:
    bool started_ = false;
};

}  // namespace nimbo
