#!/usr/bin/env bash
# Installs the Debian 12 packages Brivane needs to build, run and test, when missing.
# --test adds what the tests use; --fuzz adds clang and its libFuzzer runtime;
# --package adds what makes the Debian package (scripts/package).
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev-tools qt6-svg-dev
  qt6-qpa-plugins libcurl4-openssl-dev ca-certificates libxcb1-dev libx11-xcb-dev
  libcanberra-dev libcanberra0 libcanberra-pulse sound-theme-freedesktop
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  xvfb xdotool x11-apps x11-utils imagemagick fonts-dejavu-core fonts-wqy-zenhei dbus
  python3 python3-aiosmtpd
)
for arg in "$@"; do
  case "$arg" in
    # The package test builds the package and validates its menu entry,
    # metainfo and manual page.
    --test) PACKAGES+=(sox trayer openbox poppler-utils python3-dbus python3-gi openssl libfaketime tzdata
                       dpkg-dev desktop-file-utils appstream man-db weston xwayland) ;;
    --package) PACKAGES+=(dpkg-dev) ;;
    --fuzz) PACKAGES+=(clang libclang-rt-14-dev) ;;
    *) echo "deps.sh: unknown option $arg" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if (( ${#missing[@]} )); then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [[ $(id -u) -ne 0 ]]; then SUDO="sudo"; fi
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
