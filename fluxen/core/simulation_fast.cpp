// The step that visits only the pairs that can touch.
//
// Why it gives the all-pairs result to the last bit: during the sweep, the pair (i, j) with
// i < j is tested while neither particle has moved yet (i moves after its own contacts, j later
// still). So the set of touching pairs depends only on the positions at the start of the step.
// The fast step therefore first finds all touching pairs from those positions, in any order,
// then sweeps in index order and applies the pairs of each i in increasing j with the very same
// arithmetic, so every velocity sees the same sequence of operations. A pair's weight and
// stiffness depend on those positions only, so they are worked out before the sweep; the
// stiffness table answers pow's own float (see stiffness_table.h).
//
// The grid never misses a pair: two particles touch only when their Manhattan distance is below
// half their radii's sum, hence both coordinate differences are below the larger radius. Cells
// a little larger than the largest radius put touching particles into the same or adjacent
// cells. Particle 0, twice as large as the rest, is tested against everyone directly, so that
// it does not set the cell size. Cells are clamped to a window around the liquid; clamping
// keeps neighbours neighbours, so particles far outside (splashed high above the top) share
// edge cells and are still tested. A particle with a position that is not finite touches
// nothing: its distance to any other particle is never below anything.

#include "fluxen/core/simulation.h"
#include "fluxen/core/step_arithmetic.h"
#include "fluxen/core/stiffness_table.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <immintrin.h>
#include <limits>

namespace fluxen {

struct Simulation::Grid {
    // Cell start offsets into the arrays below (two more than cells), the particles ordered
    // by cell, and copies of what the contact test reads, for cache-friendly scans.
    std::vector<std::uint32_t> cellStart;
    std::vector<int> cell;
    std::vector<int> cellX;
    std::vector<int> cellY;
    std::vector<int> index;
    std::vector<float> px;
    std::vector<float> py;
    std::vector<float> pr;
    std::vector<float> blockX;
    std::vector<float> blockY;
    std::vector<float> blockR;
    std::vector<int> blockIndex;
    int columns = 1;
    int rows = 1;

    // Touching pairs as keys (lower index, higher index) packed into one integer, first as
    // found, then sorted; where each lower index's pairs start; and each pair's weight and
    // stiffness.
    std::vector<std::uint32_t> pairs;
    std::vector<std::uint32_t> sortScratch;
    std::vector<std::uint32_t> groupStart;
    std::vector<std::uint32_t> fill;
    std::vector<float> pairWeight;
    std::vector<float> pairStiffness;
    std::vector<float> pairBase;

    detail::StiffnessTable stiffness;

