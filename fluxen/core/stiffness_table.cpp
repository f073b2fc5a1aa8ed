#include "fluxen/core/stiffness_table.h"

#include "fluxen/core/step_arithmetic.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <immintrin.h>

namespace fluxen::detail {

namespace {

constexpr double kUlp = 0x1p-52; // relative spacing of doubles near 1
// The table's points are 1/4096 apart, so a base is at most 1/8192 from its nearest point.
constexpr double kMaxDelta = 0x1p-13;

bool wideVectors = true;

} // namespace

bool wideVectorsAllowed() {
    return wideVectors;
}

void allowWideVectors(bool allowed) {
    wideVectors = allowed;
}

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

void StiffnessTable::fill(const float* bases, float* results, std::size_t count) const {
    static const bool hasAvx2 = __builtin_cpu_supports("avx2");
    static const bool hasAvx512 =
        __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl");
    std::size_t done = 0;
    if (hasAvx512 && wideVectorsAllowed() && m_usable) {
        done = count & ~std::size_t{7};
        fillEightAtATime(bases, results, done);
    } else if (hasAvx2 && wideVectorsAllowed() && m_usable) {
        done = count & ~std::size_t{3};
        fillFourAtATime(bases, results, done);
    }
    for (std::size_t n = done; n < count; ++n)
        results[n] = (*this)(bases[n]);
}

// The same approximation and the same check as `approximate`, four bases at a time in double
// precision. Without fused multiply-adds, so that the error bound holds as proven. Lanes the
// check cannot decide, or bases outside [1, 2], go through the scalar path.
__attribute__((target("avx2"))) void
StiffnessTable::fillFourAtATime(const float* bases, float* results, std::size_t count) const {
    const __m128 one = _mm_set1_ps(1.0f);
    const __m128 two = _mm_set1_ps(2.0f);
    const __m128i mantissa = _mm_set1_epi32(0x7FFFFF);
    const __m128i roundHalf = _mm_set1_epi32(1 << 10);
    const __m128i last = _mm_set1_epi32(kSteps);
    const __m256d step = _mm256_set1_pd(1.0 / kSteps);
    const __m256d unit = _mm256_set1_pd(1.0);
    const __m256d c0 = _mm256_set1_pd(m_coefficient[0]);
    const __m256d c1 = _mm256_set1_pd(m_coefficient[1]);
    const __m256d c2 = _mm256_set1_pd(m_coefficient[2]);
    const __m256d c3 = _mm256_set1_pd(m_coefficient[3]);
    const __m256d margin = _mm256_set1_pd(m_relativeMargin);
    for (std::size_t n = 0; n < count; n += 4) {
        const __m128 base = _mm_loadu_ps(bases + n);
        const __m128 inRange = _mm_and_ps(_mm_cmpge_ps(base, one), _mm_cmple_ps(base, two));
        const __m128i bits = _mm_castps_si128(base);
        __m128i k = _mm_srli_epi32(_mm_add_epi32(_mm_and_si128(bits, mantissa), roundHalf), 11);
        const __m128i isTwo = _mm_castps_si128(_mm_cmpeq_ps(base, two));
        k = _mm_or_si128(_mm_and_si128(isTwo, last), _mm_andnot_si128(isTwo, k));
        // Out-of-range lanes look up point 0 and are redone below.
        k = _mm_and_si128(k, _mm_castps_si128(inRange));

        const __m256d point = _mm256_add_pd(unit, _mm256_mul_pd(_mm256_cvtepi32_pd(k), step));
        const __m256d delta = _mm256_mul_pd(_mm256_sub_pd(_mm256_cvtps_pd(base), point),
                                            _mm256_i32gather_pd(m_inverse.data(), k, 8));
        const __m256d square = _mm256_mul_pd(delta, delta);
        const __m256d series =
            _mm256_add_pd(_mm256_add_pd(c0, _mm256_mul_pd(c1, delta)),
                          _mm256_mul_pd(square, _mm256_add_pd(c2, _mm256_mul_pd(c3, delta))));
        const __m256d q = _mm256_mul_pd(_mm256_i32gather_pd(m_power.data(), k, 8), series);
        const __m256d error = _mm256_mul_pd(q, margin);
        const __m128 low = _mm256_cvtpd_ps(_mm256_sub_pd(q, error));
        const __m128 high = _mm256_cvtpd_ps(_mm256_add_pd(q, error));
        _mm_storeu_ps(results + n, low);
        const int decided = _mm_movemask_ps(_mm_and_ps(_mm_cmpeq_ps(low, high), inRange));
        if (decided != 15) [[unlikely]] {
            for (int lane = 0; lane < 4; ++lane) {
                if (!(decided & (1 << lane)))
                    results[n + lane] = (*this)(bases[n + lane]);
            }
        }
    }
}

// The same with 512-bit vectors, eight bases at a time.
__attribute__((target("avx512f,avx512vl"))) void
StiffnessTable::fillEightAtATime(const float* bases, float* results, std::size_t count) const {
    const __m256 one = _mm256_set1_ps(1.0f);
    const __m256 two = _mm256_set1_ps(2.0f);
    const __m256i mantissa = _mm256_set1_epi32(0x7FFFFF);
    const __m256i roundHalf = _mm256_set1_epi32(1 << 10);
    const __m256i last = _mm256_set1_epi32(kSteps);
    const __m512d step = _mm512_set1_pd(1.0 / kSteps);
    const __m512d unit = _mm512_set1_pd(1.0);
    const __m512d c0 = _mm512_set1_pd(m_coefficient[0]);
    const __m512d c1 = _mm512_set1_pd(m_coefficient[1]);
    const __m512d c2 = _mm512_set1_pd(m_coefficient[2]);
    const __m512d c3 = _mm512_set1_pd(m_coefficient[3]);
    const __m512d margin = _mm512_set1_pd(m_relativeMargin);
    for (std::size_t n = 0; n < count; n += 8) {
        const __m256 base = _mm256_loadu_ps(bases + n);
        const __mmask8 inRange =
            _mm256_cmp_ps_mask(base, one, _CMP_GE_OQ) & _mm256_cmp_ps_mask(base, two, _CMP_LE_OQ);
        const __m256i bits = _mm256_castps_si256(base);
        __m256i k =
            _mm256_srli_epi32(_mm256_add_epi32(_mm256_and_si256(bits, mantissa), roundHalf), 11);
        k = _mm256_mask_mov_epi32(k, _mm256_cmp_ps_mask(base, two, _CMP_EQ_OQ), last);
        // Out-of-range lanes look up point 0 and are redone below.
        k = _mm256_maskz_mov_epi32(inRange, k);

        const __m512d point = _mm512_add_pd(unit, _mm512_mul_pd(_mm512_cvtepi32_pd(k), step));
        const __m512d delta = _mm512_mul_pd(_mm512_sub_pd(_mm512_cvtps_pd(base), point),
                                            _mm512_i32gather_pd(k, m_inverse.data(), 8));
        const __m512d square = _mm512_mul_pd(delta, delta);
        const __m512d series =
            _mm512_add_pd(_mm512_add_pd(c0, _mm512_mul_pd(c1, delta)),
                          _mm512_mul_pd(square, _mm512_add_pd(c2, _mm512_mul_pd(c3, delta))));
        const __m512d q = _mm512_mul_pd(_mm512_i32gather_pd(k, m_power.data(), 8), series);
        const __m512d error = _mm512_mul_pd(q, margin);
        const __m256 low = _mm512_cvtpd_ps(_mm512_sub_pd(q, error));
        const __m256 high = _mm512_cvtpd_ps(_mm512_add_pd(q, error));
        _mm256_storeu_ps(results + n, low);
        const unsigned decided = _mm256_mask_cmp_ps_mask(inRange, low, high, _CMP_EQ_OQ);
        if (decided != 0xFF) [[unlikely]] {
            for (int lane = 0; lane < 8; ++lane) {
                if (!(decided & (1u << lane)))
                    results[n + lane] = (*this)(bases[n + lane]);
            }
        }
    }
}

} // namespace fluxen::detail
