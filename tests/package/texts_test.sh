#!/usr/bin/env bash
# The texts that ship with the programs:
#   - vantixctl COMMAND --help for every command: exit 0, on stdout, and the
#     same words as the command's paragraph in vantixctl(1); what is no help
#     request stays the usage error it was;
#   - the three manual pages render with man -l without warnings;
#   - the launcher entry and the AppStream metadata (with and without
#     screenshots) pass their validators and name each other;
#   - the bash completion completes commands, fixed words and macro names.
#
#   texts_test.sh VANTIXCTL SOURCE_DIR APP_ID SKIN_LANGUAGE
set -uo pipefail

vantixctl=$1
source_dir=$2
app_id=$3
skin_language=$4
packaging="$source_dir/packaging"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# One line, single spaces: wrapped and justified text compares as words.
flatten() { tr -s ' \n\t' '   ' | sed 's/^ //; s/ $//'; }
# A page as plain ASCII text on lines long enough never to break or hyphenate.
render() { LC_ALL=C MANWIDTH=10000 MAN_KEEP_FORMATTING= man -l "$1" 2>&1; }

for tool in man desktop-file-validate appstreamcli cmake; do
    command -v "$tool" >/dev/null || fail "$tool is missing (scripts/packages.txt installs it)"
done

# ---- vantixctl COMMAND --help against vantixctl(1) -------------------------

commands=(show save export import reset apply agent ini keys labels macro program)
man_text=$(render "$packaging/man/vantixctl.1" | flatten)
global_usage=$("$vantixctl" --help)

for command in "${commands[@]}"; do
    help=$("$vantixctl" "$command" --help 2>"$work/err")
    status=$?
    [[ $status -eq 0 ]] || fail "$command --help exits $status"
    [[ -s $work/err ]] && fail "$command --help writes to stderr: $(cat "$work/err")"
    [[ $help == "usage: "* ]] || fail "$command --help does not start with usage:"
    [[ "$("$vantixctl" "$command" -h)" == "$help" ]] || fail "$command -h differs from $command --help"
    grep -q "^  $command\b" <<<"$global_usage" || fail "vantixctl --help does not list $command"

    # Every usage line, without the program name and the global option.
    while IFS= read -r line; do
        form=$(sed -E 's/^(usage:)? *vantixctl //; s/^\[--data-dir DIR\] //' <<<"$line" | flatten)
        [[ $man_text == *"$form"* ]] || fail "vantixctl(1) lacks the form '$form' of $command --help"
    done < <(sed -n '1,/^$/p' <<<"$help" | sed '/^$/d')

    # The paragraph, word for word.
    paragraph=$(sed '1,/^$/d' <<<"$help" | flatten)
    [[ -n $paragraph ]] || fail "$command --help has no description"
    [[ $man_text == *"$paragraph"* ]] ||
        fail "the paragraph of $command --help is not the one in vantixctl(1): $paragraph"
done

# The families take their operations: the same text.
for family_op in "agent status" "agent event" "ini read-string" "ini write-struct" "macro list" \
                 "macro show" "macro new" "macro delete" "program list" "program remove"; do
    read -r family op <<<"$family_op"
    [[ "$("$vantixctl" "$family" "$op" --help 2>&1)" == "$("$vantixctl" "$family" --help)" ]] ||
        fail "$family $op --help is not the help of $family"
done

# What is not a help request is handled as before: usage errors stay usage
# errors, and a help word never reaches the files.
data="$work/data"
mkdir -p "$data/MacroDB"
while IFS='|' read -r expected args; do
    read -r -a argv <<<"$args"
    "$vantixctl" --data-dir "$data" "${argv[@]}" >"$work/out" 2>"$work/err"
    status=$?
    [[ $status -eq $expected ]] || fail "vantixctl $args exits $status, not $expected"
    if [[ $expected -eq 2 ]]; then
        [[ -s $work/out ]] && fail "vantixctl $args prints to stdout"
        # One line: the problem, and where to read more.
        [[ $(wc -l <"$work/err") -eq 1 ]] || fail "vantixctl $args prints more than one line: $(cat "$work/err")"
        grep -Eq '^vantixctl: .+; see vantixctl ([a-z]+ )?--help$' "$work/err" ||
            fail "vantixctl $args does not name the problem and its help: $(cat "$work/err")"
    fi
