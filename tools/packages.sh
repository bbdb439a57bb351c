# Installs the Debian packages the game (and, for ./test, its tests) needs,
# only when some are missing. Sourced by ./run and ./test.

# Building and playing, and the headless tour where there is no display.
VEX_RUN_PACKAGES=(
  cmake g++ make pkg-config
  libsfml-dev libsoil-dev libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri libx11-dev libxrandr-dev zlib1g-dev
  xvfb xdotool x11-apps x11-utils imagemagick
)
# The tests, the fuzzer and the benchmarks on top of that; then building and
# checking the Debian package (dpkg-shlibdeps, lintian, the desktop and AppStream
# validators), a real window manager and a Wayland desktop to play under; the
# Windows build (the cross compiler, its zlib, the image decoder's header) and
# Wine to play it under.
VEX_TEST_PACKAGES=(
  "${VEX_RUN_PACKAGES[@]}"
  libosmesa6-dev libgtest-dev libbenchmark-dev clang libclang-rt-14-dev
  dpkg-dev lintian desktop-file-utils appstream openbox wmctrl weston xwayland
  g++-mingw-w64-x86-64-posix libz-mingw-w64-dev libstb-dev xz-utils unzip wine64
)

# vex_install_packages run|test
vex_install_packages() {
  local wanted=("${VEX_RUN_PACKAGES[@]}")
  [ "${1:-test}" = test ] && wanted=("${VEX_TEST_PACKAGES[@]}")
  local missing=()
  local pkg
  for pkg in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$pkg")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing missing packages: ${missing[*]}"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
      echo "These Debian packages are needed but missing, and installing them needs root:" >&2
      echo "  apt-get install ${missing[*]}" >&2
      return 1
    fi
    sudo=(sudo)
  fi
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
