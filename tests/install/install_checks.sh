#!/usr/bin/env bash
# One check of the installed program and library per call; CTest passes the
# build and source folders, the prefix and a work folder in the environment.
#   install_checks.sh install|desktop_files|program|listcaster_cmake|
#                     listcaster_pkgconfig|listcaster_symbols|debian_package
set -euo pipefail
: "${BUILD_DIR:?}" "${SOURCE_DIR:?}" "${PREFIX:?}" "${WORK_DIR:?}" "${LIBDIR:?}" "${VERSION:?}"
readonly APP_ID=org.farrowdale.Farrowdale

fail() {
  echo "FAILED: $*" >&2
  exit 1
}
# A fresh, empty work folder of this check's own.
scratch() {
  local d="$WORK_DIR/$1"
  rm -rf "$d"
  mkdir -p "$d"
  echo "$d"
}

check_install() {
  rm -rf "$PREFIX"
  cmake --install "$BUILD_DIR" --prefix "$PREFIX"
  [ -x "$PREFIX/bin/farrowdale" ] || fail "no program in $PREFIX/bin"
}

check_desktop_files() {
  local share="$PREFIX/share"
  desktop-file-validate "$share/applications/$APP_ID.desktop"
  appstreamcli validate --no-net "$share/metainfo/$APP_ID.metainfo.xml"
  grep -qx "Icon=$APP_ID" "$share/applications/$APP_ID.desktop" || fail "desktop entry icon"
  grep -qx "Exec=farrowdale" "$share/applications/$APP_ID.desktop" || fail "desktop entry command"
  [ -s "$share/icons/hicolor/scalable/apps/$APP_ID.svg" ] || fail "no scalable icon"
  local size
  for size in 48 128 256; do
    file "$share/icons/hicolor/${size}x${size}/apps/$APP_ID.png" |
      grep -q "PNG image data, $size x $size" || fail "icon of $size pixels"
  done
  # The manual pages are there, compressed, and render without a warning.
  local page warnings
  for page in farrowdale farrowdale-cli; do
    page="$share/man/man1/$page.1.gz"
    [ -s "$page" ] || fail "no manual page $page"
    warnings=$(MANWIDTH=80 man -l --warnings "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "manual page warnings: $warnings"
    # Read whole before grep: with pipefail, "grep -q" leaving early would
    # fail the pipe by SIGPIPE on the writer.
    MANWIDTH=80 man -l "$page" 2>/dev/null | grep -c -- "--program-folder" >/dev/null ||
      fail "manual page $page without the options"
  done
}

# The installed tree moved elsewhere still finds its library and its files.
check_program() {
  local moved folder pid
  moved=$(scratch moved)
  cp -a "$PREFIX/." "$moved/"
  ldd "$moved/bin/farrowdale" | grep -c "liblistcaster.so.1 => $moved/bin/../$LIBDIR/" >/dev/null ||
    fail "the moved program does not load its own Listcaster"
  [ "$("$moved/bin/farrowdale" --version)" = "Farrowdale $VERSION" ] || fail "--version"
  [ "$("$moved/bin/farrowdale-cli" --version)" = "farrowdale-cli $VERSION" ] || fail "cli --version"

  # A fresh program folder is seeded from the moved share folder. Every
  # address goes through a closed local port, so nothing leaves the machine.
  folder=$(scratch folder)/new
  http_proxy=http://127.0.0.1:9 https_proxy=http://127.0.0.1:9 ALL_PROXY=http://127.0.0.1:9 \
    no_proxy= "$moved/bin/farrowdale" --program-folder "$folder" >"$WORK_DIR/program.log" 2>&1 &
  pid=$!
  trap 'kill "$pid" 2>/dev/null || true' EXIT
  # The silent catalogue update runs once the window is shown; its failure
  # to reach the closed port is logged.
  local i
  for i in $(seq 1 240); do
    grep -q ",UpdateSearchEngineData,35754," "$folder/errorlog.txt" 2>/dev/null && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.5
  done
  kill -0 "$pid" 2>/dev/null || {
    cat "$WORK_DIR/program.log" >&2
    fail "the program ended at start"
  }
  grep -q ",UpdateSearchEngineData,35754," "$folder/errorlog.txt" ||
    fail "the window did not come up (no update attempt logged)"
  local f
  for f in blank.html Country_Codes.html about.wav WebPageLists/Sample.wsr; do
    cmp -s "$moved/share/farrowdale/$f" "$folder/$f" || fail "$f not seeded from the install"
  done
  [ "$(sqlite3 "$folder/QELS.db" "select count(*) from sqlite_master where type = 'table' and name in ('WebSiteConfiguration', 'WebSites', 'WebSiteNames', 'WebSitePages', 'Submissions', 'SearchEngines', 'WebPageUpdateRequests', 'Industries')")" = 8 ] ||
    fail "the seeded database lacks tables"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  trap - EXIT
}

# The example host, run offscreen: it exports its three rows.
run_example() {
  local program="$1" out="$2"
  "$program" "$out" >"$out.log"
  grep -q "exported 3 rows" "$out.log" || fail "the example did not report its export"
  grep -q "shop/cart.htm" "$out" || fail "the exported file lacks a row"
  grep -q "Submitted pages" "$out" || fail "the exported file lacks its title"
}

check_listcaster_cmake() {
  local dir
  dir=$(scratch example-cmake)
  cmake -S "$SOURCE_DIR/listcaster/examples/export_list" -B "$dir/build" -G Ninja \
    -DCMAKE_PREFIX_PATH="$PREFIX" -DCMAKE_BUILD_TYPE=Release
  cmake --build "$dir/build"
  grep -q "$PREFIX/include" "$dir/build/build.ninja" || fail "not built against the install"
  run_example "$dir/build/export_list" "$dir/pages.txt"
}

check_listcaster_pkgconfig() {
  local dir
  dir=$(scratch example-pkgconfig)
  cp "$SOURCE_DIR/listcaster/examples/export_list/"{main.cpp,Makefile} "$dir/"
  [ "$(PKG_CONFIG_PATH="$PREFIX/$LIBDIR/pkgconfig" pkg-config --modversion listcaster)" = 1.0.0 ] ||
    fail "pkg-config does not know Listcaster 1.0.0"
  PKG_CONFIG_PATH="$PREFIX/$LIBDIR/pkgconfig" make -C "$dir"
  LD_LIBRARY_PATH="$PREFIX/$LIBDIR" run_example "$dir/export_list" "$dir/pages.txt"
}

check_listcaster_symbols() {
  local lib="$PREFIX/$LIBDIR/liblistcaster.so.1"
  [ -L "$lib" ] || fail "no SONAME link liblistcaster.so.1"
  [ -L "$PREFIX/$LIBDIR/liblistcaster.so" ] || fail "no development link liblistcaster.so"
  readelf -d "$lib" | grep -c "Library soname: \[liblistcaster.so.1\]" >/dev/null || fail "SONAME"
  local symbols
  symbols=$(nm -D --defined-only -C "$lib")
  local public
  for public in "listcaster::ctlRowporter::BindToListView" "listcaster::clsLVTextExport::writeTo" \
    "listcaster::clsLVExcelExport::ExportListViewToExcel" "listcaster::clsPrint::PrintListView" \
    "listcaster::setPrompter"; do
    grep -qF "$public" <<<"$symbols" || fail "$public is not exported"
  done
  # The dialogs and every other internal class stay inside.
  if grep -E "frmLV|listcaster::icons|PrintFailure|\(anonymous namespace\)" <<<"$symbols"; then
    fail "internal symbols are exported"
  fi
  local header
  for header in ctlRowporter clsLVTextExport clsLVExcelExport clsPrint Export; do
    [ -f "$PREFIX/include/listcaster/$header.h" ] || fail "header $header.h not installed"
  done
}

check_debian_package() {
  local dir deb
  dir=$(scratch deb)
  (cd "$dir" && cpack -G DEB --config "$BUILD_DIR/CPackConfig.cmake" -B "$dir" >cpack.log) || {
    cat "$dir/cpack.log" >&2
    fail "cpack"
  }
  deb="$dir/farrowdale_${VERSION}_amd64.deb"
  [ -f "$deb" ] || fail "no $deb"
  local info content
  info=$(dpkg-deb -I "$deb")
  content=$(dpkg-deb -c "$deb")
  grep -q "^ Package: farrowdale$" <<<"$info" || fail "package name"
  grep -q "^ Version: $VERSION$" <<<"$info" || fail "package version"
  # Dependencies found by dpkg-shlibdeps from the libraries the binaries use.
  local dep
  for dep in libc6 libqt6widgets6 libqt6webenginecore6 libsqlite3-0 libcurl4 libxlsxwriter \
    qt6-qpa-plugins; do
    grep "^ Depends:" <<<"$info" | grep -c "$dep" >/dev/null || fail "no dependency on $dep"
  done
  local path
  for path in ./usr/bin/farrowdale ./usr/bin/farrowdale-cli ./usr/share/man/man1/farrowdale-cli.1.gz ./usr/share/applications/$APP_ID.desktop \
    ./usr/share/metainfo/$APP_ID.metainfo.xml ./usr/share/icons/hicolor/scalable/apps/$APP_ID.svg \
    ./usr/share/icons/hicolor/48x48/apps/$APP_ID.png ./usr/share/man/man1/farrowdale.1.gz \
    ./usr/share/farrowdale/schema.sql ./usr/share/farrowdale/WebPageLists/Sample.wsr \
    ./usr/$LIBDIR/liblistcaster.so.1 ./usr/$LIBDIR/pkgconfig/listcaster.pc \
    ./usr/$LIBDIR/cmake/Listcaster/ListcasterConfig.cmake ./usr/include/listcaster/ctlRowporter.h; do
    grep -qF " $path" <<<"$content" || fail "$path not in the package"
  done
  # Nothing of the build machine is shipped.
  if grep -E " \./(usr/)?(local|tmp|root|home)/" <<<"$content"; then fail "stray paths"; fi
}

case "${1:-}" in
  install) check_install ;;
  desktop_files) check_desktop_files ;;
  program) check_program ;;
  listcaster_cmake) check_listcaster_cmake ;;
  listcaster_pkgconfig) check_listcaster_pkgconfig ;;
  listcaster_symbols) check_listcaster_symbols ;;
  debian_package) check_debian_package ;;
  *) fail "unknown check ${1:-}" ;;
esac
echo "passed: $1"
