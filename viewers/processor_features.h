#pragma once
// What the processor running the program offers beyond the instructions the build targets.

namespace tw {

// Whether AVX2 instructions may run (never off x86).
bool ProcessorHasAvx2();
// Whether the AVX-512 foundation, byte-and-word and byte-permute (VBMI) instructions may run.
bool ProcessorHasAvx512Vbmi();

}  // namespace tw
