#include "bench/FieldScene.h"

#include <cmath>
#include <limits>
#include <random>
#include <sstream>

namespace zelmor::bench {

namespace {

constexpr const char* UNIT_KINDS[] = {"units/tank.unit", "units/scout.unit", "units/launcher.unit"};
constexpr const char* STATIC_MODELS[] = {"tree_pine", "rock", "tree_round", "crates"};
constexpr float GOAL_DISTANCE = 100000.0f;

void lanes(std::ostringstream& out, int units, int statics) {
    // Roughly square: lanes are wider than rows are deep.
    const int lanes = std::max(1, static_cast<int>(std::ceil(std::sqrt(units * 0.75))));
    const int rows = std::max(1, (units + lanes - 1) / lanes);
    const float left = -0.5f * FieldScene::LANE_WIDTH * (lanes - 1);
    const float back = -0.5f * FieldScene::ROW_DEPTH * (rows - 1);
    for (int i = 0; i < units; ++i) {
        out << "p " << left + FieldScene::LANE_WIDTH * (i % lanes) << " 0 "
            << back + FieldScene::ROW_DEPTH * (i / lanes) << "\nu " << UNIT_KINDS[i % 3] << "\n";
    }
    // Each static object sits in the middle of a gap between two lanes and two rows.
    std::minstd_rand random(12345);
    for (int k = 0; k < statics; ++k) {
        const int lane = static_cast<int>(random() % lanes);
        const int row = static_cast<int>(random() % rows);
        out << "p " << left + FieldScene::LANE_WIDTH * (lane + 0.5f) << " 0 "
            << back + FieldScene::ROW_DEPTH * (row + 0.5f) << "\nb " << STATIC_MODELS[k % 4]
            << "\n";
    }
}

void lattice(std::ostringstream& out, int units, int statics) {
    const int side = std::max(1, static_cast<int>(std::ceil(std::sqrt(double(units)))));
    // Lattice points in the middle of a cell; a static object two cells to the side of its unit.
    const double cell = FieldScene::LATTICE_SPACING / 256.0;
    auto point = [&](int i, double offset) {
        out.precision(10);
        out << "p " << (i % side) * double(FieldScene::LATTICE_SPACING) + 0.5 * cell + offset
            << " 0 " << (i / side) * double(FieldScene::LATTICE_SPACING) + 0.5 * cell << "\n";
    };
    for (int i = 0; i < units; ++i) {
        point(i, 0.0);
        out << "u " << UNIT_KINDS[i % 3] << "\n";
    }
    for (int k = 0; k < statics; ++k) {
        point(k * std::max(1, units / std::max(1, statics)), 2.0 * cell);
        out << "b " << STATIC_MODELS[k % 4] << "\n";
    }
}

// Units on a square grid around the origin, each static object a rock in the middle of a gap.
void battle(std::ostringstream& out, int units, int statics) {
    const int side = std::max(1, static_cast<int>(std::ceil(std::sqrt(double(units)))));
    const float first = -0.5f * FieldScene::BATTLE_SPACING * (side - 1);
    for (int i = 0; i < units; ++i) {
        out << "p " << first + FieldScene::BATTLE_SPACING * (i % side) << " 0 "
            << first + FieldScene::BATTLE_SPACING * (i / side) << "\nu " << UNIT_KINDS[i % 3]
            << "\n";
    }
    std::minstd_rand random(4242);
    for (int k = 0; k < statics; ++k) {
        const int column = static_cast<int>(random() % side);
        const int row = static_cast<int>(random() % side);
        out << "p " << first + FieldScene::BATTLE_SPACING * (column + 0.5f) << " 0 "
            << first + FieldScene::BATTLE_SPACING * (row + 0.5f) << "\nb rock\n";
    }
}

}  // namespace

std::string FieldScene::text(int units, int statics, Layout layout) {
    std::ostringstream out;
    out << "m models.lst\no 0 0 0\n";
    if (layout == Layout::Lattice) {
        lattice(out, units, statics);
    } else if (layout == Layout::Battle) {
        battle(out, units, statics);
    } else {
        lanes(out, units, statics);
    }
    out << "p 0 60 -80\no 0 -60 80\nc 60 0.1 1000\nl\nx\n";
    return out.str();
}

std::unique_ptr<World> FieldScene::make(ModelCache& models, MemoryFileSource& files, int units,
                                        int statics, Layout layout) {
    files.add("wdf/field.wdf", text(units, statics, layout));
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

void FieldScene::orderNearby(World& world) {
    // The generator's own numbers, not a library distribution, so every build draws the same.
    std::minstd_rand random(2026);
    const double range = double(std::minstd_rand::max() - std::minstd_rand::min()) + 1.0;
    auto fraction = [&] { return double(random() - std::minstd_rand::min()) / range; };
    for (Unit& unit : world.units) {
        const double direction = fraction() * 2.0 * 3.141592653589793;
        const double distance = 5.0 + 15.0 * fraction();
        const Vector3 at = unit.position;
        unit.giveOrder(
            Order::moveTo({static_cast<float>(at.x + distance * std::sin(direction)), at.y,
                           static_cast<float>(at.z + distance * std::cos(direction))}));
    }
}

void FieldScene::sendFar(World& world) {
    constexpr float INF = std::numeric_limits<float>::infinity();
    constexpr float NaN = std::numeric_limits<float>::quiet_NaN();
    int sent = 0;
    for (std::size_t i = 0; i < world.units.size(); ++i) {
        if (i % 20 >= 3) {
            continue;
        }
        // Far out, floats are coarse: the spacing of each line is a few steps of its floats.
        const double n = sent / 6;
        const Vector3 places[] = {
            {NaN, 0.0f, float(4.0 * n)},
            {float(4.0 * n), 0.0f, INF},
            {-INF, 0.0f, -INF},
            {float(1.2e9 + 256.0 * n), 0.0f, 1.5e9f},
            {float(5e9 + 2048.0 * n), 0.0f, -5e9f},
            {float(double(3.4e38f) - n * 0x1p106), 0.0f, 3.4e38f},
        };
        Unit& unit = world.units[i];
        unit.position = places[sent % 6];
        unit.clearOrders();
        unit.giveOrder(Order::moveTo({0.0f, 0.0f, 0.0f}));
        ++sent;
    }
}

}  // namespace zelmor::bench
