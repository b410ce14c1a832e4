# fish completion for vantixctl: the same offers as the bash completion.
# Completes the global options, the commands, their operations and fixed
# words, profile numbers, files and folders, and the macro names of the data
# folder (read with "vantixctl macro list", which changes no file).

# The words before the cursor, split into the global options, the command and
# its arguments. Prints the command, then one argument a line.
function __vantixctl_parse
    set -l words (commandline -opc)
    set -e words[1]
    set -l command
    set -l skip 0
    for word in $words
        if test $skip -eq 1
            set skip 0
            continue
        end
        if test -z "$command"
            switch $word
                case --data-dir --format
                    set skip 1
                case '-*'
                case '*'
                    set command $word
                    echo $word
            end
        else
            echo $word
        end
    end
end

# True when the command is $argv[1] and it has $argv[2] arguments so far
# (and, with a third word, the first argument is that word).
function __vantixctl_at
    set -l parsed (__vantixctl_parse)
    test (count $parsed) -ge 1; or return 1
    test "$parsed[1]" = $argv[1]; or return 1
    test (math (count $parsed) - 1) -eq $argv[2]; or return 1
    if set -q argv[3]
        test "$parsed[2]" = $argv[3]; or return 1
    end
    return 0
end

function __vantixctl_no_command
    test (count (__vantixctl_parse)) -eq 0
end

function __vantixctl_macro_names
    set -l words (commandline -opc)
    set -l data_dir
    for i in (seq (count $words))
        if test "$words[$i]" = --data-dir; and set -q words[(math $i + 1)]
            set data_dir --data-dir (string replace -r '^~' $HOME -- $words[(math $i + 1)])
        else if string match -q -- '--data-dir=*' $words[$i]
            set data_dir $words[$i]
        end
    end
    $words[1] $data_dir macro list 2>/dev/null
end

complete -c vantixctl -f
complete -c vantixctl -n __vantixctl_no_command -l data-dir -x -a '(__fish_complete_directories)' -d 'data folder'
complete -c vantixctl -n __vantixctl_no_command -l format -x -a 'json text' -d 'output format'
complete -c vantixctl -n __vantixctl_no_command -l json -d 'print JSON'
complete -c vantixctl -n __vantixctl_no_command -l version -d 'print the version'
complete -c vantixctl -n __vantixctl_no_command -s h -l help -d 'print the help'
complete -c vantixctl -n __vantixctl_no_command -a 'show save export import reset apply agent ini keys labels macro program'

complete -c vantixctl -n '__vantixctl_at show 0' -l raw -d 'as read, unrepaired'
complete -c vantixctl -n '__vantixctl_at export 0; or __vantixctl_at import 0' -a '1 2 3 4 5'
complete -c vantixctl -n '__vantixctl_at export 1; or __vantixctl_at import 1' -F
complete -c vantixctl -n '__vantixctl_at reset 0' -a '1 2 3 4 5 all'
complete -c vantixctl -n '__vantixctl_at labels 0' -a '1 2 3 4 5'
complete -c vantixctl -n '__vantixctl_at labels 1' -l program-dir -x -a '(__fish_complete_directories)'
complete -c vantixctl -n '__vantixctl_at agent 0' -a 'status stop device connect disconnect simulate event'
complete -c vantixctl -n '__vantixctl_at agent 1 device' -a 'list use resolution'
complete -c vantixctl -n '__vantixctl_at agent 2 device; and test (__vantixctl_parse)[3] = use' -a 'none (ls /dev/input 2>/dev/null | string match "event*" | string replace -r "^" /dev/input/)'
# Reload, resolution stage, profile, report rate, lighting mode, pointer
# speed, apply done.
complete -c vantixctl -n '__vantixctl_at agent 1 event' -a '0 8 9 10 11 12 15'
complete -c vantixctl -n '__vantixctl_at ini 0' -a 'read-string read-int read-struct write-string write-int write-struct'
complete -c vantixctl -n '__vantixctl_at ini 1' -F
complete -c vantixctl -n '__vantixctl_at macro 0' -a 'list show new delete'
complete -c vantixctl -n '__vantixctl_at macro 1 show; or __vantixctl_at macro 1 delete' -a '(__vantixctl_macro_names)'
complete -c vantixctl -n '__vantixctl_at macro 1 show; or __vantixctl_at macro 2 show' -l program-dir -x -a '(__fish_complete_directories)'
complete -c vantixctl -n '__vantixctl_at program 0' -a 'list set remove'
complete -c vantixctl -n '__vantixctl_at program 2 set' -a '1 2 3 4 5'
complete -c vantixctl -n '__vantixctl_at program 1 remove' -a '(vantixctl program list 2>/dev/null | string split -f1 \t)'
