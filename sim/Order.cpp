#include "sim/Order.h"

namespace zelmor {

Order Order::moveTo(const Vector3& point) {
    return Order{OrderKind::MoveTo, point, nullptr};
}

Order Order::follow(const SceneObject* target) {
    return Order{OrderKind::Follow, Vector3{}, target};
}

Order Order::turnTo(const Vector3& point) {
    return Order{OrderKind::TurnTo, point, nullptr};
}

Order Order::halt() {
    return Order{OrderKind::Halt, Vector3{}, nullptr};
}

}  // namespace zelmor
