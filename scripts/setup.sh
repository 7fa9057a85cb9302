#!/usr/bin/env bash
# Installs what the build and the tests need, idempotently: Debian packages (only when one is
# missing) and Dear ImGui's source from Debian's source package, checksum-verified, into .deps/.
# Quiet and quick when everything is already there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deps="$root/.deps"

packages=(
  cmake make xz-utils
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 xvfb xauth libgl1-mesa-dri libglx-mesa0 x11-utils xdotool imagemagick openbox
  googletest nlohmann-json3-dev fonts-roboto-unhinted
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo_cmd apt-get update -qq
  $sudo_cmd apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# Dear ImGui 1.90.1 from Debian's source package, fetched with a private apt configuration so
# that the machine's own package lists stay untouched.
imgui_version="1.90.1+ds-1"
imgui_tar="imgui_1.90.1+ds.orig.tar.xz"
imgui_sha="ecce377df0f90b292f15dcbd83d438bddc162b2388c881132bde18c787572a1c"
imgui_dir="$deps/imgui"
if [ ! -f "$imgui_dir/.verified" ]; then
  echo "setup: fetching Dear ImGui source ($imgui_version)"
  apt_dir="$deps/apt"
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/etc" "$apt_dir/dl"
  sources=/etc/apt/sources.list.d/debian.sources
  uri=$(sed -n 's/^URIs: *//p' "$sources" | head -1)
  keyring=$(sed -n 's/^Signed-By: *//p' "$sources" | head -1)
  printf 'Types: deb-src\nURIs: %s\nSuites: trixie\nComponents: main\nSigned-By: %s\n' \
    "$uri" "$keyring" > "$apt_dir/etc/src.sources"
  opts=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$apt_dir/etc"
        -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache"
        -o APT::Sandbox::User=root)
  if [ ! -f "$apt_dir/dl/$imgui_tar" ]; then
    apt-get "${opts[@]}" -qq update >/dev/null
    (cd "$apt_dir/dl" && apt-get "${opts[@]}" -qq source --download-only "imgui=$imgui_version" >/dev/null)
  fi
  echo "$imgui_sha  $apt_dir/dl/$imgui_tar" | sha256sum -c --quiet -
  rm -rf "$imgui_dir" && mkdir -p "$imgui_dir"
  tar -xf "$apt_dir/dl/$imgui_tar" -C "$imgui_dir" --strip-components=1
  touch "$imgui_dir/.verified"
fi
