// The grid step's kernels for every x86-64 processor: scalar code and SSE2 vectors.

#include "fluxen/core/grid_step.h"

#include <algorithm>
#include <cstdint>
#include <immintrin.h>

namespace fluxen::detail::portable {

namespace {

// With four running maxima, so that the comparisons need not wait for each other.
float largestRadius(const Particle* o, int count) {
    float largests[4] = {0, 0, 0, 0};
    for (int i = 1; i < count; ++i)
        largests[i & 3] = std::max(largests[i & 3], o[i].radius);
    return std::max(std::max(largests[0], largests[1]), std::max(largests[2], largests[3]));
}

CellBounds placeInCells(const Particle* o, int count, double inverseCell, bool oneCell, int* cellX,
                        int* cellY, int* cell) {
    CellBounds bounds;
    for (int i = 1; i < count; ++i) {
        if (!isPlaced(o[i])) {
            cell[i] = -1;
            continue;
        }
        const int cx = oneCell ? 0 : cellCoordinate(o[i].x, inverseCell);
        const int cy = oneCell ? 0 : cellCoordinate(o[i].y, inverseCell);
        cellX[i] = cx;
        cellY[i] = cy;
        cell[i] = 0;
        if (!bounds.any) {
            bounds = {true, cx, cx, cy, cy};
            continue;
        }
        bounds.minX = std::min(bounds.minX, cx);
        bounds.maxX = std::max(bounds.maxX, cx);
        bounds.minY = std::min(bounds.minY, cy);
        bounds.maxY = std::max(bounds.maxY, cy);
    }
    return bounds;
}

void windowCells(const int* cellX, const int* cellY, int* cell, int count, int originX, int originY,
                 int columns, int rows) {
    for (int i = 1; i < count; ++i) {
        if (cell[i] < 0)
            continue;
        // Differences of values within +-2^30 fit in 64 bits.
        const std::int64_t cx = std::int64_t{cellX[i]} - originX;
        const std::int64_t cy = std::int64_t{cellY[i]} - originY;
        const int column = static_cast<int>(std::clamp<std::int64_t>(cx, 0, columns - 1));
        const int row = static_cast<int>(std::clamp<std::int64_t>(cy, 0, rows - 1));
        cell[i] = row * columns + column;
    }
}

// Copies the candidates [from, to) of the cell-ordered arrays to position `at` of a block.
void copyCandidates(const CellOrder& cells, std::uint32_t from, std::uint32_t to,
                    const Candidates& block, std::uint32_t at) {
    std::copy(cells.xs + from, cells.xs + to, block.xs + at);
    std::copy(cells.ys + from, cells.ys + to, block.ys + at);
    std::copy(cells.rs + from, cells.rs + to, block.rs + at);
    std::copy(cells.indices + from, cells.indices + to, block.indices + at);
}

// The block's candidate `at` against those after it up to `to`, four at a time. The vector
// operations are the same IEEE single-precision operations as the scalar test, and lanes past
// `to` are masked off. The keys of a vector's hits are moved to the front of four slots always
// written, of which the first (as many as there are hits) count: no branch on the hits. `out`
// has room for a key per candidate and four more past `found`. Answers the new number of keys.
[[gnu::always_inline]] inline std::size_t scanFourAtATime(const Candidates& block, std::uint32_t at,
                                                          std::uint32_t to, std::uint32_t* out,
                                                          std::size_t found) {
    // The lanes set in each four-bit mask, in order, and their number.
    static constexpr std::uint8_t kLanes[16][4] = {
        {0, 0, 0, 0}, {0, 0, 0, 0}, {1, 0, 0, 0}, {0, 1, 0, 0}, {2, 0, 0, 0}, {0, 2, 0, 0},
        {1, 2, 0, 0}, {0, 1, 2, 0}, {3, 0, 0, 0}, {0, 3, 0, 0}, {1, 3, 0, 0}, {0, 1, 3, 0},
        {2, 3, 0, 0}, {0, 2, 3, 0}, {1, 2, 3, 0}, {0, 1, 2, 3}};
    static constexpr std::uint8_t kCount[16] = {0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4};
    const __m128 signless = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
    const __m128 half = _mm_set1_ps(0.5f);
    const __m128 ax = _mm_set1_ps(block.xs[at]);
    const __m128 ay = _mm_set1_ps(block.ys[at]);
    const __m128 ar = _mm_set1_ps(block.rs[at]);
    const __m128i selfs = _mm_set1_epi32(block.indices[at]);
    for (std::uint32_t k = at + 1; k < to; k += 4) {
        const __m128 dx = _mm_and_ps(_mm_sub_ps(ax, _mm_loadu_ps(block.xs + k)), signless);
        const __m128 dy = _mm_and_ps(_mm_sub_ps(ay, _mm_loadu_ps(block.ys + k)), signless);
        const __m128 d = _mm_add_ps(dx, dy);
        const __m128 reach = _mm_mul_ps(_mm_add_ps(ar, _mm_loadu_ps(block.rs + k)), half);
        unsigned mask = static_cast<unsigned>(_mm_movemask_ps(_mm_cmplt_ps(d, reach)));
        mask &= to - k >= 4 ? 15u : (1u << (to - k)) - 1;
        // Keys of the four lanes, then the set ones moved to the front.
        const __m128i others = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block.indices + k));
        const __m128i below = _mm_cmplt_epi32(others, selfs);
        const __m128i low =
            _mm_or_si128(_mm_and_si128(below, others), _mm_andnot_si128(below, selfs));
        const __m128i high =
            _mm_or_si128(_mm_andnot_si128(below, others), _mm_and_si128(below, selfs));
        alignas(16) std::uint32_t keys[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(keys),
                        _mm_or_si128(_mm_slli_epi32(low, kIndexBits), high));
        for (int lane = 0; lane < 4; ++lane)
            out[found + lane] = keys[kLanes[mask][lane]];
        found += kCount[mask];
    }
    return found;
}

