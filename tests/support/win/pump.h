#pragma once
// Message pumping for UI tests: real windows get their real messages while a test waits.

#include <functional>

namespace tw::test {

// Dispatches messages until DONE returns true or TIMEOUT_MS passes; returns DONE's last answer.
bool PumpUntil(const std::function<bool()>& done, unsigned timeout_ms = 5000);

// Dispatches every message already waiting.
void PumpPending();

}  // namespace tw::test
