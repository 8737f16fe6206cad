#include "bench/FieldScene.h"

#include <cmath>
#include <random>
#include <sstream>

namespace zelmor::bench {

namespace {

constexpr const char* UNIT_KINDS[] = {"units/tank.unit", "units/scout.unit", "units/launcher.unit"};
constexpr const char* STATIC_MODELS[] = {"tree_pine", "rock", "tree_round", "crates"};
constexpr float GOAL_DISTANCE = 100000.0f;

}  // namespace

std::string FieldScene::text(int units, int statics) {
    // Roughly square: lanes are wider than rows are deep.
    const int lanes = std::max(1, static_cast<int>(std::ceil(std::sqrt(units * 0.75))));
    const int rows = std::max(1, (units + lanes - 1) / lanes);
    const float left = -0.5f * LANE_WIDTH * (lanes - 1);
    const float back = -0.5f * ROW_DEPTH * (rows - 1);
    std::ostringstream out;
    out << "m models.lst\no 0 0 0\n";
    for (int i = 0; i < units; ++i) {
        out << "p " << left + LANE_WIDTH * (i % lanes) << " 0 " << back + ROW_DEPTH * (i / lanes)
            << "\nu " << UNIT_KINDS[i % 3] << "\n";
    }
    // Each static object sits in the middle of a gap between two lanes and two rows.
    std::minstd_rand random(12345);
    for (int k = 0; k < statics; ++k) {
        const int lane = static_cast<int>(random() % lanes);
        const int row = static_cast<int>(random() % rows);
        out << "p " << left + LANE_WIDTH * (lane + 0.5f) << " 0 " << back + ROW_DEPTH * (row + 0.5f)
            << "\nb " << STATIC_MODELS[k % 4] << "\n";
    }
    out << "p 0 60 -80\no 0 -60 80\nc 60 0.1 1000\nl\nx\n";
    return out.str();
}

std::unique_ptr<World> FieldScene::make(ModelCache& models, MemoryFileSource& files, int units,
                                        int statics) {
    files.add("wdf/field.wdf", text(units, statics));
    auto world = std::make_unique<World>(models);
    world->initTerrain();
    world->loadScene("wdf/field.wdf", ReadContext{&files, nullptr});
    return world;
}

void FieldScene::orderAcross(World& world) {
    for (Unit& unit : world.units) {
        const Vector3 at = unit.position;
        unit.giveOrder(Order::moveTo({at.x, at.y, at.z + GOAL_DISTANCE}));
    }
}

}  // namespace zelmor::bench
