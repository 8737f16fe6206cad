#include "app/SessionReplay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/ReplayWriter.h"
#include "platform/WindowMessages.h"
#include "tests/support/ReplayFiles.h"

namespace zelmor {
namespace {

using namespace platform;
using Verdict = SessionReplay::Verdict;

std::string goldenPath(const std::string& name) {
    return std::string(ZELMOR_SOURCE_DIR) + "/tests/replays/" + name + ".replay";
}

std::string bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

SessionReplay::Outcome verify(const std::string& bytes, uint64_t* steps = nullptr) {
    std::istringstream in(bytes);
    SessionReplay replay(in);
    const SessionReplay::Outcome outcome = replay.playToEnd();
    if (steps != nullptr) {
        *steps = replay.steps();
    }
    return outcome;
}

// The records of a file, changed by edit, written again as the program writes them.
std::string rewritten(const std::string& bytes,
                      const std::function<void(std::vector<replay::Record>&)>& edit) {
    test::ReadBack read = test::readBack(bytes);
    edit(read.records);
    test::MemorySink sink;
    replay::ReplayWriter writer(sink);
    for (const replay::Record& record : read.records) {
        writer.write(record);
    }
    writer.flush();
    return sink.bytes;
}

// What each golden replay must hold, so that it keeps testing what it was made for: each
// recorded by the program itself (scripts/make_golden_replays.sh).
TEST(GoldenReplay, EachHoldsItsScenarioAndVerifiesToItsEnd) {
    struct Golden {
        const char* name;
        std::function<bool(const replay::Record&)> sign;
        const char* what;
    };
    const auto handled = [](uint32_t message, std::function<bool(const replay::Handled&)> also) {
        return [message, also](const replay::Record& record) {
            const auto* h = std::get_if<replay::Handled>(&record);
            return h != nullptr && h->message == message && also(*h);
        };
    };
    const auto any = [](const replay::Handled&) { return true; };
    const Golden goldens[] = {
        {"orders", handled(WM_RBUTTONUP, any), "a right-click order"},
        {"queue-and-halt",
         handled(WM_RBUTTONUP, [](const replay::Handled& h) { return (h.wParam & MK_SHIFT) != 0; }),
         "an order queued with SHIFT"},
        {"queue-and-halt",
         handled(WM_KEYDOWN, [](const replay::Handled& h) { return h.wParam == 'S'; }), "a halt"},
        {"scrolling",
         handled(WM_KEYDOWN, [](const replay::Handled& h) { return h.wParam == 0x26; }),
         "an arrow key"},
        {"scrolling",
         handled(WM_MOUSEMOVE, [](const replay::Handled& h) { return pointX(h.lParam) < 20; }),
         "the pointer in the left edge zone"},
        {"resize-and-minimise",
         handled(WM_SIZE, [](const replay::Handled& h) { return sizeWidth(h.lParam) == 500; }),
         "a resize"},
        {"resize-and-minimise",
         [](const replay::Record& record) {
             const auto* pass = std::get_if<replay::Pass>(&record);
             return pass != nullptr && pass->minimised;
         },
         "a minimised pass"},
    };
    for (const Golden& golden : goldens) {
        const std::string bytes = bytesOf(goldenPath(golden.name));
        ASSERT_FALSE(bytes.empty()) << golden.name;
        const test::ReadBack read = test::readBack(bytes);
        EXPECT_EQ(read.status, replay::ReplayReader::Status::Ended) << golden.name;
        EXPECT_TRUE(std::any_of(read.records.begin(), read.records.end(), golden.sign))
            << golden.name << " holds no " << golden.what;
        const SessionReplay::Outcome outcome = verify(bytes);
        EXPECT_EQ(outcome.verdict, Verdict::VERIFIED) << golden.name << ": " << outcome.message;
    }
}

// The check must be able to fail: one bit of one recorded hash, and the replay says where.
TEST(GoldenReplay, AHashChangedByOneBitFailsVerificationThere) {
    const std::string bytes = rewritten(bytesOf(goldenPath("orders")), [](auto& records) {
        int seen = 0;
        for (replay::Record& record : records) {
            if (auto* hash = std::get_if<replay::StateHash>(&record); hash && ++seen == 3) {
                hash->hash ^= 1u << 17;
            }
        }
    });
    const SessionReplay::Outcome outcome = verify(bytes);
    EXPECT_EQ(outcome.verdict, Verdict::MISMATCH);
    EXPECT_EQ(outcome.message.rfind("step 300: recorded ", 0), 0u) << outcome.message;
    EXPECT_NE(outcome.message.find("(last match at step 200)"), std::string::npos)
        << outcome.message;
}

// A jump, forwards or backwards, gives the very state that playing there from the start gives.
TEST(GoldenReplay, AJumpGivesTheStateOfPlayingThereFromTheStart) {
    const std::string bytes = bytesOf(goldenPath("orders"));
    std::map<uint64_t, uint64_t> played;  // the hash right after each step
    {
        std::istringstream in(bytes);
        SessionReplay replay(in);
        played[0] = replay.hash();
        while (replay.advance()) {
            played.try_emplace(replay.steps(), replay.hash());
        }
        ASSERT_EQ(replay.outcome().verdict, Verdict::VERIFIED);
    }
    const uint64_t last = played.rbegin()->first;
    std::istringstream in(bytes);
    SessionReplay replay(in);
    for (const uint64_t step : {uint64_t{250}, uint64_t{0}, last, uint64_t{501}, uint64_t{100},
                                uint64_t{99}, uint64_t{1}, last - 1, uint64_t{500}, uint64_t{3}}) {
        replay.seek(step);
        EXPECT_EQ(replay.steps(), step);
        EXPECT_EQ(replay.hash(), played.at(step)) << "after a jump to step " << step;
    }
    replay.seek(120);
    EXPECT_EQ(replay.playToEnd().verdict, Verdict::VERIFIED) << "and on to the end from there";
}

// Damaged recordings end the replay with a verdict and a line that says where, never a crash.
TEST(GoldenReplay, DamagedRecordingsStopWithTheirVerdict) {
    const std::string golden = bytesOf(goldenPath("queue-and-halt"));
    // The chunks' boundaries: a 16-byte file header, then length, payload and CRC.
    std::vector<std::size_t> boundaries;
    for (std::size_t at = 16; at + 4 <= golden.size();) {
        boundaries.push_back(at);
        const uint32_t length = uint8_t(golden[at]) | uint8_t(golden[at + 1]) << 8 |
                                uint8_t(golden[at + 2]) << 16 |
                                uint32_t(uint8_t(golden[at + 3])) << 24;
        at += 4 + length + 4;
    }
    ASSERT_GE(boundaries.size(), 3u);
    for (std::size_t i = 1; i < boundaries.size(); ++i) {
        for (const std::size_t cut : {boundaries[i], (boundaries[i - 1] + boundaries[i]) / 2}) {
            uint64_t steps = 0;
            const SessionReplay::Outcome outcome = verify(golden.substr(0, cut), &steps);
            EXPECT_EQ(outcome.verdict, Verdict::TRUNCATED) << "cut at " << cut;
            EXPECT_EQ(outcome.message.rfind("truncated ", 0), 0u) << outcome.message;
        }
    }
    struct Case {
        const char* what;
        std::string bytes;
        Verdict verdict;
        const char* says;
    };
    std::string flipped = golden;
    flipped[boundaries[1] + 40] ^= 0x10;
    const Case cases[] = {
        {"a flipped bit", flipped, Verdict::DAMAGED, "CRC"},
        {"passes that claim two seconds more",
         rewritten(golden,
                   [](auto& records) {
                       int passes = 0;
                       for (replay::Record& record : records) {
                           if (auto* pass = std::get_if<replay::Pass>(&record);
                               pass && ++passes == 20) {
                               pass->end += 2000;
                           }
                       }
                   }),
         Verdict::DAMAGED, "no state hash for step"},
        // A pass that ran longer runs the loop past the messages recorded for the next pass.
        {"a message for a step the replay has passed",
         rewritten(golden,
                   [](auto& records) {
                       replay::Pass* before = nullptr;
                       replay::Pass* last = nullptr;
                       for (std::size_t i = 1; i < records.size(); ++i) {
                           const auto* h = std::get_if<replay::Handled>(&records[i]);
                           if (h && std::holds_alternative<replay::Pass>(records[i - 1]) &&
                               before != nullptr && h->step % 100 > 10 && h->step % 100 < 80) {
                               before->end += 60;
                               return;
                           }
                           if (auto* pass = std::get_if<replay::Pass>(&records[i])) {
                               before = last;
                               last = pass;
                           }
                       }
                   }),
         Verdict::DAMAGED, "comes after step"},
        {"no End", rewritten(golden, [](auto& records) { records.pop_back(); }), Verdict::TRUNCATED,
         "truncated after step"},
        {"no scene", rewritten(golden, [](auto& records) { records.resize(2); }),
         Verdict::TRUNCATED, "before the scene was read"},
    };
    for (const Case& c : cases) {
        std::istringstream in(c.bytes);
        SessionReplay replay(in);
        const SessionReplay::Outcome outcome = replay.playToEnd();
        EXPECT_EQ(outcome.verdict, c.verdict) << c.what << ": " << outcome.message;
        EXPECT_NE(outcome.message.find(c.says), std::string::npos)
            << c.what << ": " << outcome.message;
        // A jump to where it stopped plays nothing again: the verdict stays.
        replay.seek(replay.steps());
        EXPECT_EQ(replay.outcome().verdict, c.verdict)
            << c.what << ", after a jump to where it stopped";
    }
}

}  // namespace
}  // namespace zelmor
