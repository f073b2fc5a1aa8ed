// The step that visits only the pairs that can touch.
//
// Why it gives the all-pairs result to the last bit: during the sweep, the pair (i, j) with
// i < j is tested while neither particle has moved yet (i moves after its own contacts, j later
// still). So the set of touching pairs depends only on the positions at the start of the step.
// The fast step therefore first finds all touching pairs from those positions, in any order,
// then sweeps in index order and applies the pairs of each i in increasing j with the very same
// arithmetic, so every velocity sees the same sequence of operations.
//
// The grid never misses a pair: two particles touch only when their Manhattan distance is below
// half their radii's sum, hence both coordinate differences are below the larger radius. Cells
// a little larger than the largest radius put touching particles into the same or adjacent
// cells. Particle 0, twice as large as the rest, is tested against everyone directly, so that
// it does not set the cell size. Cells are clamped to a window around the liquid; clamping
// keeps neighbours neighbours, so particles far outside (splashed high above the top) share
// edge cells and are still tested. A particle with a position that is not finite touches
// nothing: its distance to any other particle is never below anything.

#include "simulation.h"
#include "step_arithmetic.h"
#include "stiffness_table.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <emmintrin.h>

namespace fluxen {

struct Simulation::Grid {
    // Cell start offsets into the arrays below (two more than cells), the particles ordered
    // by cell, and copies of what the contact test reads, for cache-friendly scans.
    std::vector<std::uint32_t> cellStart;
    std::vector<int> cell;
    std::vector<int> index;
    std::vector<float> px;
    std::vector<float> py;
    std::vector<float> pr;
    int columns = 1;
    int rows = 1;

    // Touching pairs as found, then the higher index of each grouped by the lower one, in
    // increasing order.
    std::vector<int> pairLow;
    std::vector<int> pairHigh;
    std::vector<std::uint32_t> groupStart;
    std::vector<std::uint32_t> fill;
    std::vector<int> groupHigh;

    detail::StiffnessTable stiffness;

    void build(const std::vector<Particle>& o, int count);
    void findPairs();
    void findPairsOfFirst(const std::vector<Particle>& o, int count);
    void groupPairs(int count);
};

namespace {

// Far inside int range, and big enough for any sensible world.
constexpr double kCoordinateLimit = 1 << 30;

double cellCoordinate(float position, double inverseCell) {
    return std::clamp(std::floor(static_cast<double>(position) * inverseCell), -kCoordinateLimit,
                      kCoordinateLimit);
}

bool isPlaced(const Particle& p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

} // namespace

// Sorts particles 1 .. count-1 into cells by a counting sort, which keeps each cell in index
// order.
void Simulation::Grid::build(const std::vector<Particle>& o, int count) {
    cell.resize(static_cast<std::size_t>(std::max(count, 1)));

    float largest = 0;
    for (int i = 1; i < count; ++i)
        largest = std::max(largest, o[i].radius); // NaN radii are skipped
    // A radius beyond any sensible world puts everyone into one cell: slow but still exact.
    const bool oneCell = !(largest < 1e30f);
    const double inverseCell = 1.0 / std::max(static_cast<double>(largest) * 1.001, 1e-30);

    bool placedAny = false;
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    for (int i = 1; i < count; ++i) {
        if (!isPlaced(o[i]))
            continue;
        const double cx = oneCell ? 0 : cellCoordinate(o[i].x, inverseCell);
        const double cy = oneCell ? 0 : cellCoordinate(o[i].y, inverseCell);
        if (!placedAny) {
            minX = maxX = cx;
            minY = maxY = cy;
            placedAny = true;
        }
        minX = std::min(minX, cx);
        maxX = std::max(maxX, cx);
        minY = std::min(minY, cy);
        maxY = std::max(maxY, cy);
    }
    // The window: the columns up to a limit, and the rows from the floor upward, so that the
    // liquid gets cells of its own and whatever flew far above shares the top row.
    const double cellLimit = 8.0 * count + 4096;
    columns = static_cast<int>(std::min(maxX - minX + 1, 4096.0));
    rows = static_cast<int>(std::min(maxY - minY + 1, std::floor(cellLimit / columns)));
    rows = std::max(rows, 1);
    const double originX = minX;
    const double originY = maxY - rows + 1;

    const std::size_t cells = static_cast<std::size_t>(columns) * rows;
    cellStart.assign(cells + 2, 0);
    for (int i = 1; i < count; ++i) {
        if (!isPlaced(o[i])) {
            cell[i] = -1;
            continue;
        }
        const double cx = oneCell ? 0 : cellCoordinate(o[i].x, inverseCell) - originX;
        const double cy = oneCell ? 0 : cellCoordinate(o[i].y, inverseCell) - originY;
        const int column = static_cast<int>(std::clamp(cx, 0.0, columns - 1.0));
        const int row = static_cast<int>(std::clamp(cy, 0.0, rows - 1.0));
        cell[i] = row * columns + column;
        ++cellStart[cell[i] + 1];
    }
    for (std::size_t k = 0; k <= cells; ++k)
        cellStart[k + 1] += cellStart[k];

    const std::size_t placed = cellStart[cells];
    index.resize(placed);
    px.resize(placed);
    py.resize(placed);
    pr.resize(placed);
    fill.assign(cellStart.begin(), cellStart.end() - 1);
    for (int i = 1; i < count; ++i) {
        if (cell[i] < 0)
            continue;
        const std::uint32_t at = fill[cell[i]]++;
        index[at] = i;
        px[at] = o[i].x;
        py[at] = o[i].y;
        pr[at] = o[i].radius;
    }
}

// Each pair once: a particle meets the rest of its own cell and the next cell of its row
// (contiguous in memory), and the three cells below in the next row (contiguous too). The
// test runs on four particles at a time; the vector operations are the same IEEE
// single-precision operations as the scalar test, and lanes past the range are masked off.
void Simulation::Grid::findPairs() {
    pairLow.clear();
    pairHigh.clear();
    const std::uint32_t placed = static_cast<std::uint32_t>(index.size());
    // Room to read whole vectors past the end.
    px.resize(placed + 4, 0);
    py.resize(placed + 4, 0);
    pr.resize(placed + 4, 0);
    const __m128 signless = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
    const __m128 half = _mm_set1_ps(0.5f);
    auto scan = [&](std::uint32_t at, std::uint32_t from, std::uint32_t to) {
        const __m128 ax = _mm_set1_ps(px[at]);
        const __m128 ay = _mm_set1_ps(py[at]);
        const __m128 ar = _mm_set1_ps(pr[at]);
        const int self = index[at];
        for (std::uint32_t k = from; k < to; k += 4) {
            const __m128 dx = _mm_and_ps(_mm_sub_ps(ax, _mm_loadu_ps(&px[k])), signless);
            const __m128 dy = _mm_and_ps(_mm_sub_ps(ay, _mm_loadu_ps(&py[k])), signless);
            const __m128 d = _mm_add_ps(dx, dy);
            const __m128 reach = _mm_mul_ps(_mm_add_ps(ar, _mm_loadu_ps(&pr[k])), half);
            unsigned mask = static_cast<unsigned>(_mm_movemask_ps(_mm_cmplt_ps(d, reach)));
            if (to - k < 4)
                mask &= (1u << (to - k)) - 1;
            while (mask) {
                const int other = index[k + std::countr_zero(mask)];
                mask &= mask - 1;
                pairLow.push_back(std::min(self, other));
                pairHigh.push_back(std::max(self, other));
            }
        }
    };
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const int here = row * columns + column;
            const int span = std::min(2, columns - column);
            const std::uint32_t rowEnd = cellStart[here + span];
            std::uint32_t belowFrom = 0, belowTo = 0;
            if (row + 1 < rows) {
                belowFrom = cellStart[here + columns - (column > 0 ? 1 : 0)];
                belowTo = cellStart[here + columns + span];
            }
            for (std::uint32_t at = cellStart[here]; at < cellStart[here + 1]; ++at) {
                scan(at, at + 1, rowEnd);
                scan(at, belowFrom, belowTo);
            }
        }
    }
    px.resize(placed);
    py.resize(placed);
    pr.resize(placed);
}

