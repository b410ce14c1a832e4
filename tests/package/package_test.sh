#!/usr/bin/env bash
# The Debian package, as a user gets it:
#   1. cpack -G DEB in the build folder;
#   2. dpkg-deb -I / -c: name, version, section, maintainer, the dependencies
#      computed from the binaries, the files and their modes, no maintainer
#      script beyond our udev/uinput postinst and postrm (no ldconfig);
#   3. unpacked into a scratch root (dpkg-deb -x): vantixctl keys, save and
#      labels through the /usr/bin links, the validators on the packaged
#      launcher entry and metadata, man -l on each packaged page, the icons'
#      sizes, the hook library's exports; the unpacked vantix started on an
#      Xvfb of its own, its window seen, its agent the unpacked hid;
#   4. as root on a machine without the package (CI): apt-get install of the
#      package, the installed programs run (the window too), then apt-get
#      remove --purge: nothing the package owned is left, and a data folder
#      made before the install is exactly as it was.
#
#   package_test.sh BUILD_DIR
#
# VANTIX_PACKAGE_SYSTEM_TEST: 1 always does step 4 (fails when not root),
# 0 never; unset does it when running as root and the package is not
# installed, and never leaves it installed. VANTIX_PACKAGE_SHOTS=DIR keeps
# screenshots of the windows in DIR.
set -uo pipefail

build=$(cd "${1:?usage: package_test.sh BUILD_DIR}" && pwd)
source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

work=$(mktemp -d)
shots=${VANTIX_PACKAGE_SHOTS:-}
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
step() { printf -- '-- %s\n' "$*"; }

started_pids=()   # processes this test started, ended by id on the way out
xvfb_pid=""
installed_by_us=0

# A process that has ended but not been waited for (a zombie) counts as gone.
alive() {
    local state
    state=$(ps -o stat= -p "$1" 2>/dev/null)
    [[ -n $state && $state != Z* ]]
}

stop_pid() {
    local pid=$1
    alive "$pid" || return 0
    kill -TERM "$pid" 2>/dev/null
    for _ in $(seq 50); do
        alive "$pid" || return 0
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null
}

purge_package() {
    DEBIAN_FRONTEND=noninteractive apt-get remove --purge -y -q vantix >"$work/remove.log" 2>&1
}

