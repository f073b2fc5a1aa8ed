#pragma once

// The arithmetic of one contact, shared by both steps so that they cannot drift apart. Only
// files built without floating-point contraction include this header.

#include "fluxen/core/simulation.h"

#include <cmath>

namespace fluxen::detail {

/// Manhattan distance of two particles, single precision.
inline float contactDistance(float ax, float ay, float bx, float by) {
    return std::fabs(ax - bx) + std::fabs(ay - by);
}

/// Half the sum of two radii: the distance under which two particles touch.
inline float contactReach(float aRadius, float bRadius) {
    return (aRadius + bRadius) * 0.5f;
}

/// The base of the stiffness power: one plus the relative overlap, in [1, 2] for touching
/// particles.
inline float stiffnessBase(float d, float D) {
    return (D - d) / D + 1.0f;
}

/// The stiffness of a contact, the power taken in double and stored as float.
inline float stiffness(float base, float rabia) {
    return static_cast<float>(std::pow(static_cast<double>(base), static_cast<double>(rabia)));
}

/// The share of the lower particle's own velocity in a contact: its radius over the sum of
/// both, taken in double and stored as float.
inline float contactWeight(float aRadius, float D) {
    return static_cast<float>(static_cast<double>(aRadius) / (2.0 * D));
}

/// The lower particle of a contact as the sweep sees it: its position, and its velocity,
/// which the contacts change one after the other.
struct Lower {
    float x;
    float y;
    float vx;
    float vy;
};

/// Particle 0's own contact rule: it alone moves, the sums and products taken in double.
inline void touchFirst(Lower& a, const Particle& b) {
    a.vx = static_cast<float>(static_cast<double>(a.vx + b.vx) * 0.5 +
                              static_cast<double>(a.x - b.x) * 0.6);
    a.vy = static_cast<float>(static_cast<double>(a.vy + b.vy) * 0.7 +
                              static_cast<double>(a.y - b.y) * 0.6 - 3.0);
}

/// Every other contact: both velocities averaged by size, then pushed apart with the
/// stiffness; the higher particle sees the lower one's new velocity.
inline void touchPair(Lower& a, Particle& b, float w, float K) {
    const float keep = 1.0f - w;
    a.vx = w * a.vx + keep * b.vx + (a.x - b.x) * K;
    a.vy = w * a.vy + keep * b.vy + (a.y - b.y) * K;
    b.vx = w * a.vx + keep * b.vx + (b.x - a.x) * K;
    b.vy = w * a.vy + keep * b.vy + (b.y - a.y) * K;
}

/// Applies one contact of `a` (the lower index `i`) with `b`, given the pair's weight `w` and
/// stiffness `K` (unused for particle 0).
inline void touch(int i, Particle& a, Particle& b, float w, float K) {
    Lower lower{a.x, a.y, a.vx, a.vy};
    if (i == 0)
        touchFirst(lower, b);
    else
        touchPair(lower, b, w, K);
    a.vx = lower.vx;
    a.vy = lower.vy;
}

/// The world a particle moves in during one step.
struct Motion {
    float gx;
    float gy;
    float step; // dt as a float
    float absorb;
    float width;
    float height;
};

/// Gravity, then the move, then the walls in their order: left, right, floor. There is no
/// ceiling: the liquid may splash above the top and fall back.
inline void moveAndBounce(Particle& p, const Motion& m) {
    p.vx += m.gx;
    p.vy += m.gy;
    p.x += m.step * p.vx;
    p.y += m.step * p.vy;

    const float s = p.radius * 0.5f;
    if (s > p.x) {
        p.x = s + 0.1f;
        p.vx = -m.absorb * p.vx;
        p.vy = m.absorb * p.vy;
    }
    if (p.x > m.width - s) {
        p.x = m.width - s - 0.1f;
        p.vx = -m.absorb * p.vx;
        p.vy = m.absorb * p.vy;
    }
    if (p.y > m.height - s) {
        p.y = (m.height - 0.1f) - s;
        p.vx = m.absorb * p.vx;
        p.vy = -m.absorb * p.vy;
    }
}

} // namespace fluxen::detail
