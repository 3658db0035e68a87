#include "platform/linux/x11/KeyCodes.h"

#include <array>
#include <utility>

namespace nimbo::x11 {
namespace {

// (evdev code, virtual key code). Super stands for Command and Alt for Option.
// clang-format off
constexpr std::pair<unsigned, int> kTable[] = {
    {1, 53},  // Escape
    {2, 18},    {3, 19},    {4, 20},    {5, 21},    {6, 23},   {7, 22},   {8, 26},   {9, 28},   {10, 25},
    {11, 29},  // 1..0
    {12, 27},  // minus
    {13, 24},  // equal
    {14, 51},  // Backspace (Delete)
    {15, 48},  // Tab
    {16, 12},   {17, 13},   {18, 14},   {19, 15},   {20, 17},  {21, 16},  {22, 32},  {23, 34},  {24, 31},
    {25, 35},              // Q..P
    {26, 33},   {27, 30},  // brackets
    {28, 36},              // Return
    {29, 59},              // left Control
    {30, 0},    {31, 1},    {32, 2},    {33, 3},    {34, 5},   {35, 4},   {36, 38},  {37, 40},  {38, 37},  // A..L
    {39, 41},   {40, 39},   {41, 50},                                                                      // ; ' `
    {42, 56},                                                                                              // left Shift
    {43, 42},                                                                                              // backslash
    {44, 6},    {45, 7},    {46, 8},    {47, 9},    {48, 11},  {49, 45},  {50, 46},                        // Z..M
    {51, 43},   {52, 47},   {53, 44},                                                                      // , . /
    {54, 60},  // right Shift
    {55, 67},  // keypad *
    {56, 58},  // left Alt: Option
    {57, 49},  // Space
    {58, 57},  // Caps Lock
    {59, 122},  {60, 120},  {61, 99},   {62, 118},  {63, 96},  {64, 97},  {65, 98},  {66, 100}, {67, 101},
    {68, 109},  // F1..F10
    {69, 71},   // Num Lock: keypad Clear
    {71, 89},   {72, 91},   {73, 92},   {74, 78},   {75, 86},  {76, 87},  {77, 88},  {78, 69},  // keypad 7 8 9 - 4 5 6
                                                                                                // +
    {79, 83},   {80, 84},   {81, 85},   {82, 82},   {83, 65},                                   // keypad 1 2 3 0 .
    {86, 10},                                                                                   // the ISO key left of Z
    {87, 103},  {88, 111},                                                                      // F11, F12
    {89, 94},                                                                                   // JIS underscore (ro)
    {96, 76},                                                                                   // keypad Enter
    {97, 62},                                                                                   // right Control
    {98, 75},                                                                                   // keypad /
    {100, 61},                          // right Alt: right Option
    {102, 115},                         // Home
    {103, 126},                         // Up
    {104, 116},                         // Page Up
    {105, 123},                         // Left
    {106, 124},                         // Right
    {107, 119},                         // End
    {108, 125},                         // Down
    {109, 121},                         // Page Down
    {110, 114},                         // Insert: Help
    {111, 117},                         // Delete (forward)
    {113, 74},  {114, 73},  {115, 72},  // mute, volume down, volume up
    {117, 81},                          // keypad =
    {121, 95},                          // keypad , (JIS)
    {124, 93},                          // JIS yen
    {125, 55},                          // left Super: Command
    {126, 54},                          // right Super: right Command
    {127, 110},                         // Menu: contextual menu
    {183, 105}, {184, 107}, {185, 113}, {186, 106}, {187, 64}, {188, 79}, {189, 80}, {190, 90},  // F13..F20
};
// clang-format on

constexpr std::array<int, 256> buildLookup() {
    std::array<int, 256> lookup{};
    for (auto& entry : lookup) entry = -1;
    for (const auto& [evdev, code] : kTable) lookup[evdev] = code;
    return lookup;
}

constexpr std::array<int, 256> kLookup = buildLookup();

// Virtual key codes are below 128; the table's first entry for a code wins,
// which is the key in the main block.
constexpr std::array<int, 128> buildReverse() {
    std::array<int, 128> reverse{};
    for (auto& entry : reverse) entry = -1;
    for (const auto& [evdev, code] : kTable)
        if (reverse[code] < 0) reverse[code] = static_cast<int>(evdev) + 8;
    return reverse;
}

constexpr std::array<int, 128> kReverse = buildReverse();

}  // namespace

int virtualKeyCode(unsigned hardwareKeyCode) {
    if (hardwareKeyCode < 8) return -1;
    const unsigned evdev = hardwareKeyCode - 8;
    return evdev < kLookup.size() ? kLookup[evdev] : -1;
}

int hardwareKeyCode(int virtualKeyCode) {
    if (virtualKeyCode < 0 || virtualKeyCode >= static_cast<int>(kReverse.size())) return -1;
    return kReverse[virtualKeyCode];
}

}  // namespace nimbo::x11