cleanup() {
    local pid
    for pid in "${started_pids[@]}"; do stop_pid "$pid"; done
    [[ -n $xvfb_pid ]] && stop_pid "$xvfb_pid"
    # Never leave the package on the machine.
    if [[ $installed_by_us -eq 1 ]] && dpkg-query -W -f='${Status}' vantix 2>/dev/null | grep -q installed; then
        echo "removing the package left installed by a failed run"
        purge_package || cat "$work/remove.log"
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# ---- 1. the package --------------------------------------------------------

step "building the package in $build"
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
[[ -n $version ]] || { echo "no CPackConfig.cmake with a version in $build"; exit 1; }
rm -f "$build"/vantix_*.deb
if ! (cd "$build" && cpack -G DEB >"$work/cpack.log" 2>&1); then
    cat "$work/cpack.log"
    echo "cpack failed"
    exit 1
fi
deb=$(ls "$build"/vantix_"$version"_*.deb 2>/dev/null)
[[ -f $deb ]] || { cat "$work/cpack.log"; echo "cpack made no vantix_${version}_*.deb"; exit 1; }
echo "$deb"

# ---- 2. what dpkg-deb says about it ----------------------------------------

step "control fields"
field() { dpkg-deb -f "$deb" "$1"; }
[[ "$(field Package)" == vantix ]] || fail "Package is '$(field Package)'"
[[ "$(field Version)" == "$version" ]] || fail "Version is '$(field Version)', the project's is $version"
[[ "$(field Section)" == utils ]] || fail "Section is '$(field Section)'"
[[ "$(field Maintainer)" == "Vantix developers" ]] || fail "Maintainer is '$(field Maintainer)'"
[[ "$(field Architecture)" == "$(dpkg --print-architecture)" ]] || fail "Architecture is '$(field Architecture)'"
[[ -n "$(field Description)" ]] || fail "no Description"
depends=$(field Depends)
echo "Depends: $depends"
# Computed from the binaries: each with the version its symbols need.
for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libxcb1 libxcb-xinput0; do
    [[ ", $depends" == *", $library (>= "* ]] || fail "Depends lacks a computed $library (>= ...)"
done
# Loaded at run time: the platform plugins, the font with Arial's metrics,
# the CJK font, Qt's own translations.
for package in qt6-qpa-plugins fonts-liberation2 fonts-noto-cjk qt6-translations-l10n; do
    grep -Eq "(^|, )$package(,|\$)" <<<"$depends" || fail "Depends lacks $package"
done

step "maintainer scripts"
mkdir -p "$work/control"
dpkg-deb -e "$deb" "$work/control"
for script in preinst prerm; do
    [[ -e $work/control/$script ]] && fail "the package has a $script"
done
for script in postinst postrm; do
    [[ -x $work/control/$script ]] || { fail "the package has no executable $script"; continue; }
    # Ours: udev and uinput, never ldconfig (the hook library is private).
    grep -q ldconfig "$work/control/$script" && fail "$script calls ldconfig"
    grep -q udevadm "$work/control/$script" || fail "$script does not bring udev up to date"
    sh -n "$work/control/$script" || fail "$script is no valid shell script"
done

step "files"
# "MODE OWNER PATH" and " -> TARGET" for links; no path of the package has
# a space.
dpkg-deb -c "$deb" |
    awk '{ path = $6; sub(/^\.\//, "/", path); line = $1 " " $2 " " path
           if ($7 == "->") line = line " -> " $8
           print line }' >"$work/contents"
program_dir=/usr/lib/vantix
expect_entry() {  # MODE PATH [-> TARGET]
    grep -qxF -e "$1 root/root $2${3:+ -> $3}" "$work/contents" || fail "the package lacks $1 $2 ${3:+-> $3}"
}
expect_entry lrwxrwxrwx /usr/bin/vantix "../lib/vantix/vantix"
expect_entry lrwxrwxrwx /usr/bin/vantixctl "../lib/vantix/vantixctl"
for program in vantix vantixctl hid; do expect_entry -rwxr-xr-x "$program_dir/$program"; done
expect_entry -rw-r--r-- "$program_dir/KBHook.so"
for file in 0409/strings/skins.ini 0409/strings/general.ini 0407/strings/skins.ini \
            0407/strings/general.ini 0409/background/cfgMainback.png 0409/background/cfgMainback.bmp; do
    expect_entry -rw-r--r-- "$program_dir/images/$file"
done
app_id=$(sed -n 's/^set(VANTIX_APP_ID "\(.*\)")$/\1/p' "$source_dir/cmake/InstallLayout.cmake")
expect_entry -rw-r--r-- "/usr/share/applications/$app_id.desktop"
expect_entry -rw-r--r-- "/usr/share/metainfo/$app_id.metainfo.xml"
icon_sizes=(16 22 24 32 48 64 128 256 512)
for size in "${icon_sizes[@]}"; do
    expect_entry -rw-r--r-- "/usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png"
done
for page in vantix vantixctl hid; do expect_entry -rw-r--r-- "/usr/share/man/man1/$page.1.gz"; done
expect_entry -rw-r--r-- /usr/share/bash-completion/completions/vantixctl
expect_entry -rw-r--r-- /usr/share/zsh/vendor-completions/_vantixctl
expect_entry -rw-r--r-- /usr/share/fish/vendor_completions.d/vantixctl.fish
expect_entry -rw-r--r-- /usr/share/doc/vantix/copyright
expect_entry -rw-r--r-- /usr/share/doc/vantix/changelog.Debian.gz
# The agent as a session service, its access to the mouse and to uinput.
expect_entry -rw-r--r-- /usr/lib/systemd/user/vantix-agent.service
expect_entry -rw-r--r-- "/etc/xdg/autostart/$app_id.Agent.desktop"
expect_entry -rw-r--r-- /usr/lib/udev/rules.d/70-vantix.rules
expect_entry -rw-r--r-- /usr/lib/modules-load.d/vantix.conf
# Only /usr and the autostart entry, and nothing of the build's own: tests,
# benchmarks, tools.
while read -r line; do fail "outside /usr: $line"; done < <(
    awk -v autostart="/etc/xdg/autostart/$app_id.Agent.desktop" \
        '$3 !~ /^\/usr\// && $3 != "/" && $3 !~ /^\/etc\/(xdg\/(autostart\/)?)?$/ && $3 != autostart' \
        "$work/contents")
