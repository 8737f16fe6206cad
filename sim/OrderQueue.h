#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <memory>

#include "sim/Order.h"

namespace zelmor {

// A unit's double-ended queue of orders: append at the back, insert and remove at the front.
// A unit rarely holds more than three orders (a goal, a turn towards it and a contact Halt),
// so the first three live inside the queue itself and only longer queues take a heap block.
// A general-purpose deque would take more than half a kilobyte per unit even when empty.
//
// A unit in contact gets a Halt in front in every step until it stands, so a crowd piles up
// dozens of Halts per unit. Plain Halts at the front are only counted: the queue stays inline
// and a pile costs no memory.
class OrderQueue {
public:
    static constexpr uint32_t INLINE_CAPACITY = 3;

    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Order;
        using difference_type = std::ptrdiff_t;
        using pointer = const Order*;
        using reference = const Order&;

        const_iterator() = default;
        const_iterator(const OrderQueue* queue, std::size_t index) : queue_(queue), index_(index) {}
        const Order& operator*() const { return (*queue_)[index_]; }
        const Order* operator->() const { return &(*queue_)[index_]; }
        const_iterator& operator++() {
            ++index_;
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator before = *this;
            ++index_;
            return before;
        }
        bool operator==(const const_iterator& other) const { return index_ == other.index_; }

    private:
        const OrderQueue* queue_ = nullptr;
        std::size_t index_ = 0;
    };

    OrderQueue() = default;
    OrderQueue(std::initializer_list<Order> orders);
    OrderQueue(const OrderQueue& other);
    OrderQueue& operator=(const OrderQueue& other);
    ~OrderQueue() = default;

    bool empty() const { return size() == 0; }
    std::size_t size() const { return std::size_t{frontHalts_} + size_; }
    // Front is index 0. The queue must not be empty for front and back, nor index past the end.
    const Order& operator[](std::size_t index) const {
        return index < frontHalts_ ? PLAIN_HALT : slots()[slot(index - frontHalts_)];
    }
    const Order& front() const { return (*this)[0]; }
    const Order& back() const { return (*this)[size() - 1]; }
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }

    void push_back(const Order& order);
    void push_front(const Order& order);
    // Does nothing on an empty queue.
    void pop_front();
    // Keeps a heap block it has, for the next long queue.
    void clear();

    friend bool operator==(const OrderQueue& a, const OrderQueue& b);

private:
    // Order::halt(), bit for bit: the only order that is counted instead of stored.
    static constexpr Order PLAIN_HALT{OrderKind::Halt, Vector3{0.0f, 0.0f, 0.0f}, nullptr};
    static bool isPlainHalt(const Order& order);
    // Stores the counted Halts, so that another order can go in front of them.
    void storeFrontHalts();

    const Order* slots() const { return heap_ ? heap_.get() : inline_; }
    Order* slots() { return heap_ ? heap_.get() : inline_; }
    // The ring position of the index-th order from the front.
    uint32_t slot(std::size_t index) const {
        const auto i = static_cast<uint32_t>(index);
        return i < capacity_ - head_ ? head_ + i : i - (capacity_ - head_);
    }
    // Doubles the room; the orders keep their order, the front moves to slot 0.
    void grow();

    std::unique_ptr<Order[]> heap_;  // null while the orders fit inline_
    uint32_t head_ = 0;              // slot of the front stored order
    uint32_t size_ = 0;              // stored orders
    uint32_t capacity_ = INLINE_CAPACITY;
    uint32_t frontHalts_ = 0;  // plain Halts in front of the stored orders
    Order inline_[INLINE_CAPACITY];
};

}  // namespace zelmor
