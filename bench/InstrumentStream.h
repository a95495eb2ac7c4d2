#pragma once
// What a measuring device sends in the benchmarks: text lines as an
// instrument writes them, cut to `count` bytes.
#include <cstddef>
#include <string>

std::string MakeInstrumentStream(std::size_t count);
