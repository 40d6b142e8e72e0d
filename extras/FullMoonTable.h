#pragma once
// The full moons the program can announce: consecutive astronomical full
// moons in universal time, to the minute, in ascending order. The data is
// generated (tools/fullmoons/generate.py writes FullMoonTable.cpp).

#include <cstdint>
#include <span>

struct TFullMoonEntry {
    uint16_t Day;
    uint16_t Month;
    uint16_t Year;
    uint16_t Hour;
    uint16_t Minute;
};

std::span<const TFullMoonEntry> FullMoonTable();
