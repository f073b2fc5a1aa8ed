#include "fluxen/core/simulation.h"

#include "fluxen/core/motion_sensor.h"
#include "fluxen/core/step_arithmetic.h"
#include "platform/core/log.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace fluxen {

void Simulation::calibrate(MotionSensor& sensor) {
    m_sensor = &sensor;
    type = sensor.detect_sms();
    platform::log(QStringLiteral("type: %1").arg(type));
    int x = 0, y = 0, z = 0;
    if (sensor.read_sms_raw(type, &x, &y, &z)) {
        xx = x;
        yy = y;
        zz = z;
    }
    offset_xx = -xx;
    offset_yy = -yy;
}

void Simulation::initObjects() {
    for (int i = 0; i < NUM_OBJ; ++i)
        o[i].radius = radius + static_cast<float>(std::rand() % 10000) * radius * 0.00008f;
    for (int i = 0; i < NUM_OBJ; ++i) {
        Particle& p = o[i];
        // 1/11000 of the width, so the liquid starts in the left ten elevenths.
        p.x = static_cast<float>(
            static_cast<double>((std::rand() % 10000) * w) * 0.0000909090909090909 + p.radius);
        p.y = static_cast<float>(std::rand() % 960 - 960);
        p.vx = static_cast<float>(std::rand() % 100 - 50);
        p.vy = static_cast<float>(std::rand() % 100 - 50);
        if (i == 0) {
            p.red = p.green = p.blue = 1.0f;
            p.radius = 2 * radius;
            continue;
        }
        p.red = r;
        p.green = g;
        p.blue = b;
    }
}

void Simulation::gravityFromTilt() {
    const float theta = static_cast<float>(xx) * static_cast<float>(-6.283 / 1024);
    float gx = static_cast<float>(gravity * std::sin(static_cast<double>(theta)));
    if (flip == 1)
        gx = -gx;
    grav[0] = gx;
    grav[1] = static_cast<float>(gravity * std::cos(static_cast<double>(theta)));
}

detail::Motion Simulation::motion() const {
    return detail::Motion{grav[0],
                          grav[1],
                          static_cast<float>(dt),
                          ABSORB,
                          static_cast<float>(w),
                          static_cast<float>(h)};
}

void Simulation::pollSensor() {
    ++counter;
    if (counter % 10 != 0 || !m_sensor)
        return;
    // A failed read keeps the last tilt instead of adding the calibration to it again.
    int x = 0, y = 0, z = 0;
    if (!m_sensor->read_sms_raw(type, &x, &y, &z))
        return;
    xx = x + offset_xx;
    yy = y + offset_yy;
    zz = z;
}

void Simulation::stepReference() {
    gravityFromTilt();
    const detail::Motion move = motion();
    for (int i = 0; i < NUM_OBJ; ++i) {
        Particle& a = o[i];
        for (int j = i + 1; j < NUM_OBJ; ++j) {
            Particle& other = o[j];
            const float d = detail::contactDistance(a.x, a.y, other.x, other.y);
            const float D = detail::contactReach(a.radius, other.radius);
            if (d < D) {
                if (i == 0) {
                    detail::touch(i, a, other, 0, 0);
                    continue;
                }
                const float w = detail::contactWeight(a.radius, D);
                const float K = detail::stiffness(detail::stiffnessBase(d, D), rabia);
                detail::touch(i, a, other, w, K);
            }
        }
        detail::moveAndBounce(a, move);
    }
    pollSensor();
}

int Simulation::setParticleCount(int count) {
    NUM_OBJ = std::clamp(count, 0, capacity());
    return NUM_OBJ;
}

void Simulation::setBaseRadius(float value) {
    radius = value;
    for (int i = 0; i < NUM_OBJ; ++i)
        o[i].radius = radius + static_cast<float>(std::rand() % 10000) * radius * 0.00008f;
}

void Simulation::setColour(float red, float green, float blue) {
    r = red;
    g = green;
    b = blue;
    for (int i = 0; i < NUM_OBJ; ++i) {
        o[i].red = r;
        o[i].green = g;
        o[i].blue = b;
    }
}

int worldWidthFor(double viewWidth, double viewHeight) {
    const float height = std::max(static_cast<float>(viewHeight), 1.0f);
    const float width = std::max(static_cast<float>(viewWidth), 0.0f);
    return static_cast<int>(std::floor(width / height * static_cast<float>(kWorldHeight)));
}

} // namespace fluxen
