#pragma once

#include "fluxen/core/instruction_set.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace fluxen {

class MotionSensor;
namespace detail {
struct Motion;
}

/// One soft disc of the liquid. Positions and sizes are in world units: x grows to the right
/// from the left edge, y grows downward from the top edge.
struct Particle {
    float x = 0;
    float y = 0;
    float vx = 0;
    float vy = 0;
    float radius = 0;
    float red = 0;
    float green = 0;
    float blue = 0;
};

/// The size of the particle table the program uses; the particle count never exceeds it.
inline constexpr int kTableSize = 1701;
/// The largest particle table a simulation can have.
inline constexpr int kLargestCapacity = 1 << 16;
/// The world's height in world units; its width follows the view's shape.
inline constexpr int kWorldHeight = 768;

/// The liquid: the particle table, the parameters that the controls set, and the step that
/// advances it. Everything runs on the main thread.
///
/// Two steps give the same result to the last bit: `stepReference` visits every pair of live
/// particles, `step` only the pairs that can touch. Both sweep the particles in index order and
/// update them in place, so later particles see velocities changed earlier in the same sweep.
/// The arithmetic is deliberately mixed: some products are taken in double and stored as float.
/// The files that define the steps are built without floating-point contraction so that the
/// compiler keeps both steps' arithmetic exactly as written.
class Simulation {
public:
    /// `capacity` is the size of the particle table, clamped to 1 .. `kLargestCapacity`; the
    /// program uses `kTableSize`, a benchmark may use more. `step` runs the code of
    /// `instructionSet`, or of the widest set below it that this processor runs; every set gives
    /// the same result.
    explicit Simulation(int capacity = kTableSize,
                        InstructionSet instructionSet = fastestInstructionSet());
    ~Simulation();
    Simulation(const Simulation&) = delete;
    Simulation& operator=(const Simulation&) = delete;

    int capacity() const { return static_cast<int>(o.size()); }
    /// The instruction set whose code `step` runs.
    InstructionSet instructionSet() const { return m_instructionSet; }

    /// Asks `sensor` for its kind (logged as "type: %d"), reads it once and takes that reading
    /// as level. Later steps read it every tenth step. `sensor` must outlive the simulation.
    void calibrate(MotionSensor& sensor);

    /// Re-creates every live particle from the C library's `rand()`: radii first, then
    /// positions above the visible area, velocities and colours. Uses the current world width.
    void initObjects();

    /// One step, visiting every pair: the literal form that the fast step is checked against.
    void stepReference();
    /// One step with the same result as `stepReference`, visiting only pairs that can touch.
    void step();

    /// Sets the live particle count, clamped to the table (0 .. capacity). Answers the count
    /// now in use. Does not re-create the particles.
    int setParticleCount(int count);
    /// Sets the base radius and draws every live particle's radius anew from `rand()`,
    /// particle 0 included.
    void setBaseRadius(float value);
    /// Sets the liquid colour and gives it to every live particle, particle 0 included.
    void setColour(float red, float green, float blue);

    // The parameters, under the names the rest of the program knows them by.

    /// The particle table; only the first `NUM_OBJ` records are live.
    std::vector<Particle> o;
    int NUM_OBJ = 600;
    float radius = 9.5f;
    float gravity = 11.0f;
    double dt = 0.0996;
    float rabia = 5.2f;
    float ABSORB = 0.95f;
    int flip = 0;
    float grav[2] = {0, 0};
    int xx = 0;
    int yy = 0;
    int zz = 0;
    int offset_xx = 0;
    int offset_yy = 0;
    int type = 0;
    std::int64_t counter = 0;
    float r = 0.0f;
    float g = 0.048494f;
    float b = 1.0f;
    /// World size: `h` is always 768, `w` follows the view (see `worldWidthFor`).
    int w = 1024;
    int h = kWorldHeight;

private:
    struct Grid;

    void gravityFromTilt();
    detail::Motion motion() const;
    void pollSensor();

    MotionSensor* m_sensor = nullptr;
    InstructionSet m_instructionSet;
    std::unique_ptr<Grid> m_grid;
};

/// The world width for a view of the given size in pixels: floor(768 x width / height), taken
/// in single precision. A view without height counts as one pixel high.
int worldWidthFor(double viewWidth, double viewHeight);

} // namespace fluxen
