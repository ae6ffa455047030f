// `dizezida-postgresql settings path|show|get|set`: the user's settings file.
#include "ui/FrontEnd.hpp"

#include "Contracts/Setting/UserSetting.hpp"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <iostream>
#include <sys/stat.h>

namespace {

using Dizezida::Dovodarud::Setting::UserSetting;

struct SettingsOptions {
    std::string file;
    std::string key;
    std::string value;
};

std::string file_of(const SettingsOptions& options) {
    return options.file.empty() ? UserSetting::default_filename() : options.file;
}

/// Loads the file when it exists; a missing file gives the initial values.
bool load(UserSetting& setting, const std::string& file) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0 && errno == ENOENT) {
        setting.set_filename(file);
        return true;
    }
    if (auto loaded = setting.load(file); !loaded) {
        std::cerr << "settings: " << loaded.error().message << '\n';
        return false;
    }
    return true;
}

/// Creates the folders above `file` (private to the user) when missing.
void make_folder(const std::string& file) {
    for (std::size_t slash = file.find('/', 1); slash != std::string::npos;
         slash = file.find('/', slash + 1))
        ::mkdir(file.substr(0, slash).c_str(), 0700);
}

void print(const nlohmann::ordered_json& value) {
    if (value.is_string())
        std::cout << value.get<std::string>() << '\n';
    else
        std::cout << Dizezida::Dovodarud::Contracts::Serialization::dump_pretty(value) << '\n';
}

void add_settings_command(CLI::App& app, Dizezida::Rezizida::CommandContext& context) {
    auto options = std::make_shared<SettingsOptions>();
    CLI::App* command = app.add_subcommand("settings", "Read and change the user's settings file");
    command->require_subcommand(1);
    command->fallthrough();
    command->add_option("--file", options->file,
                        "Settings file (default $XDG_CONFIG_HOME/dizezida/settings.json)");

    command->add_subcommand("path", "Print the settings file in use")
        ->callback([&context, options] {
            context.run = [options] {
                std::cout << file_of(*options) << '\n';
                return 0;
            };
        });
    command->add_subcommand("show", "Print the whole settings tree")->callback([&context, options] {
        context.run = [options] {
            UserSetting setting;
            if (!load(setting, file_of(*options)))
                return 1;
            print(setting.to_json());
            return 0;
        };
    });
    CLI::App* get = command->add_subcommand("get", "Print one setting");
    get->add_option("key", options->key, "GROUP.KEY, e.g. editor.tab-width")->required();
    get->callback([&context, options] {
        context.run = [options] {
            UserSetting setting;
            if (!load(setting, file_of(*options)))
                return 1;
            auto value = setting.get_text_value(options->key);
            if (!value) {
                std::cerr << "settings: " << value.error().message << '\n';
                return Dizezida::Rezizida::k_usage_error;
            }
            print(*value);
            return 0;
        };
    });
    CLI::App* set = command->add_subcommand("set", "Change one setting and save the file");
    set->add_option("key", options->key, "GROUP.KEY, e.g. editor.tab-width")->required();
    set->add_option("value", options->value, "The new value")->required();
    set->callback([&context, options] {
        context.run = [options] {
            const std::string file = file_of(*options);
            UserSetting setting;
            if (!load(setting, file))
                return 1;
            if (auto changed = setting.set_text_value(options->key, options->value); !changed) {
                std::cerr << "settings: " << changed.error().message << '\n';
                return Dizezida::Rezizida::k_usage_error;
            }
            make_folder(file);
            if (auto saved = setting.save(); !saved) {
                std::cerr << "settings: " << saved.error().message << '\n';
                return 1;
            }
            return 0;
        };
    });
}

} // namespace

DIZEZIDA_FRONT_END_COMMAND(add_settings_command)