// Each pair once: a particle meets the rest of its own cell, the next cell of its row and the
// three cells below in the next row, copied into one block per cell.
std::size_t findPairs(const CellOrder& cells, CandidateBlock& block,
                      std::vector<std::uint32_t>& pairs) {
    pairs.resize(std::max<std::size_t>(pairs.size(), 4096));
    std::size_t found = 0;
    for (int row = 0; row < cells.rows; ++row) {
        for (int column = 0; column < cells.columns; ++column) {
            const auto [rowFrom, ownTo, rowTo, belowFrom, belowTo] =
                rangesOf(cells.cellStart, cells.rows, cells.columns, row, column);
            const std::uint32_t own = ownTo - rowFrom;
            if (own == 0)
                continue;
            const std::uint32_t first = rowTo - rowFrom;
            const std::uint32_t length = first + (belowTo - belowFrom);
            const Candidates candidates = block.reserve(length);
            copyCandidates(cells, rowFrom, rowTo, candidates, 0);
            copyCandidates(cells, belowFrom, belowTo, candidates, first);
            for (std::uint32_t at = 0; at < own; ++at) {
                if (found + length + 4 > pairs.size()) [[unlikely]]
                    pairs.resize(std::max(found + length + 4, pairs.size() * 2));
                found = scanFourAtATime(candidates, at, length, pairs.data(), found);
            }
        }
    }
    return found;
}

std::size_t findPairsOfFirst(const Particle* o, int count, std::uint32_t* out) {
    std::size_t found = 0;
    for (int j = 1; j < count; ++j) {
        const float d = contactDistance(o[0].x, o[0].y, o[j].x, o[j].y);
        if (d < contactReach(o[0].radius, o[j].radius))
            out[found++] = pairKey(0, j);
    }
    return found;
}

void weighPairs(const Particle* o, const std::uint32_t* keys, std::size_t count, float* weights,
                float* bases) {
    for (std::size_t p = 0; p < count; ++p)
        weighPair(o, keys[p], weights[p], bases[p]);
}

void sweep(Particle* o, const std::uint32_t* keys, const float* weights, const float* stiffnesses,
           std::uint32_t from, std::uint32_t to) {
    sweepPairs(o, keys, weights, stiffnesses, from, to);
}

void moveAll(Particle* o, int count, const Motion& m) {
    for (int i = 0; i < count; ++i)
        moveAndBounce(o[i], m);
}

} // namespace

} // namespace fluxen::detail::portable

namespace fluxen::detail {

GridKernels portableKernels() {
    return {portable::largestRadius, portable::placeInCells,     portable::windowCells,
            portable::findPairs,     portable::findPairsOfFirst, portable::weighPairs,
            portable::sweep,         portable::moveAll};
}

} // namespace fluxen::detail