    void build(const std::vector<Particle>& o, int count);
    void findPairs();
    void findPairsOfFirst(const std::vector<Particle>& o, int count);
    void groupPairs(int count);
    void weighPairs(const std::vector<Particle>& o, float rabia);
};

namespace {

// Far inside int range, and big enough for any sensible world.
constexpr double kCoordinateLimit = 1 << 30;

// A pair's key: the lower index in the high half, the higher one in the low half, so that keys
// order pairs as the sweep applies them. The table never holds more than 2^16 particles.
constexpr int kIndexBits = 16;
static_assert(kLargestCapacity <= 1 << kIndexBits);

std::uint32_t pairKey(int low, int high) {
    return static_cast<std::uint32_t>(low) << kIndexBits | static_cast<std::uint32_t>(high);
}

int lowOf(std::uint32_t key) {
    return static_cast<int>(key >> kIndexBits);
}

int highOf(std::uint32_t key) {
    return static_cast<int>(key & ((1u << kIndexBits) - 1));
}

// floor(position / cell size), clamped. Truncation and a correction instead of std::floor,
// which the baseline instruction set can only call out for.
int cellCoordinate(float position, double inverseCell) {
    const double scaled = std::clamp(static_cast<double>(position) * inverseCell, -kCoordinateLimit,
                                     kCoordinateLimit);
    const int truncated = static_cast<int>(scaled);
    return truncated - (static_cast<double>(truncated) > scaled ? 1 : 0);
}

bool isPlaced(const Particle& p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

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

// The extent of the placed particles' cells.
struct CellBounds {
    bool any = false;
    int minX = 0, maxX = 0, minY = 0, maxY = 0;
};

// The largest radius of particles 1 .. count-1, with four running maxima, so that the
// comparisons need not wait for each other. NaN radii are skipped.
float largestRadius(const Particle* o, int count) {
    float largests[4] = {0, 0, 0, 0};
    for (int i = 1; i < count; ++i)
        largests[i & 3] = std::max(largests[i & 3], o[i].radius);
    return std::max(std::max(largests[0], largests[1]), std::max(largests[2], largests[3]));
}

// The cell coordinates of particles 1 .. count-1, or a cell of -1 for those not placed.
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

// Whether to run the 512-bit vector code, or the three-operand build of the contact loop: where
// the processor has the instructions and the tests have not switched them off.
bool useWideVectors() {
    static const bool has = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("popcnt");
    return has && detail::wideVectorsAllowed();
}

bool useVex() {
    static const bool has = __builtin_cpu_supports("avx");
    return has && detail::wideVectorsAllowed();
}

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
touchingWide(__m512 ax, __m512 ay, __m512 ar, __m512 bx, __m512 by, __m512 br, __mmask16 valid) {
    const __m512i signless = _mm512_set1_epi32(0x7FFFFFFF);
    const __m512 dx =
        _mm512_castsi512_ps(_mm512_and_si512(_mm512_castps_si512(_mm512_sub_ps(ax, bx)), signless));
    const __m512 dy =
        _mm512_castsi512_ps(_mm512_and_si512(_mm512_castps_si512(_mm512_sub_ps(ay, by)), signless));
    const __m512 reach = _mm512_mul_ps(_mm512_add_ps(ar, br), _mm512_set1_ps(0.5f));
    return _mm512_mask_cmp_ps_mask(valid, _mm512_add_ps(dx, dy), reach, _CMP_LT_OQ);
}

// `largestRadius` sixteen particles at a time. The vector maximum answers its second operand
// when the first is NaN, as the scalar one does.
__attribute__((target("avx512f"))) float largestRadiusWide(const Particle* o, int count) {
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

// floor(position / cell size), clamped, for eight positions: the same as `cellCoordinate`.
__attribute__((target("avx512f"), always_inline)) inline __m256i
cellCoordinatesWide(__m256 positions, __m512d inverseCell) {
    const __m512d limit = _mm512_set1_pd(kCoordinateLimit);
    const __m512d scaled =
        _mm512_max_pd(_mm512_min_pd(_mm512_mul_pd(_mm512_cvtps_pd(positions), inverseCell), limit),
                      _mm512_sub_pd(_mm512_setzero_pd(), limit));
    return _mm512_cvttpd_epi32(
        _mm512_roundscale_pd(scaled, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC));
}

__attribute__((target("avx512f"), always_inline)) inline __m512i
cellCoordinatesWide(__m512 positions, __m512d inverseCell) {
    const __m256 low = _mm512_castps512_ps256(positions);
    // The upper two quarters moved down.
    const __m256 high = _mm512_castps512_ps256(_mm512_shuffle_f32x4(positions, positions, 0xEE));
    return _mm512_inserti64x4(_mm512_castsi256_si512(cellCoordinatesWide(low, inverseCell)),
                              cellCoordinatesWide(high, inverseCell), 1);
}

// `placeInCells` sixteen particles at a time.
__attribute__((target("avx512f"))) CellBounds placeInCellsWide(const Particle* o, int count,
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
        const __m512i cx = oneCell ? _mm512_setzero_si512() : cellCoordinatesWide(x, inverse);
        const __m512i cy = oneCell ? _mm512_setzero_si512() : cellCoordinatesWide(y, inverse);
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

// Each placed particle's cell in the window of `columns` by `rows` cells from the origin:
// its coordinates from the origin, clamped to the window.
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

// `windowCells` sixteen particles at a time. The origin's column is the least, so a column
// from it lies in [0, 2^31]: exact as an unsigned 32-bit difference. A row from the origin
// lies in [-2^31, rows): exact as a signed one.
__attribute__((target("avx512f"))) void windowCellsWide(const int* cellX, const int* cellY,
                                                        int* cell, int count, int originX,
                                                        int originY, int columns, int rows) {
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

} // namespace

// Sorts particles 1 .. count-1 into cells by a counting sort, which keeps each cell in index
// order.
void Simulation::Grid::build(const std::vector<Particle>& o, int count) {
    cell.resize(static_cast<std::size_t>(std::max(count, 1)));
    cellX.resize(cell.size());
    cellY.resize(cell.size());

    const bool wide = useWideVectors();
    const float largest =
        wide ? largestRadiusWide(o.data(), count) : largestRadius(o.data(), count);
    // A radius beyond any sensible world puts everyone into one cell: slow but still exact.
    const bool oneCell = !(largest < 1e30f);
    const double inverseCell = 1.0 / std::max(static_cast<double>(largest) * 1.001, 1e-30);
    const CellBounds bounds = (wide ? placeInCellsWide : placeInCells)(
        o.data(), count, inverseCell, oneCell, cellX.data(), cellY.data(), cell.data());
    const int minX = bounds.minX, maxX = bounds.maxX, minY = bounds.minY, maxY = bounds.maxY;
    // The window: the columns up to a limit, and the rows from the floor upward, so that the
    // liquid gets cells of its own and whatever flew far above shares the top row.
    const double cellLimit = 8.0 * count + 4096;
    columns = static_cast<int>(std::min(static_cast<double>(maxX) - minX + 1, 4096.0));
    rows = static_cast<int>(
        std::min(static_cast<double>(maxY) - minY + 1, std::floor(cellLimit / columns)));
    rows = std::max(rows, 1);
    const int originX = minX;
    const int originY = maxY - rows + 1;

    const std::size_t cells = static_cast<std::size_t>(columns) * rows;
    (wide ? windowCellsWide : windowCells)(cellX.data(), cellY.data(), cell.data(), count, originX,
                                           originY, columns, rows);
    // Raw pointers from here on: a store through an int or float pointer might otherwise
    // change a vector's own fields, and the compiler would reload them after every store.
    const int* const cellOf = cell.data();
    cellStart.assign(cells + 2, 0);
    std::uint32_t* const sizes = cellStart.data() + 1;
    for (int i = 1; i < count; ++i) {
        if (cellOf[i] >= 0)
            ++sizes[cellOf[i]];
    }
    for (std::size_t k = 0; k <= cells; ++k)
        cellStart[k + 1] += cellStart[k];

    const std::size_t placed = cellStart[cells];
    index.resize(placed);
    px.resize(placed);
    py.resize(placed);
    pr.resize(placed);
    fill.assign(cellStart.begin(), cellStart.end() - 1);
    std::uint32_t* const next = fill.data();
    const Particle* const particles = o.data();
    int* const indices = index.data();
    float* const xs = px.data();
    float* const ys = py.data();
    float* const rs = pr.data();
    for (int i = 1; i < count; ++i) {
        if (cellOf[i] < 0)
            continue;
        const std::uint32_t at = next[cellOf[i]]++;
        indices[at] = i;
        xs[at] = particles[i].x;
        ys[at] = particles[i].y;
        rs[at] = particles[i].radius;
    }
}

namespace {

// The weights and stiffness bases of `weighPairs`, eight pairs at a time, for processors with
// 512-bit vectors: the same operations on gathered particles.
__attribute__((target("avx512f,avx512vl"))) void weighWide(const Particle* o,
                                                           const std::uint32_t* keys,
                                                           std::size_t count, float* weights,
                                                           float* bases) {
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

// One particle against the candidates [from, to) of arrays laid out like the cell-sorted
// ones: the same single-precision operations as the scalar test, sixteen at a time, hits
// compressed to the front of the vector and stored whole (the lanes past the hits are
// overwritten next). `out` has room. Answers the new number of keys.
__attribute__((target("avx512f,popcnt"), always_inline)) inline std::size_t
scanWide(__m512 ax, __m512 ay, __m512 ar, __m512i self, const float* xs, const float* ys,
         const float* rs, const int* indices, std::uint32_t from, std::uint32_t to,
         std::uint32_t* out, std::size_t found) {
    // The first vector always, even of an empty range (then with no lane valid): a loop whose
    // count varies from particle to particle costs more in mispredicted branches than the
    // test it saves.
    std::uint32_t k = from;
    do {
        const __mmask16 valid = below(k, to);
        const __mmask16 hit = touchingWide(ax, ay, ar, _mm512_maskz_loadu_ps(valid, xs + k),
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
copyWide(const float* xs, const float* ys, const float* rs, const int* indices, std::uint32_t from,
         std::uint32_t to, float* bx, float* by, float* br, int* bi, std::uint32_t at) {
    for (std::uint32_t k = from; k < to; k += 16, at += 16) {
        const __mmask16 valid = below(k, to);
        _mm512_mask_storeu_ps(bx + at, valid, _mm512_maskz_loadu_ps(valid, xs + k));
        _mm512_mask_storeu_ps(by + at, valid, _mm512_maskz_loadu_ps(valid, ys + k));
        _mm512_mask_storeu_ps(br + at, valid, _mm512_maskz_loadu_ps(valid, rs + k));
        _mm512_mask_storeu_epi32(bi + at, valid, _mm512_maskz_loadu_epi32(valid, indices + k));
    }
}

// `findPairs` for processors with 512-bit vectors. A cell's candidates (itself, the next cell
// of its row, the three cells below) are copied into one block, so that a particle usually
// meets all of them in a single vector. Answers the number of keys.
__attribute__((target("avx512f,popcnt"))) std::size_t
findPairsWide(const float* xs, const float* ys, const float* rs, const int* indices,
              const std::uint32_t* cellStart, int rows, int columns,
              std::vector<std::uint32_t>& pairs) {
    constexpr std::uint32_t kBlock = 48;
    alignas(64) float bx[kBlock + 16];
    alignas(64) float by[kBlock + 16];
    alignas(64) float br[kBlock + 16];
    alignas(64) int bi[kBlock + 16];
    std::size_t found = 0;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const auto [rowFrom, ownTo, rowTo, belowFrom, belowTo] =
                rangesOf(cellStart, rows, columns, row, column);
            if (rowFrom == ownTo)
                continue;
            const std::uint32_t length = (rowTo - rowFrom) + (belowTo - belowFrom);
            // Room for every pair these ranges can give.
            const std::size_t most = found + std::size_t{ownTo - rowFrom} * length;
            if (most + 16 > pairs.size())
                pairs.resize(std::max(most + 16, pairs.size() * 2));
            std::uint32_t* const out = pairs.data();
            if (length <= kBlock) {
                copyWide(xs, ys, rs, indices, rowFrom, rowTo, bx, by, br, bi, 0);
                copyWide(xs, ys, rs, indices, belowFrom, belowTo, bx, by, br, bi, rowTo - rowFrom);
                for (std::uint32_t at = 0; at < ownTo - rowFrom; ++at) {
                    found = scanWide(_mm512_set1_ps(bx[at]), _mm512_set1_ps(by[at]),
                                     _mm512_set1_ps(br[at]), _mm512_set1_epi32(bi[at]), bx, by, br,
                                     bi, at + 1, length, out, found);
                }
                continue;
            }
            // A crowded cell: straight on the sorted arrays, in two ranges.
            for (std::uint32_t at = rowFrom; at < ownTo; ++at) {
                const __m512 ax = _mm512_set1_ps(xs[at]);
                const __m512 ay = _mm512_set1_ps(ys[at]);
                const __m512 ar = _mm512_set1_ps(rs[at]);
                const __m512i self = _mm512_set1_epi32(indices[at]);
                found = scanWide(ax, ay, ar, self, xs, ys, rs, indices, at + 1, rowTo, out, found);
                found =
                    scanWide(ax, ay, ar, self, xs, ys, rs, indices, belowFrom, belowTo, out, found);
            }
        }
    }
    return found;
}

// `findPairsOfFirst` sixteen particles at a time: the keys of particle 0's pairs into `out`,
// which has room for `count` and sixteen more. Answers their number.
__attribute__((target("avx512f,popcnt"))) std::size_t
findPairsOfFirstWide(const Particle* o, int count, std::uint32_t* out) {
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
            touchingWide(ax, ay, ar, _mm512_mask_i32gather_ps(zero, valid, offsets, fields, 4),
                         _mm512_mask_i32gather_ps(zero, valid, offsets, fields + 1, 4),
                         _mm512_mask_i32gather_ps(zero, valid, offsets, fields + 4, 4), valid);
        // The key of (0, j) is j itself: the offset over the eight fields of a particle.
        _mm512_storeu_si512(out + found,
                            _mm512_maskz_compress_epi32(hit, _mm512_srli_epi32(offsets, 3)));
        found += static_cast<std::size_t>(__builtin_popcount(hit));
    }
    return found;
}

} // namespace

// Each pair once: a particle meets the rest of its own cell, the next cell of its row and the
// three cells below in the next row, copied into one block per cell. The test runs on four
// particles at a time; the vector operations are the same IEEE single-precision operations as
// the scalar test, and lanes past the block are masked off. The keys of a vector's hits are
// moved to the front of four slots always written, of which the first (as many as there are
// hits) count: no branch on the hits.
void Simulation::Grid::findPairs() {
    if (useWideVectors()) {
        pairs.resize(std::max<std::size_t>(pairs.size(), 4096));
        pairs.resize(findPairsWide(px.data(), py.data(), pr.data(), index.data(), cellStart.data(),
                                   rows, columns, pairs));
        return;
    }
    // The lanes set in each four-bit mask, in order.
    static constexpr std::uint8_t kLanes[16][4] = {
        {0, 0, 0, 0}, {0, 0, 0, 0}, {1, 0, 0, 0}, {0, 1, 0, 0}, {2, 0, 0, 0}, {0, 2, 0, 0},
        {1, 2, 0, 0}, {0, 1, 2, 0}, {3, 0, 0, 0}, {0, 3, 0, 0}, {1, 3, 0, 0}, {0, 1, 3, 0},
        {2, 3, 0, 0}, {0, 2, 3, 0}, {1, 2, 3, 0}, {0, 1, 2, 3}};
    const std::uint32_t placed = static_cast<std::uint32_t>(index.size());
    // Room to read whole vectors past the end.
    px.resize(placed + 4, 0);
    py.resize(placed + 4, 0);
    pr.resize(placed + 4, 0);
    index.resize(placed + 4, 0);
    static constexpr std::uint8_t kCount[16] = {0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4};
    // Raw pointers and a local count, so that the compiler keeps them in registers instead of
    // reloading them after every store of a key.
    const float* const xs = px.data();
    const float* const ys = py.data();
    const float* const rs = pr.data();
    const int* const indices = index.data();
    std::size_t found = 0;
    // Room for the four keys always written; more as it fills up.
    pairs.resize(std::max<std::size_t>(pairs.size(), 4096));
    std::uint32_t* out = pairs.data();
    std::size_t room = pairs.size() - 4;
    const __m128 signless = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
    const __m128 half = _mm_set1_ps(0.5f);
    // The candidates of one cell, copied next to each other: the cell itself, the next cell
    // of its row, the three cells below. Padded for whole-vector reads.
    float* bx = nullptr;
    float* by = nullptr;
    float* br = nullptr;
    int* bi = nullptr;
    auto scan = [&](std::uint32_t at, std::uint32_t to) {
        const __m128 ax = _mm_set1_ps(bx[at]);
        const __m128 ay = _mm_set1_ps(by[at]);
        const __m128 ar = _mm_set1_ps(br[at]);
        const __m128i selfs = _mm_set1_epi32(bi[at]);
        std::size_t n = found;
        for (std::uint32_t k = at + 1; k < to; k += 4) {
            const __m128 dx = _mm_and_ps(_mm_sub_ps(ax, _mm_loadu_ps(bx + k)), signless);
            const __m128 dy = _mm_and_ps(_mm_sub_ps(ay, _mm_loadu_ps(by + k)), signless);
            const __m128 d = _mm_add_ps(dx, dy);
            const __m128 reach = _mm_mul_ps(_mm_add_ps(ar, _mm_loadu_ps(br + k)), half);
            unsigned mask = static_cast<unsigned>(_mm_movemask_ps(_mm_cmplt_ps(d, reach)));
            mask &= to - k >= 4 ? 15u : (1u << (to - k)) - 1;
            if (n > room) [[unlikely]] {
                pairs.resize(pairs.size() * 2);
                out = pairs.data();
                room = pairs.size() - 4;
            }
            // Keys of the four lanes, then the set ones moved to the front.
            const __m128i others = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bi + k));
            const __m128i below = _mm_cmplt_epi32(others, selfs);
            const __m128i low =
                _mm_or_si128(_mm_and_si128(below, others), _mm_andnot_si128(below, selfs));
            const __m128i high =
                _mm_or_si128(_mm_andnot_si128(below, others), _mm_and_si128(below, selfs));
            alignas(16) std::uint32_t keys[4];
            _mm_store_si128(reinterpret_cast<__m128i*>(keys),
                            _mm_or_si128(_mm_slli_epi32(low, kIndexBits), high));
            for (int lane = 0; lane < 4; ++lane)
                out[n + lane] = keys[kLanes[mask][lane]];
            n += kCount[mask];
        }
        found = n;
    };
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const auto [rowFrom, ownTo, rowTo, belowFrom, belowTo] =
                rangesOf(cellStart.data(), rows, columns, row, column);
            const std::uint32_t own = ownTo - rowFrom;
            if (own == 0)
                continue;
            const std::uint32_t length = (rowTo - rowFrom) + (belowTo - belowFrom);
            if (blockX.size() < length + 4) {
                for (auto* block : {&blockX, &blockY, &blockR})
                    block->resize(length + 4, 0);
                blockIndex.resize(length + 4, 0);
            }
            bx = blockX.data();
            by = blockY.data();
            br = blockR.data();
            bi = blockIndex.data();
            const std::uint32_t first = rowTo - rowFrom;
            std::copy(xs + rowFrom, xs + rowTo, bx);
            std::copy(ys + rowFrom, ys + rowTo, by);
            std::copy(rs + rowFrom, rs + rowTo, br);
            std::copy(indices + rowFrom, indices + rowTo, bi);
            std::copy(xs + belowFrom, xs + belowTo, bx + first);
            std::copy(ys + belowFrom, ys + belowTo, by + first);
            std::copy(rs + belowFrom, rs + belowTo, br + first);
            std::copy(indices + belowFrom, indices + belowTo, bi + first);
            for (std::uint32_t at = 0; at < own; ++at)
                scan(at, length);
        }
    }
    pairs.resize(found);
    px.resize(placed);
    py.resize(placed);
    pr.resize(placed);
    index.resize(placed);
}

void Simulation::Grid::findPairsOfFirst(const std::vector<Particle>& o, int count) {
    if (count == 0 || !isPlaced(o[0]))
        return;
    if (useWideVectors()) {
        const std::size_t found = pairs.size();
        pairs.resize(found + static_cast<std::size_t>(count) + 16);
        pairs.resize(findPairsOfFirstWide(o.data(), count, pairs.data() + found) + found);
        return;
    }
    for (int j = 1; j < count; ++j) {
        const float d = detail::contactDistance(o[0].x, o[0].y, o[j].x, o[j].y);
        if (d < detail::contactReach(o[0].radius, o[j].radius))
            pairs.push_back(pairKey(0, j));
    }
}

// Sorts the keys, so by lower and then higher index, with two passes of a counting sort: by the
// higher index, then (stably) by the lower one. The second pass's counts are the number of
// pairs of each lower index, from which the groups' starts follow.
void Simulation::Grid::groupPairs(int count) {
    const std::size_t buckets = static_cast<std::size_t>(count) + 1;
    fill.assign(buckets, 0);
    for (const std::uint32_t k : pairs)
        ++fill[highOf(k)];
    std::uint32_t sum = 0;
    for (std::uint32_t& bucket : fill) {
        const std::uint32_t size = bucket;
        bucket = sum;
        sum += size;
    }
    sortScratch.resize(pairs.size());
    for (const std::uint32_t k : pairs)
        sortScratch[fill[highOf(k)]++] = k;
    // In order of the higher index, consecutive keys rarely share the lower one, so the counts
    // are taken here, where one increment need not wait for the one before.
    groupStart.assign(buckets, 0);
    for (const std::uint32_t k : sortScratch)
        ++groupStart[lowOf(k) + 1];
    for (int i = 0; i < count; ++i)
        groupStart[i + 1] += groupStart[i];
    fill.assign(groupStart.begin(), groupStart.end() - 1);
    for (const std::uint32_t k : sortScratch)
        pairs[fill[lowOf(k)]++] = k;
}

// The weight and the stiffness of every pair, from the positions at the start of the step.
// They do not depend on any velocity, so they are worked out before the sweep, where the
// processor can overlap them freely.
void Simulation::Grid::weighPairs(const std::vector<Particle>& o, float rabia) {
    stiffness.prepare(rabia);
    pairWeight.resize(pairs.size());
    pairStiffness.resize(pairs.size());
    pairBase.resize(pairs.size());
    // Particle 0's pairs use neither.
    const std::size_t first = groupStart.size() > 1 ? groupStart[1] : 0;
    std::size_t p = first;
    if (useWideVectors()) {
        const std::size_t whole = (pairs.size() - first) & ~std::size_t{7};
        weighWide(o.data(), pairs.data() + first, whole, pairWeight.data() + first,
                  pairBase.data() + first);
        p += whole;
    }
    for (; p < pairs.size(); ++p) {
        const Particle& a = o[lowOf(pairs[p])];
        const Particle& b = o[highOf(pairs[p])];
        const float d = detail::contactDistance(a.x, a.y, b.x, b.y);
        const float D = detail::contactReach(a.radius, b.radius);
        pairWeight[p] = detail::contactWeight(a.radius, D);
        pairBase[p] = detail::stiffnessBase(d, D);
    }
    stiffness.fill(pairBase.data() + first, pairStiffness.data() + first, pairs.size() - first);
}

namespace {

// Two neighbouring floats, x and y of a position or a velocity, in the low lanes of a vector.
// Through the integer vector type, which may alias anything.
[[gnu::always_inline]] inline __m128 loadPair(const float* at) {
    return _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(at)));
}

[[gnu::always_inline]] inline void storePair(float* at, __m128 pair) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(at), _mm_castps_si128(pair));
}