grep -qx "/etc/xdg/autostart/$app_id.Agent.desktop" "$work/control/conffiles" 2>/dev/null ||
    dpkg-deb --ctrl-tarfile "$deb" | tar -xO ./conffiles 2>/dev/null |
    grep -qx "/etc/xdg/autostart/$app_id.Agent.desktop" || fail "the autostart entry is no conffile"
while read -r line; do fail "not for the package: $line"; done < <(
    grep -E '_tests?( |$)|_bench( |$)|contact_sheet|skingen|first_frame_floor|/usr/local/|/usr/include/|\.a( |$)' \
        "$work/contents")
# Every file and folder belongs to root and is not writable by others.
while read -r line; do fail "ownership or mode: $line"; done < <(
    awk '$1 !~ /^l/ && ($2 != "root/root" || substr($1, 9, 1) == "w")' "$work/contents")

# ---- 3. unpacked into a scratch root ---------------------------------------

root="$work/root"
step "unpacked into $root"
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x failed"

step "copyright and changelog"
copyright="$root/usr/share/doc/vantix/copyright"
head -n 1 "$copyright" | grep -q '^Format: .*/copyright-format/1.0/$' ||
    fail "the copyright file is not in the machine-readable format"
grep -q '^Files: \*$' "$copyright" || fail "the copyright file names no files"
changelog="$work/changelog"
gzip -dc "$root/usr/share/doc/vantix/changelog.Debian.gz" >"$changelog" || fail "changelog.Debian.gz is no gzip file"
[[ "$(dpkg-parsechangelog -l "$changelog" -S Version 2>"$work/changelog.err")" == "$version" ]] ||
    fail "the changelog's version is not $version"
[[ -s $work/changelog.err ]] && fail "dpkg-parsechangelog warns: $(cat "$work/changelog.err")"

# A home of its own for every run of the programs: nothing reaches the
# user's documents folder, and the agent link does not meet another copy.
home="$work/home"
run_dir="$work/run"
mkdir -p "$home" "$run_dir"
chmod 0700 "$run_dir"
home_env=(env -i PATH=/usr/bin:/bin HOME="$home" XDG_CONFIG_HOME="$home/.config"
          XDG_RUNTIME_DIR="$run_dir" LANG=C.UTF-8)
in_home() { "${home_env[@]}" "$@"; }

# The programs through the links, from a folder that is not theirs.
cd "$work" || exit 1
keys=$(in_home "$root/usr/bin/vantixctl" keys) || fail "unpacked vantixctl keys failed"
[[ "$(head -n 1 <<<"$keys")" == $'1\t29\tEsc\tESC' ]] || fail "vantixctl keys starts with '$(head -n 1 <<<"$keys")'"
[[ $keys == "$("$build/bin/vantixctl" keys)" ]] || fail "the unpacked vantixctl keys differs from the build's"
[[ $(wc -l <<<"$keys") -gt 100 ]] || fail "vantixctl keys printed $(wc -l <<<"$keys") lines"

