#pragma once
#include <windows.h>
#include <cstdio>
struct TwProbe {
  const char* label; LARGE_INTEGER t0;
  explicit TwProbe(const char* l) : label(l) { QueryPerformanceCounter(&t0); }
  ~TwProbe() { LARGE_INTEGER t1, f; QueryPerformanceCounter(&t1); QueryPerformanceFrequency(&f);
    double ms = 1000.0 * (t1.QuadPart - t0.QuadPart) / f.QuadPart;
    if (ms >= 3) { std::fprintf(stdout, "    [%s %.0f ms]\n", label, ms); std::fflush(stdout);} }
};
#define TWP(name) TwProbe tw_probe_##__LINE__(name)
