#pragma once

#include "config/confblock.h"
#include "table/image.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tovrix::cli {

// One byte that is not what it should be.
struct Difference {
    std::string part;  // "configuration" or "table"
    int position = 0;
    int expected = 0;
    int actual = 0;
};

// Every position where actual differs from expected (the spans are of equal length).
std::vector<Difference> differingBytes(const std::string& part,
                                       std::span<const std::uint8_t> expected,
                                       std::span<const std::uint8_t> actual);

// The bytes a configuration write programs (0..99) and a table write sends
// (all 8192), for comparison with what a receiver holds.
std::span<const std::uint8_t> programmedBlock(const ConfData& block);

// "12 bytes differ, the first at 3, 17, 40" for a message line.
std::string describeDifferences(const std::vector<Difference>& differences, std::size_t shown);

// One difference between two configuration files, for people.
struct FileDifference {
    std::string where;  // "configuration byte 10 (baud rate)", "table line 3, column 5"
    std::string first;
    std::string second;  // empty when first says it all
};

// Compares two files' contents: configuration bytes 0..127 by field name
// (16-bit fields as one value), the table by line and column with the
// cells' texts as the grid shows them, the table settings, the checksum,
// and any other image byte (markers, filler) as a count.
std::vector<FileDifference> diffContents(const ConfData& firstBlock, const TabData& firstImage,
                                         const ConfData& secondBlock, const TabData& secondImage);

}  // namespace tovrix::cli
