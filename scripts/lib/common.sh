# Shared set-up for scripts/test, scripts/run and scripts/bench. Sourced, not run.
# Installs what a fresh Debian machine lacks, builds the dependencies into build/deps,
# and starts a private X server and Wine session.

TOP=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD="$TOP/build"
DEPS="$BUILD/deps"
JOBS=${JOBS:-$(nproc)}

log() { printf '== %s\n' "$*" >&2; }
die() { printf 'error: %s\n' "$*" >&2; exit 1; }

as_root() {
  if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi
}

# --- packages ---------------------------------------------------------------------------

ensure_packages() {
  local want=() have_i386
  command -v i686-w64-mingw32-g++-posix >/dev/null || want+=(g++-mingw-w64-i686)
  command -v x86_64-w64-mingw32-g++-posix >/dev/null || want+=(g++-mingw-w64-x86-64)
  command -v i686-w64-mingw32-widl >/dev/null || want+=(mingw-w64-tools)
  command -v cmake >/dev/null || want+=(cmake)
  [ -x /usr/lib/wine/wine64 ] || want+=(wine wine64)
  command -v Xvfb >/dev/null || want+=(xvfb)
  command -v xdotool >/dev/null || want+=(xdotool)
  command -v xwininfo >/dev/null || want+=(x11-utils)
  command -v import >/dev/null || want+=(imagemagick)
  command -v dpkg-source >/dev/null || want+=(dpkg-dev)
  [ -d /usr/src/googletest/googletest ] || want+=(googletest)
  have_i386=$(dpkg --print-foreign-architectures 2>/dev/null | grep -cx i386 || true)
  [ -x /usr/lib/wine/wine ] || want+=("wine32:i386")
  [ ${#want[@]} -eq 0 ] && return 0
  log "installing: ${want[*]}"
  if [ "$have_i386" = 0 ]; then as_root dpkg --add-architecture i386; fi
  as_root apt-get update -qq
  DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq "${want[@]}" >"$BUILD/apt.log" 2>&1 \
    || { tail -20 "$BUILD/apt.log" >&2; die "package installation failed"; }
}

# --- libxml2 from Debian's source package -----------------------------------------------

# A deb-src entry made from the machine's own apt sources, in a private apt state folder,
# so that nothing of the system's apt set-up changes and no host name is written by us.
fetch_libxml2_source() {
  local src="$DEPS/src"
  if ls -d "$src"/libxml2-2.9.14*/ >/dev/null 2>&1; then return 0; fi
  local apt="$DEPS/apt"
  mkdir -p "$apt/lists/partial" "$apt/parts" "$src"
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources >"$apt/parts/src.sources"
  fi
  if [ -f /etc/apt/sources.list ]; then
    sed -n 's/^deb \(.*\)/deb-src \1/p' /etc/apt/sources.list >"$apt/parts/src.list"
  fi
  local opts=(-q -o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$apt/parts"
              -o "Dir::State::Lists=$apt/lists")
  log "fetching libxml2 source package"
  apt-get "${opts[@]}" update >"$apt/update.log" 2>&1 || { cat "$apt/update.log" >&2; die "apt-get update (deb-src) failed"; }
  (cd "$src" && apt-get "${opts[@]}" source libxml2 >"$apt/source.log" 2>&1) \
    || { cat "$apt/source.log" >&2; die "apt-get source libxml2 failed"; }
  ls -d "$src"/libxml2-2.9.14*/ >/dev/null 2>&1 || die "the libxml2 source package is not version 2.9.14"
}

# build_libxml2 ARCH -> $DEPS/ARCH/libxml2
build_libxml2() {
  local arch=$1 prefix="$DEPS/$1/libxml2"
  [ -f "$prefix/bin/libxml2.dll" ] && return 0
  fetch_libxml2_source
  local srcdir; srcdir=$(ls -d "$DEPS"/src/libxml2-2.9.14*/ | head -1)
  log "building libxml2 for $arch"
  local b="$DEPS/$arch/libxml2-build"
  rm -rf "$b"; mkdir -p "$DEPS/$arch"
  # Threads stay on (threads.c does not build without them); -static links winpthread,
  # libgcc and libssp in, so the DLL imports only what Windows has. Hardened as our own files
  # are (cmake/Tambrel.cmake).
  cmake -S "$srcdir" -B "$b" -DCMAKE_TOOLCHAIN_FILE="$TOP/cmake/$arch-w64-mingw32.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=ON \
    -DCMAKE_C_FLAGS="-fstack-protector-strong -D_FORTIFY_SOURCE=2" \
    -DLIBXML2_WITH_ICONV=OFF -DLIBXML2_WITH_LZMA=OFF -DLIBXML2_WITH_ZLIB=OFF \
    -DLIBXML2_WITH_PYTHON=OFF -DLIBXML2_WITH_TESTS=OFF -DLIBXML2_WITH_PROGRAMS=OFF \
    -DLIBXML2_WITH_HTTP=OFF -DLIBXML2_WITH_FTP=OFF -DCMAKE_SHARED_LINKER_FLAGS="-static -Wl,--no-insert-timestamp -fstack-protector-strong -Wl,--dynamicbase -Wl,--nxcompat" \
    >"$b.log" 2>&1 && cmake --build "$b" -j"$JOBS" >>"$b.log" 2>&1 && cmake --install "$b" >>"$b.log" 2>&1 \
    || { tail -30 "$b.log" >&2; die "libxml2 build failed ($arch)"; }
  rm -rf "$b"
}

# build_gtest ARCH -> $DEPS/ARCH/gtest
build_gtest() {
  local arch=$1 prefix="$DEPS/$1/gtest"
  [ -f "$prefix/lib/libgtest.a" ] && return 0
  log "building GoogleTest for $arch"
  local b="$DEPS/$arch/gtest-build"
  rm -rf "$b"; mkdir -p "$DEPS/$arch"
  cmake -S /usr/src/googletest -B "$b" -DCMAKE_TOOLCHAIN_FILE="$TOP/cmake/$arch-w64-mingw32.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_GMOCK=OFF \
    -Dgtest_disable_pthreads=OFF >"$b.log" 2>&1 \
    && cmake --build "$b" -j"$JOBS" >>"$b.log" 2>&1 && cmake --install "$b" >>"$b.log" 2>&1 \
    || { tail -30 "$b.log" >&2; die "GoogleTest build failed ($arch)"; }
  rm -rf "$b"
}

# --- which Windows architecture this host can run -----------------------------------------

# The shipped build is 32-bit x86. Some hosts cannot execute 32-bit x86 code at all (the
# kernel's IA-32 emulation is off); there the tests run a 64-bit build of the same sources
# under wine64. TAMBREL_TEST_ARCH overrides the choice.
test_arch() {
  if [ -n "${TAMBREL_TEST_ARCH:-}" ]; then echo "$TAMBREL_TEST_ARCH"; return; fi
  if [ -x /usr/lib/wine/wine ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    echo i686
  else
    echo x86_64
  fi
}

wine_loader() {
  case $1 in
    i686) echo /usr/lib/wine/wine ;;
    x86_64) echo /usr/lib/wine/wine64 ;;
  esac
}

# --- building ----------------------------------------------------------------------------

# configure_and_build ARCH [target...]: the project for one architecture in build/ARCH, with
# the same settings for every script (tests included, warnings as errors; the i686 build also
# fills build/dist), then the targets named, or everything.
configure_and_build() {
  local arch=$1; shift
  local b="$BUILD/$arch"
  build_libxml2 "$arch"
  build_gtest "$arch"
  local dist=""
  [ "$arch" = i686 ] && dist="$BUILD/dist"
  cmake -S "$TOP" -B "$b" -DCMAKE_TOOLCHAIN_FILE="$TOP/cmake/$arch-w64-mingw32.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAMBREL_DEPS="$DEPS/$arch" -DTAMBREL_TESTS=ON \
    -DTAMBREL_WERROR=ON -DTAMBREL_DIST_DIR="$dist" >"$b.configure.log" 2>&1 \
    || { cat "$b.configure.log" >&2; die "configure failed ($arch)"; }
  local targets=()
  for t in "$@"; do targets+=(--target "$t"); done
  cmake --build "$b" -j"$JOBS" "${targets[@]}" >"$b.build.log" 2>&1 \
    || { grep -E 'error|Error' -A3 "$b.build.log" | head -60 >&2; die "build failed ($arch)"; }
  # The compiler's warnings are errors already; this catches the linker's and windres's.
  if grep -q ': warning:' "$b.build.log"; then
    grep ': warning:' "$b.build.log" | head -20 >&2
    die "the $arch build gave warnings"
  fi
}

# The other architecture: both are built on every host, one of them runs.
other_arch() { [ "$1" = i686 ] && echo x86_64 || echo i686; }

# --- the private X server and Wine session ------------------------------------------------

start_session() {
  local arch=$1
  export WINEPREFIX="$BUILD/wineprefix-$arch"
  export WINEDEBUG=${WINEDEBUG:--all}
  # Wine names Unix files in the locale's character set: in C.UTF-8 (the one locale these
  # hosts are sure to have) every name works, and the ANSI code page is 1252, which cannot
  # hold the Greek and Cyrillic folder names that the tests and the package check run from.
  export LC_ALL=C.UTF-8
  export WINELOADER; WINELOADER=$(wine_loader "$arch")
  export TAMBREL_WINE="$WINELOADER"
  [ "$arch" = x86_64 ] && export WINEARCH=win64 || export WINEARCH=win32
  local fifo="$BUILD/.xvfb.$$"
  rm -f "$fifo"; mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  XVFB_PID=$!
  local n; read -r n <"$fifo"; rm -f "$fifo"
  export DISPLAY=":$n"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    log "creating the Wine prefix ($arch)"
    WINEDLLOVERRIDES="mscoree,mshtml=" "$WINELOADER" wineboot -i >/dev/null 2>&1 || true
  fi
  install_wine_fonts
  # Shortcuts that the tests save (the Startup folder's) make no menu entries on this host.
  export WINEDLLOVERRIDES="winemenubuilder.exe=d"
  # A program that crashes ends at once, with its backtrace on standard error, instead of
  # waiting behind a crash dialog until the test times out.
  "$WINELOADER" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
  # 100% scaling unless asked otherwise (TAMBREL_DPI=144 is 150%); a run stopped half-way
  # through the 144 DPI screenshots leaves no other DPI behind.
  "$WINELOADER" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "${TAMBREL_DPI:-96}" /f >/dev/null 2>&1 || true
  # One wineserver for the whole run: every test program then starts in a fraction of a second.
  wineserver -k >/dev/null 2>&1 || true
  (wineserver -p </dev/null >/dev/null 2>&1 &)
  # Start Wine's own services now, outside ctest: they live as long as the wineserver, and
  # started by a test they would hold its output pipe open until ctest gives up.
  "$WINELOADER" cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
  trap stop_session EXIT
}

# Wine draws the caption buttons with its own Marlett font and the dialogs' "MS Shell Dlg"
# with its own Tahoma. Debian's fonts-wine puts them into /usr/share/wine/fonts, where neither
# Wine (its font folder is "../fonts" beside its data folder: /usr/share/fonts itself, which
# holds only subfolders) nor fontconfig looks: Wine knows no Marlett, and the buttons come out
# as the letters that stand for their symbols ("0 1 r"). Wine also reads the prefix's own
# Fonts folder: the fonts go there.
install_wine_fonts() {
  local fonts="$WINEPREFIX/drive_c/windows/Fonts" source f
  for source in /usr/share/wine/fonts $(dpkg -L fonts-wine 2>/dev/null | sed -n 's|/marlett.ttf$||p'); do
    [ -f "$source/marlett.ttf" ] && break
  done
  [ -f "$source/marlett.ttf" ] && [ -d "$fonts" ] || return 0
  for f in "$source"/*.ttf; do
    [ -f "$fonts/$(basename "$f")" ] || cp "$f" "$fonts/"
  done
}

# The DPI the session's programs run at (LogPixels of the prefix, 96 for 100%). Wine reads it
# when its server starts: the server is started again.
set_session_dpi() {
  "$WINELOADER" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1 || true
  wineserver -k >/dev/null 2>&1 || true
  (wineserver -p </dev/null >/dev/null 2>&1 &)
  "$WINELOADER" cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
}

# A small file system of the tests' own, for a disk that runs full: where this host lets us
# mount one (as root), TAMBREL_SMALL_FS names it; the test falls back on a seam otherwise.
mount_small_fs() {
  local small="$BUILD/smallfs"
  mkdir -p "$small"
  if mountpoint -q "$small" || { [ "$(id -u)" = 0 ] && mount -t tmpfs -o size=4m tmpfs "$small" 2>/dev/null; }; then
    export TAMBREL_SMALL_FS="$small"
  fi
}

stop_session() {
  if mountpoint -q "$BUILD/smallfs" 2>/dev/null; then umount "$BUILD/smallfs" 2>/dev/null || true; fi
  wineserver -k >/dev/null 2>&1 || true
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
}

# --- checks of the shipped files ----------------------------------------------------------

# DLLs that every Windows has.
WINDOWS_DLLS="kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll shlwapi.dll comdlg32.dll
comctl32.dll ole32.dll oleaut32.dll msvcrt.dll uxtheme.dll ws2_32.dll version.dll"

# check_imports FOLDER: every program and DLL in FOLDER imports only DLLs that Windows has,
# or other files of FOLDER.
check_imports() {
  local dir=$1 bad=0 f dll
  for f in "$dir"/*.exe "$dir"/*.dll; do
    [ -f "$f" ] || continue
    for dll in $(i686-w64-mingw32-objdump -p "$f" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z'); do
      if ! grep -qw -- "$dll" <<<"$WINDOWS_DLLS" && [ ! -f "$dir/$dll" ]; then
        echo "$(basename "$dir"): $(basename "$f") imports $dll, which Windows lacks" >&2
        bad=1
      fi
    done
  done
  return $bad
}

# check_hardening FOLDER: every program and DLL in FOLDER asks for ASLR and DEP in its PE
# header (DYNAMIC_BASE and NX_COMPAT among its DllCharacteristics).
check_hardening() {
  local dir=$1 bad=0 f flag flags
  for f in "$dir"/*.exe "$dir"/*.dll; do
    [ -f "$f" ] || continue
    flags=$(i686-w64-mingw32-objdump -p "$f" | sed -n '/^DllCharacteristics/,/^SizeOfStackReserve/p')
    for flag in DYNAMIC_BASE NX_COMPAT; do
      if ! grep -qw "$flag" <<<"$flags"; then
        echo "$(basename "$dir"): $(basename "$f") lacks $flag in its PE header" >&2
        bad=1
      fi
    done
  done
  return $bad
}

SHIPPED_FILES="hookpad.dll libxml2.dll migrator.exe tambrel.exe tambrelplug.dll"

check_dist() {
  local dist="$BUILD/dist" bad=0
  check_imports "$dist" || bad=1
  check_hardening "$dist" || bad=1
  local have; have=$(cd "$dist" && ls | sort | tr '\n' ' ' | sed 's/ $//')
  if [ "$have" != "$SHIPPED_FILES" ]; then echo "dist holds: $have; expected: $SHIPPED_FILES" >&2; bad=1; fi
  [ $bad = 0 ] && log "build/dist: $(cd "$dist" && stat -c '%n %s' * | tr '\n' ';')"
  return $bad
}

# --- the release archive ------------------------------------------------------------------

# The program's one version constant, as the about box shows it.
tambrel_version() {
  sed -n 's/^const double kProgramVersion = \([0-9.]*\);.*/\1/p' "$TOP/engine/Engine.h"
}

# make_package: build/tambrel-VERSION-win32.zip from build/dist, the starter conf.xml and the
# Windows guide, all in one folder of the archive; SHA256SUMS beside it. Prints the zip's path.
make_package() {
  local version; version=$(tambrel_version)
  [ -n "$version" ] || die "no kProgramVersion in engine/Engine.h"
  local name="tambrel-$version-win32" f
  local members=()
  for f in $SHIPPED_FILES; do members+=("$f=$BUILD/dist/$f"); done
  members+=("conf.xml=$TOP/scripts/starter-conf.xml" "README.txt=$TOP/docs/README.txt")
  # The archive's dates are the last commit's, so the same sources give the same archive.
  SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$TOP" log -1 --format=%ct 2>/dev/null || date +%s)} \
    python3 "$TOP/scripts/lib/makezip.py" "$BUILD/$name.zip" "$name" "${members[@]}" \
    || die "could not write $name.zip"
  (cd "$BUILD" && sha256sum "$name.zip" >SHA256SUMS)
  echo "$BUILD/$name.zip"
}

# check_package ARCH: the archive unzipped holds exactly its members, each program and DLL
# imports only what Windows has or the archive holds, and the checksum fits. Where the host
# runs i686, the unzipped program itself starts, reads the starter conf.xml, loads the
# plugins and writes conf.xml back when the test's quit plugin ends it.
check_package() {
  local arch=$1 version name zip out bad=0
  version=$(tambrel_version); name="tambrel-$version-win32"; zip="$BUILD/$name.zip"
  # Unzipped where a user in another script may put it: a folder that the code page cannot name.
  out="$BUILD/package-check/Tambrel-Ωμέγα-Юникод"
  rm -rf "$BUILD/package-check"; mkdir -p "$out"
  (cd "$BUILD" && sha256sum --quiet -c SHA256SUMS) || { echo "package: SHA256SUMS does not fit" >&2; bad=1; }
  python3 -m zipfile -e "$zip" "$out" || { echo "package: $zip does not unzip" >&2; return 1; }
  local want have
  want=$(printf '%s\n' $SHIPPED_FILES conf.xml README.txt | sed "s|^|$name/|" | sort | tr '\n' ' ')
  have=$(python3 -c 'import sys, zipfile; print("\n".join(sorted(zipfile.ZipFile(sys.argv[1]).namelist())))' "$zip" | tr '\n' ' ')
  [ "$have" = "$want" ] || { echo "package holds: $have; expected: $want" >&2; bad=1; }
  local dir="$out/$name"
  check_imports "$dir" || bad=1
  cmp -s "$dir/conf.xml" "$TOP/scripts/starter-conf.xml" || { echo "package: conf.xml is not the starter file" >&2; bad=1; }
  grep -q $'\r$' "$dir/README.txt" || { echo "package: README.txt lacks Windows line ends" >&2; bad=1; }
  if [ "$arch" = i686 ] && [ -f "$BUILD/i686/bin/quitplugin.dll" ]; then
    cp "$BUILD/i686/bin/quitplugin.dll" "$dir/"
    echo 3000 >"$dir/quit-after.txt"
    local status=0
    (cd "$dir" && timeout 60 "$WINELOADER" tambrel.exe >/dev/null 2>&1) || status=$?
    if [ $status != 0 ] || ! grep -q '{36BFD559-713C-4306-840E-55E2D035DB99}' "$dir/conf.xml" \
        || ! grep -q '>CALC</shortcut>' "$dir/conf.xml"; then
      echo "package: the unzipped tambrel.exe did not start, load its plugins and write conf.xml (status $status)" >&2
      bad=1
    fi
    # The starter's settings went through the plugins and came back: Escape cancels, F4 quits.
    if ! grep -q '<escapecancels>yes</escapecancels>' "$dir/conf.xml" || ! grep -q '<key type="quit">115</key>' "$dir/conf.xml"; then
      echo "package: the written conf.xml lost the starter's Escape and quit keys" >&2
      bad=1
    fi
    status=0
    (cd "$dir" && "$WINELOADER" migrator.exe >/dev/null 2>&1) || status=$?
    [ $status = 1 ] || { echo "package: migrator.exe without an argument gave $status, not 1" >&2; bad=1; }
  fi
  [ $bad = 0 ] && log "package: $(basename "$zip"), $(stat -c %s "$zip") bytes, checked"
  return $bad
}

# The closing lines: what ran, then the GoogleTest cases of every test program plus the
# checks of the shell's own and the desktop check.
# summarize RESULTS SHELL_CHECKS SHELL_FAILURES CTEST_STATUS NOTE
summarize() {
  local results=$1 shell_checks=$2 shell_failures=$3 ctest_status=$4 note=$5
  local passed=0 failed=0 skipped=0 f t fl er sk
  for f in "$results"/*.xml; do
    [ -f "$f" ] || continue
    t=$(sed -n 's/.*<testsuites tests="\([0-9]*\)".*/\1/p' "$f" | head -1)
    fl=$(sed -n 's/.*<testsuites[^>]* failures="\([0-9]*\)".*/\1/p' "$f" | head -1)
    er=$(sed -n 's/.*<testsuites[^>]* errors="\([0-9]*\)".*/\1/p' "$f" | head -1)
    sk=$(grep -c '<skipped' "$f" || true)
    failed=$((failed + ${fl:-0} + ${er:-0}))
    skipped=$((skipped + sk))
    passed=$((passed + ${t:-0} - ${fl:-0} - ${er:-0} - sk))
  done
  passed=$((passed + shell_checks - shell_failures)); failed=$((failed + shell_failures))
  case "${DESKTOP_CHECK:-skipped}" in
    passed) passed=$((passed + 1)) ;;
    failed) failed=$((failed + 1)) ;;
    *) skipped=$((skipped + 1)); log "desktop check skipped: no virtual desktop window" ;;
  esac
  if [ "$ctest_status" != 0 ] && [ "$failed" = 0 ]; then failed=1; fi  # a program crashed
  log "$note"
  echo "$passed passed, $failed failed, $skipped skipped"
  [ "$failed" = 0 ]
}

