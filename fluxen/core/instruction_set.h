#pragma once

namespace fluxen {

/// The instruction sets the fast step has code for, each a superset of the one before.
enum class InstructionSet {
    Portable, ///< SSE2, which every x86-64 processor has.
    Avx2,     ///< AVX2: three-operand instructions and 256-bit vectors.
    Avx512,   ///< AVX-512 F and VL with POPCNT, on top of AVX2.
};

/// Whether this processor (and the system, which must save the wider registers) runs `set`.
bool isSupported(InstructionSet set);

/// The widest set this processor runs.
InstructionSet fastestInstructionSet();

/// `wanted` where this processor runs it, otherwise the widest set below it that it runs.
InstructionSet supportedUpTo(InstructionSet wanted);

/// A short lower-case name for logs and test names: "portable", "avx2" or "avx512".
const char* nameOf(InstructionSet set);

} // namespace fluxen
