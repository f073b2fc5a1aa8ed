# Sourced by ./run and ./test: installs the Debian packages the suite needs
# and builds it into build/.

SUITE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
SUITE_BUILD="$SUITE_ROOT/build"

# What building and running every program needs.
SUITE_PACKAGES=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev libqt6opengl6-dev qt6-qpa-plugins qt6-charts-dev
    libplist-dev libplist++-dev libsecret-1-dev
    libgl-dev libglu1-mesa-dev libgl1-mesa-dri libglx-mesa0
    libx11-dev libxtst-dev libxss-dev libxi-dev libxkbcommon-dev libxkbcommon-x11-dev
    libevdev-dev libsecret-1-dev
    espeak-ng
    libgtest-dev libbenchmark-dev libumockdev-dev
)
# What the tests need on top: an X server without a screen, a session bus, and the GUI
# harness's accessibility bus, tray host, D-Bus bindings and XTest driver; clang-format for
# the formatting check.
SUITE_TEST_PACKAGES=(xvfb xauth dbus dbus-x11 xdg-user-dirs
    at-spi2-core python3-pyatspi python3-dbus python3-gi trayer xdotool clang-format git
    umockdev)

suite_log() { printf '%s: %s\n' "$(basename "$0")" "$*" >&2; }

# Installs whichever of the given packages are missing; apt-get update runs
# at most once, and only when something is missing.
suite_install() {
    local missing=() pkg
    for pkg in "$@"; do
        dpkg -s "$pkg" >/dev/null 2>&1 || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    suite_log "installing ${missing[*]}"
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q >&2 || return 1
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -q --no-install-recommends "${missing[@]}" >&2
}

# Configures once, then lets ninja decide what is out of date.
suite_build() {
    if [ ! -f "$SUITE_BUILD/build.ninja" ]; then
        cmake -S "$SUITE_ROOT" -B "$SUITE_BUILD" -G Ninja \
            -DCMAKE_BUILD_TYPE=RelWithDebInfo >&2 || return 1
    fi
    cmake --build "$SUITE_BUILD" "$@" >&2
}
