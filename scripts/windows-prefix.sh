#!/usr/bin/env bash
# Builds QtCore, libtiff (zlib only) and GoogleTest for 64-bit Windows from Debian's source
# packages into a prefix in a cache folder outside the checkout, and prints the prefix's path as
# its last line. The prefix is reused while the package versions, the flags (this script) and the
# toolchain file are unchanged, and built anew otherwise; only a prefix built whole is used.
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
qt_dsc=$(fetch_source qtbase-opensource-src)
tiff_dsc=$(fetch_source tiff)

version() { dpkg-query -W -f='${Version}' "$1"; }
key=$( {
    basename "$qt_dsc"; basename "$tiff_dsc"
    version googletest; version g++-mingw-w64-x86-64-posix; version libz-mingw-w64-dev
    sha256sum "$source/scripts/windows-prefix.sh" "$toolchain" | cut -d' ' -f1
} | sha256sum | cut -c1-16)
prefix=$cache/prefix-$key
if [ -f "$prefix/.complete" ]; then
    say "reusing $prefix"
    echo "$prefix"
    exit 0
fi

say "building $prefix (QtCore, libtiff, GoogleTest; this takes a while)"
rm -rf "$prefix" "$cache/work-$key"
work=$cache/work-$key
mkdir -p "$work/bin"
# Qt's win32-g++ spec calls <triple>-gcc and -g++: make them the posix-thread compilers.
ln -s "$(command -v $triple-gcc-posix)" "$work/bin/$triple-gcc"
ln -s "$(command -v $triple-g++-posix)" "$work/bin/$triple-g++"
export PATH=$work/bin:$PATH
cd "$work"
qtsrc=$work/qtbase-src
tiffsrc=$work/tiff-src
dpkg-source --no-check -x "$qt_dsc" "$qtsrc" >/dev/null
dpkg-source --no-check -x "$tiff_dsc" "$tiffsrc" >/dev/null

say "QtCore"
mkdir -p "$work/qt-build" && cd "$work/qt-build"
"$qtsrc/configure" -prefix "$prefix" -opensource -confirm-license \
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
cmake_common=(-DCMAKE_TOOLCHAIN_FILE="$toolchain" -DLUMETRA_WINDOWS_PREFIX="$prefix"
              -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix")

say "libtiff"
cmake -S "$tiffsrc" -B "$work/tiff-build" "${cmake_common[@]}" -DBUILD_SHARED_LIBS=ON \
    -Dzlib=ON -Dlibdeflate=OFF -Dpixarlog=ON -Djpeg=OFF -Dold-jpeg=OFF -Djbig=OFF -Dlerc=OFF \
    -Dlzma=OFF -Dzstd=OFF -Dwebp=OFF -Dcxx=OFF \
    -Dtiff-tools=OFF -Dtiff-tests=OFF -Dtiff-contrib=OFF -Dtiff-docs=OFF
cmake --build "$work/tiff-build" -j"$jobs"
cmake --install "$work/tiff-build"

say "GoogleTest"
cmake -S /usr/src/googletest -B "$work/gtest-build" "${cmake_common[@]}" -DBUILD_SHARED_LIBS=OFF
cmake --build "$work/gtest-build" -j"$jobs"
cmake --install "$work/gtest-build"

touch "$prefix/.complete"
cd "$cache"
rm -rf "$work"
# Prefixes of earlier keys are no longer reachable.
find "$cache" -maxdepth 1 -name 'prefix-*' ! -name "prefix-$key" -exec rm -rf {} +
say "built $prefix"
echo "$prefix"
