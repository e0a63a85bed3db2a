#!/usr/bin/env bash
# Installs the Debian packages the build, the data generator and the tests need.
# The one list of packages lives here; `make run`, `make test` and CI all call this script.
# Root installs directly, others through sudo; without either it prints the command and stops.
set -euo pipefail

packages=(
  build-essential        # C and C++ compilers, make
  cmake                  # build system
  pkg-config             # finds the libraries below
  clang                  # libFuzzer builds of the parsers (make fuzz)
  libclang-rt-14-dev     # clang's sanitizer and fuzzer runtimes
  clang-format           # the repository's formatting
  libgtest-dev           # unit and end-to-end tests
  libgmock-dev           # test matchers
  libbenchmark-dev       # make bench
  libsdl2-dev            # window, input, clock, audio output
  libepoxy-dev           # OpenGL 3.3 entry points
  libopenmpt-dev         # plays the music module
  libvorbis-dev          # decodes the sound effects; the generator encodes them
  libjpeg62-turbo-dev    # JPEG pictures, read by the game and written by the generator
  libstb-dev             # Targa decoding; PNG writing for screenshots
  libcairo2-dev          # the generator's vector drawing
  librsvg2-dev           # the generator's vector drawing from SVG sources
  libfreetype-dev        # the generator renders the bitmap fonts
  fonts-dejavu-core      # font source for the bitmap fonts
  fonts-averia-serif-gwf # font source for the title font
  fonts-linuxlibertine   # font source for the story texts
  xvfb                   # headless X servers: one for each program test
  xdotool                # the menu end-to-end tests type and click through the real window
  x11-utils              # xprop: the end-to-end tests read the window's icon
  xauth                  # needed by xvfb-run
  libgl1-mesa-dri        # software OpenGL (llvmpipe) under Xvfb
  libegl-mesa0           # EGL for the offscreen video driver
  dpkg-dev               # dpkg-shlibdeps: make package computes the package's dependencies
  desktop-file-utils     # desktop-file-validate checks the desktop entry in the tests
  appstream              # appstreamcli validate checks the AppStream data in the tests
  lintian                # checks the Debian package in the tests
  man-db                 # the tests read the manual pages for formatting warnings
  util-linux             # setpriv: the tests run the installed game as an ordinary user
)

missing=()
for p in "${packages[@]}"; do
  # dpkg-query prints "install ok installed" only for a fully installed package
  if [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" != "install ok installed" ]; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

cmd=(apt-get install -y -o DPkg::Lock::Timeout=600 "${missing[@]}")
if [ "$(id -u)" -eq 0 ]; then
  sudo_cmd=()
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
  sudo_cmd=(sudo)
else
  echo "Missing packages. Install them with:" >&2
  echo "  sudo apt-get update && sudo ${cmd[*]}" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get update -o DPkg::Lock::Timeout=600 >/dev/null
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" "${cmd[@]}"
