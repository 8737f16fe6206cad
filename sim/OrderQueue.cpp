#include "sim/OrderQueue.h"

#include <cstring>

namespace zelmor {

OrderQueue::OrderQueue(std::initializer_list<Order> orders) {
    for (const Order& order : orders) {
        push_back(order);
    }
}

OrderQueue::OrderQueue(const OrderQueue& other) {
    for (const Order& order : other) {
        push_back(order);
    }
}

OrderQueue& OrderQueue::operator=(const OrderQueue& other) {
    if (this == &other) {
        return *this;
    }
    clear();
    for (const Order& order : other) {
        push_back(order);
    }
    return *this;
}

static_assert(sizeof(Order) == sizeof(OrderKind) + sizeof(Vector3) + sizeof(const SceneObject*),
              "an Order has no padding, so its bytes can be compared");

bool OrderQueue::isPlainHalt(const Order& order) {
    // Bits, not ==: a Halt at -0 compares equal but must come back as it was given.
    return std::memcmp(&order, &PLAIN_HALT, sizeof(Order)) == 0;
}

void OrderQueue::push_back(const Order& order) {
    // Behind nothing but Halts, a Halt joins the counted ones.
    if (size_ == 0 && isPlainHalt(order) && frontHalts_ < UINT32_MAX) {
        ++frontHalts_;
        return;
    }
    if (size_ == capacity_) {
        grow();
    }
    slots()[slot(size_)] = order;
    ++size_;
}

void OrderQueue::push_front(const Order& order) {
    if (isPlainHalt(order) && frontHalts_ < UINT32_MAX) {
        ++frontHalts_;
        return;
    }
    storeFrontHalts();
    if (size_ == capacity_) {
        grow();
    }
    head_ = head_ == 0 ? capacity_ - 1 : head_ - 1;
    slots()[head_] = order;
    ++size_;
}

void OrderQueue::pop_front() {
    if (frontHalts_ > 0) {
        --frontHalts_;
        return;
    }
    if (size_ == 0) {
        return;
    }
    head_ = slot(1);
    --size_;
}

void OrderQueue::clear() {
    head_ = 0;
    size_ = 0;
    frontHalts_ = 0;
}

void OrderQueue::storeFrontHalts() {
    for (; frontHalts_ > 0; --frontHalts_) {
        if (size_ == capacity_) {
            grow();
        }
        head_ = head_ == 0 ? capacity_ - 1 : head_ - 1;
        slots()[head_] = PLAIN_HALT;
        ++size_;
    }
}

void OrderQueue::grow() {
    const uint32_t capacity = capacity_ * 2;
    auto room = std::make_unique<Order[]>(capacity);
    for (uint32_t i = 0; i < size_; ++i) {
        room[i] = slots()[slot(i)];
    }
    heap_ = std::move(room);
    head_ = 0;
    capacity_ = capacity;
}

bool operator==(const OrderQueue& a, const OrderQueue& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!(a[i] == b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace zelmor
