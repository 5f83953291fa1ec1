#pragma once
// The one system wait behind platform/poller.h, for poller.cpp alone: each system has its own.
#include <span>

#include "platform/poller.h"

namespace platform::system_poll {

constexpr int kSignalled = -1;
constexpr int kFailed = -2;

// Clears every entry's ready events, waits up to timeoutMs for any entry and sets the events that
// came. The ready count, 0 on time-out, kSignalled when a signal cut the wait short, or kFailed.
int WaitOnce(std::span<PollEntry> entries, unsigned timeoutMs);

}  // namespace platform::system_poll