done <<'EOF'
2|frobnicate --help
2|show --raw --help
2|show --help --raw
2|keys --help extra
2|macro frob --help
2|ini frob --help
2|agent frob -h
2|labels 1 2 --help
0|--help show
0|help
EOF
[[ -z "$(ls -A "$data/MacroDB")" ]] || fail "a help request wrote into MacroDB: $(ls -A "$data/MacroDB")"
[[ -z "$(find "$data" -name 'RSProfile*')" ]] || fail "a help request wrote profile files"

# ---- manual pages ----------------------------------------------------------

for page in vantix.1 vantixctl.1 hid.1; do
    source="$packaging/man/$page"
    name=${page%.1}
    warnings=$(LC_ALL=C MANWIDTH=80 man --warnings=w -l "$source" 2>&1 >/dev/null)
    [[ -z $warnings ]] || fail "man -l $page warns: $warnings"
    text=$(LC_ALL=C MANWIDTH=80 man -l "$source" 2>/dev/null)
    head -n 1 <<<"$text" | grep -qi "^${name}(1) " || fail "$page does not render as ${name}(1)"
    # The name of the window and of the data folder, quoted and whole.
    grep -q '"Corvane II Gaming Mouse"' <<<"$(flatten <<<"$text")" ||
        fail "$page does not name \"Corvane II Gaming Mouse\""
    for section in NAME SYNOPSIS DESCRIPTION "SEE ALSO"; do
        grep -q "^$section\$" <<<"$text" || fail "$page has no section $section"
    done
done

# ---- launcher entry and AppStream metadata ---------------------------------

desktop="$packaging/$app_id.desktop"
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $app_id.desktop"
entry() { sed -n "s/^$1=//p" "$desktop"; }
[[ "$(entry Name)" == "Corvane II Gaming Mouse" ]] || fail "the launcher's Name is '$(entry Name)'"
[[ "$(entry Exec)" == "vantix" ]] || fail "the launcher starts '$(entry Exec)'"
[[ "$(entry Icon)" == "$app_id" ]] || fail "the launcher's icon is '$(entry Icon)'"
[[ "$(entry Categories)" == *"Settings;"*"HardwareSettings;"* ]] ||
    fail "the launcher is not in Settings;HardwareSettings;"

for url in "" "https://example.org/vantix/screenshots"; do
    metainfo="$work/metainfo${url:+-url}.xml"
    cmake -DTEMPLATE="$packaging/$app_id.metainfo.xml.in" -DOUTPUT="$metainfo" -DAPP_ID="$app_id" \
          -DSKIN_LANGUAGE="$skin_language" -DSCREENSHOT_BASE_URL="$url" \
          -DVERSION=1.2.3 -DRELEASE_DATE=2026-01-31 \
          -P "$packaging/metainfo.cmake" || fail "metainfo.cmake fails (address '$url')"
    appstreamcli validate --no-net "$metainfo" >"$work/validate" 2>&1 ||
        fail "appstreamcli rejects the metadata (address '$url'): $(cat "$work/validate")"
    grep -q "<id>$app_id</id>" "$metainfo" || fail "the metadata's id is not $app_id"
    grep -q '<release version="1.2.3" date="2026-01-31"/>' "$metainfo" ||
        fail "the metadata does not list the release"
    grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
        fail "the metadata does not launch $app_id.desktop"
    grep -q '@' "$metainfo" && fail "the metadata keeps a placeholder: $(grep '@' "$metainfo")"
    if [[ -n $url ]]; then
        for page in buttons performance lighting; do
            shot="main-$page-$skin_language.png"
            grep -q "<image type=\"source\" width=\"1028\" height=\"712\">$url/$shot</image>" "$metainfo" ||
                fail "the metadata does not list $shot under $url"
            [[ -f $source_dir/docs/screenshots/$shot ]] || fail "docs/screenshots/$shot does not exist"
        done
    else
        grep -q '<screenshots>' "$metainfo" && fail "screenshots listed without an address"
    fi
done
# An address that is not http(s) is refused, not written into the metadata.
if cmake -DTEMPLATE="$packaging/$app_id.metainfo.xml.in" -DOUTPUT="$work/bad.xml" -DAPP_ID="$app_id" \
         -DSKIN_LANGUAGE="$skin_language" -DSCREENSHOT_BASE_URL="file:///usr/share" \
         -P "$packaging/metainfo.cmake" >/dev/null 2>&1; then
    fail "metainfo.cmake accepts a file: address for screenshots"
fi

