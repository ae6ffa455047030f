#!/usr/bin/env bash
# The bash completion and the man pages say what --help says: every command
# (and sub-command) and every option of each appears in the completion
# script, which completes them in a bash that sources it, and in the man page
# of its command.
# Usage: docs-test.sh PROGRAM DOCS_DIR
set -euo pipefail
program=$1 docs=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
completion=$docs/dizezida-postgresql.bash
[ -f "$completion" ] || fail "no completion script"
cmp -s "$completion" <("$program" completion bash) || fail "completion script is stale"

# The command names and options of one --help text.
commands_of() { sed -n '/^Subcommands:/,/^$/p' | sed -nE 's/^  ([a-z][a-z0-9-]*)  .*/\1/p'; }
options_of() { sed -n '/^Options:/,/^$/p' | sed -nE 's/^  (-[^ ]+).*/\1/p' | tr ',' '\n'; }

# Completes the words of a command line, the last one being completed.
complete_line() {
  bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _dizezida_postgresql; printf "%s\n" "${COMPREPLY[@]}"' \
    _ "$completion" dizezida-postgresql "$@"
}

checked=0
check_command() { # words of a command path, "" for the program itself
  local help page offered words=("$@")
  help=$("$program" "${words[@]}" --help)
  local IFS=-
  page=$docs/man/dizezida-postgresql${words[*]:+-${words[*]}}.1
  unset IFS
  [ -f "$page" ] || fail "no man page $page"
  offered=$(complete_line "${words[@]}" "")
  for option in $(options_of <<<"$help"); do
    grep -qxF -- "$option" <<<"$offered" || fail "completion of '${words[*]}' misses $option"
    # help2man writes each dash of an option as \-.
    grep -qF -- "${option//-/\\-}" "$page" || fail "man page $page lacks $option"
    checked=$((checked + 1))
  done
  for sub in $(commands_of <<<"$help"); do
    grep -qxF "$sub" <<<"$offered" || fail "completion of '${words[*]}' misses $sub"
    grep -qF "$sub" "$page" || fail "man page $page lacks $sub"
    check_command "${words[@]}" "$sub"
  done
}
check_command
[ "$(complete_line query --format "")" = "$(printf 'aligned\ncsv\njson')" ] || fail "--format choices"
[ -z "$(complete_line query -f "")" ] || fail "file names after -f are left to bash"
[ "$(complete_line servers --file x a)" = add ] || fail "a value after an option is skipped"
echo "completion and man pages OK: $checked options"
