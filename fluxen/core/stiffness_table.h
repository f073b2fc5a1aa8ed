#pragma once

#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace fluxen {
enum class InstructionSet;
}

namespace fluxen::detail {

/// The contact stiffness float(pow(base, rabia)), for bases in [1, 2], faster than `pow` and
/// with exactly its result.
///
/// The power is approximated from a table of pow at 4097 points and a short binomial series
/// for the small rest, with a proven bound on the approximation's error. When every value
/// within that bound (plus pow's own error) rounds to the same float, that float is pow's;
/// otherwise, rarely, `pow` itself is called. So the answer is always float(pow(base, rabia)).
class StiffnessTable {
public:
    /// Builds the table for `rabia`; cheap when `rabia` is the one already prepared.
    void prepare(float rabia);

    float operator()(float base) const {
        if (!(base >= 1.0f && base <= 2.0f) || !m_usable) [[unlikely]]
            return exact(base);
        return approximate(base);
    }

    /// The stiffness of `count` bases at once, into `results`, with the vectors of `set`,
    /// which the processor must run.
    void fill(const float* bases, float* results, std::size_t count, InstructionSet set) const;

    /// How often the approximation could not decide and `pow` was called, for tests.
    long fallbacks() const { return m_fallbacks; }

private:
    static constexpr int kSteps = 4096;
    static constexpr int kTerms = 4; // degree 3

    float exact(float base) const;
    float approximate(float base) const;
    // Defined with the rest of their instruction set's code, in grid_step_avx2.cpp and
    // grid_step_avx512.cpp; only `fill` calls them, for a set the processor runs.
    void fillFourAtATime(const float* bases, float* results, std::size_t count) const;
    void fillEightAtATime(const float* bases, float* results, std::size_t count) const;

    bool m_prepared = false;
    bool m_usable = false;
    float m_rabia = 0;
    double m_relativeMargin = 0;
    std::array<double, kSteps + 1> m_power{};
    std::array<double, kSteps + 1> m_inverse{};
    std::array<double, kTerms> m_coefficient{};
    mutable long m_fallbacks = 0;
};

inline float StiffnessTable::approximate(float base) const {
    static_assert(kSteps == 4096 && kTerms == 4, "the lookup and the series below assume these");
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(base);
    // The nearest table point from the top twelve bits of the mantissa; 2 itself is the last.
    const int k = base == 2.0f ? kSteps : static_cast<int>(((bits & 0x7FFFFFu) + (1u << 10)) >> 11);
    const double point = 1.0 + k / static_cast<double>(kSteps);
    const double delta = (static_cast<double>(base) - point) * m_inverse[k];
    const double square = delta * delta;
    const double series = (m_coefficient[0] + m_coefficient[1] * delta) +
                          square * (m_coefficient[2] + m_coefficient[3] * delta);
    const double q = m_power[k] * series;

    // Rounding to float is monotone: when both ends of the interval that surely holds pow's
    // own result round to the same float, so does that result.
    const double error = q * m_relativeMargin;
    const float low = static_cast<float>(q - error);
    const float high = static_cast<float>(q + error);
    if (low == high) [[likely]]
        return low;
    return exact(base);
}

} // namespace fluxen::detail
