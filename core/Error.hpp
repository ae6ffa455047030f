// Error values and the Result type shared by every library of the project.
//
// Nothing is thrown across a library boundary: an operation that can fail
// returns Result<T>, whose error carries a text domain, an integer code, a
// human-readable message and, for a database error, its SQLSTATE. Plain
// value types; safe to copy between threads.
#pragma once

#include <expected>
#include <string>
#include <utility>

namespace Dizezida::Core {

/// The domain name of database errors raised by the core library itself.
inline constexpr const char* k_sql_error_domain = "dizezida-dovodarud-exceptions-sql-error-quark";

/// A failure: which subsystem (domain), which code, and what happened.
struct Error {
    Error() = default;
    Error(std::string error_domain, int error_code, std::string error_message,
          std::string error_sqlstate = {})
        : domain(std::move(error_domain)), code(error_code), message(std::move(error_message)),
          sqlstate(std::move(error_sqlstate)) {}

    std::string domain;
    int code = 0;
    std::string message;
    /// The five-character SQLSTATE of a database error ("23505"; libpq's
    /// own failures, such as a lost connection, are classed under one too);
    /// empty for any other error.
    std::string sqlstate;

    /// An error in the SQL error domain.
    static Error sql(int code, std::string message) {
        return Error{k_sql_error_domain, code, std::move(message)};
    }
    /// An error in any named domain.
    static Error make(std::string domain, int code, std::string message) {
        return Error{std::move(domain), code, std::move(message)};
    }
    bool operator==(const Error&) const = default;
};

template <class T> using Result = std::expected<T, Error>;

/// Shorthand for `return std::unexpected(error)`.
inline std::unexpected<Error> fail(Error error) { return std::unexpected(std::move(error)); }

} // namespace Dizezida::Core

/// Evaluates a Result-returning expression and returns its error from the
/// enclosing function when it failed.
#define DIZEZIDA_TRY(expr)                                                                         \
    do {                                                                                           \
        auto&& dizezida_try_result_ = (expr);                                                      \
        if (!dizezida_try_result_)                                                                 \
            return std::unexpected(std::move(dizezida_try_result_).error());                       \
    } while (false)
