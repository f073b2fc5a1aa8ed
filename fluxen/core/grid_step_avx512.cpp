// The grid step's kernels for processors with AVX-512. Each kernel is marked with its target
// instead of the file taking -m flags: the inline functions it shares with the other files are
// then still built for every processor, and only the driver's choice (`avx512Kernels`, for a
// processor that runs the set) ever reaches the wider instructions.

#include "fluxen/core/grid_step.h"
#include "fluxen/core/stiffness_table.h"

#include <algorithm>
#include <cstdint>
#include <immintrin.h>
#include <limits>

namespace fluxen::detail::avx512 {

namespace {

// The offsets, in floats, of sixteen particles from `first` on.
__attribute__((target("avx512f"), always_inline)) inline __m512i fieldsOfSixteen(int first) {
    const __m512i lanes = _mm512_set_epi32(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
    return _mm512_slli_epi32(_mm512_add_epi32(lanes, _mm512_set1_epi32(first)), 3);
}

// Which of sixteen lanes from `first` on are below `end`. Without a branch: where a vector ends
// varies from particle to particle.
__attribute__((target("avx512f"), always_inline)) inline __mmask16 below(std::int64_t first,
                                                                         std::int64_t end) {
    const std::int64_t lanes = std::clamp<std::int64_t>(end - first, 0, 16);
    return static_cast<__mmask16>((1u << lanes) - 1);
}

// Which of sixteen other particles touch one particle: the same single-precision operations as
// the scalar test, on the lanes in `valid`.
__attribute__((target("avx512f"), always_inline)) inline __mmask16
touching(__m512 ax, __m512 ay, __m512 ar, __m512 bx, __m512 by, __m512 br, __mmask16 valid) {
    const __m512i signless = _mm512_set1_epi32(0x7FFFFFFF);
    const __m512 dx =
        _mm512_castsi512_ps(_mm512_and_si512(_mm512_castps_si512(_mm512_sub_ps(ax, bx)), signless));
    const __m512 dy =
        _mm512_castsi512_ps(_mm512_and_si512(_mm512_castps_si512(_mm512_sub_ps(ay, by)), signless));
    const __m512 reach = _mm512_mul_ps(_mm512_add_ps(ar, br), _mm512_set1_ps(0.5f));
    return _mm512_mask_cmp_ps_mask(valid, _mm512_add_ps(dx, dy), reach, _CMP_LT_OQ);
}

// floor(position / cell size), clamped, for eight positions: the same as `cellCoordinate`.
__attribute__((target("avx512f"), always_inline)) inline __m256i
cellCoordinates(__m256 positions, __m512d inverseCell) {
    const __m512d limit = _mm512_set1_pd(kCoordinateLimit);
    const __m512d scaled =
        _mm512_max_pd(_mm512_min_pd(_mm512_mul_pd(_mm512_cvtps_pd(positions), inverseCell), limit),
                      _mm512_sub_pd(_mm512_setzero_pd(), limit));
    return _mm512_cvttpd_epi32(
        _mm512_roundscale_pd(scaled, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC));
}

__attribute__((target("avx512f"), always_inline)) inline __m512i
cellCoordinates(__m512 positions, __m512d inverseCell) {
    const __m256 low = _mm512_castps512_ps256(positions);
    // The upper two quarters moved down.
    const __m256 high = _mm512_castps512_ps256(_mm512_shuffle_f32x4(positions, positions, 0xEE));
    return _mm512_inserti64x4(_mm512_castsi256_si512(cellCoordinates(low, inverseCell)),
                              cellCoordinates(high, inverseCell), 1);
}

// One particle against the candidates [from, to) of arrays laid out like the cell-sorted
// ones: the same single-precision operations as the scalar test, sixteen at a time, hits
// compressed to the front of the vector and stored whole (the lanes past the hits are
// overwritten next). `out` has room. Answers the new number of keys.
__attribute__((target("avx512f,popcnt"), always_inline)) inline std::size_t
scanSixteenAtATime(__m512 ax, __m512 ay, __m512 ar, __m512i self, const float* xs, const float* ys,
                   const float* rs, const int* indices, std::uint32_t from, std::uint32_t to,
                   std::uint32_t* out, std::size_t found) {
    // The first vector always, even of an empty range (then with no lane valid): a loop whose
    // count varies from particle to particle costs more in mispredicted branches than the
    // test it saves.
    std::uint32_t k = from;
    do {
        const __mmask16 valid = below(k, to);
        const __mmask16 hit = touching(ax, ay, ar, _mm512_maskz_loadu_ps(valid, xs + k),
                                       _mm512_maskz_loadu_ps(valid, ys + k),
                                       _mm512_maskz_loadu_ps(valid, rs + k), valid);
        const __m512i others = _mm512_maskz_loadu_epi32(valid, indices + k);
        const __m512i keys =
            _mm512_or_si512(_mm512_slli_epi32(_mm512_min_epi32(others, self), kIndexBits),
                            _mm512_max_epi32(others, self));
        _mm512_storeu_si512(out + found, _mm512_maskz_compress_epi32(hit, keys));
        found += static_cast<std::size_t>(__builtin_popcount(hit));
        k += 16;
    } while (k < to);
    return found;
}

// Copies the candidates [from, to) to position `at` of a block.
__attribute__((target("avx512f"), always_inline)) inline void
copyCandidates(const float* xs, const float* ys, const float* rs, const int* indices,
               std::uint32_t from, std::uint32_t to, float* bx, float* by, float* br, int* bi,
               std::uint32_t at) {
    for (std::uint32_t k = from; k < to; k += 16, at += 16) {
        const __mmask16 valid = below(k, to);
        _mm512_mask_storeu_ps(bx + at, valid, _mm512_maskz_loadu_ps(valid, xs + k));
        _mm512_mask_storeu_ps(by + at, valid, _mm512_maskz_loadu_ps(valid, ys + k));
        _mm512_mask_storeu_ps(br + at, valid, _mm512_maskz_loadu_ps(valid, rs + k));
        _mm512_mask_storeu_epi32(bi + at, valid, _mm512_maskz_loadu_epi32(valid, indices + k));
    }
}

// The weights and stiffness bases of a multiple of eight pairs, eight at a time: the same
// operations as `weighPair` on gathered particles.
__attribute__((target("avx512f,avx512vl"))) void weighEightAtATime(const Particle* o,
                                                                   const std::uint32_t* keys,
                                                                   std::size_t count,
                                                                   float* weights, float* bases) {
    static_assert(sizeof(Particle) == 8 * sizeof(float), "gathers step over whole particles");
    const float* const fields = &o[0].x;
    const __m256i highMask = _mm256_set1_epi32((1 << kIndexBits) - 1);
    const __m256i signless = _mm256_set1_epi32(0x7FFFFFFF);
    const __m256 half = _mm256_set1_ps(0.5f);
    const __m256 one = _mm256_set1_ps(1.0f);
    const __m512d two = _mm512_set1_pd(2.0);
    for (std::size_t p = 0; p + 8 <= count; p += 8) {
        const __m256i key = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(keys + p));
        // Indices times the eight fields of a particle.
        const __m256i low = _mm256_slli_epi32(_mm256_srli_epi32(key, kIndexBits), 3);
        const __m256i high = _mm256_slli_epi32(_mm256_and_si256(key, highMask), 3);
        const __m256 ax = _mm256_i32gather_ps(fields, low, 4);
        const __m256 ay = _mm256_i32gather_ps(fields + 1, low, 4);
        const __m256 ar = _mm256_i32gather_ps(fields + 4, low, 4);
        const __m256 bx = _mm256_i32gather_ps(fields, high, 4);
        const __m256 by = _mm256_i32gather_ps(fields + 1, high, 4);
        const __m256 radius = _mm256_i32gather_ps(fields + 4, high, 4);
        const __m256 dx = _mm256_castsi256_ps(
            _mm256_and_si256(_mm256_castps_si256(_mm256_sub_ps(ax, bx)), signless));
        const __m256 dy = _mm256_castsi256_ps(
            _mm256_and_si256(_mm256_castps_si256(_mm256_sub_ps(ay, by)), signless));
        const __m256 d = _mm256_add_ps(dx, dy);
        const __m256 reach = _mm256_mul_ps(_mm256_add_ps(ar, radius), half);
        // A float quotient of floats rounded once to double and again to float is the float
        // quotient itself where neither rounding leaves the normal range. Lanes that may leave
        // it take the double division.
        const __m256 twice = _mm256_add_ps(reach, reach);
        __m256 weight = _mm256_div_ps(ar, twice);
        const __m256 magnitude =
            _mm256_castsi256_ps(_mm256_and_si256(_mm256_castps_si256(weight), signless));
        const __m256 twiceMagnitude =
            _mm256_castsi256_ps(_mm256_and_si256(_mm256_castps_si256(twice), signless));
        const __mmask8 ordinary =
            _mm256_cmp_ps_mask(magnitude, _mm256_set1_ps(0x1p-120f), _CMP_GE_OQ) &
            _mm256_cmp_ps_mask(magnitude, _mm256_set1_ps(0x1p120f), _CMP_LE_OQ) &
            _mm256_cmp_ps_mask(twiceMagnitude, _mm256_set1_ps(0x1p120f), _CMP_LE_OQ);
        if (ordinary != 0xFF) [[unlikely]] {
            const __m512d exact =
                _mm512_div_pd(_mm512_cvtps_pd(ar), _mm512_mul_pd(two, _mm512_cvtps_pd(reach)));
            weight = _mm256_mask_blend_ps(ordinary, _mm512_cvtpd_ps(exact), weight);
        }
        _mm256_storeu_ps(weights + p, weight);
        _mm256_storeu_ps(bases + p,
                         _mm256_add_ps(_mm256_div_ps(_mm256_sub_ps(reach, d), reach), one));
    }
}

// A value for x and one for y of each of the two particles in a vector: x in lanes 0 and 8, y
// in lanes 1 and 9.
__attribute__((target("avx512f"), always_inline)) inline __m512 perParticle(float forX,
                                                                            float forY) {
    return _mm512_setr_ps(forX, forY, 0, 0, 0, 0, 0, 0, forX, forY, 0, 0, 0, 0, 0, 0);
}

// Sixteen particles at a time. The vector maximum answers its second operand
// when the first is NaN, as the scalar one does.
__attribute__((target("avx512f"))) float largestRadius(const Particle* o, int count) {
    static_assert(sizeof(Particle) == 8 * sizeof(float), "gathers step over whole particles");
    const float* const radii = &o[0].radius;
    __m512 largest = _mm512_setzero_ps();
    for (int i = 1; i < count; i += 16) {
        const __m512 radius =
            _mm512_mask_i32gather_ps(largest, below(i, count), fieldsOfSixteen(i), radii, 4);
        largest = _mm512_max_ps(radius, largest);
    }
    alignas(64) float lanes[16];
    _mm512_store_ps(lanes, largest);
    return *std::max_element(lanes, lanes + 16);
}

// Sixteen particles at a time.
__attribute__((target("avx512f"))) CellBounds placeInCells(const Particle* o, int count,
                                                           double inverseCell, bool oneCell,
                                                           int* cellX, int* cellY, int* cell) {
    const float* const fields = &o[0].x;
    const __m512d inverse = _mm512_set1_pd(inverseCell);
    const __m512 zero = _mm512_setzero_ps();
    __m512i minX = _mm512_set1_epi32(std::numeric_limits<int>::max());
    __m512i minY = minX;
    __m512i maxX = _mm512_set1_epi32(std::numeric_limits<int>::min());
    __m512i maxY = maxX;
    bool any = false;
    for (int i = 1; i < count; i += 16) {
        const __mmask16 valid = below(i, count);
        const __m512i offsets = fieldsOfSixteen(i);
        const __m512 x = _mm512_mask_i32gather_ps(zero, valid, offsets, fields, 4);
        const __m512 y = _mm512_mask_i32gather_ps(zero, valid, offsets, fields + 1, 4);
        // x - x is 0 exactly when x is finite.
        const __mmask16 placed =
            _mm512_mask_cmp_ps_mask(_mm512_cmp_ps_mask(_mm512_sub_ps(x, x), zero, _CMP_EQ_OQ),
                                    _mm512_sub_ps(y, y), zero, _CMP_EQ_OQ) &
            valid;
        const __m512i cx = oneCell ? _mm512_setzero_si512() : cellCoordinates(x, inverse);
        const __m512i cy = oneCell ? _mm512_setzero_si512() : cellCoordinates(y, inverse);
        _mm512_mask_storeu_epi32(cellX + i, valid, cx);
        _mm512_mask_storeu_epi32(cellY + i, valid, cy);
        _mm512_mask_storeu_epi32(
            cell + i, valid,
            _mm512_mask_mov_epi32(_mm512_set1_epi32(-1), placed, _mm512_setzero_si512()));
        minX = _mm512_mask_min_epi32(minX, placed, minX, cx);
        maxX = _mm512_mask_max_epi32(maxX, placed, maxX, cx);
        minY = _mm512_mask_min_epi32(minY, placed, minY, cy);
        maxY = _mm512_mask_max_epi32(maxY, placed, maxY, cy);
        any = any || placed != 0;
    }
    if (!any)
        return {};
    alignas(64) int lanes[4][16];
    _mm512_store_si512(lanes[0], minX);
    _mm512_store_si512(lanes[1], maxX);
    _mm512_store_si512(lanes[2], minY);
    _mm512_store_si512(lanes[3], maxY);
    return {true, *std::min_element(lanes[0], lanes[0] + 16),
            *std::max_element(lanes[1], lanes[1] + 16), *std::min_element(lanes[2], lanes[2] + 16),
            *std::max_element(lanes[3], lanes[3] + 16)};
}

// Sixteen particles at a time. The origin's column is the least, so a column
// from it lies in [0, 2^31]: exact as an unsigned 32-bit difference. A row from the origin
// lies in [-2^31, rows): exact as a signed one.
__attribute__((target("avx512f"))) void windowCells(const int* cellX, const int* cellY, int* cell,
                                                    int count, int originX, int originY,
                                                    int columns, int rows) {
    const __m512i zero = _mm512_setzero_si512();
    const __m512i lastColumn = _mm512_set1_epi32(columns - 1);
    const __m512i lastRow = _mm512_set1_epi32(rows - 1);
    for (int i = 1; i < count; i += 16) {
        const __mmask16 valid = below(i, count);
        const __mmask16 placed = _mm512_mask_cmp_epi32_mask(
            valid, _mm512_maskz_loadu_epi32(valid, cell + i), zero, _MM_CMPINT_NLT);
        const __m512i column =
            _mm512_min_epu32(_mm512_sub_epi32(_mm512_maskz_loadu_epi32(valid, cellX + i),
                                              _mm512_set1_epi32(originX)),
                             lastColumn);
        const __m512i row = _mm512_min_epi32(
            _mm512_max_epi32(_mm512_sub_epi32(_mm512_maskz_loadu_epi32(valid, cellY + i),
                                              _mm512_set1_epi32(originY)),
                             zero),
            lastRow);
        _mm512_mask_storeu_epi32(
            cell + i, placed,
            _mm512_add_epi32(_mm512_mullo_epi32(row, _mm512_set1_epi32(columns)), column));
    }
}

// A cell's candidates (itself, the next cell of its row, the three cells below) are copied into
// one block, so that a particle usually meets all of them in a single vector.
__attribute__((target("avx512f,popcnt"))) std::size_t
findPairs(const CellOrder& cells, CandidateBlock& block, std::vector<std::uint32_t>& pairs) {
    constexpr std::uint32_t kBlock = 48;
    const auto [bx, by, br, bi] = block.reserve(kBlock);
    const float* const xs = cells.xs;
    const float* const ys = cells.ys;
    const float* const rs = cells.rs;
    const int* const indices = cells.indices;
    const int rows = cells.rows;
    const int columns = cells.columns;
    std::size_t found = 0;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const auto [rowFrom, ownTo, rowTo, belowFrom, belowTo] =
                rangesOf(cells.cellStart, rows, columns, row, column);
            if (rowFrom == ownTo)
                continue;
            const std::uint32_t length = (rowTo - rowFrom) + (belowTo - belowFrom);
            // Room for every pair these ranges can give.
            const std::size_t most = found + std::size_t{ownTo - rowFrom} * length;
            if (most + 16 > pairs.size())
                pairs.resize(std::max(most + 16, pairs.size() * 2));
            std::uint32_t* const out = pairs.data();
            if (length <= kBlock) {
                copyCandidates(xs, ys, rs, indices, rowFrom, rowTo, bx, by, br, bi, 0);
                copyCandidates(xs, ys, rs, indices, belowFrom, belowTo, bx, by, br, bi,
                               rowTo - rowFrom);
                for (std::uint32_t at = 0; at < ownTo - rowFrom; ++at) {
                    found = scanSixteenAtATime(_mm512_set1_ps(bx[at]), _mm512_set1_ps(by[at]),
                                               _mm512_set1_ps(br[at]), _mm512_set1_epi32(bi[at]),
                                               bx, by, br, bi, at + 1, length, out, found);
                }
                continue;
            }
            // A crowded cell: straight on the sorted arrays, in two ranges.
            for (std::uint32_t at = rowFrom; at < ownTo; ++at) {
                const __m512 ax = _mm512_set1_ps(xs[at]);
                const __m512 ay = _mm512_set1_ps(ys[at]);
                const __m512 ar = _mm512_set1_ps(rs[at]);
                const __m512i self = _mm512_set1_epi32(indices[at]);
                found = scanSixteenAtATime(ax, ay, ar, self, xs, ys, rs, indices, at + 1, rowTo,
                                           out, found);
                found = scanSixteenAtATime(ax, ay, ar, self, xs, ys, rs, indices, belowFrom,
                                           belowTo, out, found);
            }
        }
    }
    return found;
}

