#pragma once
// A fuzz target defines LLVMFuzzerTestOneInput and may define mjFuzzSeeds to hand the
// driver valid inputs to start mutating from, so that mutations reach past the headers.
#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
std::vector<std::vector<uint8_t>> mjFuzzSeeds();