profiles="$work/profiles"
mkdir -p "$profiles"
in_home "$root/usr/bin/vantixctl" --data-dir "$profiles" save || fail "unpacked vantixctl save failed"
for n in 1 2 3 4 5; do
    file="$profiles/RSProfile$n.pfd"
    [[ -f $file ]] || { fail "save wrote no RSProfile$n.pfd"; continue; }
    [[ "$(head -c 7 "$file")" == "[GROUP]" ]] || fail "RSProfile$n.pfd does not start with [GROUP]"
    [[ $(in_home "$root/usr/bin/vantixctl" ini read-int "$file" GROUP PollingRate -1) -ge 0 ]] ||
        fail "RSProfile$n.pfd has no PollingRate"
done
# The skin strings are found beside the real file behind the link.
labels=$(in_home "$root/usr/bin/vantixctl" --data-dir "$profiles" labels 1) || fail "unpacked labels failed"
[[ $(wc -l <<<"$labels") -eq 12 ]] || fail "labels printed $(wc -l <<<"$labels") lines, not 12"
[[ $labels == "$("$build/bin/vantixctl" --data-dir "$profiles" labels 1)" ]] ||
    fail "the unpacked labels differ from the build's: $labels"
[[ -z "$(ls -A "$home")" ]] || fail "vantixctl with --data-dir wrote into the home folder: $(ls -A "$home")"
in_home "$root/usr/bin/vantixctl" --help | grep -q '^usage: vantixctl' || fail "unpacked vantixctl --help"

step "packaged launcher entry, metadata, manual pages, icons, hook library"
desktop-file-validate "$root/etc/xdg/autostart/$app_id.Agent.desktop" || fail "the autostart entry is not valid"
grep -qx "Exec=/usr/lib/vantix/hid" "$root/etc/xdg/autostart/$app_id.Agent.desktop" ||
    fail "the autostart entry does not start /usr/lib/vantix/hid"
grep -qx "ExecStart=/usr/lib/vantix/hid" "$root/usr/lib/systemd/user/vantix-agent.service" ||
    fail "the user unit does not start /usr/lib/vantix/hid"
desktop-file-validate "$root/usr/share/applications/$app_id.desktop" ||
    fail "desktop-file-validate rejects the packaged launcher entry"
grep -qx 'Name=Corvane II Gaming Mouse' "$root/usr/share/applications/$app_id.desktop" ||
    fail "the packaged launcher entry is not named Corvane II Gaming Mouse"
appstreamcli validate --no-net "$root/usr/share/metainfo/$app_id.metainfo.xml" >"$work/validate" 2>&1 ||
    fail "appstreamcli rejects the packaged metadata: $(cat "$work/validate")"
for page in vantix vantixctl hid; do
    gz="$root/usr/share/man/man1/$page.1.gz"
    gzip -t "$gz" || fail "$page.1.gz is no gzip file"
    warnings=$(LC_ALL=C MANWIDTH=80 man --warnings=w -l "$gz" 2>&1 >/dev/null)
    [[ -z $warnings ]] || fail "man -l $page.1.gz warns: $warnings"
    LC_ALL=C MANWIDTH=80 man -l "$gz" 2>/dev/null | head -n 1 | grep -qi "^$page(1) " ||
        fail "man -l $page.1.gz does not render as $page(1)"
done
for size in "${icon_sizes[@]}"; do
    png="$root/usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png"
    file -b "$png" | grep -q "^PNG image data, $size x $size, 8-bit/color RGBA" ||
        fail "icon ${size}x${size}: $(file -b "$png")"
done
exports=$(nm -D --defined-only "$root$program_dir/KBHook.so" | awk '{ print $3 }' | sort | tr '\n' ' ')
[[ $exports == "enablehook installhook installmousehook removehook removemousehook " ]] ||
    fail "KBHook.so exports '$exports'"
for program in vantix vantixctl hid KBHook.so; do
    file -b "$root$program_dir/$program" | grep -q 'stripped$' && ! file -b "$root$program_dir/$program" | grep -q 'not stripped' ||
        fail "$program is not stripped"
done

# ---- the window on an X server of the test's own ---------------------------

