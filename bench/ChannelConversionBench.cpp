// Throughput of the per-channel conversion of the sample pipeline for a type K channel.

#include "processing/ChannelConversion.h"
#include "processing/DeviceCode.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstddef>
#include <cstdint>

using namespace nimbar;

namespace {

constexpr std::size_t kInputs = 1024;

// Millivolts spread over most of the K range, so that every inverse piece is exercised.
std::array<double, kInputs> channelMillivolts() {
    std::array<double, kInputs> mv{};
    for (std::size_t i = 0; i < kInputs; ++i)
        mv[i] = -5.0 + 57.0 * static_cast<double>(i) / kInputs;
    return mv;
}

void BM_ConvertChannelK(benchmark::State& state) {
    const auto mv = channelMillivolts();
    const FixedReference noFixed;
    std::size_t i = 0;
    for (auto _ : state) {
        auto value = ConvertChannel('K', 1, mv[i++ % kInputs], 24.5, noFixed);
        benchmark::DoNotOptimize(value);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ConvertChannelK);

// The whole road of one field: code to millivolts, then to C.
void BM_CodeToTemperatureK(benchmark::State& state) {
    std::array<std::uint32_t, kInputs> codes{};
    for (std::size_t i = 0; i < kInputs; ++i)
        codes[i] = static_cast<std::uint32_t>(i * 5000); // 0 .. about 48 mV on a 78.125 mV range
    const double scale = channelScale(78.125);
    const FixedReference noFixed;
    std::size_t i = 0;
    for (auto _ : state) {
        const auto mv = CodeToMillivolts(codes[i++ % kInputs], scale, 1.0, 0.0, 1.0, 0.0);
        auto value = ConvertChannel('K', 1, *mv, 24.5, noFixed);
        benchmark::DoNotOptimize(value);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CodeToTemperatureK);

} // namespace
