#!/usr/bin/env bash
# Builds QtCore, libtiff (zlib only), libpng and GoogleTest for 64-bit Windows from Debian's source
# packages into a prefix in a cache folder outside the checkout, and prints the prefix's path as
# its last line. QtCore, the slow part, is cached on its own: it is rebuilt only when its source
# package, the compiler or its build steps change. The prefix is QtCore plus the other libraries,
# reused while their package versions, this script and the toolchain file are unchanged, and built
# anew otherwise. Only a stage built whole is ever used.
# Usage: scripts/windows-prefix.sh   (LUMETRA_WINDOWS_CACHE: cache folder, JOBS: parallel jobs)
set -euo pipefail
cd "$(dirname "$0")/.."
source=$PWD
toolchain=$source/cmake/mingw-w64-x86_64.cmake
cache=${LUMETRA_WINDOWS_CACHE:-$HOME/.cache/lumetra-windows}
jobs=${JOBS:-2}
triple=x86_64-w64-mingw32

say() { echo "windows-prefix: $*" >&2; }

mkdir -p "$cache"
exec 9>"$cache/lock"
flock 9 # two builds at once share one prefix instead of racing for it

# Source packages need a deb-src entry; it mirrors the system's own deb entries.
if [ -z "$(apt-cache showsrc tiff 2>/dev/null)" ]; then
    list=/etc/apt/sources.list.d/lumetra-deb-src.sources
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources >"$list"
    else
        grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' >"${list%.sources}.list"
    fi
    apt-get update -qq
