#!/usr/bin/env bash
# Installs the build into a temporary folder with DESTDIR and checks, with only the installed
# files: the example program built with pkg-config and with CMake, WIF files read through Qt's
# image plug-in and through the gdk-pixbuf loader with the converter's pixels, the file type the
# MIME database gives, the thumbnailer, and the desktop entry and metainfo. Then installs without
# DESTDIR into a temporary prefix and checks the caches that install builds there.
#
# staged-install.sh BUILD SOURCE QT_READER PIXBUF_READER QUERY_LOADERS CLASSIC_DATA SANITIZED
set -euo pipefail

build=$1 source=$2 qt_reader=$3 pixbuf_reader=$4 query_loaders=$5 classic=$6 sanitized=$7
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

# Sanitizer builds: programs built here get the same runtime, and the system's programs that load
# our modules get it preloaded (it must come first in the process).
extra_flags=()
preload=""
if [ "$sanitized" = "1" ]; then
  extra_flags=(-fsanitize=address,undefined)
  preload="$(gcc -print-file-name=libasan.so) $(gcc -print-file-name=libubsan.so)"
fi
with_preload() { LD_PRELOAD="$preload" ASAN_OPTIONS=detect_leaks=0 "$@"; }
# Qt's core library now and then keeps an object of its own threads past exit; that is not ours
# to report (leaks of the plug-in and the reader are still found).
qt_leaks=$work/qt-leaks.supp
echo "leak:libQt6Core.so" > "$qt_leaks"

prefix=/opt/vu
stage=$work/stage
root=$stage$prefix
DESTDIR=$stage cmake --install "$build" --prefix "$prefix" > "$work/install.log"

