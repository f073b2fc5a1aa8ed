#include "fluxen/core/stiffness_table.h"

#include "fluxen/core/instruction_set.h"
#include "fluxen/core/step_arithmetic.h"

#include <bit>
#include <cmath>
#include <cstdint>

namespace fluxen::detail {

namespace {

constexpr double kUlp = 0x1p-52; // relative spacing of doubles near 1
// The table's points are 1/4096 apart, so a base is at most 1/8192 from its nearest point.
constexpr double kMaxDelta = 0x1p-13;

} // namespace

void StiffnessTable::prepare(float rabia) {
    if (m_prepared && std::bit_cast<std::uint32_t>(rabia) == std::bit_cast<std::uint32_t>(m_rabia))
        return;
    m_prepared = true;
    m_rabia = rabia;
    const double r = rabia;
    // Beyond a few hundred the series converges too slowly for the bound below.
    m_usable = std::isfinite(r) && std::fabs(r) <= 256;
    if (!m_usable)
        return;

    for (int k = 0; k <= kSteps; ++k) {
        const double point = 1.0 + k / static_cast<double>(kSteps);
        m_power[k] = std::pow(point, r);
        m_inverse[k] = 1.0 / point;
        m_usable = m_usable && std::isfinite(m_power[k]) && m_power[k] > 0;
    }
    // (1 + delta)^r = sum over n of C(r, n) delta^n.
    m_coefficient[0] = 1.0;
    double sum = 1.0; // of |C(r, n)| kMaxDelta^n over the terms kept
    for (int n = 1; n < kTerms; ++n) {
        m_coefficient[n] = m_coefficient[n - 1] * (r - (n - 1)) / n;
        sum += std::fabs(m_coefficient[n]) * std::pow(kMaxDelta, n);
    }
    // The terms left out shrink at least geometrically by `ratio` from the first of them.
    const double first = std::fabs(m_coefficient[kTerms - 1] * (r - (kTerms - 1)) / kTerms) *
                         std::pow(kMaxDelta, kTerms);
    const double ratio = std::fmax(1.0, (std::fabs(r) + kTerms) / (kTerms + 1)) * kMaxDelta;
    const double tail = first / (1 - ratio);
    // The smallest value the series can take, against which its errors count.
    const double smallest = 0.99 * std::pow(1 - kMaxDelta, std::fabs(r));

    const double bound = kUlp                                  // the table's own pow
                         + std::fabs(r) * kMaxDelta * 4 * kUlp // rounding of delta
                         + tail / smallest                     // the terms left out
                         + 40 * kUlp * sum / smallest          // coefficients and Horner steps
                         + kUlp;                               // the final product
    // pow's result is itself within about half an ulp of the truth; allow a whole one, and a
    // factor of four over everything for good measure.
    m_relativeMargin = 4 * (bound + kUlp);
}

float StiffnessTable::exact(float base) const {
    ++m_fallbacks;
    return stiffness(base, m_rabia);
}

void StiffnessTable::fill(const float* bases, float* results, std::size_t count,
                          InstructionSet set) const {
    std::size_t done = 0;
    if (m_usable) {
        switch (set) {
        case InstructionSet::Portable:
            break;
        case InstructionSet::Avx2:
            done = count & ~std::size_t{3};
            fillFourAtATime(bases, results, done);
            break;
        case InstructionSet::Avx512:
            done = count & ~std::size_t{7};
            fillEightAtATime(bases, results, done);
            break;
        }
    }
    for (std::size_t n = done; n < count; ++n)
        results[n] = (*this)(bases[n]);
}

} // namespace fluxen::detail
