// `dizezida-postgresql servers path|list|show|add|remove`: the saved servers
// ($XDG_CONFIG_HOME/dizezida/servers.json), which every --server option
// reaches as "@NAME". Passwords are stored protected and never printed.
#include "ui/FrontEnd.hpp"
#include "ui/Session.hpp"
#include "ui/TablePrinter.hpp"

#include "Contracts/Serialization/IJsonSerializer.hpp"
#include "Helpers/PasswordHelper.hpp"
#include "Helpers/ServiceHelper.hpp"
#include "Supports/Setting/ServerStore.hpp"
#include "provider/Contracts/ColumnModel.hpp"
#include "provider/Contracts/ServerSetting.hpp"
#include "provider/Contracts/TableModel.hpp"
#include "provider/Contracts/ValueScalars.hpp"
#include "provider/Supports/ConnInfo.hpp"

#include <CLI/CLI.hpp>

#include <glib.h>

#include <algorithm>
#include <charconv>
#include <iostream>

namespace {

using Dizezida::Dovodarud::Helpers::PasswordHelper;
using Dizezida::Dovodarud::Supports::Setting::ServerStore;
using Dizezida::Rezizida::k_usage_error;
using Dizezida::Zozuvoru::Contracts::DataType;
using Dizezida::Zozuvoru::Contracts::Server;
using Dizezida::Zozuvoru::Contracts::ServerSetting;

struct ServersOptions {
    std::string file;
    std::string name;
    std::string server;
    bool password_stdin = false;
    std::string format = "table";
    // Tunnels of `add`.
    std::string ssh;
    std::string ssh_program = "ssh";
    bool ssh_password_stdin = false;
    bool ssh_known_hosts_only = false;
    std::string http_tunnel;
    std::string http_program = "wstunnel";
    std::string http_user;
    bool http_password_stdin = false;
    std::string http_ca_file, http_cert_file, http_key_file;
};

struct BadTunnel {
    std::string message;
};

/// "[USER@]HOST[:PORT]" (an IPv6 host in brackets) into the server's SSH fields.
void set_ssh(Server& server, const ServersOptions& options) {
    std::string text = options.ssh;
    std::string user;
    if (const auto at = text.rfind('@'); at != std::string::npos) {
        user = text.substr(0, at);
        text = text.substr(at + 1);
    }
    std::string host = text, port;
    if (text.starts_with('[')) {
        const auto close = text.find(']');
        if (close == std::string::npos)
            throw BadTunnel{"--ssh: \"" + options.ssh + "\" has no closing ]"};
        host = text.substr(1, close - 1);
        if (close + 1 < text.size()) {
            if (text[close + 1] != ':')
                throw BadTunnel{"--ssh: \"" + options.ssh + "\" is not [USER@]HOST[:PORT]"};
            port = text.substr(close + 2);
        }
    } else if (std::count(text.begin(), text.end(), ':') == 1) {
        host = text.substr(0, text.find(':'));
        port = text.substr(text.find(':') + 1);
    }
    std::uint32_t number = 22;
    if (!port.empty()) {
        const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), number);
        if (error != std::errc() || end != port.data() + port.size() || number == 0 || number > 65535)
            throw BadTunnel{"--ssh: \"" + port + "\" is not a port"};
    }
    if (host.empty())
        throw BadTunnel{"--ssh: \"" + options.ssh + "\" names no host"};
    if (user.empty())
        user = g_get_user_name();
    server.set_ssh_using(true);
    server.set_ssh_host(host);
    server.set_ssh_port(number);
    server.set_ssh_username(user);
    server.set_ssh_process(options.ssh_program);
    server.set_ssh_known_hosts_only(options.ssh_known_hosts_only);
}

