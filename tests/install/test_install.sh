#!/usr/bin/env bash
# Installs the build into a staging folder and uses the installed program from
# elsewhere, as a packaged install would be used.
# Usage: test_install.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1 source=$2
stage=$(mktemp -d)
work=$(mktemp -d)
trap 'rm -rf "$stage" "$work"' EXIT

DESTDIR="$stage" cmake --install "$build" --prefix /usr/local > /dev/null
prefix="$stage/usr/local"
for f in bin/bitloom lib/bitloom/libbitloom_window.so share/applications/bitloom.desktop \
         share/mime/packages/bitloom.xml share/icons/hicolor/scalable/apps/bitloom.svg \
         share/icons/hicolor/48x48/apps/bitloom.png share/man/man1/bitloom.1; do
  [ -e "$prefix/$f" ] || { echo "not installed: $f"; exit 1; }
done

cd "$work"
"$prefix/bin/bitloom" --version | grep -q '^Bitloom '
"$prefix/bin/bitloom" --convert "$source/examples/fonts/bold14.bdf" out.bdf > /dev/null
grep -q '^FONT DemoSans-Bold-14' out.bdf
# The window library is found from the installed program too.
"$prefix/bin/bitloom" --source "$source/examples/demo.bitloom" out.gd > /dev/null
grep -q '^EndFontStoreFile' out.gd
# The installed program compiles in a compiler folder of the user's, named by the
# option or the environment; nothing is copied beside the program.
export XDG_CONFIG_HOME="$work"
mkdir compiler
printf '#!/bin/sh\ncp out.gd out.gdr\necho out.gdr created\n' > compiler/fnttran.exe
chmod +x compiler/fnttran.exe
"$prefix/bin/bitloom" --compile "$source/examples/demo.bitloom" store.gdr --compiler-dir "$work/compiler" > out.txt
grep -q '^Font successfully created!' out.txt
cmp -s store.gdr compiler/out.gd || { echo "the store is not what the compiler made"; exit 1; }
BITLOOM_COMPILER_DIR="$work/compiler" "$prefix/bin/bitloom" --compile "$source/examples/demo.bitloom" env.gdr > /dev/null
grep -q '^EndFontStoreFile' env.gdr
if "$prefix/bin/bitloom" --compile "$source/examples/demo.bitloom" none.gdr > /dev/null 2> err.txt; then
  echo "compiled without a compiler folder"; exit 1
fi
grep -q -- '--compiler-dir DIR' err.txt
[ ! -e "$prefix/bin/out.gd" ] || { echo "out.gd was written beside the installed program"; exit 1; }
if "$prefix/bin/bitloom" --no-such-option 2> err.txt; then echo "unknown option accepted"; exit 1; fi
grep -q 'unknown option' err.txt
QT_QPA_PLATFORM=offscreen "$prefix/bin/bitloom" > window.txt 2>&1 &
pid=$!
sleep 2
if ! kill -0 "$pid" 2> /dev/null; then echo "the installed window did not stay open:"; cat window.txt; exit 1; fi
kill "$pid"

if command -v desktop-file-validate > /dev/null; then
  desktop-file-validate --no-hints "$prefix/share/applications/bitloom.desktop"
fi
if command -v xmllint > /dev/null; then
  xmllint --noout "$prefix/share/mime/packages/bitloom.xml"
fi
echo "1 passed, 0 failed"