// Sixteen particles at a time.
__attribute__((target("avx512f,popcnt"))) std::size_t findPairsOfFirst(const Particle* o, int count,
                                                                       std::uint32_t* out) {
    const float* const fields = &o[0].x;
    const __m512 zero = _mm512_setzero_ps();
    const __m512 ax = _mm512_set1_ps(o[0].x);
    const __m512 ay = _mm512_set1_ps(o[0].y);
    const __m512 ar = _mm512_set1_ps(o[0].radius);
    std::size_t found = 0;
    for (int j = 1; j < count; j += 16) {
        const __mmask16 valid = below(j, count);
        const __m512i offsets = fieldsOfSixteen(j);
        const __mmask16 hit =
            touching(ax, ay, ar, _mm512_mask_i32gather_ps(zero, valid, offsets, fields, 4),
                     _mm512_mask_i32gather_ps(zero, valid, offsets, fields + 1, 4),
                     _mm512_mask_i32gather_ps(zero, valid, offsets, fields + 4, 4), valid);
        // The key of (0, j) is j itself: the offset over the eight fields of a particle.
        _mm512_storeu_si512(out + found,
                            _mm512_maskz_compress_epi32(hit, _mm512_srli_epi32(offsets, 3)));
        found += static_cast<std::size_t>(__builtin_popcount(hit));
    }
    return found;
}

