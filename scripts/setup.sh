#!/usr/bin/env bash
# Installs what the build and the tests need, idempotently: Debian packages (only when one is
# missing), and Dear ImGui's, PCRE2's and libexif's sources from Debian's source packages, checksum-verified,
# into .deps/
# Quiet and quick when everything is already there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deps="$root/.deps"

packages=(
  cmake make xz-utils
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 xvfb xauth libgl1-mesa-dri libglx-mesa0 x11-utils xdotool imagemagick openbox xcompmgr
  googletest nlohmann-json3-dev fonts-roboto-unhinted
  libimage-exiftool-perl
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

# Third-party sources come from Debian's source packages, fetched with a private apt
# configuration so that the machine's own package lists stay untouched, and are verified by the
# SHA-256 of the upstream tarball before they are unpacked into .deps/<name>.
apt_dir="$deps/apt"
apt_opts=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$apt_dir/etc"
          -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache"
          -o APT::Sandbox::User=root)
apt_updated=""
fetch_source() {  # name, apt source request, upstream tarball, its SHA-256
  local name=$1 request=$2 tarball=$3 sha=$4
  local dir="$deps/$name"
  [ -f "$dir/.verified" ] && return 0
  echo "setup: fetching $name source ($request)"
  if [ ! -f "$apt_dir/dl/$tarball" ]; then
    if [ -z "$apt_updated" ]; then
      mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/etc" "$apt_dir/dl"
      local sources=/etc/apt/sources.list.d/debian.sources
      local uri keyring
      uri=$(sed -n 's/^URIs: *//p' "$sources" | head -1)
      keyring=$(sed -n 's/^Signed-By: *//p' "$sources" | head -1)
      printf 'Types: deb-src\nURIs: %s\nSuites: trixie\nComponents: main\nSigned-By: %s\n' \
        "$uri" "$keyring" > "$apt_dir/etc/src.sources"
      apt-get "${apt_opts[@]}" -qq update >/dev/null
      apt_updated=1
    fi
    # Only the tarballs: the upstream one is all that is used, and it is verified below (a
    # mirror has been seen to lack a package's .dsc while serving its tarballs).
    (cd "$apt_dir/dl" && apt-get "${apt_opts[@]}" -qq source --download-only --tar-only "$request" >/dev/null) ||
      [ -f "$apt_dir/dl/$tarball" ]
  fi
  echo "$sha  $apt_dir/dl/$tarball" | sha256sum -c --quiet -
  rm -rf "$dir" && mkdir -p "$dir"
  tar -xf "$apt_dir/dl/$tarball" -C "$dir" --strip-components=1
  touch "$dir/.verified"
}

# Dear ImGui at the exact packaged release the code is written against.
fetch_source imgui "imgui=1.90.1+ds-1" "imgui_1.90.1+ds.orig.tar.xz" \
  ecce377df0f90b292f15dcbd83d438bddc162b2388c881132bde18c787572a1c
# PCRE2 (file-name patterns): any Debian revision of 10.46, so that a security update to the
# packaging does not break setup; the upstream tarball itself is pinned by its checksum.
fetch_source pcre2 "pcre2" "pcre2_10.46.orig.tar.gz" \
  8d28d7f2c3b970c3a4bf3776bcbb5adfc923183ce74bc8df1ebaad8c1985bd07
# libexif (photos' dates taken), likewise: any Debian revision of 0.6.25, the tarball pinned.
fetch_source libexif "libexif" "libexif_0.6.25.orig.tar.gz" \
  ee0795432c20d2fdb2a8a579dd6fc0e19d402e36f14f42c03ab60d2345950f09
