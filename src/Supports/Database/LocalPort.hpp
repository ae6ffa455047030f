// Loopback ports for the local ends of tunnels: which one to take, and who
// listens on it.
//
// A tunnel's local end must be a port nothing else listens on, and two
// tunnels of one process must never share one, or a session opened "through
// the tunnel" reaches whatever listens there. `PortReservation` hands out
// ports that are free and held by no other tunnel of this process (the
// registry is process-wide and locked); `port_listener` tells whether the
// listener on a port belongs to a given process or one of its descendants
// (read from /proc: the listening socket's inode among the processes' open
// files). Thread-safe.
#pragma once

#include "core/Error.hpp"

#include <cstdint>

namespace Dizezida::Dovodarud::Supports::Database {

/// A loopback TCP port held for one tunnel of this process; released when
/// the reservation goes. Move-only.
class PortReservation {
public:
    /// `preferred` when nothing listens there and no tunnel of this process
    /// holds it; otherwise a free port the system picks.
    [[nodiscard]] static Core::Result<PortReservation> reserve(std::uint32_t preferred);
    /// Another free port than any held (after the client could not listen on this one).
    [[nodiscard]] static Core::Result<PortReservation> reserve_other();

    PortReservation(PortReservation&& other) noexcept;
    PortReservation& operator=(PortReservation&& other) noexcept;
    PortReservation(const PortReservation&) = delete;
    PortReservation& operator=(const PortReservation&) = delete;
    ~PortReservation();

    std::uint32_t port() const { return m_port; }

private:
    explicit PortReservation(std::uint32_t port) : m_port(port) {}
    std::uint32_t m_port = 0;
};

/// Who listens on a TCP port (any local address).
enum class Listener { none, ours, other };

/// Whether process `pid` (or one of its descendants) listens on `port`.
Listener port_listener(std::uint32_t port, int pid);

} // namespace Dizezida::Dovodarud::Supports::Database
