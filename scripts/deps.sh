# Installs the Debian packages that building, running and testing need, when
# some are missing. Sourced by ./run and ./test; safe to run again.
# clang and its runtime libraries build the fuzz targets (libFuzzer); llvm
# gives llvm-symbolizer, which turns sanitizer reports into file:line.
# python3 makes the benchmark data, which the benchmarks' smoke tests need.
# The mingw-w64 cross compiler, GoogleTest's sources and Wine build the
# Windows program and run its tests; python3-pefile reads an exe's imports;
# fonts-wine gives the window tests the usual dialog fonts.
# dpkg-dev finds the Debian package's library dependencies (./release).
# libxtst-dev and libxdamage-dev build the benchmark that drives the window on X.
morvane_packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-translations-l10n libgl-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-liberation xvfb xauth
    clang libclang-rt-14-dev llvm
    python3
    g++-mingw-w64-x86-64-posix googletest wine wine64 python3-pefile fonts-wine
    dpkg-dev
    libxtst-dev libxdamage-dev
)

morvane_install_deps() {
    local missing=()
    local p
    for p in "${morvane_packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null; then sudo="sudo"; else
            echo "These Debian packages are missing and you are not root: ${missing[*]}" >&2
            return 1
        fi
    fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Configures (once) and builds into the given folder.
morvane_build() {
    local dir=$1; shift
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S "$morvane_root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    fi
    cmake --build "$dir"
}