start_xvfb() {
    exec {display_fd}>"$work/display"
    Xvfb -displayfd "$display_fd" -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    exec {display_fd}>&-
    for _ in $(seq 100); do
        [[ -s $work/display ]] && break
        sleep 0.1
    done
    display=":$(head -n 1 "$work/display")"
    [[ $display != ":" ]] || { cat "$work/xvfb.log"; echo "Xvfb did not start"; exit 1; }
    echo "Xvfb on $display"
}

# The processes whose program is $1 and whose runtime folder is ours.
pids_of() {
    local exe=$1 proc
    for proc in /proc/[0-9]*; do
        [[ "$(readlink "$proc/exe" 2>/dev/null)" == "$exe" ]] || continue
        tr '\0' '\n' <"$proc/environ" 2>/dev/null | grep -qxF "XDG_RUNTIME_DIR=$run_dir" || continue
        echo "${proc#/proc/}"
    done
}

# Starts the window program $1 (a /usr/bin link), waits for its window and
# its agent, checks both, and ends them. $2 names the screenshot.
run_window() {
    local link=$1 shot=$2 folder ctl pid window="" geometry agent_pids
    folder=$(dirname "$(readlink -f "$link")")
    ctl="$(dirname "$link")/vantixctl"
    # Not through a shell function: $! must be the program itself (env
    # execs it), or stopping it would leave the window running.
    "${home_env[@]}" DISPLAY="$display" "$link" >"$work/$shot.log" 2>&1 &
    pid=$!
    started_pids+=("$pid")
    for _ in $(seq 200); do
        window=$(DISPLAY="$display" xdotool search --onlyvisible --pid "$pid" --name '^Corvane II Gaming Mouse$' 2>/dev/null | head -n 1)
        [[ -n $window ]] && break
        alive "$pid" || break
        sleep 0.1
    done
    if [[ -z $window ]]; then
        fail "$shot: no window named Corvane II Gaming Mouse: $(cat "$work/$shot.log")"
        return
    fi
    geometry=$(DISPLAY="$display" xwininfo -id "$window" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
    [[ $geometry == 1028x712 ]] || fail "$shot: the window is $geometry, not 1028x712"
    # The agent it started is the hid beside it.
    agent_pids=""
    for _ in $(seq 100); do
        agent_pids=$(pids_of "$folder/hid")
        [[ -n $agent_pids ]] && break
        sleep 0.1
    done
    [[ -n $agent_pids ]] || fail "$shot: vantix started no $folder/hid"
    started_pids+=($agent_pids)
    [[ "$(in_home "$ctl" agent status | head -n 1)" == "agent: running" ]] ||
        fail "$shot: vantixctl agent status does not see the agent"
    [[ -d "$home/Documents/Corvane II Gaming Mouse/MacroDB" ]] ||
        fail "$shot: no data folder in the documents folder of the run's home"
    sleep 1  # the first frames
    if [[ -n $shots ]]; then
        mkdir -p "$shots"
        DISPLAY="$display" import -window root "$shots/$shot.png" || fail "$shot: no screenshot"
        echo "screenshot: $shots/$shot.png"
    fi
    [[ "$(readlink "/proc/$pid/exe")" == "$folder/vantix" ]] || fail "$shot: the window is not $folder/vantix's"
    stop_pid "$pid"
    for agent in $agent_pids; do stop_pid "$agent"; done
    # Nothing of this run may live on into the next.
    [[ -z "$(pids_of "$folder/vantix")$(pids_of "$folder/hid")" ]] || fail "$shot: programs left running"
}

step "the unpacked vantix on Xvfb"
start_xvfb
run_window "$root/usr/bin/vantix" unpacked

# ---- 4. installed on the machine -------------------------------------------

system_test=${VANTIX_PACKAGE_SYSTEM_TEST:-auto}
if [[ $system_test == auto ]]; then
    system_test=0
    if [[ $(id -u) -eq 0 ]] && command -v apt-get >/dev/null &&
        ! dpkg-query -W -f='${Status}' vantix 2>/dev/null | grep -q 'ok installed'; then
        system_test=1
    fi
fi
if [[ $system_test == 1 ]]; then
    step "apt-get install of the package"
    if [[ $(id -u) -ne 0 ]]; then
        fail "VANTIX_PACKAGE_SYSTEM_TEST=1 needs root"
    elif dpkg-query -W -f='${Status}' vantix 2>/dev/null | grep -q 'ok installed'; then
        fail "vantix is installed already; the test will not replace or remove it"
    else
        # A user's data folder made before the install, with a macro, in a
        # home of its own (the window run below writes into $home's).
        user_home="$work/user-home"
        user_data="$user_home/Documents/Corvane II Gaming Mouse"
        mkdir -p "$user_data/MacroDB"
        HOME="$user_home" XDG_CONFIG_HOME="$user_home/.config" "$root/usr/bin/vantixctl" save ||
            fail "making the data folder"
        HOME="$user_home" XDG_CONFIG_HOME="$user_home/.config" "$root/usr/bin/vantixctl" macro new Burst ||
            fail "making a macro"
        [[ -f $user_data/RSProfile5.pfd && -f $user_data/MacroDB/Burst.MSMACRO ]] ||
            fail "no profiles or macro in $user_data"
        snapshot() {
            (cd "$user_home" && find . -printf '%M %s %T@ %p\n' | sort && find . -type f -exec sha256sum {} + | sort)
        }
        before=$(snapshot)

        installed_by_us=1
        if ! DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$deb" \
            >"$work/install.log" 2>&1; then
            cat "$work/install.log"
            fail "apt-get install $deb failed"
        else
            dpkg-query -W -f='${Status} ${Version}\n' vantix
            owned=$(dpkg -L vantix)
            [[ "$(/usr/bin/vantixctl keys)" == "$keys" ]] || fail "the installed vantixctl keys differs"
            mkdir -p "$work/installed-profiles"
            /usr/bin/vantixctl --data-dir "$work/installed-profiles" save || fail "the installed vantixctl save failed"
            [[ $(ls "$work/installed-profiles" | grep -c '^RSProfile[1-5]\.pfd$') -eq 5 ]] ||
                fail "the installed vantixctl save did not write five profiles"
            if [[ -f /usr/share/man/man1/vantixctl.1.gz ]]; then
                LC_ALL=C MANWIDTH=80 man vantixctl 2>/dev/null | head -n 1 | grep -qi '^vantixctl(1) ' ||
                    fail "man vantixctl does not show the installed page"
                [[ "$(man -w hid 2>/dev/null)" == /usr/share/man/man1/hid.1.gz ]] || fail "man -w hid: $(man -w hid 2>&1)"
            elif ! grep -qsE '^path-exclude[= ]/usr/share/man/' /etc/dpkg/dpkg.cfg.d/*; then
                # Minimal container images tell dpkg to leave manual pages out.
                fail "the manual pages were not installed"
            fi
            desktop-file-validate "/usr/share/applications/$app_id.desktop" || fail "installed launcher entry"
            step "the installed vantix on Xvfb"
            run_window /usr/bin/vantix installed

            step "apt-get remove --purge"
            if purge_package; then
                installed_by_us=0
            else
                cat "$work/remove.log"
                fail "apt-get remove --purge vantix failed"
            fi
            dpkg-query -W -f='${Status}' vantix 2>/dev/null | grep -q 'ok installed' && fail "vantix is still installed"
            while IFS= read -r path; do
                [[ -e $path || -L $path ]] || continue
                # Folders the package shares with others stay.
                [[ -d $path && ! -L $path && $path != "$program_dir"* ]] && continue
                fail "left after removal: $path"
            done <<<"$owned"
            [[ -e $program_dir ]] && fail "$program_dir is left after removal"
        fi
        [[ "$(snapshot)" == "$before" ]] || fail "the data folder made before the install changed"
    fi
else
    step "apt-get install skipped (not root, or vantix installed already; VANTIX_PACKAGE_SYSTEM_TEST=1 forces it)"
fi

echo "package: $failures failure(s)"
[[ $failures -eq 0 ]]
