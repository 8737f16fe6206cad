#include "sim/OrderQueue.h"

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

void OrderQueue::push_back(const Order& order) {
    if (size_ == capacity_) {
        grow();
    }
    slots()[slot(size_)] = order;
    ++size_;
}

void OrderQueue::push_front(const Order& order) {
    if (size_ == capacity_) {
        grow();
    }
    head_ = head_ == 0 ? capacity_ - 1 : head_ - 1;
    slots()[head_] = order;
    ++size_;
}

void OrderQueue::pop_front() {
    if (size_ == 0) {
        return;
    }
    head_ = slot(1);
    --size_;
}

void OrderQueue::clear() {
    head_ = 0;
    size_ = 0;
}

void OrderQueue::grow() {
    const uint32_t capacity = capacity_ * 2;
    auto room = std::make_unique<Order[]>(capacity);
    for (uint32_t i = 0; i < size_; ++i) {
        room[i] = (*this)[i];
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
