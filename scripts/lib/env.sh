# Shared by scripts/test, scripts/demo and the Wine wrapper: the Wine prefixes,
# the private X server and the private sound server the program runs against.
# Everything here is owned by the calling script and ended by process id.

export WINEDEBUG=${WINEDEBUG:--all}
# No Mono/Gecko installer dialogs in a fresh prefix.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# Wine starts winemenubuilder whenever a shortcut is saved under a Start menu
# or desktop folder: it writes menu entries into the Unix user's home (outside
# every prefix) and opens the .lnk in the background, so a test deleting its
# shortcut races with it and may leave the file behind for the next test.
case ";$WINEDLLOVERRIDES;" in
  *winemenubuilder*) ;;
  *) WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=" ;;
esac

q8_log() { printf '[q8] %s\n' "$*" >&2; }

# q8_can_run_32bit: whether this machine's kernel executes 32-bit x86
# programs, which Wine needs for every Windows program here.  Some kernels
# have IA-32 emulation switched off ("Exec format error" for any i386 binary);
# asked with a 91-byte 32-bit program that only exits, so that the answer
# needs no i386 package installed.  A failure for another reason (a noexec
# temporary folder) is not taken for a no.
q8_can_run_32bit() {
  local probe rc out
  probe=$(mktemp "${TMPDIR:-/tmp}/q8-ia32.XXXXXX") || return 0
  printf '\177\105\114\106\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\133\000\000\000\133\000\000\000\005\000\000\000\000\020\000\000\061\333\061\300\100\315\200' > "$probe"
  chmod +x "$probe"
  out=$("$probe" 2>&1); rc=$?
  rm -f "$probe"
  [ $rc -eq 0 ] && return 0
  case $out in *"Exec format error"*) return 1 ;; esac
  return 0
}

Q8_NO_IA32_MESSAGE="this machine's kernel cannot run 32-bit programs (IA-32 emulation off), so Wine cannot run here: only the native build, its tests and the fuzzers can (scripts/test --native)"

# q8_prefix DIR [win32|win64]: make a Wine prefix once (flock-guarded, so
# parallel tests do not boot the same prefix twice).
q8_prefix() {
  local dir=$1 arch=${2:-win32}
  mkdir -p "$(dirname "$dir")"
  (
    flock 9
    if [ ! -f "$dir/system.reg" ]; then
      q8_log "creating Wine prefix $dir ($arch)"
      rm -rf "$dir"
      WINEPREFIX=$dir WINEARCH=$arch wineboot -i >/dev/null 2>&1
      WINEPREFIX=$dir wineserver -w
    fi
    q8_prefix_isolate "$dir"
  ) 9>"$dir.lock"
}

# q8_prefix_isolate DIR: Wine links the user's Documents, Desktop, Music, ...
# to the Unix home folder, so every prefix of every build would share one
# Documents folder: the program's report log and the tests' files would land
# in $HOME and race with tests running in other prefixes.  Make them real
# folders inside the prefix (cheap; done on every start, so older prefixes
# and their copies are fixed too).
q8_prefix_isolate() {
  local link
  for link in "$1"/drive_c/users/*/*; do
    [ -L "$link" ] || continue
    case $(readlink "$link") in
      /*) rm -f "$link" && mkdir -p "$link" ;;
    esac
  done
}

# q8_prefix_copy SRC DST: a prepared prefix copied is much faster than a new boot.
q8_prefix_copy() {
  local src=$1 dst=$2
  rm -rf "$dst"
  cp -a "$src" "$dst"
}

# q8_wine_version PREFIX VALUE: Wine's emulated Windows version
# (win95 win98 nt40 win2k winxp winxp64 win2003 vista win7).
q8_wine_version() {
  WINEPREFIX=$1 wine reg add 'HKCU\Software\Wine' /v Version /d "$2" /f >/dev/null 2>&1
}

# q8_prefix_link_copy SRC DST: a copy that shares the system libraries with
# SRC through hard links (over 90% of a prefix, which Wine never rewrites), so
# a copy per emulated version costs megabytes, not a gigabyte.  Every other
# file gets its own copy, since Wine rewrites some of them in place (win.ini).
q8_prefix_link_copy() {
  local src=$1 dst=$2
  rm -rf "$dst"
  cp -al "$src" "$dst"
  find "$dst" -type f -links +1 \
    ! -path "$dst/drive_c/windows/system32/*" \
    ! -path "$dst/drive_c/windows/syswow64/*" \
    ! -path "$dst/drive_c/windows/winsxs/*" \
    -exec sh -c 'for f; do cp -p "$f" "$f.q8copy" && mv -f "$f.q8copy" "$f"; done' sh {} +
}

# q8_prefix_with_version BASE DST VERSION: DST becomes a copy of the prepared
# prefix BASE with the Windows version set, once (flock-guarded; a marker file
# records that the copy is complete).
q8_prefix_with_version() {
  local base=$1 dst=$2 version=$3
  (
    flock 9
    if [ ! -f "$dst/.q8-version-$version" ]; then
      q8_log "copying $base to $dst (Windows version $version)"
      q8_prefix_link_copy "$base" "$dst"
      q8_wine_version "$dst" "$version"
      WINEPREFIX=$dst wineserver -w
      touch "$dst/.q8-version-$version"
    fi
    q8_prefix_isolate "$dst"
  ) 9>"$dst.lock"
}

Q8_STARTED_PIDS=""
Q8_WINESERVER_PREFIXES=""

# Keep a wineserver alive for the prefix: every later wine start then takes
# tens of milliseconds instead of seconds.
q8_wineserver_start() {
  # A server already running for this prefix (someone else's) is fine to share,
  # but then it is not ours to stop.
  if WINEPREFIX=$1 wineserver -p 2>/dev/null; then
    Q8_WINESERVER_PREFIXES="$Q8_WINESERVER_PREFIXES $1"
  fi
}

# A private X server on a free display, for windows and screenshots.
q8_xvfb_start() {
  local n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  Q8_STARTED_PIDS="$Q8_STARTED_PIDS $!"
  export DISPLAY=":$n"
  local i=0
  while [ ! -e "/tmp/.X11-unix/X$n" ] && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
  q8_log "Xvfb on $DISPLAY"
}

# A private PulseAudio server with a null sink: Wine then shows real mixers and
# wave devices.  Its own runtime folder keeps it apart from any user's server.
q8_pulse_start() {
  export XDG_RUNTIME_DIR=$(mktemp -d /tmp/q8-pulse.XXXXXX)
  chmod 700 "$XDG_RUNTIME_DIR"
  if pulseaudio --daemonize=yes --exit-idle-time=-1 -n \
       --load="module-null-sink sink_name=nullsink" \
       --load=module-native-protocol-unix >/dev/null 2>&1; then
    Q8_PULSE_DIR=$XDG_RUNTIME_DIR
    q8_log "PulseAudio null sink in $XDG_RUNTIME_DIR"
  else
    q8_log "PulseAudio did not start: audio tests see no devices"
  fi
}

# End exactly what this script started.
q8_cleanup() {
  local p
  for p in $Q8_WINESERVER_PREFIXES; do WINEPREFIX=$p wineserver -k >/dev/null 2>&1 || true; done
  if [ -n "${Q8_PULSE_DIR:-}" ]; then
    XDG_RUNTIME_DIR=$Q8_PULSE_DIR pactl exit >/dev/null 2>&1 || true
  fi
  for p in $Q8_STARTED_PIDS; do kill "$p" 2>/dev/null || true; done
}
