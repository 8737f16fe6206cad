#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "scene/ModelCache.h"
#include "scene/ReadContext.h"
#include "scene/SceneObject.h"
#include "sim/Order.h"
#include "sim/OrderQueue.h"

namespace zelmor {

// A movable, selectable vehicle made of named parts read from a UnitFile. It works on the front
// of its order queue once per step and moves along its heading (angles.y, degrees: 0 faces +z,
// 90 faces +x) at speed world units per second.
class Unit : public SceneObject {
public:
    static constexpr float UNIT_RADIUS = 0.8125f;

    // A unit without parts and without a model cache: it draws no selection marker.
    Unit();
    // Reads the UnitFile at path with the part models of models, which also gives the unit its
    // "SELECTOR" marker; models must outlive the unit and its copies.
    Unit(const std::string& unitFilePath, const ModelCache& models, const ReadContext& context);
    // Copies neither the orders nor the selection: a copy stands unselected with an empty queue.
    Unit(const Unit& other);
    Unit& operator=(const Unit& other);

    // Drawn by the installed renderer: translated, turned about x, z, then y (the heading), then
    // the children, the parts in name order and, while selected, the selection marker.
    void draw() const override;
    // Against any object: the other's radius() (virtual) plus ours, planar and strict.
    bool collidesWith(const SceneObject& other) const override;
    // The order step, then the movement.
    void update(int ms) override;
    // Unit against unit with both radius fields read directly.
    bool overlaps(const Unit& other) const;

    float speed() const { return speed_; }
    // Puts the unit at an exact speed (world units per second, not negative) for tests and
    // benchmarks that start units at a threshold; the program's units gain speed only by driving.
    void setSpeed(float speed) { speed_ = speed; }
    // Where one movement over ms milliseconds would put the unit; changes nothing.
    Vector3 nextPosition(int ms) const;
    void giveOrder(const Order& order);     // append at the back
    void preemptOrder(const Order& order);  // insert at the front
    void clearOrders();
    void accelerate();
    void decelerate();

    const OrderQueue& orders() const { return orders_; }

    // What changes as a unit drives and is given orders: kept and put back by a replay that
    // returns to an earlier step.
    struct Motion {
        Vector3 position;
        Vector3 angles;
        float speed = 0.0f;
        bool selected = false;
        OrderQueue orders;
    };
    Motion motion() const { return {position, angles, speed_, selected, orders_}; }
    void restoreMotion(const Motion& motion);
    const std::map<std::string, SceneObject>& parts() const { return parts_; }
    // Stores a copy of part under name, replacing a part of that name (the UnitFile "a" record).
    void storePart(const std::string& name, const SceneObject& part);
    // The mesh drawn at the unit's origin while it is selected: whatever the model lists call
    // "SELECTOR" now. Null when the unit is not selected or there is no such model.
    const Mesh* selectionMarker() const;

    // The renderer's handle for what it made of these parts (0: nothing yet), kept with the unit
    // so that the parts need not be looked up on every draw. Copies keep it, storePart drops it.
    uint32_t drawHandle() const { return drawHandle_; }
    void setDrawHandle(uint32_t handle) const { drawHandle_ = handle; }

private:
    void orderStep();
    // The three things a front order can ask for, each for one step.
    void driveTowards(const Vector3& point);
    void turnTowards(const Vector3& point);
    void brake();
    void move(double seconds);

    // The sine and cosine of a heading; the bits of the heading they belong to are kept beside
    // speed_, where they take no room of their own.
    struct Direction {
        double sin = 0.0;
        double cos = 1.0;
    };
    // The tick asks where the unit would go and the unit then moves along the same heading in
    // most steps: the last direction is kept, which halves the sin and cos a unit costs.
    const Direction& directionOf(float heading) const;

    // What every step reads comes first, right after the position and angles, so that a large
    // field's step reads as few cache lines of each unit as it can.
    float speed_ = 0.0f;
    mutable uint32_t directionBits_ = 0;  // the heading direction_ belongs to (heading 0)
    mutable Direction direction_;
    OrderQueue orders_;
    mutable uint32_t drawHandle_ = 0;
    const ModelCache* models_ = nullptr;  // non-owning; where the marker is looked up
    // std::string compares as unsigned bytes, so the parts draw in byte order of their names.
    std::map<std::string, SceneObject> parts_;
};

}  // namespace zelmor
