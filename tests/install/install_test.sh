#!/usr/bin/env bash
# Installs the build into a temporary prefix made read-only, then runs the installed programs
# as a user would: the workspace goes to XDG_DATA_HOME, the sample project comes from the
# installed data folder, and the build folder is left untouched.
set -euo pipefail
build="$1"
work="$(mktemp -d)"
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
fail() { echo "install test: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$work/prefix" >/dev/null
chmod -R a-w "$work/prefix"
export XDG_DATA_HOME="$work/xdg" HOME="$work/home"
unset KESTROVA_HOME
cli="$work/prefix/bin/kestrova-cli"

"$cli" --version | grep -qx "kestrova-cli [0-9.]*" || fail "kestrova-cli --version"
"$cli" --help | grep -qF "$XDG_DATA_HOME/kestrova (the user's data folder" || fail "--help does not name the workspace"
[ -f "$work/prefix/share/man/man1/kestrova-cli.1" ] || fail "no man page"
[ -x "$work/prefix/libexec/kestrova/kestrova-xls-reader" ] || fail "no .xls reader in libexec/kestrova"

cp -r "$work/prefix/share/kestrova/examples/sample_project" "$work/demo"
chmod -R u+w "$work/demo"
"$cli" check "$work/demo" >/dev/null || fail "check of the sample project"
"$cli" image "$work/demo" >/dev/null || fail "image of the sample project"
[ "$(stat -c %s "$work/demo/bin/bank.bin")" -gt 0 ] || fail "no bank.bin"
# the installed programs find the installed .xls reader (the import of an .xls runs it)
"$cli" canopen sdo "$work/demo" --import "$(dirname "$0")/../data/canopen/canopen.xls" >/dev/null \
  || fail "canopen --import of an .xls workbook"

if [ -x "$work/prefix/bin/kestrova" ]; then  # built with the desktop program
  [ -f "$work/prefix/share/applications/kestrova.desktop" ] || fail "no desktop entry"
  QT_QPA_PLATFORM=offscreen "$work/prefix/bin/kestrova" --version | grep -q "^kestrova " || fail "kestrova --version"
  QT_QPA_PLATFORM=offscreen "$work/prefix/bin/kestrova" --help | grep -qF "$XDG_DATA_HOME/kestrova" \
    || fail "kestrova --help does not name the workspace"
fi
echo "install test: passed"
