#include "sim/ContactGrid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <iterator>
#include <limits>
#include <memory>
#include <random>
#include <vector>

#include "scene/World.h"
#include "sim/WorldTick.h"
#include "tests/support/StateHash.h"

namespace zelmor {
namespace {

constexpr float INF = std::numeric_limits<float>::infinity();
constexpr float NaN = std::numeric_limits<float>::quiet_NaN();

// A Follow target is named by its place in the world's list, so two worlds compare.
int64_t targetIndex(const World& world, const SceneObject* target) {
    const std::less<const SceneObject*> before;
    const Unit* first = world.units.data();
    if (target == nullptr || before(target, first) || !before(target, first + world.units.size())) {
        return target == nullptr ? -1 : -2;
    }
    return static_cast<const Unit*>(target) - first;
}

// Everything the tick may change in a unit.
uint64_t unitHash(const World& world, const Unit& unit) {
    test::StateHash hash;
    hash.add(unit.position);
    hash.add(unit.angles);
    hash.add(unit.speed());
    for (const Order& order : unit.orders()) {
        hash.add(order.kind);
        hash.add(order.point);
        hash.add(targetIndex(world, order.target));
    }
    return hash.value();
}

struct SceneShape {
    int units = 0;
    int statics = 0;
    float area = 0.0f;  // a cluster of objects covers [-area/2, area/2] around its centre
    uint32_t seed = 0;
    bool oddRadii = false;  // some objects get radii other than the defaults, some huge
    int clusters = 1;       // centres spread over [-spread/2, spread/2]; the first at `centre`
    Vector3 centre{};
    float spread = 0.0f;
    float lattice = 0.0f;   // else centres on a square lattice this far apart
    float farShare = 0.0f;  // this share of the objects stands around far or non-finite places
};

// Around these, floats are coarse or the arithmetic overflows: a few objects share each place.
const Vector3 FAR_PLACES[] = {
    {NaN, 0, 0},
    {0, 0, NaN},
    {INF, 0, 3.0f},
    {-INF, 0, -INF},
    {1.2e9f, 0, 1e9f},
    {5e9f, 0, -5e9f},
    {3.4e38f, 0, 3.4e38f},
    {-3.4e38f, 0, 2.0f},
    {2147483648.0f, 0, 0},
    {2147483520.0f, 0, 1.0f},
    {-2147483648.0f, 0, 2147483648.0f},
};

// Builds the same scene into any world: units with random headings, most with one to three
// queued goals in their cluster, some following another unit, some standing as obstacles.
void populate(World& world, const SceneShape& shape) {
    std::mt19937 random(shape.seed);
    std::uniform_real_distribution<float> local(-shape.area / 2, shape.area / 2);
    std::uniform_real_distribution<float> far(-shape.spread / 2, shape.spread / 2);
    std::vector<Vector3> centres(1, shape.centre);
    const int side = static_cast<int>(std::ceil(std::sqrt(double(shape.clusters))));
    while (static_cast<int>(centres.size()) < shape.clusters) {
        const auto c = static_cast<float>(centres.size() % side);
        const auto r = static_cast<float>(centres.size() / side);
        centres.push_back(shape.lattice > 0.0f ? Vector3{c * shape.lattice, 0.0f, r * shape.lattice}
                                               : Vector3{far(random), 0.0f, far(random)});
    }
    auto somewhere = [&](const Vector3& centre) {
        return Vector3{centre.x + local(random), 0.0f, centre.z + local(random)};
    };
    std::uniform_real_distribution<float> share(0.0f, 1.0f);
    auto place = [&](const Vector3& centre) {
        if (shape.farShare > 0.0f && share(random) < shape.farShare) {
            return somewhere(FAR_PLACES[random() % std::size(FAR_PLACES)]);
        }
        return somewhere(centre);
    };
    std::uniform_real_distribution<float> heading(0.0f, 360.0f);
    const float radii[] = {0.0f, 0.3f, 2.5f, -1.5f, 100.0f, NaN, INF};
    std::uniform_int_distribution<int> pick(0, 6);
    world.initTerrain();
    std::vector<std::size_t> home;
    for (int i = 0; i < shape.units; ++i) {
        home.push_back(random() % centres.size());
        Unit unit;
        unit.position = place(centres[home.back()]);
        unit.angles.y = heading(random);
        if (shape.oddRadii && random() % 8 == 0) {
            unit.boundingRadius = radii[pick(random)];
        }
        world.units.push_back(unit);
    }
    for (int k = 0; k < shape.statics; ++k) {
        StaticObject object;
        object.position = place(centres[random() % centres.size()]);
        if (shape.oddRadii && random() % 4 == 0) {
            object.boundingRadius = radii[pick(random)];
        }
        world.staticObjects.push_back(object);
    }
    for (std::size_t i = 0; i < world.units.size(); ++i) {
        const unsigned kind = random() % 10;
        if (kind < 6) {
            for (unsigned goals = 1 + random() % 3; goals > 0; --goals) {
                world.units[i].giveOrder(Order::moveTo(somewhere(centres[home[i]])));
            }
        } else if (kind < 8) {
            world.units[i].giveOrder(Order::follow(&world.units[random() % world.units.size()]));
        }
    }
}

struct Twins {
    std::unique_ptr<World> reference;
    std::unique_ptr<World> grid;
    ModelCache models;
};

Twins twins(const SceneShape& shape) {
    Twins pair;
    pair.reference = std::make_unique<World>(pair.models);
    pair.grid = std::make_unique<World>(pair.models);
    populate(*pair.reference, shape);
    populate(*pair.grid, shape);
    pair.reference->tick().search = ContactSearch::AllPairs;
    pair.grid->tick().search = ContactSearch::Grid;
    return pair;
}

// Where a contact lies in its world's lists: units from 0, static objects from 1,000,000.
int64_t contactIndex(const World& world, const SceneObject* contact) {
    for (std::size_t k = 0; k < world.staticObjects.size(); ++k) {
        if (contact == &world.staticObjects[k]) {
            return 1000000 + static_cast<int64_t>(k);
        }
    }
    return targetIndex(world, contact);
}

// Changes made to a world between two steps, as a test or a tool may make them: called with
// each world and the number of the step to come.
using Edit = std::function<void(World&, int)>;

// Steps both worlds and compares every unit after every step. Every 20 steps it also compares
// the contact that each search names for each unit, and counts the moving units that touch
// something, so that a test can show that it really drove units into each other.
int stepAlike(Twins& pair, int steps, const Edit& edit = nullptr) {
    int contacts = 0;
    const World& reference = *pair.reference;
    const World& grid = *pair.grid;
    for (int step = 0; step < steps; ++step) {
        if (edit) {
            edit(*pair.reference, step);
            edit(*pair.grid, step);
        }
        pair.reference->update(10);
        pair.grid->update(10);
        for (std::size_t i = 0; i < reference.units.size(); ++i) {
            if (unitHash(reference, reference.units[i]) != unitHash(grid, grid.units[i])) {
                ADD_FAILURE() << "unit " << i << " differs after step " << step + 1;
                return contacts;
            }
        }
        if (step % 20 != 0) {
            continue;
        }
        // The grid of the step just done has followed every unit to where it is now.
        for (std::size_t i = 0; i < reference.units.size(); ++i) {
            const SceneObject* expected = ContactGrid::searchAll(
                reference.units, reference.staticObjects, reference.units[i]);
            const SceneObject* found = pair.grid->tick().contactGrid().findContact(grid.units[i]);
            if (contactIndex(grid, found) != contactIndex(reference, expected)) {
                ADD_FAILURE() << "unit " << i << " touches another object after step " << step + 1;
                return contacts;
            }
            contacts += expected != nullptr && reference.units[i].speed() != 0.0f;
        }
    }
    return contacts;
}

// Both searches must name the same object for every unit, not just agree that one exists.
void expectSameContacts(World& world) {
    ContactGrid grid;
    grid.build(world.units, world.staticObjects);
    for (const Unit& unit : world.units) {
        EXPECT_EQ(grid.findContact(unit),
                  ContactGrid::searchAll(world.units, world.staticObjects, unit))
            << "unit at " << unit.position.x << ", " << unit.position.z;
    }
}

TEST(ContactGrid, ScenesStepExactlyLikeTheFullSearch) {
    struct Case {
        const char* name;
        SceneShape shape;
        int steps;
        int contacts;  // at least this many moving units found touching
    };
    const Case cases[] = {
        {"dense crowd", {.units = 250, .statics = 60, .area = 40.0f, .seed = 1}, 1200, 101},
        // Clusters far apart: cells of distant places share buckets.
        {"sparse field",
         {.units = 300, .statics = 100, .area = 30.0f, .seed = 2, .clusters = 8, .spread = 2e4f},
         250,
         1},
        // Zero, negative, large and non-finite radii on units and static objects.
        {"odd radii",
         {.units = 200, .statics = 100, .area = 60.0f, .seed = 3, .oddRadii = true},
         1000,
         11},
        // Crowds on a lattice 128 cells of the default radii apart: a table of cells that
        // wraps at a power of two would put them all into a few buckets.
        {"lattice of crowds",
         {.units = 320,
          .statics = 80,
          .area = 8.0f,
          .seed = 4,
          .clusters = 64,
          .lattice = 128 * 1.8143125f},
         300,
         20},
        // A third of the objects, with odd radii too, around NaN, infinite, huge and 2^31
        // coordinates, where floats are too coarse to move by a step.
        {"far and non-finite places",
         {.units = 300,
          .statics = 100,
          .area = 6.0f,
          .seed = 5,
          .oddRadii = true,
          .clusters = 4,
          .spread = 100.0f,
          .farShare = 0.35f},
         300,
         20},
        // Crowds at the limit of the box of direct cells (2^20 on each axis), in a corner and on
        // one edge: the objects beyond it stay out of the box and units drive across.
        {"corner of the box's limit",
         {.units = 200, .statics = 60, .area = 16.0f, .seed = 6, .centre = {1048576, 0, 1048576}},
         300,
         500},
        {"opposite corner",
         {.units = 200, .statics = 60, .area = 16.0f, .seed = 7, .centre = {-1048576, 0, -1048576}},
         300,
         450},
        {"edge of the box's limit",
         {.units = 200, .statics = 60, .area = 16.0f, .seed = 8, .centre = {-1048576, 0, 5}},
         300,
         400},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Twins pair = twins(c.shape);
        EXPECT_GE(stepAlike(pair, c.steps), c.contacts) << "units should run into each other";
    }
}

// Units 3 apart in a square, each sent 5 to 20 away in a direction of its own, a rock in some
// of the gaps: neighbours cross, meet and halt against each other, and the crowds that form
// keep touching for many steps.
void populateBattle(World& world, int units, uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const int side = static_cast<int>(std::ceil(std::sqrt(double(units))));
    world.initTerrain();
    for (int i = 0; i < units; ++i) {
        Unit unit;
        unit.position = {3.0f * float(i % side - side / 2), 0.0f,
                         3.0f * float(i / side - side / 2)};
        world.units.push_back(unit);
    }
    for (int k = 0; k < units / 100; ++k) {
        StaticObject rock;
        rock.position = world.units[random() % units].position;
        rock.position.x += 1.5f;
        rock.position.z += 1.5f;
        world.staticObjects.push_back(rock);
    }
    for (Unit& each : world.units) {
        const double direction = unit(random) * 6.283185307179586;
        const double distance = 5.0 + 15.0 * unit(random);
        each.giveOrder(Order::moveTo({each.position.x + float(distance * std::sin(direction)), 0.0f,
                                      each.position.z + float(distance * std::cos(direction))}));
    }
}

TEST(ContactGrid, ABattleOfThousandsStepsExactlyLikeTheFullSearch) {
    Twins pair;
    pair.reference = std::make_unique<World>(pair.models);
    pair.grid = std::make_unique<World>(pair.models);
    populateBattle(*pair.reference, 2000, 11);
    populateBattle(*pair.grid, 2000, 11);
    pair.reference->tick().search = ContactSearch::AllPairs;
    int halting = 0;
    const Edit count = [&](World& world, int) {
        if (&world == pair.grid.get()) {
            halting += int(std::count_if(world.units.begin(), world.units.end(), [](const Unit& u) {
                return !u.orders().empty() && u.orders().front().kind == OrderKind::Halt;
            }));
        }
    };
    EXPECT_GE(stepAlike(pair, 200, count), 2000) << "units should run into each other";
    EXPECT_GT(halting, 20000) << "crowds should halt against each other";
}

// Between two steps anything may change: units put elsewhere (next to another unit, far off,
// at NaN and back), radii grown or made NaN, static objects moved, speeds set by hand high
// enough that many units leave their cells within one step, units added. Each step must see
// the world as it is then.
TEST(ContactGrid, ChangesBetweenStepsAreSeen) {
    Twins pair = twins({.units = 300, .statics = 60, .area = 40.0f, .seed = 9});
    // The first moving unit from start on, so that an edit lands where a search will look.
    const auto moving = [](const std::vector<Unit>& units, std::size_t start) {
        for (std::size_t k = 0; k < units.size(); ++k) {
            const std::size_t i = (start + k) % units.size();
            if (units[i].speed() > 0.0f && std::isfinite(units[i].position.x)) {
                return i;
            }
        }
        return start % units.size();
    };
    const Edit change = [&](World& world, int step) {
        std::vector<Unit>& units = world.units;
        const std::size_t n = units.size();
        std::vector<StaticObject>& statics = world.staticObjects;
        switch (step % 12) {
            case 1:
                units[(7 * step) % n].position = units[(13 * step) % n].position;
                units[(7 * step) % n].position.x += 0.5f;
                break;
            case 3:
                units[(5 * step) % n].boundingRadius = 3.0f;
                units[(11 * step) % n].boundingRadius = NaN;
                break;
            case 4:
                for (std::size_t k = 0; k < 4; ++k) {
                    units[(3 * step + k) % n].position = {NaN, 0.0f, 0.0f};
                }
                units[(17 * step) % n].position = {3e38f, 0.0f, 1.0f};
                break;
            case 5:
            case 6:
                // Two steps running, so that one of them comes between two sorts of the grid.
                for (std::size_t k = 0; k < 4; ++k) {
                    statics[(step + k) % statics.size()].position =
                        units[moving(units, 19 * step + 40 * k)].position;
                }
                break;
            case 7:
                // Many units at once, some a little faster than the cells allow, most each a
                // step of 2 to 4; the step after, they stand again.
                for (std::size_t i = 0; i < n; i += 3) {
                    units[i].setSpeed(i % 2 == 0 ? 20.0f + float(i % 30) : 200.0f + float(i % 200));
                }
                break;
            case 8:
                for (std::size_t i = 0; i < n; i += 3) {
                    units[i].setSpeed(0.0f);
                }
                break;
            case 9:
            case 10:
                // The units put at NaN come back, next to units that search, two at each step.
                for (std::size_t k = step % 12 - 9; k < 4; k += 2) {
                    Unit& back = units[(3 * (step - step % 12 + 4) + k) % n];
                    back.position = units[moving(units, 23 * step + 50 * k)].position;
                    back.position.z += 1.0f;
                }
                for (Unit& unit : units) {
                    if (!std::isfinite(unit.boundingRadius) || unit.boundingRadius > 1.0f) {
                        unit.boundingRadius = Unit::UNIT_RADIUS;
                    }
                }
                break;
            case 11:
                if (step < 60) {
                    // Growing the list moves every unit; followed units are named by index.
                    std::vector<Unit> grown(units.begin(), units.end());
                    Unit extra;
                    extra.position = units[step].position;
                    grown.push_back(extra);
                    for (std::size_t i = 0; i < n; ++i) {
                        grown[i].giveOrder(Order::moveTo({float(i % 20), 0.0f, -float(i % 15)}));
                    }
                    units.swap(grown);
                }
                break;
        }
    };
    EXPECT_GE(stepAlike(pair, 240, change), 100) << "units should run into each other";
}

TEST(ContactGrid, ContactDistancesAtTheLimitAndOnCellBorders) {
    ModelCache models;
    World world(models);
    // Pairs at exactly the contact distance (no contact), a hair inside, and a hair outside, in
    // rows that cross many cell borders, at several scales of coordinates.
    const float reach = 2 * Unit::UNIT_RADIUS;
    for (const float base : {0.0f, 0.8135f, 1.6266f, -3.2532f, 1000.0f, -65536.0f}) {
        for (int i = 0; i < 8; ++i) {
            const float x = base + 0.40625f * i;
            for (const float gap :
                 {reach, std::nextafter(reach, 0.0f), std::nextafter(reach, 9.0f)}) {
                Unit a;
                a.position = {x, 0.0f, base};
                Unit b = a;
                b.position.x = x + gap;
                world.units.push_back(a);
                world.units.push_back(b);
                Unit c = a;
                c.position.z = base - gap;
                world.units.push_back(c);
            }
            StaticObject object;
            object.position = {x + 0.2f, 0.0f, base + reach / 2 + 1.0f};
            world.staticObjects.push_back(object);
        }
    }
    expectSameContacts(world);
}

TEST(ContactGrid, FirstContactInListOrderWins) {
    ModelCache models;
    World world(models);
    // The searching unit touches units 1, 2 and 3 and two static objects; listed so that the
    // nearest ones come last.
    for (const float x : {0.0f, 1.5f, 1.0f, 0.5f, 40.0f}) {
        Unit unit;
        unit.position = {x, 0.0f, 0.0f};
        world.units.push_back(unit);
    }
    for (const float x : {1.2f, 0.2f}) {
        StaticObject object;
        object.position = {x, 0.0f, 0.5f};
        world.staticObjects.push_back(object);
    }
    ContactGrid grid;
    grid.build(world.units, world.staticObjects);
    EXPECT_EQ(grid.findContact(world.units[0]), &world.units[1]);
    EXPECT_EQ(grid.findContact(world.units[3]), &world.units[0]);
    // Alone with the static objects: the first listed that it touches.
    world.units[4].position = {0.7f, 0.0f, 0.5f};
    grid.moved(4);
    world.units[0].position = {-40.0f, 0.0f, 0.0f};
    grid.moved(0);
    world.units[1].position = {-40.0f, 0.0f, 40.0f};
    grid.moved(1);
    world.units[2].position = {40.0f, 0.0f, 40.0f};
    grid.moved(2);
    world.units[3].position = {40.0f, 0.0f, -40.0f};
    grid.moved(3);
    EXPECT_EQ(grid.findContact(world.units[4]), &world.staticObjects[0]);
    expectSameContacts(world);
}

TEST(ContactGrid, UnitsFollowedAsTheyMoveWithinAStep) {
    ModelCache models;
    World world(models);
    Unit unit;
    world.units.assign(2, unit);
    world.units[1].position = {30.0f, 0.0f, 0.0f};
    ContactGrid grid;
    EXPECT_EQ(grid.findContact(world.units[0]), nullptr) << "nothing built yet";
    grid.moved(0);
    grid.build(world.units, world.staticObjects);
    EXPECT_EQ(grid.findContact(world.units[1]), nullptr);
    // Unit 0 moves many cells away, next to unit 1, without a new build.
    world.units[0].position = {28.5f, 0.0f, 0.5f};
    grid.moved(0);
    EXPECT_EQ(grid.findContact(world.units[1]), &world.units[0]);
    // Out to where no cell reaches, and back.
    world.units[0].position = {NaN, 0.0f, 0.0f};
    grid.moved(0);
    EXPECT_EQ(grid.findContact(world.units[1]), nullptr);
    world.units[0].position = {31.0f, 0.0f, -1.0f};
    grid.moved(0);
    EXPECT_EQ(grid.findContact(world.units[1]), &world.units[0]);
    // Built where it touches nothing, then back next to unit 1.
    world.units[0].position = {-INF, 0.0f, 0.0f};
    grid.build(world.units, world.staticObjects);
    EXPECT_EQ(grid.findContact(world.units[1]), nullptr);
    world.units[0].position = {29.0f, 0.0f, 0.0f};
    grid.moved(0);
    EXPECT_EQ(grid.findContact(world.units[1]), &world.units[0]);
    // A unit not in the list is searched against all of them.
    Unit stranger;
    stranger.position = {30.5f, 0.0f, 0.0f};
    EXPECT_EQ(grid.findContact(stranger), &world.units[0]);
}

TEST(ContactGrid, FarAndNonFinitePositions) {
    ModelCache models;
    World world(models);
    const std::vector<Vector3> places = {{NaN, 0, 0},           {0, 0, NaN},
                                         {INF, 0, 0},           {-INF, 0, -INF},
                                         {1e30f, 0, 1e30f},     {1e30f, 0, 1e30f},
                                         {2e9f, 0, 0},          {2e9f, 0, 1.0f},
                                         {0, 0, -3e38f},        {0.5f, 0, 0},
                                         {1e9f, 0, 1e9f},       {1e9f, 0, 1e9f},
                                         {INF, 0, 0},           {0, 0, 0},
                                         {5e9f, 0, -5e9f},      {5e9f, 0, -5e9f},
                                         {2147483648.0f, 0, 0}, {2147483520.0f, 0, 0},
                                         {0, 0, -2147483648.0f}};
    for (const Vector3& at : places) {
        Unit unit;
        unit.position = at;
        world.units.push_back(unit);
        StaticObject object;
        object.position = {at.x, at.y, at.z + 1.5f};
        world.staticObjects.push_back(object);
    }
    expectSameContacts(world);
    ContactGrid grid;
    grid.build(world.units, world.staticObjects);
    EXPECT_EQ(grid.findContact(world.units[4]), &world.units[5]) << "two units at 1e30 touch";
    EXPECT_EQ(grid.findContact(world.units[6]), &world.units[7]) << "beyond the cells";
    EXPECT_EQ(grid.findContact(world.units[10]), &world.units[11]) << "at the cells' edge";
    EXPECT_EQ(grid.findContact(world.units[0]), nullptr) << "NaN touches nothing";
    EXPECT_EQ(grid.findContact(world.units[14]), &world.units[15]) << "one float at 5e9";
    EXPECT_EQ(grid.findContact(world.units[16]), &world.staticObjects[16]) << "2^31 and 1.5";

    // The same places driven for a while, every unit coasting or ordered somewhere.
    Twins pair;
    pair.reference = std::make_unique<World>(pair.models);
    pair.grid = std::make_unique<World>(pair.models);
    for (World* each : {pair.reference.get(), pair.grid.get()}) {
        each->units = world.units;
        each->staticObjects = world.staticObjects;
        for (std::size_t i = 0; i < each->units.size(); ++i) {
            each->units[i].giveOrder(Order::moveTo({float(i), 0.0f, -float(i)}));
            each->units[i].angles.y = 45.0f * float(i);
        }
    }
    pair.grid->tick().search = ContactSearch::Grid;
    pair.reference->tick().search = ContactSearch::AllPairs;
    stepAlike(pair, 300);
}

TEST(ContactGrid, ALaterUnitSeesWhereAnEarlierOneWentInTheSameStep) {
    for (const ContactSearch search : {ContactSearch::AllPairs, ContactSearch::Grid}) {
        ModelCache models;
        World world(models);
        world.tick().search = search;
        // In each pair, the first unit drives at 7.5 straight at the second and closes the gap
        // from 1.68 to 1.605 in its own update; the second, moving sideways, is searched after
        // that. The pairs start at offsets across two units, so that some first units leave
        // the cell they started the step in.
        constexpr int PAIRS = 64;
        for (int pair = 0; pair < PAIRS; ++pair) {
            Unit driver;
            driver.position = {pair * 0.03125f, 0.0f, pair * 20.0f};
            driver.angles.y = 90.0f;
            for (int i = 0; i < 75; ++i) {
                driver.accelerate();
            }
            Unit target;
            target.position = {driver.position.x + 1.68f, 0.0f, driver.position.z};
            for (int i = 0; i < 50; ++i) {
                target.accelerate();
            }
            world.units.push_back(driver);
            world.units.push_back(target);
        }
        world.update(10);
        for (int pair = 0; pair < PAIRS; ++pair) {
            EXPECT_TRUE(world.units[2 * pair].orders().empty()) << "no contact before it moved";
            const OrderQueue& orders = world.units[2 * pair + 1].orders();
            ASSERT_EQ(orders.size(), 1u) << "pair " << pair;
            EXPECT_EQ(orders.front().kind, OrderKind::Halt);
        }
    }
}

// A unit given a speed by hand moves further in a step than a unit may drift and keep its
// cell (0.3 here, against 0.125): two cells from where it was sorted in, it still touches the unit
// it reaches.
TEST(ContactGrid, AUnitFasterThanItsCellsAllowIsStillFound) {
    for (const ContactSearch search : {ContactSearch::AllPairs, ContactSearch::Grid}) {
        ModelCache models;
        World world(models);
        world.tick().search = search;
        world.units.assign(2, Unit());
        world.units[0].position = {1.7f, 0.0f, 0.0f};
        world.units[0].angles.y = 90.0f;
        world.units[0].setSpeed(30.0f);
        world.units[1].position = {3.6f, 0.0f, 0.0f};
        world.units[1].setSpeed(0.7f);  // brakes for a step: the Halt stays
        world.update(10);
        ASSERT_EQ(world.units[1].orders().size(), 1u);
        EXPECT_EQ(world.units[1].orders().front().kind, OrderKind::Halt);
    }
}

TEST(ContactGrid, HugeRadiiReachAcrossTheCells) {
    ModelCache models;
    World world(models);
    world.units.assign(4, Unit());
    world.units[1].position = {50.0f, 0.0f, 0.0f};
    world.units[1].boundingRadius = 100.0f;
    world.units[2].position = {-500.0f, 0.0f, 0.0f};
    world.units[2].boundingRadius = INF;
    world.units[3].position = {500.0f, 0.0f, 500.0f};
    StaticObject wide;
    wide.position = {-80.0f, 0.0f, 20.0f};
    wide.boundingRadius = 90.0f;
    world.staticObjects.push_back(wide);
    ContactGrid grid;
    grid.build(world.units, world.staticObjects);
    EXPECT_EQ(grid.findContact(world.units[0]), &world.units[1]);
    EXPECT_EQ(grid.findContact(world.units[3]), &world.units[2]) << "an infinite reach";
    world.units.resize(1);
    grid.build(world.units, world.staticObjects);
    EXPECT_EQ(grid.findContact(world.units[0]), &world.staticObjects[0]);
}

}  // namespace
}  // namespace zelmor
