#!/usr/bin/env bash
# scripts/demo with the real receiver emulator and a stand-in for the tool
# that notes what it finds: the demo takes the first COM n without a link,
# leaves every link it did not make as it was, removes its own, and starts
# the tool in its own folder with a tvx.ini that selects that port.
#   demo_test.sh <scripts/demo> <tovrix-receiver>
set -euo pipefail
shopt -s nullglob
demo=$(realpath "$1")
receiver=$(realpath "$2")

top=$(mktemp -d)
trap 'rm -rf "$top"' EXIT
failures=0
fail() {
    echo "FAIL ($case): $*" >&2
    failures=$((failures + 1))
}

# A build tree whose tool writes down its folder, its arguments, each COM
# link as it sees it (a terminal or the link's target) and line 5 of tvx.ini.
mkdir -p "$top/build/bin"
ln -s "$receiver" "$top/build/bin/tovrix-receiver"
cat >"$top/build/bin/tovrix" <<'TOOL'
#!/usr/bin/env bash
{
    echo "folder $PWD"
    echo "arguments $*"
    for n in 1 2 3 4; do
        link=$XDG_CONFIG_HOME/tovrix/ports/com$n
        if [[ -c $link ]]; then
            echo "com$n terminal"
        elif [[ -L $link ]]; then
            echo "com$n $(readlink "$link")"
        fi
    done
    echo "port $(sed -n 6p tvx.ini | tr -d '\r')"
} >"$RECORD"
TOOL
chmod +x "$top/build/bin/tovrix"

# Each case: the links before (name=target, or name=file for a plain file),
# the port the demo must take (none: it must refuse).
cases=(
    "no links|;1"
    "unplugged adapter on COM1|com1=/dev/ttyUSB-unplugged;2"
    "present, unplugged and a file|com1=/dev/null com2=/dev/ttyACM-gone com3=file;4"
    "all four taken|com1=/dev/null com2=/dev/gone com3=/dev/null com4=/dev/gone;none"
)
for entry in "${cases[@]}"; do
    case=${entry%%|*}
    rest=${entry#*|}
    links=${rest%;*}
    expected=${rest#*;}

    export XDG_CONFIG_HOME=$top/config
    rm -rf "$XDG_CONFIG_HOME" "$top/build/demo"
    ports=$XDG_CONFIG_HOME/tovrix/ports
    mkdir -p "$ports"
    for link in $links; do
        if [[ ${link#*=} == file ]]; then
            echo "mine" >"$ports/${link%%=*}"
        else
            ln -s "${link#*=}" "$ports/${link%%=*}"
        fi
    done
    before=$(cd "$ports" && for f in *; do echo "$f $(readlink "$f" || cat "$f")"; done)
    export RECORD=$top/record
    rm -f "$RECORD"

    status=0
    out=$("$demo" "$top/build" --an-argument 2>&1) || status=$?
    after=$(cd "$ports" && for f in *; do echo "$f $(readlink "$f" || cat "$f")"; done)
    [[ $after == "$before" ]] || fail "links changed: before [$before] after [$after]"

    if [[ $expected == none ]]; then
        [[ $status -ne 0 ]] || fail "the demo started although every port has a link"
        [[ ! -e $RECORD ]] || fail "the tool was started"
        [[ $out == *"changes none of them"* ]] || fail "no explanation: $out"
        continue
    fi
    [[ $status -eq 0 ]] || fail "exit status $status: $out"
    [[ $out == *"COM$expected"* ]] || fail "does not say COM$expected: $out"
    record=$(cat "$RECORD" 2>/dev/null || true)
    grep -qx "folder $top/build/demo" <<<"$record" || fail "tool not started in the demo folder: $record"
    grep -qx "arguments --an-argument" <<<"$record" || fail "arguments not passed: $record"
    grep -qx "com$expected terminal" <<<"$record" || fail "COM$expected is not the emulator: $record"
    grep -qx "port $expected" <<<"$record" || fail "tvx.ini does not select COM$expected: $record"
done

# A settings file from an earlier demo keeps everything but its port line,
# with the line ends it had.
case="earlier tvx.ini"
export XDG_CONFIG_HOME=$top/config
rm -rf "$XDG_CONFIG_HOME"
mkdir -p "$XDG_CONFIG_HOME/tovrix/ports"
ln -s /dev/ttyUSB-unplugged "$XDG_CONFIG_HOME/tovrix/ports/com1"
mkdir -p "$top/build/demo"
printf '%s\r\n' '#language#' deutsch '#directory#' /tmp '#COM#' 3 '#Baudrate#' 12 '#WDH#' 0 \
    '#posmain#' 40 50 '#poshelp#' 60 70 >"$top/build/demo/tvx.ini"
expected=$(printf '%s\r\n' '#language#' deutsch '#directory#' /tmp '#COM#' 2 '#Baudrate#' 12 \
    '#WDH#' 0 '#posmain#' 40 50 '#poshelp#' 60 70 | od -c)
"$demo" "$top/build" >/dev/null 2>&1 || fail "exit status $?"
[[ $(od -c <"$top/build/demo/tvx.ini") == "$expected" ]] ||
    fail "tvx.ini became: $(cat -A "$top/build/demo/tvx.ini")"

if ((failures > 0)); then
    exit 1
fi
echo "demo script: all cases passed"
