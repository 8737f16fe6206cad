// Reading: World::loadScene on generated scenes, loadModelFile on a large generated model.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "bench/FieldScene.h"
#include "bench/MemoryFiles.h"
#include "scene/ModelFile.h"

namespace zelmor::bench {

namespace {

// A scene of objects, three static objects to each unit as in the bundled scene, read from
// memory: the model list, the models, the unit files and the scene itself.
void loadScene(benchmark::State& state) {
    const int objects = static_cast<int>(state.range(0));
    MemoryFileSource files = bundledFiles();
    files.add("wdf/generated.wdf", FieldScene::text(objects / 4, objects - objects / 4));
    for (auto _ : state) {
        state.PauseTiming();
        auto models = std::make_unique<ModelCache>();
        auto world = std::make_unique<World>(*models);
        state.ResumeTiming();
        world->loadScene("wdf/generated.wdf", ReadContext{&files, nullptr});
        benchmark::DoNotOptimize(world->units.data());
        state.PauseTiming();
        world.reset();
        models.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * objects);
}
BENCHMARK(loadScene)->Name("LoadScene")->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// A model of 200,000 coloured vertices in triangles, written as the tools write models.
std::string largeModel() {
    constexpr int VERTICES = 200000;
    std::minstd_rand random(7);
    std::string text = "c 0.5 0.5 0.5 1\np 4\nv " + std::to_string(VERTICES) + "\n";
    char number[32];
    for (int i = 0; i < 3 * VERTICES; ++i) {
        std::snprintf(number, sizeof number, "%.3f%c", (random() % 200000) * 0.001 - 100.0,
                      i % 3 == 2 ? '\n' : ' ');
        text += number;
    }
    text += "i " + std::to_string(VERTICES) + "\n";
    for (int i = 0; i < VERTICES; ++i) {
        text += std::to_string(random() % VERTICES) + (i % 3 == 2 ? "\n" : " ");
    }
    text += "o\n";
    for (int i = 0; i < VERTICES; ++i) {
        text += std::to_string(random() % 256) + " " + std::to_string(random() % 256) + " " +
                std::to_string(random() % 256) + " 255\n";
    }
    return text + "x\n";
}

void loadModel(benchmark::State& state) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / "zelmor-bench-large.mdl";
    const std::string text = largeModel();
    std::ofstream(path, std::ios::binary) << text;
    for (auto _ : state) {
        Mesh mesh = loadModelFile(path.string());
        benchmark::DoNotOptimize(&mesh);
    }
    std::filesystem::remove(path);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
    state.counters["file_MB"] = text.size() / 1e6;
}
BENCHMARK(loadModel)->Name("LoadModelFile")->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace zelmor::bench
