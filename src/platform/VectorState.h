#pragma once

namespace id {

// Qt's filling and text drawing use wide vector instructions and leave the upper halves of the
// vector registers marked in use. Until they are cleared, every scalar floating-point
// instruction of code built for the baseline processor waits on them: on recent Intel
// processors our arithmetic then runs at about half its speed. Cleared where heavy arithmetic
// starts after drawing. The instruction exists only on processors with AVX.
inline void clearUpperVectorState() {
#if defined(__x86_64__) && defined(__GNUC__)
    if (__builtin_cpu_supports("avx"))
        asm volatile("vzeroupper");
#endif
}

} // namespace id
