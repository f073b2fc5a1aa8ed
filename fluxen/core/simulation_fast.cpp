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
//
// This file is the driver: it sorts the particles into cells, orders and weighs the pairs, and
// runs each part with the kernels of the instruction set the simulation was made for
// (grid_step.h).

#include "fluxen/core/grid_step.h"
#include "fluxen/core/simulation.h"
#include "fluxen/core/step_arithmetic.h"
#include "fluxen/core/stiffness_table.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace fluxen {

using detail::highOf;
using detail::lowOf;

namespace {

detail::GridKernels kernelsFor(InstructionSet set) {
    switch (set) {
    case InstructionSet::Portable:
        return detail::portableKernels();
    case InstructionSet::Avx2:
        return detail::avx2Kernels();
    case InstructionSet::Avx512:
        return detail::avx512Kernels();
    }
    return detail::portableKernels();
}

} // namespace

struct Simulation::Grid {
    explicit Grid(InstructionSet set) : kernels(kernelsFor(set)), instructionSet(set) {}

    const detail::GridKernels kernels;
    const InstructionSet instructionSet;

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
    detail::CandidateBlock block;
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
    void findPairs(const std::vector<Particle>& o, int count);
    void groupPairs(int count);
    void weighPairs(const std::vector<Particle>& o, float rabia);
};

// Sorts particles 1 .. count-1 into cells by a counting sort, which keeps each cell in index
// order.
void Simulation::Grid::build(const std::vector<Particle>& o, int count) {
    cell.resize(static_cast<std::size_t>(std::max(count, 1)));
    cellX.resize(cell.size());
    cellY.resize(cell.size());

    const float largest = kernels.largestRadius(o.data(), count);
    // A radius beyond any sensible world puts everyone into one cell: slow but still exact.
    const bool oneCell = !(largest < 1e30f);
    const double inverseCell = 1.0 / std::max(static_cast<double>(largest) * 1.001, 1e-30);
    const detail::CellBounds bounds = kernels.placeInCells(o.data(), count, inverseCell, oneCell,
                                                           cellX.data(), cellY.data(), cell.data());
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
    kernels.windowCells(cellX.data(), cellY.data(), cell.data(), count, originX, originY, columns,
                        rows);
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

// The touching pairs of particles 1 .. count-1 from the cells, then particle 0's, which is
// tested against everyone.
void Simulation::Grid::findPairs(const std::vector<Particle>& o, int count) {
    const detail::CellOrder cells{px.data(),        py.data(), pr.data(), index.data(),
                                  cellStart.data(), rows,      columns};
    pairs.resize(kernels.findPairs(cells, block, pairs));
    if (count == 0 || !detail::isPlaced(o[0]))
        return;
    const std::size_t found = pairs.size();
    pairs.resize(found + static_cast<std::size_t>(count) + 16);
    pairs.resize(found + kernels.findPairsOfFirst(o.data(), count, pairs.data() + found));
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
    kernels.weighPairs(o.data(), pairs.data() + first, pairs.size() - first,
                       pairWeight.data() + first, pairBase.data() + first);
    stiffness.fill(pairBase.data() + first, pairStiffness.data() + first, pairs.size() - first,
                   instructionSet);
}

// Defined here, where the grid is a complete type.
Simulation::Simulation(int capacity, InstructionSet instructionSet)
    : o(static_cast<std::size_t>(std::clamp(capacity, 1, kLargestCapacity))),
      m_instructionSet(supportedUpTo(instructionSet)) {
    NUM_OBJ = std::min(NUM_OBJ, this->capacity());
}

Simulation::~Simulation() = default;

void Simulation::step() {
    if (!m_grid)
        m_grid = std::make_unique<Grid>(m_instructionSet);
    Grid& grid = *m_grid;
    grid.build(o, NUM_OBJ);
    grid.findPairs(o, NUM_OBJ);
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
        grid.kernels.sweep(o.data(), grid.pairs.data(), grid.pairWeight.data(),
                           grid.pairStiffness.data(), grid.groupStart[1], grid.groupStart[count]);
    }
    // A particle's contacts are over once its own group is; no later contact reads its
    // position. So all of them move now, as each would have right after its group.
    grid.kernels.moveAll(o.data(), count, move);
    pollSensor();
}

} // namespace fluxen
