#pragma once

#include <cstdint>

#include "geometry/Vector3.h"

namespace zelmor {

class SceneObject;

enum class OrderKind : int32_t { MoveTo = 1, Follow = 2, TurnTo = 3, Halt = 4 };

// One entry of a unit's order queue, copied by value.
struct Order {
    OrderKind kind = OrderKind::Halt;
    Vector3 point;                        // goal of MoveTo, point to face of TurnTo
    const SceneObject* target = nullptr;  // followed object of Follow; non-owning

    static Order moveTo(const Vector3& point);
    static Order follow(const SceneObject* target);
    static Order turnTo(const Vector3& point);
    static Order halt();

    bool operator==(const Order&) const = default;
};

}  // namespace zelmor
