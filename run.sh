#!/usr/bin/env bash
# Installs what the project needs (Debian 12), builds the game without
# sanitizers in build/release, installs it into the player's program folder
# and starts it there. The player's files in that folder (settings, saved games,
# hall of fame, chat log) are never overwritten: keys that a newer settings
# file brings are added to his, his values stay.
set -euo pipefail
cd "$(dirname "$0")"

platform="${QT_QPA_PLATFORM:-}"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] &&
   { [ -z "$platform" ] || [[ "$platform" == xcb* ]] || [[ "$platform" == wayland* ]]; }; then
  echo "run.sh: Kordalt needs a graphical display, and none is set (DISPLAY is empty)" >&2
  exit 1
fi

build=build/release
mkdir -p "$build"

# The package check runs again only when the package list or the installed packages changed.
packages_checked="$build/.packages-checked"
if [ ! -e "$packages_checked" ] || [ tools/install_packages.sh -nt "$packages_checked" ] ||
   [ /var/lib/dpkg/status -nt "$packages_checked" ]; then
  tools/install_packages.sh
  touch "$packages_checked"
fi

# The program folder: under the XDG data directory (an absolute path, else the default).
data_home="${XDG_DATA_HOME:-}"
[[ "$data_home" == /* ]] || data_home="$HOME/.local/share"
game_dir="$data_home/kordalt"
mkdir -p "$game_dir"

# The player's files of the older layout, kept in the build's program folder, move once to the
# program folder (before the build can replace that settings file); none already there is replaced.
old_dir="$build/bin"
migrated="$game_dir/.migrated"
if [ ! -e "$migrated" ]; then
  if [ -d "$old_dir" ]; then
    chat_log="$(sed -n 's/^[[:space:]]*ChatFileName[[:space:]]*=[[:space:]]*//Ip' "$old_dir/kordalt.INI" 2>/dev/null |
                tr -d '\r' | tail -n 1)"
    for file in "$old_dir"/kordalt.INI "$old_dir"/*.kordalt "$old_dir"/dim.rec "$old_dir/${chat_log:-kordaltchat.txt}"; do
      [ -f "$file" ] || continue
      target="$game_dir/$(basename "$file")"
      [ -e "$target" ] && continue
      cp -p "$file" "$game_dir/.migrating"
      mv -n "$game_dir/.migrating" "$target"
      rm -f "$game_dir/.migrating"
    done
  fi
  touch "$migrated"
fi

# Once configured, the build itself configures again when a CMake file changes.
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORDALT_SANITIZE=OFF -DKORDALT_TESTS=OFF >/dev/null
fi
cmake --build "$build" --target kordalt merge_settings

stage="$build/stage"
rm -rf "$stage"
cmake --install "$build" --prefix "$stage" >/dev/null
for file in "$stage"/*; do
  name="$(basename "$file")"
  [ "$name" = kordalt.INI ] && continue
  # Through a new name, so a running copy of the program keeps its own file.
  cp -f "$file" "$game_dir/.$name.new"
  mv -f "$game_dir/.$name.new" "$game_dir/$name"
done
if [ -f "$game_dir/kordalt.INI" ]; then
  "$build/bin/merge_settings" "$stage/kordalt.INI" "$game_dir/kordalt.INI"
else
  cp "$stage/kordalt.INI" "$game_dir/kordalt.INI"
fi

if [ -z "$platform" ] && [ -n "${DISPLAY:-}" ]; then
  export QT_QPA_PLATFORM=xcb
fi
exec "$game_dir/kordalt" "$@"