__attribute__((target("avx512f,avx512vl"))) void weighPairs(const Particle* o,
                                                            const std::uint32_t* keys,
                                                            std::size_t count, float* weights,
                                                            float* bases) {
    const std::size_t whole = count & ~std::size_t{7};
    weighEightAtATime(o, keys, whole, weights, bases);
    for (std::size_t p = whole; p < count; ++p)
        weighPair(o, keys[p], weights[p], bases[p]);
}

// The shared sweep, built for this instruction set.
__attribute__((target("avx512f,avx512vl"))) void sweep(Particle* o, const std::uint32_t* keys,
                                                       const float* weights,
                                                       const float* stiffnesses, std::uint32_t from,
                                                       std::uint32_t to) {
    sweepPairs(o, keys, weights, stiffnesses, from, to);
}

// `moveAndBounce` for two particles at a time, for processors with 512-bit vectors: a
// vector holds both particles whole, and every operation is the scalar one on its lanes, the
// walls applied under masks in their order. The last particle of an odd count is moved alone.
__attribute__((target("avx512f"))) void moveAll(Particle* o, int count, const Motion& m) {
    static_assert(sizeof(Particle) == 8 * sizeof(float), "a vector holds two whole particles");
    const __m512 gravity = perParticle(m.gx, m.gy);
    const __m512 step = _mm512_set1_ps(m.step);
    const __m512 sideways = perParticle(-m.absorb, m.absorb);
    const __m512 floor = perParticle(m.absorb, -m.absorb);
    const __m512 half = _mm512_set1_ps(0.5f);
    const __m512 clearance = _mm512_set1_ps(0.1f);
    const __m512 width = _mm512_set1_ps(m.width);
    const __m512 height = _mm512_set1_ps(m.height);
    const __m512 aboveFloor = _mm512_set1_ps(m.height - 0.1f);
    const __m512i radii = _mm512_setr_epi32(4, 4, 4, 4, 4, 4, 4, 4, 12, 12, 12, 12, 12, 12, 12, 12);
    const __mmask16 xs = 0x0101;
    const __mmask16 ys = 0x0202;
    float* const fields = &o[0].x;
    int i = 0;
    for (; i + 2 <= count; i += 2) {
        const __m512 both = _mm512_loadu_ps(fields + 8 * i);
        // The velocity moved under the position, gravity added, then the move.
        __m512 velocity = _mm512_add_ps(_mm512_permute_ps(both, _MM_SHUFFLE(3, 2, 3, 2)), gravity);
        __m512 position = _mm512_add_ps(both, _mm512_mul_ps(step, velocity));
        const __m512 s = _mm512_mul_ps(_mm512_permutexvar_ps(radii, both), half);
        // Left, right, floor; each hit changes x or y and both velocities of that particle.
        __mmask16 hit = _mm512_mask_cmp_ps_mask(xs, s, position, _CMP_GT_OQ);
        position = _mm512_mask_mov_ps(position, hit, _mm512_add_ps(s, clearance));
        velocity = _mm512_mask_mul_ps(velocity, hit | hit << 1, sideways, velocity);
        const __m512 right = _mm512_sub_ps(width, s);
        hit = _mm512_mask_cmp_ps_mask(xs, position, right, _CMP_GT_OQ);
        position = _mm512_mask_mov_ps(position, hit, _mm512_sub_ps(right, clearance));
        velocity = _mm512_mask_mul_ps(velocity, hit | hit << 1, sideways, velocity);
        hit = _mm512_mask_cmp_ps_mask(ys, position, _mm512_sub_ps(height, s), _CMP_GT_OQ);
        position = _mm512_mask_mov_ps(position, hit, _mm512_sub_ps(aboveFloor, s));
        velocity = _mm512_mask_mul_ps(velocity, hit | hit >> 1, floor, velocity);
        const __m512 moved = _mm512_mask_mov_ps(both, xs | ys, position);
        _mm512_storeu_ps(fields + 8 * i,
                         _mm512_mask_mov_ps(moved, static_cast<__mmask16>((xs | ys) << 2),
                                            _mm512_permute_ps(velocity, _MM_SHUFFLE(1, 0, 1, 0))));
    }
    if (i < count)
        moveAndBounce(o[i], m);
}

} // namespace

} // namespace fluxen::detail::avx512

namespace fluxen::detail {

GridKernels avx512Kernels() {
    return {avx512::largestRadius,    avx512::placeInCells, avx512::windowCells, avx512::findPairs,
            avx512::findPairsOfFirst, avx512::weighPairs,   avx512::sweep,       avx512::moveAll};
}

// The stiffness table's `fillFourAtATime` with 512-bit vectors, eight bases at a time.
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
