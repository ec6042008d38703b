#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace tovrix {

// One cell of the output table: a fixed byte the receiver sends (flag 0), or
// a function (flag 1) whose code is the value.
struct TabCell {
    std::uint8_t flag = 1;
    std::uint8_t value = 0;

    friend bool operator==(const TabCell&, const TabCell&) = default;
};

inline constexpr int kTableLines = 256;
inline constexpr int kLineCells = 16;

// Cells are numbered 1..16 in the user's terms and 0..15 here.
using TabLine = std::array<TabCell, kLineCells>;
using TabCells = std::array<TabLine, kTableLines>;

inline constexpr std::uint8_t kNumberCell = 0;
inline constexpr std::uint8_t kFunctionCell = 1;

// Function codes the grid editor produces. Any other code can arrive in an
// image and is carried unchanged.
enum FunctionCode : std::uint8_t {
    fcEnd = 0,
    fcB1 = 1,
    fcB2 = 2,
    fcB3 = 3,
    fcGoto = 4,
    fcCall = 5,
    fcRet = 6,
    fcPause = 8,
    fcUset = 20,
    fcUplus = 21,
    fcUminus = 22,
};

// Text the grid shows for a function code; empty for codes outside the
// editor's set.
std::string_view functionDisplayText(std::uint8_t code);

// True for GOTO and CALL, whose next cell holds a line number.
bool isJumpFunction(std::uint8_t code);
// True for Uset, U+ and U-, whose next cell holds a number of steps.
bool isAnalogueFunction(std::uint8_t code);

constexpr TabCell endCell() {
    return TabCell{kFunctionCell, fcEnd};
}
constexpr bool isEndCell(const TabCell& cell) {
    return cell.flag == kFunctionCell && cell.value == fcEnd;
}

// Every cell of every line becomes an end cell.
void resetTable(TabCells& cells);

}  // namespace tovrix
