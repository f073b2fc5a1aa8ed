#include "fluxen/core/instruction_set.h"

namespace fluxen {

bool isSupported(InstructionSet set) {
    // The processor's answers do not change while the program runs.
    static const bool hasAvx2 = __builtin_cpu_supports("avx2");
    static const bool hasAvx512 = hasAvx2 && __builtin_cpu_supports("avx512f") &&
                                  __builtin_cpu_supports("avx512vl") &&
                                  __builtin_cpu_supports("popcnt");
    switch (set) {
    case InstructionSet::Portable:
        return true;
    case InstructionSet::Avx2:
        return hasAvx2;
    case InstructionSet::Avx512:
        return hasAvx512;
    }
    return false;
}

InstructionSet fastestInstructionSet() {
    return supportedUpTo(InstructionSet::Avx512);
}

InstructionSet supportedUpTo(InstructionSet wanted) {
    if (wanted == InstructionSet::Avx512 && !isSupported(InstructionSet::Avx512))
        wanted = InstructionSet::Avx2;
    if (wanted == InstructionSet::Avx2 && !isSupported(InstructionSet::Avx2))
        wanted = InstructionSet::Portable;
    return wanted;
}

const char* nameOf(InstructionSet set) {
    switch (set) {
    case InstructionSet::Portable:
        return "portable";
    case InstructionSet::Avx2:
        return "avx2";
    case InstructionSet::Avx512:
        return "avx512";
    }
    return "unknown";
}

} // namespace fluxen
