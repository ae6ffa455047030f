#include "provider/Supports/PostgreSQLError.hpp"

#include "provider/Contracts/IProvider.hpp"

#include <fmt/format.h>

namespace Dizezida::Zozuvoru::Supports {
namespace {

std::string_view trimmed(const char* text) {
    std::string_view view = text ? text : "";
    while (!view.empty() && (view.back() == '\n' || view.back() == ' '))
        view.remove_suffix(1);
    return view;
}

} // namespace

Core::Error make_error(std::string_view sqlstate, std::string_view message) {
    return Core::Error{Contracts::k_provider_error_domain, sqlstate_code(sqlstate),
                       fmt::format("{} (SQLSTATE {})", message, sqlstate), std::string(sqlstate)};
}

Core::Error result_error(const PGresult* result, PGconn* connection) {
    if (!result)
        return connection_error(connection, State::connection_failure);
    const char* state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
    const std::string_view primary = trimmed(PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY));
    if (!state || primary.empty()) {
        // libpq's own failure (lost connection, out of memory): only a message.
        std::string_view message = trimmed(PQresultErrorMessage(result));
        if (message.empty())
            message = trimmed(PQerrorMessage(connection));
        return make_error(state ? state : State::connection_failure, message);
    }
    const char* severity = PQresultErrorField(result, PG_DIAG_SEVERITY);
    std::string message =
        fmt::format("{}:  {} (SQLSTATE {})", severity ? severity : "ERROR", primary, state);
    if (const std::string_view detail = trimmed(PQresultErrorField(result, PG_DIAG_MESSAGE_DETAIL));
        !detail.empty())
        message += fmt::format("\nDETAIL:  {}", detail);
    if (const std::string_view hint = trimmed(PQresultErrorField(result, PG_DIAG_MESSAGE_HINT));
        !hint.empty())
        message += fmt::format("\nHINT:  {}", hint);
    return Core::Error{Contracts::k_provider_error_domain, sqlstate_code(state), std::move(message),
                       state};
}

Core::Error connection_error(PGconn* connection, std::string_view sqlstate) {
    std::string_view message = connection ? trimmed(PQerrorMessage(connection)) : "";
    if (message.empty())
        message = "no connection to the server";
    return make_error(sqlstate, message);
}

} // namespace Dizezida::Zozuvoru::Supports
