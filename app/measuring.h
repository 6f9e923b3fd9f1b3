#pragma once
// A measuring build of the saver records what it does; the product does not.
#include <memory>

#include "window/saver_platform.h"

namespace morvelux {

// The program's readout sink: none in the product; the measuring twin
// (bench/readout_trace.cpp) links its own.
std::unique_ptr<ReadoutSink> measuringSink();

}  // namespace morvelux
