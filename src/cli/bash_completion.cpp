// The bash completion script, written from the same description the parser
// uses, so a new option completes the day it is added.
#include <string>
#include <vector>

#include "cli/cli_spec.h"

namespace kerfel {
namespace {

std::string Join(const std::vector<std::string>& words) {
    std::string out;
    for (const auto& w : words) out += (out.empty() ? "" : " ") + w;
    return out;
}

// What completes a value, by the name the description gives it.
std::string CompleteValue(const std::string& valueName) {
    if (valueName == "LAYOUT") return "_kerfel_words \"" + Join(LayoutNames()) + "\"";
    if (valueName.find("FOLDER") != std::string::npos) return "_kerfel_folders";
    if (valueName.size() > 4 && valueName.compare(valueName.size() - 4, 4, ".jpg") == 0) return "_kerfel_files jpeg";
    if (valueName == "FILE" || valueName == "ARCHIVE") return "_kerfel_files";
    return ":";  // a number or a size: nothing to offer
}

// One arm of the script's `case "$command"`.
std::string CommandArm(const std::string& name) {
    auto app = CommandParser(name);
    std::vector<std::string> options, positionals;
    std::string valueArms, valueOptions;
    for (const CLI::Option* opt : app->get_options()) {
        if (!opt->nonpositional()) {
            positionals.push_back(CompleteValue(opt->get_name(true)));
            continue;
        }
        std::vector<std::string> names;
        for (const auto& s : opt->get_snames()) names.push_back("-" + s);
        for (const auto& l : opt->get_lnames()) names.push_back("--" + l);
        options.insert(options.end(), names.begin(), names.end());
        if (opt->get_items_expected_max() == 0) continue;
        for (const auto& n : names) valueOptions += (valueOptions.empty() ? "" : " ") + n;
        for (const auto& n : names) valueArms += "            " + n + ") " + CompleteValue(opt->get_type_name()) + "; return ;;\n";
    }
    std::string arm = "    " + name + ")\n";
    if (!valueArms.empty()) arm += "        case \"$prev\" in\n" + valueArms + "        esac\n";
    arm += "        if [[ $cur == -* ]]; then _kerfel_words \"" + Join(options) + "\"; return; fi\n";
    arm += "        case $(_kerfel_position '" + valueOptions + "') in\n";
    for (size_t i = 0; i < positionals.size(); ++i)
        arm += "            " + std::to_string(i) + ") " + positionals[i] + " ;;\n";
    arm += "        esac\n        ;;\n";
    return arm;
}

}  // namespace

std::string BashCompletionScript() {
    const std::string commands = Join(CommandNames());
    std::string script = R"(# bash completion for kerfel                                   -*- shell-script -*-
# Made from the command line's own description; do not edit.

_kerfel_words() { mapfile -t COMPREPLY < <(compgen -W "$1" -- "$cur"); }

# File names (only JPEG pictures when asked), and folders to go down into.
_kerfel_files() {
    compopt -o filenames 2>/dev/null || :
    local IFS=$'\n'
    if [[ ${1-} == jpeg ]]; then
        COMPREPLY=($(compgen -d -- "$cur") $(compgen -f -X '!*.[jJ][pP][gG]' -- "$cur")
                   $(compgen -f -X '!*.[jJ][pP][eE][gG]' -- "$cur"))
    else
        COMPREPLY=($(compgen -f -- "$cur"))
    fi
}

_kerfel_folders() {
    compopt -o filenames 2>/dev/null || :
    local IFS=$'\n'
    COMPREPLY=($(compgen -d -- "$cur"))
}

# Which argument (from 0) the word under the cursor is, options and the
# values of those among $1 (options that take one) left out.
_kerfel_position() {
    local i n=0 skip=
    for ((i = 2; i < COMP_CWORD; i++)); do
        if [[ -n $skip ]]; then skip=; continue; fi
        case ${COMP_WORDS[i]} in
            --*=*) ;;
            -*) [[ " $1 " == *" ${COMP_WORDS[i]} "* ]] && skip=1 ;;
            *) ((n++)) ;;
        esac
    done
    echo $n
}

_kerfel() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    COMPREPLY=()
    if ((COMP_CWORD == 1)); then
        if [[ $cur == -* ]]; then _kerfel_words "--help --version"; return; fi
        # A command, or a photo to open in the desktop tool.
        _kerfel_files jpeg
        local words
        mapfile -t words < <(compgen -W ")" + commands + R"( help" -- "$cur")
        COMPREPLY+=("${words[@]}")
        return
    fi
    case ${COMP_WORDS[1]} in
    help | -h | --help)
        ((COMP_CWORD == 2)) && _kerfel_words ")" + commands + R"("
        ;;
)";
    for (const auto& name : CommandNames()) script += CommandArm(name);
    script += "    esac\n} &&\n    complete -F _kerfel kerfel\n";
    return script;
}

}  // namespace kerfel
