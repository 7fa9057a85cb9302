#!/usr/bin/env bash
# Installs what the build and the tests need, idempotently: Debian packages (only when one is
# missing), and Dear ImGui's, PCRE2's, libexif's and FriBidi's sources from Debian's source packages,
# checksum-verified, into .deps/ (libexif with the patches of Debian's packaging applied)
# Quiet and quick when everything is already there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deps="$root/.deps"

packages=(
  cmake make xz-utils patch
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 xvfb xauth libgl1-mesa-dri libglx-mesa0 x11-utils xdotool imagemagick openbox xcompmgr
  googletest nlohmann-json3-dev fonts-roboto-unhinted
  fonts-noto-cjk fonts-noto-core fonts-symbola
  libimage-exiftool-perl jq
  clang-14 libclang-rt-14-dev llvm-14   # the fuzz targets: libFuzzer, sanitizers, symbolizer
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
apt_ready() {
  [ -n "$apt_updated" ] && return 0
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/etc" "$apt_dir/dl"
  local sources=/etc/apt/sources.list.d/debian.sources
  local uri keyring
  uri=$(sed -n 's/^URIs: *//p' "$sources" | head -1)
  keyring=$(sed -n 's/^Signed-By: *//p' "$sources" | head -1)
  printf 'Types: deb-src\nURIs: %s\nSuites: trixie\nComponents: main\nSigned-By: %s\n' \
    "$uri" "$keyring" > "$apt_dir/etc/src.sources"
  apt-get "${apt_opts[@]}" -qq update >/dev/null
  apt_updated=1
}
# name, apt source request, upstream tarball, its SHA-256; optionally Debian's packaging of it:
# the exact source version, its debian tarball and that tarball's SHA-256. The patches its
# debian/patches/series names are applied in order onto the unpacked upstream source. The stamp
# (.verified) names the debian tarball applied, so a tree made without them (or with another
# revision's) is unpacked and patched afresh; a run cut short leaves no stamp and starts over.
fetch_source() {
  local name=$1 request=$2 tarball=$3 sha=$4 debian_request=${5:-} debian=${6:-} debian_sha=${7:-}
  local dir="$deps/$name"
  if [ -f "$dir/.verified" ]; then
    [ -z "$debian" ] && return 0
    grep -qxF "$debian" "$dir/.verified" && return 0
  fi
  echo "setup: fetching $name source ($request${debian:+, patched as in $debian_request})"
  if [ ! -f "$apt_dir/dl/$tarball" ]; then
    apt_ready
    # Only the tarballs: the upstream one is all that is used, and it is verified below (a
    # mirror has been seen to lack a package's .dsc while serving its tarballs).
    (cd "$apt_dir/dl" && apt-get "${apt_opts[@]}" -qq source --download-only --tar-only "$request" >/dev/null) ||
      [ -f "$apt_dir/dl/$tarball" ]
  fi
  echo "$sha  $apt_dir/dl/$tarball" | sha256sum -c --quiet -
  if [ -n "$debian" ] && [ ! -f "$apt_dir/dl/$debian" ]; then
    apt_ready
    (cd "$apt_dir/dl" && apt-get "${apt_opts[@]}" -qq source --download-only --debian-only "$debian_request" >/dev/null) ||
      [ -f "$apt_dir/dl/$debian" ] ||
      { echo "setup: Debian no longer serves $debian_request; update the pin in scripts/setup.sh" >&2; exit 1; }
  fi
  [ -z "$debian" ] || echo "$debian_sha  $apt_dir/dl/$debian" | sha256sum -c --quiet -
  rm -rf "$dir" && mkdir -p "$dir"
  tar -xf "$apt_dir/dl/$tarball" -C "$dir" --strip-components=1
  if [ -n "$debian" ]; then
    local packaging="$deps/$name.debian"
    rm -rf "$packaging" && mkdir -p "$packaging"
    tar -xf "$apt_dir/dl/$debian" -C "$packaging"
    local patch_name level
    # quilt's series: a patch per line, perhaps with its -pN; '#' starts a comment.
    while read -r patch_name level _; do
      case "$patch_name" in ''|'#'*) continue ;; esac
      case "$level" in -p*) ;; *) level=-p1 ;; esac
      patch -d "$dir" "$level" --batch --forward --quiet < "$packaging/debian/patches/$patch_name"
    done < "$packaging/debian/patches/series"
    rm -rf "$packaging"
  fi
  printf '%s\n' "$debian" > "$dir/.verified"
}

# Dear ImGui at the exact packaged release the code is written against.
fetch_source imgui "imgui=1.90.1+ds-1" "imgui_1.90.1+ds.orig.tar.xz" \
  ecce377df0f90b292f15dcbd83d438bddc162b2388c881132bde18c787572a1c
# PCRE2 (file-name patterns): any Debian revision of 10.46, so that a security update to the
# packaging does not break setup; the upstream tarball itself is pinned by its checksum.
fetch_source pcre2 "pcre2" "pcre2_10.46.orig.tar.gz" \
  8d28d7f2c3b970c3a4bf3776bcbb5adfc923183ce74bc8df1ebaad8c1985bd07
# libexif (photos' dates taken): upstream 0.6.25 with the security patches of Debian's
# 0.6.25-1+deb13u1, both tarballs pinned. A later Debian revision means a new pin here.
fetch_source libexif "libexif" "libexif_0.6.25.orig.tar.gz" \
  ee0795432c20d2fdb2a8a579dd6fc0e19d402e36f14f42c03ab60d2345950f09 \
  "libexif=0.6.25-1+deb13u1" "libexif_0.6.25-1+deb13u1.debian.tar.xz" \
  ad1b1a2555cc911f8e04a601f2edeb4987f71846c6c9e827d52d460ff4a4bccf
# GNU FriBidi (right-to-left names in visual order, Arabic letters joined): the upstream tarball
# of Debian's 1.0.16-1, pinned by its checksum.
fetch_source fribidi "fribidi" "fribidi_1.0.16.orig.tar.xz" \
  1b1cde5b235d40479e91be2f0e88a309e3214c8ab470ec8a2744d82a5a9ea05c
