#include "sim/OrderQueue.h"

#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <vector>

namespace zelmor {
namespace {

Order numbered(int n) {
    return Order::moveTo({float(n), 0.0f, -float(n)});
}

void expectSame(const OrderQueue& queue, const std::deque<Order>& model) {
    ASSERT_EQ(queue.size(), model.size());
    ASSERT_EQ(queue.empty(), model.empty());
    std::vector<Order> walked(queue.begin(), queue.end());
    ASSERT_EQ(walked.size(), model.size());
    for (std::size_t i = 0; i < model.size(); ++i) {
        ASSERT_EQ(queue[i], model[i]) << "at " << i;
        ASSERT_EQ(walked[i], model[i]) << "walking, at " << i;
    }
    if (!model.empty()) {
        EXPECT_EQ(queue.front(), model.front());
        EXPECT_EQ(queue.back(), model.back());
    }
}

TEST(OrderQueue, BehavesLikeADoubleEndedQueueThroughGrowthAndWrapAround) {
    // Random runs of the operations the units use, at sizes around the inline room and far
    // beyond it, with the front wrapping round the ring in both directions; a third of the
    // orders are plain Halts, which the queue counts at its front instead of storing.
    std::mt19937 random(99);
    for (int run = 0; run < 200; ++run) {
        OrderQueue queue;
        std::deque<Order> model;
        const unsigned bias = run % 4;  // some runs grow long, some stay short
        for (int op = 0; op < 300; ++op) {
            const unsigned choice = random() % 8;
            const Order order = random() % 3 == 0 ? Order::halt() : numbered(op);
            if (choice < 2 + bias / 2) {
                queue.push_back(order);
                model.push_back(order);
            } else if (choice < 5) {
                queue.push_front(order);
                model.push_front(order);
            } else if (choice < 7 || bias == 3) {
                queue.pop_front();
                if (!model.empty()) {
                    model.pop_front();
                }
            } else if (random() % 10 == 0) {
                queue.clear();
                model.clear();
            }
            expectSame(queue, model);
            if (HasFatalFailure()) {
                FAIL() << "run " << run << ", operation " << op;
            }
        }
    }
}

TEST(OrderQueue, CopiesAreIndependentAndCompareByContents) {
    for (const int length : {0, 2, 3, 4, 9}) {
        OrderQueue original;
        for (int i = 0; i < length; ++i) {
            original.push_front(numbered(i));
        }
        OrderQueue copy(original);
        EXPECT_EQ(copy, original);
        copy.push_back(Order::halt());
        EXPECT_FALSE(copy == original);
        EXPECT_EQ(original.size(), std::size_t(length)) << "the source is untouched";

        OrderQueue assigned{Order::halt(), Order::halt(), Order::halt(), Order::halt()};
        assigned = original;
        EXPECT_EQ(assigned, original);
        const OrderQueue& same = assigned;
        assigned = same;
        EXPECT_EQ(assigned, original) << "assigning to itself keeps the orders";
    }
    EXPECT_EQ((OrderQueue{numbered(1), numbered(2)}), (OrderQueue{numbered(1), numbered(2)}));
    EXPECT_FALSE((OrderQueue{numbered(1), numbered(2)}) == (OrderQueue{numbered(2), numbered(1)}));
}

}  // namespace
}  // namespace zelmor