# Where a window of the virtual desktop lies: window_rect TITLE [CONTROL-ID [ITEM]] sets L T
# R B of the window, its control, or the control's row or tab (screen coordinates, which
# inside the virtual desktop are the X screen's); false while there is none.
window_rect() {
  local out
  out=$("$WINELOADER" "$BUILD/$SHOT_ARCH/bin/windowrect.exe" Tambrel "$@" 2>/dev/null | tr -d '\r') || return 1
  read -r L T R B <<<"$out"
  [ -n "${B:-}" ]
}

# Clicks into the middle of what window_rect finds; false when it finds nothing.
click_on() {
  window_rect "$@" || return 1
  xdotool mousemove $(( (L + R) / 2 )) $(( (T + B) / 2 )) click 1 2>/dev/null
}

# Clicks on a list row's icon: a click on another column, or beside the text, chooses nothing
# in a list without full-row selection.
click_row() {
  window_rect "$@" || return 1
  xdotool mousemove $((L + $(px 10))) $(( (T + B) / 2 )) click 1 2>/dev/null
}

# Waits up to 10 s for a window to show.
wait_window() {
  local i
  for i in $(seq 20); do window_rect "$@" && return 0; sleep 0.5; done
  return 1
}

# n pixels of 100% scaling at the screenshots' DPI.
px() { echo $(( $1 * SHOT_DPI / 96 )); }