/// "PROTOCOL://HOST:PORT" into the server's HTTP tunnel fields.
void set_http(Server& server, const ServersOptions& options) {
    const std::string& url = options.http_tunnel;
    const auto scheme_end = url.find("://");
    const auto colon = url.rfind(':');
    if (scheme_end == std::string::npos || colon == std::string::npos || colon <= scheme_end + 3)
        throw BadTunnel{"--http-tunnel: \"" + url + "\" is not PROTOCOL://HOST:PORT"};
    const std::string protocol = url.substr(0, scheme_end);
    if (protocol != "http" && protocol != "https" && protocol != "ws" && protocol != "wss")
        throw BadTunnel{"--http-tunnel: the protocol must be http, https, ws or wss, not \"" + protocol + "\""};
    std::string port_text = url.substr(colon + 1);
    while (!port_text.empty() && port_text.back() == '/')
        port_text.pop_back();
    std::int32_t port = 0;
    const auto [end, error] =
        std::from_chars(port_text.data(), port_text.data() + port_text.size(), port);
    if (error != std::errc() || end != port_text.data() + port_text.size() || port <= 0 || port > 65535)
        throw BadTunnel{"--http-tunnel: \"" + port_text + "\" is not a port"};
    server.set_http_using(true);
    server.set_http_process(options.http_program);
    server.set_http_protocol(protocol);
    server.set_http_host(url.substr(scheme_end + 3, colon - scheme_end - 3));
    server.set_http_port(port);
    server.set_http_auth(!options.http_user.empty());
    server.set_http_username(options.http_user);
    server.set_http_ca_file(options.http_ca_file);
    server.set_http_cert_file(options.http_cert_file);
    server.set_http_key_file(options.http_key_file);
}

/// The saved list as stored (passwords left protected), or nothing after
/// printing why.
std::optional<std::pair<ServerStore, std::shared_ptr<ServerSetting>>>
open_list(const ServersOptions& options) {
    Dizezida::Rezizida::start_services();
    ServerStore store(options.file.empty() ? ServerStore::default_filename() : options.file);
    auto servers = Dizezida::Dovodarud::Helpers::ServiceHelper::servers();
    if (auto loaded = store.load(*servers, ServerStore::Passwords::Keep); !loaded) {
        std::cerr << "servers: " << loaded.error().message << '\n';
        return std::nullopt;
    }
    return std::pair{std::move(store), std::move(servers)};
}

int save_list(const ServerStore& store, const ServerSetting& servers) {
    if (auto saved = store.save(servers); !saved) {
        std::cerr << "servers: " << saved.error().message << '\n';
        return 1;
    }
    return 0;
}

bool has_password(const Server& server) {
    const auto fields = PasswordHelper::password_fields();
    return std::any_of(fields.begin(), fields.end(), [&](const auto& field) {
        return PasswordHelper::is_protected(server, field) && !(server.*field.get)().empty();
    });
}

int run_list(const ServersOptions& options) {
    auto list = open_list(options);
    if (!list)
        return 1;
    const auto table = Dizezida::Zozuvoru::Contracts::TableModel::create();
    for (const char* title :
         {"Name", "Host", "Port", "User", "Database", "SSL", "SSH", "Password"}) {
        const DataType type =
            std::string_view(title) == "Port" ? DataType::INTEGER : DataType::TEXT;
        table->add_column(
            std::make_shared<Dizezida::Zozuvoru::Contracts::ColumnModel>(title, type));
    }
    for (const auto& server : list->second->get_servers()) {
        auto row = table->new_row();
        const auto text = [&row](std::size_t column, std::string value) {
            row->set_value_at(column,
                              Dizezida::Zozuvoru::Contracts::ValueString::create(std::move(value)));
        };
        text(0, server->name());
        text(1, server->host());
        if (server->port() != 0)
            row->set_value_at(2, std::make_shared<Dizezida::Zozuvoru::Contracts::ValueInt32>(
                                     static_cast<std::int32_t>(server->port())));
        text(3, server->username());
        text(4, server->initial());
        text(5, server->ssl_using() ? "yes" : "no");
        text(6, server->ssh_using() ? "yes" : "no");
        text(7, has_password(*server) ? "saved" : "");
        table->append(std::move(row));
    }
    if (options.format == "csv")
        Dizezida::Rezizida::print_csv_table(*table, std::cout);
    else if (options.format == "json")
        Dizezida::Rezizida::print_json_table(*table, std::cout);
    else
        Dizezida::Rezizida::print_aligned_table(*table, std::cout);
    std::cout.flush();
    return std::cout ? 0 : 1;
}

