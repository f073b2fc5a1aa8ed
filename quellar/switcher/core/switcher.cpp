#include "quellar/switcher/core/switcher.h"

#include <cstdio>

namespace quellar {

Switcher::Switcher(SwitcherState& state, DriverEntries& driver, LoadSource& load,
                   PowerSource& power, SwitcherLog* log)
    : m_state(state), m_driver(driver), m_loadSource(load), m_powerSource(power), m_log(log) {}

void Switcher::writeSetting(std::uint32_t setting) {
    // The index has moved all the same: the next step goes on from the entry chosen.
    if (m_driver.write(kControlEntry, std::int32_t(setting)) || m_refusalReported)
        return;
    m_refusalReported = true;
    if (m_log) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "the processor driver refused the setting %u; later refusals are not "
                      "reported",
                      unsigned(setting));
        m_log->line(text);
    }
}

void Switcher::log_ut(bool force) {
    // The providing type is told by its length: 8 characters for mains, 13 for battery.
    const bool battery = m_powerSource.providingType().size() >= 9;
    const bool changed = battery != m_state.Batt;
    m_state.Batt = battery;
    if (!changed && !force)
        return;
    std::int32_t rate;
    if (battery) {
        writeSetting(m_state.ValB[0]);
        m_state.X = 0;
        rate = m_state.sTime;
    } else {
        writeSetting(m_state.ValA[0]);
        m_state.Y = 0;
        rate = m_state.STime;
    }
    m_state.delay = 1000000 / rate;
    m_state.timerps = rate * 3;
}

void Switcher::start() {
    log_ut(true);
    writeSetting(m_state.Batt ? m_state.ValB[0] : m_state.ValA[0]);
}

void Switcher::sample() {
    const bool battery = m_state.Batt;

    const std::uint32_t limit = battery ? m_state.tLimit : m_state.TLimit;
    if (limit != 0) {
        const bool read = m_driver.read(kTemperatureEntry, m_temperature);
        if (read || battery)
            m_overheat = std::uint32_t(m_temperature) > limit;
    } else {
        m_overheat = false;
    }

    if (!m_overheat) {
        if (auto now = m_loadSource.read()) {
            if (auto load = loadBetween(m_previous, *now))
                m_load = *load;
            m_previous = *now;
        }
    }

    std::uint32_t* table = battery ? m_state.ValB : m_state.ValA;
    std::uint32_t& index = battery ? m_state.X : m_state.Y;
    const std::uint32_t count = battery ? m_state.NoB : m_state.NoA;
    const std::uint32_t lower = battery ? m_state.lLimit : m_state.LLimit;
    const std::uint32_t upper = battery ? m_state.uLimit : m_state.ULimit;
    if (index > 0 && (m_load <= lower || m_overheat))
        writeSetting(table[--index]);
    else if (!m_overheat && index + 1 < count && m_load >= upper)
        writeSetting(table[++index]);

    if (++m_samples == m_state.timerps) {
        m_samples = 0;
        log_ut(false);
    }
}

} // namespace quellar