fi
# The newest version of a source package that can be fetched (a mirror may list one it does not
# hold); downloads are kept in the cache. Prints the path of its .dsc.
mkdir -p "$cache/sources"
fetch_source() { # <source package>
    local version dsc
    for version in $(apt-cache showsrc "$1" | awk '/^Version:/ { print $2 }' | sort -rVu); do
        dsc=$cache/sources/${1}_${version#*:}.dsc
        if [ -f "$dsc" ] || (cd "$cache/sources" && apt-get source -qq --download-only "$1=$version" >/dev/null 2>&1); then
            echo "$dsc"
            return 0
        fi
    done
    say "no version of the source package $1 could be fetched (apt-get source $1)"
    return 1
}
unpack() { # <dsc> <folder>
    dpkg-source --no-check -x "$1" "$2" >/dev/null
}
version() { dpkg-query -W -f='${Version}' "$1"; }
hash16() { sha256sum | cut -c1-16; }

# Qt's win32-g++ spec calls <triple>-gcc and -g++: make them the posix-thread compilers.
posix_compilers() { # <folder>
    mkdir -p "$1"
    ln -sf "$(command -v $triple-gcc-posix)" "$1/$triple-gcc"
    ln -sf "$(command -v $triple-g++-posix)" "$1/$triple-g++"
    PATH=$1:$PATH
}

build_qt() { # <dsc> <work folder> <install prefix>
    local work=$2 prefix=$3
    posix_compilers "$work/bin"
    unpack "$1" "$work/qtbase-src"
    mkdir -p "$work/qt-build" && cd "$work/qt-build"
    "$work/qtbase-src/configure" -prefix "$prefix" -opensource -confirm-license \
        -xplatform win32-g++ -device-option CROSS_COMPILE=$triple- -release -shared \
        -no-gui -no-widgets -no-dbus -no-opengl -no-icu -no-openssl \
        -qt-zlib -qt-pcre -qt-doubleconversion -nomake examples -nomake tests -no-pch
    # Only the bootstrap library, moc, rcc, tracegen, QtCore and qtmain; each target brings the ones it needs.
    make sub-src-qmake_all >/dev/null
    make -j"$jobs" -C src sub-winmain sub-rcc
    make -C src sub-rcc-install_subtargets sub-winmain-install_subtargets
    make install_mkspecs
    # Qt's CMake package checks that qmake exists, though nothing here runs it.
    install -m 755 bin/qmake "$prefix/bin/qmake"
}

# Builds <stage> with <builder> <arguments...> <work> <stage>, unless it is already whole; a stage
# is built under its final name and marked whole last, so a broken build is never taken for one.
# The build's output goes to <stage>.log, whose end is shown when the build fails.
build_stage() { # <stage> <builder> <arguments...>
    local stage=$1 builder=$2 work=$1.work log=$1.log status=0
    shift 2
    [ -f "$stage/.complete" ] && return 0
    rm -rf "$stage" "$work"
    mkdir -p "$work"
    say "building $stage (log: $log)"
    # In the background, so that the builder stops at its first failing command (set -e).
    ( "$builder" "$@" "$work" "$stage" ) >"$log" 2>&1 &
    wait $! || status=$?
    if [ "$status" -ne 0 ]; then
        tail -n 40 "$log" >&2
        say "building $stage failed ($status); the whole output is in $log"
        exit 1
    fi
    touch "$stage/.complete"
    rm -rf "$work" "$log"
}

qt_dsc=$(fetch_source qtbase-opensource-src)
qt_key=$( { basename "$qt_dsc"; version g++-mingw-w64-x86-64-posix; declare -f posix_compilers build_qt; } | hash16)
qt=$cache/qtcore-$qt_key
build_stage "$qt" build_qt "$qt_dsc" # QtCore: a while

tiff_dsc=$(fetch_source tiff)
png_dsc=$(fetch_source libpng1.6)
key=$( {
    echo "$qt_key"; basename "$tiff_dsc"; basename "$png_dsc"
    version googletest; version g++-mingw-w64-x86-64-posix; version libz-mingw-w64-dev
    sha256sum "$source/scripts/windows-prefix.sh" "$toolchain" | cut -d' ' -f1
} | hash16)
prefix=$cache/prefix-$key

build_libraries() { # <work folder> <install prefix>
    local work=$1 prefix=$2
    # QtCore's CMake package finds itself relative to its files, so a copy works where it lies.
    mkdir -p "$prefix"
    cp -a "$qt/." "$prefix/"
    rm "$prefix/.complete"
    local cmake_common=(-DCMAKE_TOOLCHAIN_FILE="$toolchain" -DLUMETRA_WINDOWS_PREFIX="$prefix"
                        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix")
    cmake_project() { # <name> <source folder> <cmake arguments...>
        local name=$1 folder=$2
        shift 2
        echo "== $name"
        cmake -S "$folder" -B "$work/$name-build" "${cmake_common[@]}" "$@"
        cmake --build "$work/$name-build" -j"$jobs"
        cmake --install "$work/$name-build"
    }
    unpack "$tiff_dsc" "$work/tiff-src"
    cmake_project libtiff "$work/tiff-src" -DBUILD_SHARED_LIBS=ON \
        -Dzlib=ON -Dlibdeflate=OFF -Dpixarlog=ON -Djpeg=OFF -Dold-jpeg=OFF -Djbig=OFF -Dlerc=OFF \
        -Dlzma=OFF -Dzstd=OFF -Dwebp=OFF -Dcxx=OFF \
        -Dtiff-tools=OFF -Dtiff-tests=OFF -Dtiff-contrib=OFF -Dtiff-docs=OFF
    unpack "$png_dsc" "$work/png-src"
    cmake_project libpng "$work/png-src" -DPNG_SHARED=ON -DPNG_STATIC=OFF \
        -DPNG_EXECUTABLES=OFF -DPNG_TESTS=OFF
    cmake_project GoogleTest /usr/src/googletest -DBUILD_SHARED_LIBS=OFF
}
build_stage "$prefix" build_libraries
say "using $prefix"

# Stages of earlier keys are no longer reachable.
find "$cache" -maxdepth 1 \( -name 'prefix-*' -o -name 'qtcore-*' -o -name 'work-*' \) \
     ! -name "prefix-$key" ! -name "qtcore-$qt_key" -exec rm -rf {} +
echo "$prefix"