/// The list and the server named by the options, or nothing after printing why.
std::optional<std::pair<std::pair<ServerStore, std::shared_ptr<ServerSetting>>,
                        Dizezida::Zozuvoru::Contracts::ServerPtr>>
open_named(const ServersOptions& options) {
    auto list = open_list(options);
    if (!list)
        return std::nullopt;
    auto server = list->second->find_by_name(options.name);
    if (!server) {
        std::cerr << "servers: no saved server named \"" << options.name << "\" in "
                  << list->first.filename() << '\n';
        return std::nullopt;
    }
    return std::pair{std::move(*list), std::move(server)};
}

int run_show(const ServersOptions& options) {
    const auto named = open_named(options);
    if (!named)
        return 1;
    const auto& server = named->second;
    nlohmann::ordered_json record = nlohmann::ordered_json::object();
    Dizezida::Dovodarud::Contracts::Serialization::serialize_properties(record, *server);
    for (const auto& field : PasswordHelper::password_fields())
        if (auto& value = record[field.name]; !value.get<std::string>().empty())
            value = "(saved)";
    if (!server->http_password().empty())
        record["http-password"] = "(saved)";
    for (const auto& [key, value] : record.items())
        std::cout << key << ": " << (value.is_string() ? value.get<std::string>() : value.dump())
                  << '\n';
    std::cout.flush();
    return std::cout ? 0 : 1;
}

