#include "viewer/core/composition_ordering_fence.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace vesket::viewer {
namespace {

using namespace std::chrono_literals;

// A main queue with a hand-driven clock.
class ManualScheduler {
 public:
  CompositionOrderingFence::Cancel scheduleAfter(std::chrono::milliseconds delay, std::function<void()> run) {
    auto entry = std::make_shared<Entry>(Entry{m_now + delay, std::move(run), false});
    m_entries.push_back(entry);
    return [entry] { entry->cancelled = true; };
  }

  // Runs, in time order, everything due up to now + `by`.
  void advance(std::chrono::milliseconds by) {
    const auto until = m_now + by;
    while (true) {
      std::shared_ptr<Entry> next;
      for (const auto& entry : m_entries) {
        if (!entry->cancelled && !entry->ran && entry->due <= until && (!next || entry->due < next->due)) next = entry;
      }
      if (!next) break;
      m_now = next->due;
      next->ran = true;
      next->run();
    }
    m_now = until;
  }

  int live() const {
    int count = 0;
    for (const auto& entry : m_entries) count += !entry->cancelled && !entry->ran;
    return count;
  }

 private:
  struct Entry {
    std::chrono::milliseconds due;
    std::function<void()> run;
    bool cancelled;
    bool ran = false;
  };
  std::chrono::milliseconds m_now{0};
  std::vector<std::shared_ptr<Entry>> m_entries;
};

class CompositionOrderingFenceTest : public ::testing::Test {
 protected:
  ManualScheduler scheduler;
  std::vector<std::string> events;  // "send:<bytes>" and "trace:<n>" in call order
  CompositionOrderingFence fence{{
      [this](const std::string& bytes) { events.push_back("send:" + bytes); },
      [this](std::uint64_t trace) { events.push_back("trace:" + std::to_string(trace)); },
      [this](std::chrono::milliseconds delay, std::function<void()> run) {
        return scheduler.scheduleAfter(delay, std::move(run));
      },
  }};
  using Events = std::vector<std::string>;
};

TEST_F(CompositionOrderingFenceTest, SendsAtOnceOutsideAComposition) {
  fence.hold("a", 7);
  fence.hold("b");
  EXPECT_EQ(events, (Events{"trace:7", "send:a", "send:b"}));
  EXPECT_FALSE(fence.isInFlight());
}

TEST_F(CompositionOrderingFenceTest, HeldBytesFollowTheEndAfterTheGrace) {
  fence.begin();
  fence.hold("x", 1);
  fence.hold("y", 2);
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(fence.heldBytes().size(), 2u);
  fence.compositionEndObserved();
  scheduler.advance(49ms);
  EXPECT_TRUE(events.empty());
  scheduler.advance(1ms);
  EXPECT_EQ(events, (Events{"trace:1", "send:x", "trace:2", "send:y"}));
  EXPECT_FALSE(fence.isInFlight());
  EXPECT_EQ(scheduler.live(), 0);  // the bound timer went with the resolve
  fence.hold("z");
  EXPECT_EQ(events.back(), "send:z");
}

TEST_F(CompositionOrderingFenceTest, BoundResolvesWhenTheEndIsNeverObserved) {
  fence.begin();
  fence.hold("x");
  scheduler.advance(1999ms);
  EXPECT_TRUE(events.empty());
  scheduler.advance(1ms);
  EXPECT_EQ(events, (Events{"send:x"}));
  EXPECT_FALSE(fence.isInFlight());
}

TEST_F(CompositionOrderingFenceTest, BeginRestartsTheBoundAndDropsEarlierHeldBytes) {
  fence.begin();
  fence.hold("dropped");
  scheduler.advance(1500ms);
  fence.begin();
  fence.hold("kept");
  scheduler.advance(1999ms);
  EXPECT_TRUE(events.empty());
  scheduler.advance(1ms);
  EXPECT_EQ(events, (Events{"send:kept"}));
}

TEST_F(CompositionOrderingFenceTest, RepeatedEndRestartsTheGrace) {
  fence.begin();
  fence.hold("x");
  fence.compositionEndObserved();
  scheduler.advance(40ms);
  fence.compositionEndObserved();
  scheduler.advance(40ms);
  EXPECT_TRUE(events.empty());
  scheduler.advance(10ms);
  EXPECT_EQ(events, (Events{"send:x"}));
}

TEST_F(CompositionOrderingFenceTest, TeardownDropsHeldBytesAndTimers) {
  fence.begin();
  fence.hold("x");
  fence.compositionEndObserved();
  fence.discardOnTeardown();
  EXPECT_EQ(scheduler.live(), 0);
  scheduler.advance(5s);
  EXPECT_TRUE(events.empty());
  EXPECT_TRUE(fence.heldBytes().empty());
}

TEST(CompositionOrderingFence, DestroyingCancelsTimers) {
  ManualScheduler scheduler;
  int sent = 0;
  {
    CompositionOrderingFence fence({[&](const std::string&) { ++sent; }, nullptr,
                                    [&](std::chrono::milliseconds delay, std::function<void()> run) {
                                      return scheduler.scheduleAfter(delay, std::move(run));
                                    }});
    fence.begin();
    fence.hold("x");
  }
  EXPECT_EQ(scheduler.live(), 0);
  scheduler.advance(3s);
  EXPECT_EQ(sent, 0);
}

}  // namespace
}  // namespace vesket::viewer