libdir=$(cd "$root" && dirname "$(find . -name vu.pc -path '*pkgconfig*' | head -1)")
libdir=${libdir%/pkgconfig}
libdir=${libdir#./}
for f in bin/vuconvert bin/vustudio bin/vu-thumbnailer "$libdir/libvu.a" "$libdir/libvu.so" \
  "$libdir/cmake/vu/vuConfig.cmake" include/vu/vu.h include/vu/imagelib/vuImage.h \
  share/man/man1/vuconvert.1 share/man/man1/vustudio.1 share/man/man1/vu-thumbnailer.1 \
  share/mime/packages/vu-wif.xml share/thumbnailers/vu-wif.thumbnailer \
  share/applications/vustudio.desktop share/metainfo/org.tessary.vustudio.metainfo.xml \
  share/icons/hicolor/scalable/apps/vustudio.svg share/icons/hicolor/48x48/apps/vustudio.png; do
  [ -e "$root/$f" ] || fail "not installed: $f"
done
soname=$(objdump -p "$root/$libdir/libvu.so" | awk '/SONAME/ {print $2}')
[ "$soname" = "libvu.so.0" ] && pass "soname $soname" || fail "soname is '$soname'"
# A staged install writes nothing outside the staged tree and no generated cache.
[ ! -e "$root/share/mime/mime.cache" ] || fail "the staged install wrote a MIME cache"

qt_plugins=$root/$libdir/qt6/plugins
pixbuf_module=$(find "$root" -name 'libpixbufloader-wif.so' | head -1)
[ -f "$qt_plugins/imageformats/libvuwif.so" ] || fail "no Qt plug-in under $qt_plugins"
[ -n "$pixbuf_module" ] || fail "no gdk-pixbuf loader"

convert=$root/bin/vuconvert
export LD_LIBRARY_PATH=$root/$libdir
cd "$work"
"$convert" "$source/samples/chelsea.ppm" colour.wif -q 40 > /dev/null
"$convert" "$source/samples/camera.pgm" grey.wif --tiles > /dev/null
files=(colour.wif grey.wif)
for f in c05_coffee_w8.wif g01_camera_wif5.wif; do
  [ -f "$classic/$f" ] && cp "$classic/$f" . && files+=("$f")
done

# The example, found through pkg-config and through CMake; both must write the converter's file.
"$convert" "$source/samples/chelsea.ppm" reference.wif -q 30 > /dev/null
cp -r "$source/examples/to-wif" example
PKG_CONFIG_PATH=$root/$libdir/pkgconfig make -s -C example CXXFLAGS="-O2 ${extra_flags[*]}" \
  LDFLAGS="${extra_flags[*]}" > make.log 2>&1 || { cat make.log; fail "example build (pkg-config)"; }
if example/to-wif "$source/samples/chelsea.ppm" pkgconfig.wif 30 > /dev/null &&
  cmp -s pkgconfig.wif reference.wif; then
  pass "example through pkg-config"
else
  fail "example through pkg-config"
fi
cmake -S example -B example-cmake -G Ninja -DCMAKE_PREFIX_PATH="$root" \
  -DCMAKE_CXX_FLAGS="${extra_flags[*]}" > cmake.log 2>&1 &&
  cmake --build example-cmake > cmake.log 2>&1 || { cat cmake.log; fail "example build (CMake)"; }
if example-cmake/to-wif "$source/samples/chelsea.ppm" cmake.wif 30 > /dev/null &&
  cmp -s cmake.wif reference.wif; then
  pass "example through CMake"
else
  fail "example through CMake"
fi
linked=$(ldd example-cmake/to-wif)
grep -q "$root/$libdir/libvu.so.0" <<< "$linked" || fail "example not linked to the staged libvu: $linked"

# The MIME database: by name for both generations, by content for a renamed file.
update-mime-database "$root/share/mime" 2> mime.log || { cat mime.log; fail "update-mime-database"; }
cp colour.wif renamed.bin
for f in "${files[@]}" renamed.bin; do
  type=$(XDG_DATA_DIRS=$root/share:/usr/share XDG_CURRENT_DESKTOP=GNOME xdg-mime query filetype "$f")
  [ "$type" = "image/RAZizazed" ] && pass "file type of $f" || fail "file type of $f is '$type'"
done

# Qt and gdk-pixbuf read every file with the converter's pixels (gdk-pixbuf picks its loader by
# the file type the MIME database gives).
with_preload "$query_loaders" "$pixbuf_module" > loaders.cache
for f in "${files[@]}"; do
  "$convert" "$f" "$f.reference.ppm" > /dev/null
  if QT_PLUGIN_PATH=$qt_plugins LSAN_OPTIONS=suppressions=$qt_leaks "$qt_reader" "$f" "$f.qt.ppm" > qt.out &&
    grep -q '^format wif ' qt.out && cmp -s "$f.qt.ppm" "$f.reference.ppm"; then
    pass "Qt reads $f ($(cat qt.out))"
  else
    fail "Qt reads $f: $(cat qt.out)"
  fi
  if XDG_DATA_DIRS=$root/share:/usr/share GDK_PIXBUF_MODULE_FILE=$work/loaders.cache "$pixbuf_reader" "$f" "$f.pixbuf.ppm" > pixbuf.out &&
    grep -q '^loader wif ' pixbuf.out && cmp -s "$f.pixbuf.ppm" "$f.reference.ppm"; then
    pass "gdk-pixbuf reads $f ($(cat pixbuf.out))"
  else
    fail "gdk-pixbuf reads $f: $(cat pixbuf.out)"
  fi
done

# The thumbnailer writes a PNG whose longer side is the asked size.
for f in "${files[@]}"; do
  rm -f thumb.png
  "$root/bin/vu-thumbnailer" -s 64 "$f" thumb.png
  info=$("$convert" --info thumb.png)
  if grep -q 'Portable Network Graphics' <<< "$info" &&
    grep -Eq '(width|height): +64$' <<< "$info"; then
    pass "thumbnail of $f"
  else
    fail "thumbnail of $f: $info"
  fi
done
grep -q '^Exec=vu-thumbnailer -s %s %i %o$' "$root/share/thumbnailers/vu-wif.thumbnailer" ||
  fail "thumbnailer entry"

desktop-file-validate "$root/share/applications/vustudio.desktop" && pass "desktop entry" ||
  fail "desktop-file-validate"
appstreamcli validate --no-net --pedantic "$root/share/metainfo/org.tessary.vustudio.metainfo.xml" \
  > appstream.log && pass "metainfo" || { cat appstream.log; fail "appstreamcli validate"; }

# Without DESTDIR, into a prefix of its own: the MIME cache and a loaders cache are built there.
own=$work/own
with_preload cmake --install "$build" --prefix "$own" > own.log 2>&1 || { cat own.log; fail "install into $own"; }
[ -f "$own/share/mime/mime.cache" ] && pass "MIME cache built" || fail "no MIME cache in $own"
own_cache=$(find "$own" -name loaders.cache | head -1)
if [ -n "$own_cache" ] && grep -q "$own/.*libpixbufloader-wif.so" "$own_cache" &&
  XDG_DATA_DIRS=$own/share:/usr/share GDK_PIXBUF_MODULE_FILE=$own_cache "$pixbuf_reader" colour.wif own.ppm > /dev/null &&
  cmp -s own.ppm colour.wif.reference.ppm; then
  pass "loaders cache built"
else
  fail "loaders cache in $own"
fi

echo "staged install: $failures checks failed"
[ "$failures" -eq 0 ]
