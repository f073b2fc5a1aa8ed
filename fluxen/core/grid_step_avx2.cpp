// The grid step's kernels for processors with AVX2. Each kernel is marked with its target
// instead of the file taking -m flags: the inline functions it shares with the other files are
// then still built for every processor, and only the driver's choice (`avx2Kernels`, for a
// processor that runs the set) ever reaches the wider instructions.

#include "fluxen/core/grid_step.h"
#include "fluxen/core/stiffness_table.h"

#include <immintrin.h>

namespace fluxen::detail::avx2 {

namespace {

// The shared sweep with three-operand instructions and broadcasts from memory: fewer
// instructions for the same operations.
__attribute__((target("avx2"))) void sweep(Particle* o, const std::uint32_t* keys,
                                           const float* weights, const float* stiffnesses,
                                           std::uint32_t from, std::uint32_t to) {
    sweepPairs(o, keys, weights, stiffnesses, from, to);
}

} // namespace

} // namespace fluxen::detail::avx2

namespace fluxen::detail {

GridKernels avx2Kernels() {
    GridKernels kernels = portableKernels();
    kernels.sweep = avx2::sweep;
    return kernels;
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

} // namespace fluxen::detail
