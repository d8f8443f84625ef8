#pragma once
// What the processor running the program offers beyond the instructions the build targets.

namespace tw {

// Whether AVX2 instructions may run (never off x86).
bool ProcessorHasAvx2();

}  // namespace tw