/// One line of standard input without its line end; nothing when there is none.
std::optional<std::string> read_password() {
    std::string line;
    if (!std::getline(std::cin, line) && line.empty())
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

int run_add(const ServersOptions& options) {
    if (options.name.empty() ||
        std::any_of(options.name.begin(), options.name.end(),
                    [](unsigned char c) { return c < 0x20 || c == 0x7f; })) {
        std::cerr << "servers: a server name must not be empty or hold control characters\n";
        return k_usage_error;
    }
    auto server = Dizezida::Zozuvoru::Supports::server_from_conninfo(options.server);
    if (!server) {
        std::cerr << "servers: " << server.error().message << '\n';
        return k_usage_error;
    }
    if (!options.ssh.empty() && !options.http_tunnel.empty()) {
        std::cerr << "servers: give --ssh or --http-tunnel, not both\n";
        return k_usage_error;
    }
    try {
        if (!options.ssh.empty())
            set_ssh(**server, options);
        if (!options.http_tunnel.empty())
            set_http(**server, options);
    } catch (const BadTunnel& bad) {
        std::cerr << "servers: " << bad.message << '\n';
        return k_usage_error;
    }
    // One line of standard input each, in this order.
    const std::pair<bool, void (Server::*)(std::string)> passwords[] = {
        {options.password_stdin, &Server::set_password},
        {options.ssh_password_stdin, &Server::set_ssh_password},
        {options.http_password_stdin, &Server::set_http_password}};
    for (const auto& [wanted, set] : passwords) {
        if (!wanted)
            continue;
        auto password = read_password();
        if (!password || password->empty()) {
            std::cerr << "servers: a password is missing on standard input (one line each: the "
                         "server's, the SSH one, the HTTP one)\n";
            return k_usage_error;
        }
        ((**server).*set)(std::move(*password));
    }
    (*server)->set_name(options.name);
    auto list = open_list(options);
    if (!list)
        return 1;
    if (list->second->find_by_name(options.name)) {
        std::cerr << "servers: a server named \"" << options.name
                  << "\" is saved already (servers remove it first)\n";
        return 1;
    }
    list->second->add(*server);
    return save_list(list->first, *list->second);
}

int run_remove(const ServersOptions& options) {
    auto named = open_named(options);
    if (!named)
        return 1;
    auto& [store, servers] = named->first;
    servers->remove(named->second->uuid());
    return save_list(store, *servers);
}

void add_servers_command(CLI::App& app, Dizezida::Rezizida::CommandContext& context) {
    auto options = std::make_shared<ServersOptions>();
    CLI::App* command =
        app.add_subcommand("servers", "Saved servers, which every --server option takes as @NAME");
    command->require_subcommand(1);
    command->fallthrough();
    command->add_option("--file", options->file,
                        "Server list file (default $XDG_CONFIG_HOME/dizezida/servers.json)");
    const auto on_run = [&context, options](int (*run)(const ServersOptions&)) {
        return [&context, options, run] { context.run = [options, run] { return run(*options); }; };
    };

    command->add_subcommand("path", "Print the server list file in use")
        ->callback([&context, options] {
            context.run = [options] {
                std::cout << (options->file.empty() ? ServerStore::default_filename()
                                                    : options->file)
                          << '\n';
                return 0;
            };
        });
    CLI::App* list = command->add_subcommand("list", "List the saved servers (never a password)");
    list->add_option("--format", options->format, "table, csv or json")
        ->check(CLI::IsMember({"table", "csv", "json"}));
    list->callback(on_run(run_list));
    CLI::App* show = command->add_subcommand("show", "Print one saved server (never a password)");
    show->add_option("name", options->name, "The server's name")->required();
    show->callback(on_run(run_show));
    CLI::App* add = command->add_subcommand("add", "Save a server under a name");
    add->add_option("name", options->name, "The name, used as @NAME")->required();
    add->add_option("--server", options->server,
                    "libpq connection string or URI (host, port, user, password, dbname, sslmode)")
        ->required();
    add->add_flag("--password-stdin", options->password_stdin,
                  "Read the password from the first line of standard input");
    add->add_option("--ssh", options->ssh,
                    "[USER@]HOST[:PORT]: reach the server through an SSH tunnel from this host "
                    "(a bastion; the server's host and port are then as the bastion sees them)");
    add->add_option("--ssh-program", options->ssh_program,
                    "The SSH client (default ssh; a plink is run as plink)");
    add->add_flag("--ssh-password-stdin", options->ssh_password_stdin,
                  "Read the SSH password from standard input (after the server's password); "
                  "without it the login is by key, never asking");
    add->add_flag("--ssh-known-hosts-only", options->ssh_known_hosts_only,
                  "Refuse an SSH server whose host key is not known yet (default: a first key is "
                  "accepted and remembered; a changed key is always refused)");
    add->add_option("--http-tunnel", options->http_tunnel,
                    "PROTOCOL://HOST:PORT (http, https, ws, wss): reach the server through an HTTP "
                    "tunnel");
    add->add_option("--http-program", options->http_program, "The HTTP tunnel client (default wstunnel)");
    add->add_option("--http-user", options->http_user, "The HTTP tunnel's user name");
    add->add_flag("--http-password-stdin", options->http_password_stdin,
                  "Read the HTTP tunnel's password from standard input (after the server's and "
                  "the SSH password)");
    add->add_option("--http-ca-file", options->http_ca_file, "CA file of an https / wss tunnel");
    add->add_option("--http-cert-file", options->http_cert_file, "Client certificate of an https / wss tunnel");
    add->add_option("--http-key-file", options->http_key_file, "Client key of an https / wss tunnel");
    add->callback(on_run(run_add));
    CLI::App* remove = command->add_subcommand("remove", "Forget a saved server");
    remove->add_option("name", options->name, "The server's name")->required();
    remove->callback(on_run(run_remove));
}

} // namespace

DIZEZIDA_FRONT_END_COMMAND(add_servers_command)