void Simulation::Grid::findPairsOfFirst(const std::vector<Particle>& o, int count) {
    if (count == 0 || !isPlaced(o[0]))
        return;
    for (int j = 1; j < count; ++j) {
        const float d = detail::contactDistance(o[0].x, o[0].y, o[j].x, o[j].y);
        if (d < detail::contactReach(o[0].radius, o[j].radius)) {
            pairLow.push_back(0);
            pairHigh.push_back(j);
        }
    }
}

// A counting sort by lower index, then each (short) group sorted by higher index.
void Simulation::Grid::groupPairs(int count) {
    groupStart.assign(static_cast<std::size_t>(count) + 1, 0);
    for (const int low : pairLow)
        ++groupStart[low + 1];
    for (int i = 0; i < count; ++i)
        groupStart[i + 1] += groupStart[i];
    groupHigh.resize(pairLow.size());
    fill.assign(groupStart.begin(), groupStart.end() - 1);
    for (std::size_t p = 0; p < pairLow.size(); ++p)
        groupHigh[fill[pairLow[p]]++] = pairHigh[p];
    for (int i = 0; i < count; ++i) {
        int* first = groupHigh.data() + groupStart[i];
        int* last = groupHigh.data() + groupStart[i + 1];
        for (int* it = first + 1; it < last; ++it) {
            const int value = *it;
            int* hole = it;
            for (; hole > first && *(hole - 1) > value; --hole)
                *hole = *(hole - 1);
            *hole = value;
        }
    }
}

// Defined here, where the grid is a complete type.
Simulation::Simulation(int capacity) : o(static_cast<std::size_t>(std::max(capacity, 1))) {
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
    grid.stiffness.prepare(rabia);

    gravityFromTilt();
    for (int i = 0; i < NUM_OBJ; ++i) {
        Particle& a = o[i];
        for (std::uint32_t p = grid.groupStart[i]; p < grid.groupStart[i + 1]; ++p) {
            Particle& other = o[grid.groupHigh[p]];
            if (i == 0) {
                detail::touch(i, a, other, 0, 0);
                continue;
            }
            const float d = detail::contactDistance(a.x, a.y, other.x, other.y);
            const float D = detail::contactReach(a.radius, other.radius);
            const float w = detail::contactWeight(a.radius, D);
            const float K = grid.stiffness(detail::stiffnessBase(d, D));
            detail::touch(i, a, other, w, K);
        }
        moveAndBounce(a);
    }
    pollSensor();
}

} // namespace fluxen
