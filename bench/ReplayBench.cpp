// The replay file: writing and reading (with every check) a synthetic ten-minute session of
// 60,000 passes, 100,000 handled messages and a state hash every 100 steps.
#include <benchmark/benchmark.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/ReplayReader.h"
#include "app/ReplayWriter.h"
#include "platform/WindowMessages.h"

namespace zelmor::bench {

namespace {

using namespace replay;
using namespace platform;

constexpr int STEPS = 60000;  // ten minutes of 10 ms steps
constexpr int PASSES = 60000;
constexpr int MESSAGES = 100000;
constexpr int HASH_EVERY = 100;

// Mostly mouse moves, with clicks, keys and resizes among them, spread over the steps.
Handled message(std::minstd_rand& random, uint64_t step) {
    const uint32_t roll = random() % 100;
    const int x = static_cast<int>(random() % 1280);
    const int y = static_cast<int>(random() % 960);
    if (roll < 80) {
        return {step, WM_MOUSEMOVE, roll % 2 != 0 ? MK_LBUTTON : 0, makePointParam(x, y)};
    }
    if (roll < 90) {
        return {step, roll % 2 != 0 ? WM_LBUTTONDOWN : WM_LBUTTONUP, MK_SHIFT,
                makePointParam(x, y)};
    }
    if (roll < 99) {
        return {step, roll % 2 != 0 ? WM_KEYDOWN : WM_KEYUP, 0x26,
                makeKeyParam(72, true, false, roll % 2 == 0)};
    }
    return {step, WM_SIZE, 0, makeSizeParam(x, y)};
}

std::vector<Record> tenMinuteSession() {
    std::minstd_rand random(11);
    std::vector<Record> records{Header{"1.0.0", "linux", 1700000000},
                                EmbeddedFile{"wdf/test.wdf", true, std::string(20000, 'm')},
                                SceneLoaded{}};
    int32_t clock = 500;
    int64_t messages = 0;
    for (int pass = 0; pass < PASSES; ++pass) {
        const uint64_t step = uint64_t(pass) * STEPS / PASSES;
        for (; messages < int64_t(pass + 1) * MESSAGES / PASSES; ++messages) {
            records.push_back(message(random, step));
        }
        if (step % HASH_EVERY == 0) {
            records.push_back(StateHash{step, random() * 0x9E3779B97F4A7C15ull});
        }
        const int32_t drawing = 8 + static_cast<int32_t>(random() % 4);
        records.push_back(Pass{false, clock, clock + drawing});
        clock += drawing + 1;
    }
    records.push_back(Quit{STEPS, 0});
    records.push_back(End{STEPS, 42});
    return records;
}

class StringSink : public ReplaySink {
public:
    SinkFailure write(std::string_view data) override {
        bytes.append(data);
        return std::nullopt;
    }
    SinkFailure flush() override { return std::nullopt; }
    std::string bytes;
};

const std::vector<Record>& session() {
    static const std::vector<Record> records = tenMinuteSession();
    return records;
}

std::string writtenSession() {
    StringSink sink;
    ReplayWriter writer(sink);
    for (const Record& record : session()) {
        writer.write(record);
    }
    return sink.bytes;
}

void writeSession(benchmark::State& state) {
    std::size_t bytes = 0;
    for (auto _ : state) {
        StringSink sink;
        ReplayWriter writer(sink);
        for (const Record& record : session()) {
            writer.write(record);
        }
        bytes = sink.bytes.size();
        benchmark::DoNotOptimize(sink.bytes.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(session().size()));
    state.counters["file_KiB"] = static_cast<double>(bytes) / 1024.0;
}
BENCHMARK(writeSession)->Name("ReplayWrite")->Unit(benchmark::kMillisecond);

void readSession(benchmark::State& state) {
    const std::string file = writtenSession();
    for (auto _ : state) {
        std::istringstream in(file);
        ReplayReader reader(in);
        Record record;
        std::size_t records = 0;
        while (reader.next(record)) {
            ++records;
        }
        if (reader.status() != ReplayReader::Status::Ended || records != session().size()) {
            state.SkipWithError("the session did not read back whole");
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(session().size()));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(file.size()));
}
BENCHMARK(readSession)->Name("ReplayRead")->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace zelmor::bench
