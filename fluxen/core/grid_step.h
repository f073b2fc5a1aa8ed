#pragma once

// What the files of the grid step share: the pair keys, the cell arithmetic, the arrays the
// kernels work on, the arithmetic that several instruction sets run alike, and each
// instruction set's kernels. The driver (simulation_fast.cpp) chooses the kernels at run time;
// each grid_step_<set>.cpp holds one instruction set's code, marked with its target, so that
// the program still runs on processors without the wider vectors. Only files built without
// floating-point contraction include this header.

#include "fluxen/core/simulation.h"
#include "fluxen/core/step_arithmetic.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <immintrin.h>
#include <vector>

namespace fluxen::detail {

// Far inside int range, and big enough for any sensible world.
inline constexpr double kCoordinateLimit = 1 << 30;

// A pair's key: the lower index in the high half, the higher one in the low half, so that keys
// order pairs as the sweep applies them. The table never holds more than 2^16 particles.
inline constexpr int kIndexBits = 16;
static_assert(kLargestCapacity <= 1 << kIndexBits);

inline std::uint32_t pairKey(int low, int high) {
    return static_cast<std::uint32_t>(low) << kIndexBits | static_cast<std::uint32_t>(high);
}

inline int lowOf(std::uint32_t key) {
    return static_cast<int>(key >> kIndexBits);
}

inline int highOf(std::uint32_t key) {
    return static_cast<int>(key & ((1u << kIndexBits) - 1));
}

// floor(position / cell size), clamped. Truncation and a correction instead of std::floor,
// which the baseline instruction set can only call out for.
inline int cellCoordinate(float position, double inverseCell) {
    const double scaled = std::clamp(static_cast<double>(position) * inverseCell, -kCoordinateLimit,
                                     kCoordinateLimit);
    const int truncated = static_cast<int>(scaled);
    return truncated - (static_cast<double>(truncated) > scaled ? 1 : 0);
}

inline bool isPlaced(const Particle& p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

// The extent of the placed particles' cells.
struct CellBounds {
    bool any = false;
    int minX = 0, maxX = 0, minY = 0, maxY = 0;
};

// Where a cell's candidates lie in the cell-ordered arrays: the cell itself and the next one
// in its row (one range), and the cells below from the left neighbour to the right one (the
// other). The cell's own particles are [rowFrom, ownTo).
struct CellRanges {
    std::uint32_t rowFrom, ownTo, rowTo, belowFrom = 0, belowTo = 0;
};

[[gnu::always_inline]] inline CellRanges rangesOf(const std::uint32_t* cellStart, int rows,
                                                  int columns, int row, int column) {
    const int here = row * columns + column;
    const int span = std::min(2, columns - column);
    CellRanges ranges{cellStart[here], cellStart[here + 1], cellStart[here + span]};
    if (row + 1 < rows) {
        ranges.belowFrom = cellStart[here + columns - (column > 0 ? 1 : 0)];
        ranges.belowTo = cellStart[here + columns + span];
    }
    return ranges;
}

// The placed particles sorted by cell, as the pair search reads them: the cells' start
// offsets (two more than cells) into the arrays of position, radius and particle index.
struct CellOrder {
    const float* xs;
    const float* ys;
    const float* rs;
    const int* indices;
    const std::uint32_t* cellStart;
    int rows;
    int columns;
};

// One cell's candidates, copied next to each other from the cell-ordered arrays, so that a
// particle meets them in whole vectors.
struct Candidates {
    float* xs;
    float* ys;
    float* rs;
    int* indices;
};

// The room for a cell's candidates, kept from step to step.
class CandidateBlock {
public:
    // Room for `length` candidates and a whole vector of sixteen past them.
    Candidates reserve(std::uint32_t length) {
        const std::size_t size = std::size_t{length} + 16;
        if (m_xs.size() < size) {
            for (auto* field : {&m_xs, &m_ys, &m_rs})
                field->resize(size, 0);
            m_indices.resize(size, 0);
        }
        return {m_xs.data(), m_ys.data(), m_rs.data(), m_indices.data()};
    }

private:
    std::vector<float> m_xs;
    std::vector<float> m_ys;
    std::vector<float> m_rs;
    std::vector<int> m_indices;
};

// The weight and the stiffness base of one pair, from the positions at the start of the step.
inline void weighPair(const Particle* o, std::uint32_t key, float& weight, float& base) {
    const Particle& a = o[lowOf(key)];
    const Particle& b = o[highOf(key)];
    const float d = contactDistance(a.x, a.y, b.x, b.y);
    const float D = contactReach(a.radius, b.radius);
    weight = contactWeight(a.radius, D);
    base = stiffnessBase(d, D);
}

// Two neighbouring floats, x and y of a position or a velocity, in the low lanes of a vector.
// Through the integer vector type, which may alias anything.
[[gnu::always_inline]] inline __m128 loadPair(const float* at) {
    return _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(at)));
}

