#include "ui/RowProgress.hpp"

#include <fmt/format.h>
#include <unistd.h>

#include <iostream>

namespace Dizezida::Rezizida {

namespace {
constexpr auto k_redraw = std::chrono::milliseconds(200);
}

RowProgress::RowProgress(std::string verb)
    : m_verb(std::move(verb)), m_terminal(isatty(STDERR_FILENO) != 0),
      m_start(std::chrono::steady_clock::now()), m_next_draw(m_start + k_redraw) {}

RowProgress::~RowProgress() {
    if (m_drawn)
        std::cerr << '\n';
}

double RowProgress::seconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
}

void RowProgress::update(std::uint64_t rows) {
    if (!m_terminal)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (now < m_next_draw)
        return;
    m_next_draw = now + k_redraw;
    const double elapsed = seconds();
    std::cerr << fmt::format("\r\x1b[K{} {} rows ({:.0f} rows/s)", m_verb, rows,
                             elapsed > 0 ? static_cast<double>(rows) / elapsed : 0.0)
              << std::flush;
    m_drawn = true;
}

void RowProgress::finish(std::uint64_t rows) {
    if (m_drawn)
        std::cerr << "\r\x1b[K";
    m_drawn = false;
    const double elapsed = seconds();
    std::cerr << fmt::format("{} {} rows", m_verb, rows);
    if (elapsed >= 1.0)
        std::cerr << fmt::format(" in {:.1f} s ({:.0f} rows/s)", elapsed,
                                 static_cast<double>(rows) / elapsed);
    std::cerr << '\n';
}

} // namespace Dizezida::Rezizida
