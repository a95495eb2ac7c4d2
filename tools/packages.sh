# Installs the Debian packages the commands need, when some are missing
# (sourced by test.sh and run.sh). A warm machine never touches apt.

# Build, test and run: CMake with make, the host compilers (clang for the
# fuzzers), GoogleTest sources, the mingw-w64 cross compiler, Wine with its
# fonts (and a monospaced system font for Courier New), a virtual X display
# with xauth, ImageMagick for looking at screenshots.
LF_PACKAGES=(
    cmake make g++ clang libclang-rt-14-dev googletest
    g++-mingw-w64-x86-64 wine wine64 fonts-wine fonts-dejavu-core
    xvfb xauth imagemagick
)

lf_missing_packages() {
    local package status
    for package in "$@"; do
        status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null)
        [ "$status" = installed ] || printf '%s\n' "$package"
    done
}

lf_ensure_packages() {
    local missing
    missing=$(lf_missing_packages "$@")
    [ -z "$missing" ] && return 0
    # shellcheck disable=SC2086
    echo "Installing missing packages:" $missing
    if [ "$(id -u)" -ne 0 ]; then
        echo "error: installing packages needs root; run as root or install them:" >&2
        # shellcheck disable=SC2086
        echo "  apt-get install -y --no-install-recommends" $missing >&2
        return 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update || return 1
    # shellcheck disable=SC2086
    apt-get install -y --no-install-recommends $missing || return 1
}
