// The progress of a job that moves rows, for the terminal: while stderr is
// a terminal, one line redrawn at most five times a second with the rows
// done and the rate; at the end one line with the count, always.
//
// Used by one thread at a time.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace Dizezida::Rezizida {

class RowProgress {
public:
    /// `verb` heads the lines ("exported", "imported").
    explicit RowProgress(std::string verb);
    ~RowProgress();
    RowProgress(const RowProgress&) = delete;
    RowProgress& operator=(const RowProgress&) = delete;

    /// Rows done so far; redraws the line when it is due.
    void update(std::uint64_t rows);
    /// Clears the line and prints "<verb> N rows" (with "in S s" when it took time).
    void finish(std::uint64_t rows);

private:
    double seconds() const;

    std::string m_verb;
    bool m_terminal;
    bool m_drawn = false;
    std::chrono::steady_clock::time_point m_start;
    std::chrono::steady_clock::time_point m_next_draw;
};

} // namespace Dizezida::Rezizida
