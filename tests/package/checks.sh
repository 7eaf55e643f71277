# Checks of an installed chengling-wuye package, shared by test-package.sh (on this machine)
# and tools/check-package-debootstrap (inside a fresh Debian root). Source it from bash.
#
# The main window is recognised through Qt's own painting log (QT_LOGGING_RULES
# qt.widgets.painting): it names each top-level widget it flushes to the screen, so a line
# "Flushing … MainWindow(…, name="MDIForm1")" means the main window has been painted, and a
# flushed QMessageBox means a message (an error) is up. No test hook in the program is needed.

passed=0
failed=0

pass() {
    passed=$((passed + 1))
    echo "PASS: $*"
}

fail() {
    failed=$((failed + 1))
    echo "FAIL: $*"
}

# check "what" command...: one pass or fail by the command's exit status.
check() {
    local what=$1
    shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}

summary() {
    echo "${1:-package}: $passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}

main_window_pattern='Flushing QRegion.* of MainWindow\(0x[0-9a-f]+, name="MDIForm1"\)'
message_box_pattern='Flushing QRegion.* of QMessageBox\('

# start_offscreen LOG COMMAND...: starts the program in the background, offscreen, logging what
# Qt paints and which plugins it loads into LOG. Sets app_pid.
start_offscreen() {
    local log=$1
    shift
    # Made here, not by the background job's redirection, so the first look at it cannot miss it.
    : >"$log"
    QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES="qt.widgets.painting=true;qt.core.library=true" \
        "$@" >"$log" 2>&1 </dev/null &
    app_pid=$!
}

# wait_for LOG PATTERN SECONDS [GIVE_UP_PATTERN]: true once PATTERN is in LOG; false when the
# program ended, GIVE_UP_PATTERN showed up, or the time ran out first.
wait_for() {
    local log=$1 pattern=$2 tenths=$(($3 * 10)) give_up=${4:-} i
    for ((i = 0; i < tenths; i++)); do
        grep -Eq "$pattern" "$log" && return 0
        [ -n "$give_up" ] && grep -Eq "$give_up" "$log" && return 1
        kill -0 "$app_pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

stop_app() {
    kill "$app_pid" 2>/dev/null || true
    wait "$app_pid" 2>/dev/null || true
}

quiet() {
    "$@" >/dev/null 2>&1
}

log_lacks() {
    ! grep -Eq "$2" "$1"
}

maps_has() {
    grep -q "$1" "/proc/$app_pid/maps" 2>/dev/null
}

# Lines the program printed itself, without Qt's requested log lines, that look like a failure.
error_lines() {
    grep -Ev '^qt\.' "$1" | grep -Ei 'error|fail|cannot|could not|not found|not loaded|unable|denied' || true
}

no_missing_libraries() {
    local out
    out=$(ldd "$1" 2>&1) || return 1
    ! grep -q 'not found' <<<"$out"
}

# run_installed_checks PREFIX WORKDIR: the installed files, their libraries, and three starts
# of the installed program, each with its own home folder under WORKDIR.
run_installed_checks() {
    local prefix=$1 work=$2 log home
    local bin=$prefix/bin/chengling-wuye lib=$prefix/lib/chengling-wuye

    check "bin/chengling-wuye is the relative link ../lib/chengling-wuye/chengling-wuye" \
        test "$(readlink "$bin")" = ../lib/chengling-wuye/chengling-wuye
    check "the link reaches the executable" test -x "$(readlink -f "$bin")"
    check "MDI.BMP is beside the real executable" test -s "$(dirname "$(readlink -f "$bin")")/MDI.BMP"
    check "demo launcher and generator installed" test -x "$prefix/bin/chengling-wuye-demo" -a -x "$lib/chengling-demo-db"
    check "schemas installed" test -s "$prefix/share/chengling-wuye/sqlite.sql" -a -s "$prefix/share/chengling-wuye/sqlserver.sql"
    check "desktop entries installed" test -s "$prefix/share/applications/chengling-wuye.desktop" \
        -a -s "$prefix/share/applications/chengling-wuye-demo.desktop"
    check "icon in the hicolor theme (48 and 256)" test -s "$prefix/share/icons/hicolor/48x48/apps/chengling-wuye.png" \
        -a -s "$prefix/share/icons/hicolor/256x256/apps/chengling-wuye.png"
    check "the program finds all its shared libraries" no_missing_libraries "$lib/chengling-wuye"
    check "the demo generator finds all its shared libraries" no_missing_libraries "$lib/chengling-demo-db"

    # What is loaded by name at run time, which the linker never sees.
    local plugins
    plugins=$(dirname "$(find /usr/lib -path '*/qt6/plugins/sqldrivers/libqsqlite.so' -print -quit 2>/dev/null)")/..
    check "Qt SQLite driver (the demo generator's) present and complete" no_missing_libraries "$plugins/sqldrivers/libqsqlite.so"
    check "Qt desktop (xcb) platform plugin present and complete" no_missing_libraries "$plugins/platforms/libqxcb.so"
    check "Qt offscreen platform plugin present and complete" no_missing_libraries "$plugins/platforms/libqoffscreen.so"
    check "FreeTDS registered with unixODBC as \"FreeTDS\"" quiet odbcinst -q -d -n FreeTDS
    check "a Noto Sans CJK font installed" quiet compgen -G '/usr/share/fonts/opentype/noto/NotoSansCJK-*.ttc'
    check "Qt's Chinese translation installed (qtbase_zh_CN.qm)" test -s /usr/share/qt6/translations/qtbase_zh_CN.qm

    # 1. The demo launcher, as the demo desktop entry starts it: creates the database, opens it.
    home=$work/demo-home
    mkdir -p "$home"
    log=$work/demo.log
    HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data start_offscreen "$log" \
        "$prefix/bin/chengling-wuye-demo"
    if wait_for "$log" "$main_window_pattern" 60 "$message_box_pattern"; then
        pass "demo launcher: main window MDIForm1 is up"
        sleep 1
        check "demo launcher: still running a second later" kill -0 "$app_pid"
        check "demo launcher: SQLite is loaded" maps_has libsqlite3.so
        check "demo launcher: no message box" log_lacks "$log" "$message_box_pattern"
        check "demo launcher: printed no error" test -z "$(error_lines "$log")"
    else
        fail "demo launcher: main window MDIForm1 is up"
        sed 's/^/    /' "$log" | grep -v 'qt.widgets.painting' | tail -20
    fi
    stop_app
    check "demo launcher: created the demo database" test -s "$home/data/chengling-wuye/demo.sqlite"

    # 2. The program through bin/, with the argument another program of the system passes.
    local db=$home/data/chengling-wuye/demo.sqlite
    log=$work/argument.log
    HOME=$home XDG_CONFIG_HOME=$home/config start_offscreen "$log" "$bin" \
        "demo{}演示操作员{}{}物业部{}ADMIN{}管理员{}{}{}{}【】Provider=SQLite;Data Source=$db"
    if wait_for "$log" "$main_window_pattern" 60 "$message_box_pattern"; then
        pass "with the launcher's argument: main window MDIForm1 is up"
        check "with the launcher's argument: printed no error" test -z "$(error_lines "$log")"
    else
        fail "with the launcher's argument: main window MDIForm1 is up"
        sed 's/^/    /' "$log" | grep -v 'qt.widgets.painting' | tail -20
    fi
    stop_app

    # 3. No argument, as the main desktop entry starts it: the settings store names a SQL Server.
    # Port 1 on this machine is closed, so the connection fails at once after the ODBC driver
    # manager has loaded FreeTDS, and the program shows its connection error.
    home=$work/settings-home
    mkdir -p "$home/config/Velquor"
    printf '[DBConfig]\nSvr="127.0.0.1,1"\nUID=sa\nPWD=x\nDBname=wuye\n' >"$home/config/Velquor/Velquor.ini"
    log=$work/settings.log
    HOME=$home XDG_CONFIG_HOME=$home/config start_offscreen "$log" "$bin"
    if wait_for "$log" "$message_box_pattern" 60; then
        pass "from the settings store: the connection error is shown"
        check "from the settings store: the ODBC driver manager is loaded" maps_has libodbc.so
        check "from the settings store: unixODBC loaded the FreeTDS driver" maps_has libtdsodbc.so
        check "from the settings store: no main window without a connection" \
            log_lacks "$log" "$main_window_pattern"
    else
        fail "from the settings store: the connection error is shown"
        sed 's/^/    /' "$log" | grep -v 'qt.widgets.painting' | tail -20
    fi
    stop_app
}
