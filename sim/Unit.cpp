#include "sim/Unit.h"

#include <cmath>
#include <cstring>

#include "geometry/Maths.h"
#include "scene/SceneRenderer.h"
#include "sim/UnitFile.h"

namespace zelmor {

namespace {

// Headings turn into radians with the float value of 3.14159, so every run rounds alike.
constexpr double PI_APPROX = 3.14159f;
constexpr double ONE_180TH = 0.005555555555555556;
constexpr double SECONDS_PER_MS = 0.001;

constexpr double SLOWING_RADIUS = 2.0;  // world units: brake inside, drive outside
constexpr double ARRIVAL_RADIUS = 0.5;
constexpr double STOP_SPEED = 1.0;   // below this a slowing unit stands at once
constexpr double HALT_SPEED = 0.5;   // at or below this a halting unit stands
constexpr double TOP_SPEED = 7.5;    // accelerate only up to here, so never above 7.6
constexpr double SPEED_STEP = 0.1;   // per step, up and down
constexpr double FRICTION = 0.004;   // share of the speed lost per step
constexpr double TURN_GAIN = 0.125;  // share of the remaining turn taken per step
constexpr double TURN_FINISH = 1.0;  // degrees: a smaller remainder is closed at once

constexpr char SELECTION_MARKER[] = "SELECTOR";

// Where moving for seconds at speed along a heading with the given sine and cosine leads; the
// height stays.
Vector3 movedAlong(const Vector3& from, double sin, double cos, float speed, double seconds) {
    return {static_cast<float>(from.x + sin * speed * seconds), from.y,
            static_cast<float>(from.z + cos * speed * seconds)};
}

float secondsOf(int ms) {
    return static_cast<float>(ms * SECONDS_PER_MS);
}

}  // namespace

Unit::Unit() {
    boundingRadius = UNIT_RADIUS;
}

Unit::Unit(const std::string& unitFilePath, const ModelCache& models, const ReadContext& context)
    : Unit() {
    models_ = &models;
    UnitFile::load(unitFilePath, models, context, *this);
}

Unit::Unit(const Unit& other)
    : SceneObject(other),
      speed_(other.speed_),
      drawHandle_(other.drawHandle_),
      models_(other.models_),
      parts_(other.parts_) {
    selected = false;
}

Unit& Unit::operator=(const Unit& other) {
    if (this == &other) {
        return *this;
    }
    // The orders and the selection belong to this unit, not to the one copied from.
    position = other.position;
    angles = other.angles;
    children = other.children;
    mesh = other.mesh;
    boundingRadius = other.boundingRadius;
    speed_ = other.speed_;
    drawHandle_ = other.drawHandle_;
    models_ = other.models_;
    parts_ = other.parts_;
    return *this;
}

void Unit::storePart(const std::string& name, const SceneObject& part) {
    parts_.insert_or_assign(name, part);
    drawHandle_ = 0;
}

void Unit::restoreMotion(const Motion& motion) {
    position = motion.position;
    angles = motion.angles;
    speed_ = motion.speed;
    selected = motion.selected;
    orders_ = motion.orders;
}

const Mesh* Unit::selectionMarker() const {
    return selected && models_ != nullptr ? models_->get(SELECTION_MARKER) : nullptr;
}

void Unit::draw() const {
    if (SceneRenderer* renderer = SceneRenderer::installed()) {
        renderer->drawUnit(*this);
    }
}

bool Unit::collidesWith(const SceneObject& other) const {
    const float reach = static_cast<float>(double(other.radius()) + boundingRadius);
    return position.planarDistanceSquared(other.position) < double(reach) * reach;
}

bool Unit::overlaps(const Unit& other) const {
    return SceneObject::collidesWith(other);
}

const Unit::Direction& Unit::directionOf(float heading) const {
    uint32_t bits = 0;
    std::memcpy(&bits, &heading, sizeof bits);
    if (bits != directionBits_) {
        const double a = heading * PI_APPROX * ONE_180TH;
        const maths::SinCos direction = maths::sincos(a);
        direction_ = {direction.sin, direction.cos};
        directionBits_ = bits;
    }
    return direction_;
}

Vector3 Unit::nextPosition(int ms) const {
    const Direction& direction = directionOf(angles.y);
    return movedAlong(position, direction.sin, direction.cos, speed_, secondsOf(ms));
}

void Unit::update(int ms) {
    const float seconds = secondsOf(ms);
    orderStep();
    if (speed_ > 0.0f) {
        move(seconds);
    }
}

void Unit::move(double seconds) {
    const Direction& direction = directionOf(angles.y);
    position = movedAlong(position, direction.sin, direction.cos, speed_, seconds);
    speed_ = static_cast<float>(speed_ - speed_ * FRICTION);
}

void Unit::giveOrder(const Order& order) {
    orders_.push_back(order);
}

void Unit::preemptOrder(const Order& order) {
    orders_.push_front(order);
}

void Unit::clearOrders() {
    orders_.clear();
}

void Unit::accelerate() {
    speed_ = static_cast<float>(speed_ + SPEED_STEP);
}

void Unit::decelerate() {
    speed_ = static_cast<float>(speed_ - SPEED_STEP);
}

void Unit::orderStep() {
    if (orders_.empty()) {
        return;
    }
    const Order order = orders_.front();
    switch (order.kind) {
        case OrderKind::MoveTo:
            driveTowards(order.point);
            return;
        case OrderKind::Follow:
            // The stored order keeps no point: it chases wherever the target is now.
            if (order.target == nullptr) {
                orders_.pop_front();
                return;
            }
            driveTowards(order.target->position);
            return;
        case OrderKind::TurnTo:
            turnTowards(order.point);
            return;
        case OrderKind::Halt:
            brake();
            return;
    }
    // A kind no maker produces: drop it rather than block the queue.
    orders_.pop_front();
}

void Unit::driveTowards(const Vector3& point) {
    const double length = position.planarLength(point);
    const float distance = static_cast<float>(length);
    if (distance > SLOWING_RADIUS) {
        if (position.headingDegreesTo(point, length) != angles.y) {
            preemptOrder(Order::turnTo(point));
        }
        if (speed_ <= TOP_SPEED) {
            accelerate();
        }
        return;
    }
    if (distance > ARRIVAL_RADIUS) {
        decelerate();
        if (speed_ < STOP_SPEED) {
            speed_ = 0.0f;
        }
        return;
    }
    orders_.pop_front();
    // With more goals queued the unit keeps its speed and heads on.
    if (orders_.empty()) {
        speed_ = 0.0f;
    }
}

void Unit::turnTowards(const Vector3& point) {
    const float heading = position.headingDegreesTo(point, position.planarLength(point));
    double diff = double(heading) - angles.y;
    if (diff > 180.0) {
        diff -= 360.0;
    }
    if (diff < -180.0) {
        diff += 360.0;
    }
    if (std::fabs(diff) >= TURN_FINISH) {
        angles.y = static_cast<float>(angles.y + diff * TURN_GAIN);
        return;
    }
    // Also reached when the heading is not a number: the exact heading repairs it.
    angles.y = heading;
    orders_.pop_front();
}

void Unit::brake() {
    if (speed_ > HALT_SPEED) {
        decelerate();
        return;
    }
    orders_.pop_front();
    speed_ = 0.0f;
}

}  // namespace zelmor