// `detail::touchPair` with x and y in two lanes of one vector: the same operations, in the
// same order, on each. Answers the lower particle's new velocity.
[[gnu::always_inline]] inline __m128 touchPair(__m128 position, __m128 velocity, Particle& b,
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
// from one pair to the next, so that each group's contacts wait only on what they need.
[[gnu::always_inline]] inline void sweepPairs(Particle* o, const std::uint32_t* keys,
                                              const float* weights, const float* stiffnesses,
                                              std::uint32_t from, std::uint32_t to) {
    for (std::uint32_t p = from; p < to; ++p) {
        Particle& a = o[lowOf(keys[p])];
        storePair(&a.vx, touchPair(loadPair(&a.x), loadPair(&a.vx), o[highOf(keys[p])], weights[p],
                                   stiffnesses[p]));
    }
}

void sweep(Particle* o, const std::uint32_t* keys, const float* weights, const float* stiffnesses,
           std::uint32_t from, std::uint32_t to) {
    sweepPairs(o, keys, weights, stiffnesses, from, to);
}

// The same with three-operand instructions and broadcasts from memory: fewer instructions for
// the same operations.
__attribute__((target("avx"))) void sweepVex(Particle* o, const std::uint32_t* keys,
                                             const float* weights, const float* stiffnesses,
                                             std::uint32_t from, std::uint32_t to) {
    sweepPairs(o, keys, weights, stiffnesses, from, to);
}

// A value for x and one for y of each of the two particles in a vector: x in lanes 0 and 8, y
// in lanes 1 and 9.
__attribute__((target("avx512f"), always_inline)) inline __m512 perParticle(float forX,
                                                                            float forY) {
    return _mm512_setr_ps(forX, forY, 0, 0, 0, 0, 0, 0, forX, forY, 0, 0, 0, 0, 0, 0);
}

// `detail::moveAndBounce` for two particles at a time, for processors with 512-bit vectors: a
// vector holds both particles whole, and every operation is the scalar one on its lanes, the
// walls applied under masks in their order. The last particle of an odd count is moved alone.
__attribute__((target("avx512f"))) void moveAllWide(Particle* o, int count,
                                                    const detail::Motion& m) {
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
        detail::moveAndBounce(o[i], m);
}

} // namespace

