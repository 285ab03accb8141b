# Shared set-up of run.sh and test.sh: Debian packages, configure, build. Sourced, not run.

GLIMRA_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
GLIMRA_BUILD="${GLIMRA_BUILD:-$GLIMRA_ROOT/build}"

# Everything the build, the program and the tests need, all from Debian.
GLIMRA_PACKAGES=(
    cmake make g++ pkg-config ccache
    dpkg-dev lintian appstream
    qtbase5-dev qtbase5-dev-tools qttools5-dev qttools5-dev-tools libqt5svg5
    libssl-dev zlib1g-dev openssl
    qttranslations5-l10n libqt5x11extras5-dev
    xvfb xauth x11-utils x11-xserver-utils xdotool imagemagick
    xcompmgr trayer openbox desktop-file-utils libglib2.0-bin man-db
)
# Only for .ci/wincheck, the compile check of the Windows build.
GLIMRA_WINCHECK_PACKAGES=(g++-mingw-w64-x86-64)

# Installs what is missing of the packages given, by default GLIMRA_PACKAGES.
glimra_install_packages() {
    local wanted=("$@")
    [ ${#wanted[@]} -eq 0 ] && wanted=("${GLIMRA_PACKAGES[@]}")
    local missing=()
    local pkg
    for pkg in "${wanted[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    echo "Installing missing packages: ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null 2>&1; then
            sudo=(sudo)
        else
            echo "These packages are missing and neither root nor sudo is available: ${missing[*]}" >&2
            return 1
        fi
    fi
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

glimra_build() {
    if [ ! -f "$GLIMRA_BUILD/CMakeCache.txt" ]; then
        cmake -S "$GLIMRA_ROOT" -B "$GLIMRA_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo
    fi
    cmake --build "$GLIMRA_BUILD" -j "$(nproc)"
}
