#include "app/SessionHash.h"

#include <cstring>
#include <vector>

#include "app/Session.h"

namespace zelmor {

namespace {

// FNV-1a over the little-endian bytes of each value.
class Hasher {
public:
    void add(uint64_t value, int bytes = 8) {
        for (int i = 0; i < bytes; ++i) {
            hash_ = (hash_ ^ ((value >> (8 * i)) & 0xFF)) * 1099511628211ull;
        }
    }
    void add(bool value) { add(value ? 1u : 0u, 1); }
    void add(int32_t value) { add(static_cast<uint32_t>(value), 4); }
    void add(float value) {
        uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        // NaNs differ in sign and payload from one platform to another; their place does not.
        add(value != value ? 0x7FC00000u : bits, 4);
    }
    void add(double value) { add(static_cast<float>(value)); }
    void add(const Vector3& v) {
        add(v.x);
        add(v.y);
        add(v.z);
    }
    template <class Values>
    void addAll(const Values& values) {
        add(static_cast<uint64_t>(values.size()));
        for (const auto& value : values) {
            add(value);
        }
    }
    uint64_t value() const { return hash_; }

private:
    uint64_t hash_ = 1469598103934665603ull;
};

// The index of object in list, or -1: found by its address, since the lists are arrays.
template <class List>
int64_t indexIn(const List& list, const SceneObject* object) {
    if (list.empty()) {
        return -1;
    }
    const auto first = reinterpret_cast<uintptr_t>(static_cast<const SceneObject*>(&list[0]));
    const auto at = reinterpret_cast<uintptr_t>(object);
    const uintptr_t size = sizeof(list[0]);
    if (at < first || (at - first) % size != 0 || (at - first) / size >= list.size()) {
        return -1;
    }
    return static_cast<int64_t>((at - first) / size);
}

// An object's place: its index among the units, then the static objects, then the extras;
// anything else (no object, or one that is not the World's) is -1.
int64_t placeOf(const World& world, const SceneObject* object) {
    if (object == nullptr) {
        return -1;
    }
    if (const int64_t i = indexIn(world.units, object); i >= 0) {
        return i;
    }
    const auto units = static_cast<int64_t>(world.units.size());
    if (const int64_t i = indexIn(world.staticObjects, object); i >= 0) {
        return units + i;
    }
    if (const int64_t i = indexIn(world.extras, object); i >= 0) {
        return units + static_cast<int64_t>(world.staticObjects.size()) + i;
    }
    return -1;
}

void addUnit(Hasher& hash, const World& world, const Unit& unit) {
    hash.add(unit.position);
    hash.add(unit.angles);
    hash.add(unit.speed());
    hash.add(unit.selected);
    hash.add(static_cast<uint64_t>(unit.orders().size()));
    for (const Order& order : unit.orders()) {
        hash.add(static_cast<int32_t>(order.kind));
        hash.add(order.point);
        hash.add(static_cast<uint64_t>(placeOf(world, order.target)));
    }
}

void addCamera(Hasher& hash, const Camera& camera) {
    hash.add(camera.position());
    hash.add(camera.lookOffset());
    hash.add(camera.fieldOfView());
    hash.add(camera.nearPlane());
    hash.add(camera.farPlane());
    hash.add(camera.changed());
    for (float value : camera.appliedView().values()) {
        hash.add(value);
    }
    for (float value : camera.projection().values()) {
        hash.add(value);
    }
}

template <class Objects>
void addPlaces(Hasher& hash, const World& world, const Objects& objects) {
    hash.add(static_cast<uint64_t>(objects.size()));
    for (const SceneObject* object : objects) {
        hash.add(static_cast<uint64_t>(placeOf(world, object)));
    }
}

}  // namespace

uint64_t SessionHash::of(const Session& session) {
    Hasher hash;
    hash.add(session.steps());
    const AppState& state = session.state();
    const World* world = session.world();
    hash.add(world != nullptr);
    if (world != nullptr) {
        hash.add(static_cast<uint64_t>(world->units.size()));
        for (const Unit& unit : world->units) {
            addUnit(hash, *world, unit);
        }
        addCamera(hash, world->camera);
        addPlaces(hash, *world, state.selectedUnits);
        addPlaces(hash, *world, state.visibleUnits);
        addPlaces(hash, *world, state.visibleStatics);
    }
    const SelectionBox& box = state.selectionBox;
    hash.add(box.startCorner);
    hash.add(box.endCorner);
    hash.add(box.position);
    hash.add(box.active);
    const ScrollFlags& flags = state.scrollFlags;
    for (bool flag : {flags.scrollRight, flags.scrollLeft, flags.scrollUp, flags.scrollDown}) {
        hash.add(flag);
    }
    hash.add(state.viewWidth);
    hash.add(state.viewHeight);
    const ViewGeometry& geometry = session.geometry();
    for (int value : geometry.viewport().values()) {
        hash.add(static_cast<int32_t>(value));
    }
    const GroundPicker::Cache cache = geometry.picker().cache();
    hash.add(static_cast<int32_t>(cache.x));
    hash.add(static_cast<int32_t>(cache.y));
    hash.add(cache.result);
    return hash.value();
}

}  // namespace zelmor