[[gnu::always_inline]] inline void storePair(float* at, __m128 pair) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(at), _mm_castps_si128(pair));
}

// `touchPair` with x and y in two lanes of one vector: the same operations, in the same order,
// on each. Answers the lower particle's new velocity.
[[gnu::always_inline]] inline __m128 touchPairInLanes(__m128 position, __m128 velocity, Particle& b,
                                                      float weight, float stiffness) {
    const __m128 w = _mm_set1_ps(weight);
    const __m128 keep = _mm_set1_ps(1.0f - weight);
    const __m128 K = _mm_set1_ps(stiffness);
    const __m128 otherPosition = loadPair(&b.x);
    const __m128 kept = _mm_mul_ps(keep, loadPair(&b.vx));
    velocity = _mm_add_ps(_mm_add_ps(_mm_mul_ps(w, velocity), kept),
                          _mm_mul_ps(_mm_sub_ps(position, otherPosition), K));
    storePair(&b.vx, _mm_add_ps(_mm_add_ps(_mm_mul_ps(w, velocity), kept),
                                _mm_mul_ps(_mm_sub_ps(otherPosition, position), K)));
    return velocity;
}

// Applies every pair from `from` to `to`. The lower particle's velocity goes through memory
// from one pair to the next, so that each group's contacts wait only on what they need. Each
// instruction set builds its own copy: the wider ones encode the same operations in fewer
// instructions.
[[gnu::always_inline]] inline void sweepPairs(Particle* o, const std::uint32_t* keys,
                                              const float* weights, const float* stiffnesses,
                                              std::uint32_t from, std::uint32_t to) {
    for (std::uint32_t p = from; p < to; ++p) {
        Particle& a = o[lowOf(keys[p])];
        storePair(&a.vx, touchPairInLanes(loadPair(&a.x), loadPair(&a.vx), o[highOf(keys[p])],
                                          weights[p], stiffnesses[p]));
    }
}

// The kernels of the grid step for one instruction set.
struct GridKernels {
    // The largest radius of particles 1 .. count-1. NaN radii are skipped.
    float (*largestRadius)(const Particle* o, int count);
    // The cell coordinates of particles 1 .. count-1, and a cell of 0 for those placed, -1
    // for the others.
    CellBounds (*placeInCells)(const Particle* o, int count, double inverseCell, bool oneCell,
                               int* cellX, int* cellY, int* cell);
    // Each placed particle's cell in the window of `columns` by `rows` cells from the origin:
    // its coordinates from the origin, clamped to the window.
    void (*windowCells)(const int* cellX, const int* cellY, int* cell, int count, int originX,
                        int originY, int columns, int rows);
    // The keys of every touching pair of particles 1 .. count-1 into `pairs`, which grows as
    // needed and may be left longer. Answers their number.
    std::size_t (*findPairs)(const CellOrder& cells, CandidateBlock& block,
                             std::vector<std::uint32_t>& pairs);
    // The keys of particle 0's pairs into `out`, which has room for `count` and sixteen more.
    // Answers their number.
    std::size_t (*findPairsOfFirst)(const Particle* o, int count, std::uint32_t* out);
    // The weights and stiffness bases of `count` pairs.
    void (*weighPairs)(const Particle* o, const std::uint32_t* keys, std::size_t count,
                       float* weights, float* bases);
    // Applies the pairs from `from` to `to`, in order.
    void (*sweep)(Particle* o, const std::uint32_t* keys, const float* weights,
                  const float* stiffnesses, std::uint32_t from, std::uint32_t to);
    // Gravity, the move and the walls for particles 0 .. count-1.
    void (*moveAll)(Particle* o, int count, const Motion& m);
};

// Each instruction set's kernels, from its own file. A set borrows the narrower one's kernel
// where it has no faster one of its own. Call only those of a set the processor runs.
GridKernels portableKernels();
GridKernels avx2Kernels();
GridKernels avx512Kernels();

} // namespace fluxen::detail