# Screenshots of the running program with its main window shown, kept in build/artifacts/
# for anyone to look at (not committed), at the session's DPI: the main window with a binding
# chosen, the Type Text page, the settings window with the toggle key's page, the about box,
# the notice while toggled and the desktop after a middle click on the tray icon. At another
# DPI than 96 the names end in -DPIdpi. Uses the test plugin that ends the program.
# take_screenshot ARCH [DPI]
take_screenshot() {
  local arch=$1 bin="$BUILD/$1/bin" work="$BUILD/artifacts/run" shots="$BUILD/artifacts"
  SHOT_ARCH=$arch SHOT_DPI=${2:-96}
  local suffix="" size=1024x768
  if [ "$SHOT_DPI" != 96 ]; then suffix="-${SHOT_DPI}dpi"; size=1280x1024; fi
  local width=${size%x*} height=${size#*x}
  [ -f "$bin/quitplugin.dll" ] && [ -f "$bin/windowrect.exe" ] || return 1
  rm -rf "$work"; mkdir -p "$work"
  cp "$bin/quitplugin.dll" "$work/"
  [ -f "$bin/tambrelplug.dll" ] && cp "$bin/tambrelplug.dll" "$work/"
  echo 30000 >"$work/quit-after.txt"
  cp "$TOP/scripts/starter-conf.xml" "$work/conf.xml"
  # Inside a virtual desktop, so that windows get their frames and the taskbar shows.
  local program; program=$("$WINELOADER" winepath -w "$bin/tambrel.exe" 2>/dev/null)
  (cd "$work" && "$WINELOADER" explorer "/desktop=Tambrel,$size" "$program" >/dev/null 2>&1 &)
  sleep 3
  local desktop; desktop=$(xdotool search --name "Tambrel - Wine desktop" 2>/dev/null | head -n 1)
  if [ -n "$desktop" ] && wait_window Tambrel 1003; then
    # The main window with its first binding chosen, the Type Text page (the TY row, then its
    # action's tab), the settings window (the tray's key F10) with the toggle key's page (the
    # fourth plugin by name) and the about box (F1), each put away with Escape. The clicks go
    # where the rows and tabs are, at whatever DPI.
    xdotool windowfocus --sync "$desktop" 2>/dev/null
    click_row Tambrel 1003 0; sleep 1
    import -window root "$shots/main-window$suffix.png" 2>/dev/null
    click_row Tambrel 1003 4; sleep 0.7
    click_on Tambrel 1025 1; sleep 1
    import -window root "$shots/typetext$suffix.png" 2>/dev/null
    xdotool key --delay 150 Pause F10 2>/dev/null
    wait_window Settings 1019 && click_row Settings 1019 3; sleep 1
    import -window root "$shots/settings$suffix.png" 2>/dev/null
    click_row Settings 1019 3; xdotool key Escape 2>/dev/null; sleep 0.5
    xdotool key --delay 150 Pause F1 2>/dev/null
    wait_window About || true
    sleep 0.5
    import -window root "$shots/about$suffix.png" 2>/dev/null
    xdotool key Escape 2>/dev/null; sleep 0.5
    log "screenshots: build/artifacts/main-window$suffix.png, typetext$suffix.png, settings$suffix.png, about$suffix.png"
  else
    import -window root "$shots/main-window$suffix.png" 2>/dev/null
    log "screenshot: build/artifacts/main-window$suffix.png"
  fi
  # Toggled: the notice at the bottom right of the desktop; then a middle click on the tray
  # icon at the right end of the taskbar toggles back.
  if [ -n "$desktop" ]; then
    local green before=0 after=1 i crop
    crop="$(px 500)x$(px 120)+$((width - $(px 500)))+$((height - $(px 148)))"
    # The share of pure green pixels: white ones (a window in the corner) are made black first.
    green() { convert "$1" -crop "$crop" +repage -fill black -opaque white -fill white -opaque '#00FF00' -fill black +opaque white -format '%[fx:mean]' info: 2>/dev/null || echo 0; }
    shown() { awk -v g="$1" 'BEGIN { exit !(g > 0.02) }'; }
    xdotool windowfocus --sync "$desktop" mousemove --window "$desktop" $((width / 2)) $((height * 2 / 5)) click 1 key Pause 2>/dev/null
    for i in 1 2 3 4 5 6 7 8 9 10; do
      sleep 0.5
      import -window root "$shots/toggled$suffix.png" 2>/dev/null
      before=$(green "$shots/toggled$suffix.png"); shown "$before" && break
    done
    xdotool mousemove --window "$desktop" $((width - $(px 11))) $((height - $(px 11))) click 2 2>/dev/null
    for i in 1 2 3 4 5 6 7 8 9 10; do
      sleep 0.5
      import -window root "$shots/untoggled$suffix.png" 2>/dev/null
      after=$(green "$shots/untoggled$suffix.png"); shown "$after" || break
    done
    log "screenshots: build/artifacts/toggled$suffix.png (green share $before), untoggled$suffix.png after a middle click on the tray icon ($after)"
    # The notice's green text is there while toggled and gone after the click.
    if shown "$before" && ! shown "$after"; then
      [ "${DESKTOP_CHECK:-skipped}" = failed ] || DESKTOP_CHECK=passed
    else
      DESKTOP_CHECK=failed
      echo "desktop check ($SHOT_DPI DPI): the notice did not show while toggled, or stayed after the tray click" >&2
    fi
  fi
  # The quit plugin ends the program; wait for it so that no key of ours reaches it later.
  for i in $(seq 40); do pgrep -f 'tambrel.exe' >/dev/null || break; sleep 0.5; done
}

# The main window's layout at 150%: the scaling tests of ui_tests again, at a real 144 DPI,
# their results beside the others; then the screenshots at 144 DPI. The session goes back to
# 96 DPI afterwards. check_at_dpi ARCH RESULTS
check_at_dpi() {
  local arch=$1 results=$2 status=0
  set_session_dpi 144
  log "at 144 DPI: the main window's layout (ui_tests ScalingTest.*) and the screenshots"
  (cd "$results" && "$WINELOADER" "$BUILD/$arch/bin/ui_tests.exe" --gtest_filter='ScalingTest.*' \
     --gtest_output=xml:ui_tests-144dpi.xml >"$BUILD/ui_tests-144dpi.log" 2>&1) || status=$?
  if [ $status != 0 ]; then
    grep -E 'Failure|FAILED|lies|moved|Which is' "$BUILD/ui_tests-144dpi.log" | head -30 >&2
    # A crash leaves no results file: one that says so counts it as a failure.
    [ -f "$results/ui_tests-144dpi.xml" ] ||
      echo '<testsuites tests="1" failures="1" errors="0"></testsuites>' >"$results/ui_tests-144dpi.xml"
  fi
  take_screenshot "$arch" 144 || log "no screenshot taken at 144 DPI"
  set_session_dpi 96
}
