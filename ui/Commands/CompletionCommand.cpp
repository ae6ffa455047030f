// `dizezida-postgresql completion bash`: prints a bash completion script made
// from the command definitions themselves: every command and sub-command,
// their options, the choices of options that take one of a fixed set, and
// file names for the other option values and arguments.
#include "ui/FrontEnd.hpp"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

/// What may follow one command path ("", "servers", "servers add").
struct CompletionNode {
    std::string path;
    std::vector<std::string> words;  ///< sub-commands and option names
    std::vector<std::string> valued; ///< option names that take a value
    std::vector<std::pair<std::string, std::string>> choices; ///< option, "a b c"
};

/// The choices of an option checked against a set: CLI11 describes that
/// check as "{a,b,c}" in the option's type name.
std::string choices_of(const CLI::Option& option) {
    const std::string type = option.get_type_name();
    const auto open = type.find('{');
    const auto close = type.find('}', open);
    if (open == std::string::npos || close == std::string::npos)
        return {};
    std::string list = type.substr(open + 1, close - open - 1);
    for (char& c : list)
        if (c == ',')
            c = ' ';
    return list;
}

void collect(const CLI::App& app, const std::string& path, std::vector<CompletionNode>& nodes) {
    CompletionNode node{path, {}, {}, {}};
    const auto visible = [](const auto* item) { return !item->get_group().empty(); };
    for (const CLI::Option* option : app.get_options(visible)) {
        if (option->get_positional()) { // an argument of a fixed set: its values
            const std::string choices = choices_of(*option);
            for (std::size_t at = 0, end; at < choices.size(); at = end + 1) {
                end = std::min(choices.find(' ', at), choices.size());
                node.words.push_back(choices.substr(at, end - at));
            }
            continue;
        }
        std::vector<std::string> names;
        for (const std::string& name : option->get_snames())
            names.push_back("-" + name);
        for (const std::string& name : option->get_lnames())
            names.push_back("--" + name);
        for (const std::string& name : names) {
            node.words.push_back(name);
            if (option->get_type_size_max() > 0)
                node.valued.push_back(name);
            if (const std::string choices = choices_of(*option); !choices.empty())
                node.choices.emplace_back(name, choices);
        }
    }
    const auto subcommands = app.get_subcommands(visible);
    for (const CLI::App* sub : subcommands)
        node.words.push_back(sub->get_name());
    nodes.push_back(std::move(node));
    for (const CLI::App* sub : subcommands)
        collect(*sub, path.empty() ? sub->get_name() : path + " " + sub->get_name(), nodes);
}

std::string joined(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words)
        text += (text.empty() ? "" : " ") + word;
    return text;
}

/// One `case` over the command path: each node's list of words.
void print_case(std::ostream& out, const char* function, const std::vector<CompletionNode>& nodes,
                const std::vector<std::string> CompletionNode::*member) {
    out << function << "() {\n    case \"$1\" in\n";
    for (const CompletionNode& node : nodes)
        if (!(node.*member).empty())
            out << "    '" << node.path << "') echo '" << joined(node.*member) << "' ;;\n";
    out << "    esac\n}\n";
}

void print_bash_completion(const CLI::App& root, std::ostream& out) {
    std::vector<CompletionNode> nodes;
    collect(root, "", nodes);
    out << "# bash completion for dizezida-postgresql, made by `dizezida-postgresql completion "
           "bash`.\n\n";
    print_case(out, "_dizezida_postgresql_words", nodes, &CompletionNode::words);
    print_case(out, "_dizezida_postgresql_valued", nodes, &CompletionNode::valued);
    out << "_dizezida_postgresql_choices() {\n    case \"$1|$2\" in\n";
    for (const CompletionNode& node : nodes)
        for (const auto& [option, choices] : node.choices)
            out << "    '" << node.path << '|' << option << "') echo '" << choices << "' ;;\n";
    out << "    esac\n}\n";
    out << R"bash(
_dizezida_postgresql() {
    local cur=${COMP_WORDS[COMP_CWORD]} path='' word i
    # The command path so far; the value after an option that takes one is skipped.
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        if [[ " $(_dizezida_postgresql_words "$path") " == *" $word "* && $word != -* ]]; then
            path=${path:+$path }$word
        elif [[ " $(_dizezida_postgresql_valued "$path") " == *" $word "* ]]; then
            ((i++))
        fi
    done
    local prev=${COMP_WORDS[COMP_CWORD-1]}
    if ((COMP_CWORD > 1)) && [[ " $(_dizezida_postgresql_valued "$path") " == *" $prev "* ]]; then
        local choices
        choices=$(_dizezida_postgresql_choices "$path" "$prev")
        # Without choices the value is left to bash's file name completion.
        COMPREPLY=($(compgen -W "$choices" -- "$cur"))
        return
    fi
    COMPREPLY=($(compgen -W "$(_dizezida_postgresql_words "$path")" -- "$cur"))
}
complete -o default -F _dizezida_postgresql dizezida-postgresql
)bash";
}

void add_completion_command(CLI::App& app, Dizezida::Rezizida::CommandContext& context) {
    auto shell = std::make_shared<std::string>();
    CLI::App* command = app.add_subcommand(
        "completion", "Print the shell completion script (bash): source <(dizezida-postgresql "
                      "completion bash)");
    command->add_option("shell", *shell, "The shell")->required()->check(CLI::IsMember({"bash"}));
    command->callback([&context, &app, shell] { // keeps the option's string alive
        context.run = [&app] {
            print_bash_completion(app, std::cout);
            std::cout.flush();
            return std::cout ? 0 : 1;
        };
    });
}

} // namespace

DIZEZIDA_FRONT_END_COMMAND(add_completion_command)
