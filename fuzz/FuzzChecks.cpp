#include "fuzz/FuzzChecks.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "scene/World.h"
#include "sim/Order.h"
#include "sim/Unit.h"

namespace zelmor::fuzz {

namespace {

constexpr int STEPS = 40;
constexpr int STEP_MS = 10;

template <typename T>
bool sameBits(const std::vector<T>& a, const std::vector<T>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

bool sameBits(const Vector3& a, const Vector3& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

void require(bool condition, const char* what) {
    if (condition) {
        return;
    }
    std::fprintf(stderr, "broken promise: %s\n", what);
    std::abort();
}

void requireSound(const Mesh& mesh) {
    require(mesh.vertices().size() % 3 == 0, "whole vertices");
    bool inRange = true;
    for (uint32_t index : mesh.indices()) {
        inRange = inRange && index < mesh.vertexCount();
    }
    require(mesh.indicesInRange() == inRange, "index verdict matches the indices");
    const bool fits = mesh.vertexColours().empty() ||
                      mesh.vertexColours().size() == 4 * std::size_t{mesh.vertexCount()};
    require(mesh.coloursMatch() == fits, "colour verdict matches the colours");
}

void requireSame(const Mesh& a, const Mesh& b) {
    require(sameBits(a.vertices(), b.vertices()), "same vertices");
    require(sameBits(a.indices(), b.indices()), "same indices");
    require(sameBits(a.vertexColours(), b.vertexColours()), "same vertex colours");
    require(std::memcmp(&a.colour(), &b.colour(), sizeof(Colour)) == 0, "same colour");
    require(a.primitiveMode() == b.primitiveMode(), "same primitive mode");
}

void requireSame(const Unit& a, const Unit& b) {
    require(a.parts().size() == b.parts().size(), "same number of parts");
    auto other = b.parts().begin();
    for (const auto& [name, part] : a.parts()) {
        require(name == other->first, "same part names");
        require(part.mesh == other->second.mesh, "same part meshes");
        require(sameBits(part.position, other->second.position), "same part offsets");
        require(sameBits(part.angles, other->second.angles), "same part angles");
        ++other;
    }
}

void requireSameUnits(const World& a, const World& b) {
    require(a.units.size() == b.units.size(), "same number of units");
    for (std::size_t i = 0; i < a.units.size(); ++i) {
        const Unit& x = a.units[i];
        const Unit& y = b.units[i];
        require(sameBits(x.position, y.position), "same unit positions");
        require(sameBits(x.angles, y.angles), "same unit angles");
        const float xs = x.speed();
        const float ys = y.speed();
        require(std::memcmp(&xs, &ys, sizeof xs) == 0, "same unit speeds");
        require(x.orders().size() == y.orders().size(), "same number of orders");
    }
}

void exercise(World& world) {
    std::vector<Unit>& units = world.units;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const Unit& next = units[(i + 1) % units.size()];
        units[i].giveOrder(Order::moveTo(next.position));
        if (i % 2 == 1) {
            units[i].giveOrder(Order::follow(&units[i - 1]));
        }
    }
    for (const StaticObject& object : world.staticObjects) {
        if (!units.empty()) {
            units.front().giveOrder(Order::moveTo(object.position));
        }
    }
    for (int step = 0; step < STEPS; ++step) {
        world.update(STEP_MS);
        for (const Unit& unit : units) {
            require(unit.speed() >= 0.0f, "speed never negative");
            world.isVisible(unit);
        }
    }
    for (const StaticObject& object : world.staticObjects) {
        world.isVisible(object);
    }
}

}  // namespace zelmor::fuzz
