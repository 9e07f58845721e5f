#!/usr/bin/env bash
# Checks every #include of src/, tools/ and tests/ against the layers of the design:
#
#   - a folder of src/ includes headers of its own folder and of the layers before it in the
#     list below, nothing of a layer after it, of a sibling service, or outside src/;
#   - Qt headers only in src/ui/, in the tools that draw or measure windows, in their tests and
#     in the widget tests' shared support (tests/support_qt/);
#   - tools include nothing of src/ui/, except the tools that draw or measure windows.
#
# Tests mirror src/ and may include any layer; only the rule on Qt applies to them.
#
#   scripts/check-layering.sh          checks this repository
#   scripts/check-layering.sh ROOT     checks the tree at ROOT (laid out the same way)
#
# Prints one line per offending include and exits 1 when there is any.
set -euo pipefail
root=${1:-"$(dirname "$0")/.."}
cd "$root"

# The layers, lowest first. device/services holds one folder per device service; those folders
# sit side by side and do not include each other.
layers=(common text app keys device device/services macros profiles lighting monitor session
        presenters ui)
# Where Qt may be included.
qt_places=(src/ui/ tools/skingen/ tools/bench/ tests/ui tests/support_qt/ tests/skingen/ tests/bench/)
# The tools that may include src/ui/.
ui_tools=(tools/skingen/ tools/bench/)

failures=0
fail() {  # file, line, message
    echo "$1:$2: $3"
    failures=$((failures + 1))
}

starts_with_any() {  # path, prefixes...
    local path=$1 prefix
    shift
    for prefix in "$@"; do
        [[ $path == "$prefix"* ]] && return 0
    done
    return 1
}

# Sets `rank` and `unit` for a path relative to src/; rank -1 when no layer holds it.
layer_of() {
    local path=$1 i best=-1 length=0
    for i in "${!layers[@]}"; do
        if [[ $path == "${layers[$i]}"/* && ${#layers[$i]} -gt $length ]]; then
            best=$i
            length=${#layers[$i]}
        fi
    done
    rank=$best
    unit=""
    if ((best < 0)); then
        return
    fi
    unit=${layers[$best]}
    if [[ $unit == device/services ]]; then
        local rest=${path#device/services/}
        unit=device/services/${rest%%/*}
    fi
}

# Sets `normalized`: `a/./b/../c` becomes `a/c`. (No subshells here: this runs per include.)
normalize() {
    local part out=()
    local IFS=/
    for part in $1; do
        case $part in
            '' | .) ;;
            ..) ((${#out[@]})) && unset 'out[${#out[@]}-1]' ;;
            *) out+=("$part") ;;
        esac
    done
    normalized="${out[*]}"
}

is_qt_header() {
    local h=$1
    [[ $h =~ ^Qt[A-Za-z0-9]*/ || $h =~ ^Qt?[A-Z][A-Za-z0-9]*$ ]] && return 0
    # The lower-case forms (qstring.h); quadmath.h is GCC's.
    [[ $h =~ ^q[a-z0-9_]+\.h$ && $h != quadmath.h ]]
}

tops=$(printf '%s\n' "${layers[@]}" | cut -d/ -f1 | sort -u | paste -sd'|')

while IFS= read -r hit; do
    file=${hit%%:*}
    rest=${hit#*:}
    line=${rest%%:*}
    text=${rest#*:}
    [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*([\<\"])([^\>\"]+)[\>\"] ]] || continue
    quote=${BASH_REMATCH[1]}
    header=${BASH_REMATCH[2]}
    dir=${file%/*}

    # Which file of the tree the include names, if any: beside the includer (quoted only),
    # else under src/ (the core's include root).
    target=""
    if [[ $quote == '"' && -f $dir/$header ]]; then
        normalize "$dir/$header"
        target=$normalized
    elif [[ -f src/$header ]] || [[ $header =~ ^($tops)/ ]]; then
        normalize "src/$header"
        target=$normalized
    fi

    if [[ -z $target ]] && is_qt_header "$header"; then
        starts_with_any "$file" "${qt_places[@]}" ||
            fail "$file" "$line" "Qt header <$header> outside src/ui/ and the tools that draw windows"
        continue
    fi
    [[ -n $target ]] || continue

    case $file in
        src/*)
            layer_of "${file#src/}"
            from_rank=$rank
            from_unit=$unit
            if ((from_rank < 0)); then
                fail "$file" "$line" "folder ${dir#src/} is not in the layer list"
                continue
            fi
            if [[ $target != src/* ]]; then
                fail "$file" "$line" "includes \"$header\", outside src/"
                continue
            fi
            layer_of "${target#src/}"
            if ((rank < 0)); then
                fail "$file" "$line" "includes \"$header\" of a folder not in the layer list"
            elif [[ $unit != "$from_unit" ]] && ((rank >= from_rank)); then
                fail "$file" "$line" "$from_unit includes \"$header\" of $unit, which is not below it"
            fi
            ;;
        tools/*)
            if [[ $target == src/ui/* ]] && ! starts_with_any "$file" "${ui_tools[@]}"; then
                fail "$file" "$line" "a tool that draws no window includes \"$header\" of src/ui"
            fi
            ;;
    esac
done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]' \
    --include='*.h' --include='*.hpp' --include='*.hh' --include='*.inl' \
    --include='*.c' --include='*.cc' --include='*.cpp' --include='*.cxx' \
    src tools tests 2>/dev/null | sort -t: -k1,1 -k2,2n)

if ((failures > 0)); then
    echo "layering: $failures include(s) break the layers (see the layer list in scripts/check-layering.sh)"
    exit 1
fi
echo "layering: every include keeps to the layers"
