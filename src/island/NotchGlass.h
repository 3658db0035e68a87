#pragma once
// The caption island's outline around the display's notch.

namespace nimbo {

class NotchGlass {
public:
    struct Shape {
        double width = 0;
        double height = 0;
    };
};

}  // namespace nimbo
