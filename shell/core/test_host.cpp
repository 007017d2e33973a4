#include "shell/core/test_host.h"

#include <atomic>

namespace vesket::shell {
namespace {
std::atomic<bool> g_testProgram{false};
}

void markProcessAsTestProgram() { g_testProgram.store(true, std::memory_order_relaxed); }

bool isTestProgram() { return g_testProgram.load(std::memory_order_relaxed); }

}  // namespace vesket::shell