// Defined here, where the grid is a complete type.
Simulation::Simulation(int capacity)
    : o(static_cast<std::size_t>(std::clamp(capacity, 1, kLargestCapacity))) {
    NUM_OBJ = std::min(NUM_OBJ, this->capacity());
}

Simulation::~Simulation() = default;

void Simulation::step() {
    if (!m_grid)
        m_grid = std::make_unique<Grid>();
    Grid& grid = *m_grid;
    grid.build(o, NUM_OBJ);
    grid.findPairs();
    grid.findPairsOfFirst(o, NUM_OBJ);
    grid.groupPairs(NUM_OBJ);
    grid.weighPairs(o, rabia);

    gravityFromTilt();
    const detail::Motion move = motion();
    const int count = NUM_OBJ;
    if (count > 0) {
        detail::Lower lower{o[0].x, o[0].y, o[0].vx, o[0].vy};
        for (std::uint32_t p = grid.groupStart[0]; p < grid.groupStart[1]; ++p)
            detail::touchFirst(lower, o[highOf(grid.pairs[p])]);
        o[0].vx = lower.vx;
        o[0].vy = lower.vy;
    }
    if (count > 1) {
        (useVex() ? sweepVex : sweep)(o.data(), grid.pairs.data(), grid.pairWeight.data(),
                                      grid.pairStiffness.data(), grid.groupStart[1],
                                      grid.groupStart[count]);
    }
    // A particle's contacts are over once its own group is; no later contact reads its
    // position. So all of them move now, as each would have right after its group.
    if (useWideVectors()) {
        moveAllWide(o.data(), count, move);
    } else {
        for (int i = 0; i < count; ++i)
            detail::moveAndBounce(o[i], move);
    }
    pollSensor();
}

} // namespace fluxen