# ---- bash completion -------------------------------------------------------

# The macros the completion must offer, one with a space in its name.
"$vantixctl" --data-dir "$data" macro new "Burst" >/dev/null || fail "macro new Burst"
"$vantixctl" --data-dir "$data" macro new "Two words" >/dev/null || fail "macro new 'Two words'"

complete_line() {
    # The words of a command line, the last one being completed; prints the
    # offers one a line.
    bash -c '
        source "$1"; shift
        COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
        _vantixctl
        printf "%s\n" "${COMPREPLY[@]}"
    ' complete "$packaging/bash-completion/vantixctl" "$@" 2>&1
}
expect_offers() {
    local expected=$1
    shift
    local got
    got=$(complete_line "$vantixctl" "$@" | sort | tr '\n' ' ' | sed 's/ $//')
    [[ $got == "$expected" ]] || fail "completing '$*': '$got', not '$expected'"
}
expect_offers "$(printf '%s\n' "${commands[@]}" | sort | tr '\n' ' ' | sed 's/ $//')" ""
expect_offers "reset" "re"
expect_offers "--data-dir --format --help --json --version -h" "-"
expect_offers "1 2 3 4 5 all" "reset" ""
expect_offers "0 10 11 12 15 8 9" "agent" "event" ""
expect_offers "read-int read-string read-struct" "ini" "read"
expect_offers "Burst Two\\ words" "--data-dir" "$data" "macro" "delete" ""
expect_offers "Two\\ words" "--data-dir" "$data" "macro" "show" "T"
expect_offers "--program-dir" "labels" "1" "--"
expect_offers "--help --raw -h" "show" "-"
# A data folder that does not exist offers nothing, and says nothing.
expect_offers "" "--data-dir" "$work/absent" "macro" "delete" ""

# ---- zsh and fish completion -----------------------------------------------

# zsh: the completion function with compadd and _files standing in for the
# completion system's own, which need a terminal.
zsh_offers() {
    zsh -f -c '
        fpath=("$1" $fpath); shift
        autoload -Uz _vantixctl
        compadd() {
            local word seen=0
            for word in "$@"; do
                if ((seen)); then [[ $word == ${PREFIX}* ]] && print -r -- "$word"
                elif [[ $word == -- ]]; then seen=1; fi
            done
        }
        _files() { print -r -- "<files${1:+ $1}>"; }
        words=("$@"); CURRENT=$#; PREFIX=${words[CURRENT]}
        _vantixctl
    ' zsh "$packaging/zsh" "$@" 2>&1
}
fish_offers() {
    local line=""
    local word
    for word in "$@"; do [[ -n $word ]] && line+="$(printf '%q' "$word") "; done
    line=${line% }
    # A last word that is empty completes a new word.
    [[ -z ${*: -1} ]] && line+=" "
    fish --no-config -c 'source $argv[1]; complete -C $argv[2]' "$packaging/fish/vantixctl.fish" "$line" 2>&1 |
        cut -f1
}
for shell in zsh fish; do
    # The offers for each line; names are offered as they are, quoting is the
    # shell's business. "<files>" and "<files -/>" stand for file and folder
    # completion (zsh only: fish's own file offers depend on the folder).
    while IFS='|' read -r expected line; do
        read -r -a argv <<<"$line"
        [[ $line == *' ' || -z $line ]] && argv+=("")
        [[ $expected == *"<files"* && $shell == fish ]] && continue
        got=$("${shell}_offers" "$vantixctl" "${argv[@]}" | LC_ALL=C sort | tr '\n' ',' | sed 's/,$//')
        [[ $got == "$expected" ]] || fail "$shell: completing '$line': '$got', not '$expected'"
    done <<EOF
$(printf '%s\n' "${commands[@]}" | LC_ALL=C sort | tr '\n' ',' | sed 's/,$//')|
reset|re
--data-dir,--format,--help,--json,--version,-h|-
1,2,3,4,5,all|reset 
0,10,11,12,15,8,9|agent event 
connect,device,disconnect,event,simulate,status,stop|agent 
list,resolution,use|agent device 
read-int,read-string,read-struct|ini read
Burst,Two words|--data-dir $data macro delete 
Two words|--data-dir $data macro show T
<files -/>|--data-dir 
<files>|export 1 
|--data-dir $work/absent macro delete 
EOF
done

echo "texts: $failures failure(s)"
[[ $failures -eq 0 ]]
