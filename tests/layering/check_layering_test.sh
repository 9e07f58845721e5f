#!/usr/bin/env bash
# The layering check on small trees: a tree that keeps to the layers passes, and each wrong
# include, added alone to it, fails with the file and line that holds it.
#   check_layering_test.sh path/to/check-layering.sh
set -euo pipefail
check=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

put() {  # file, lines...
    local file=$1
    shift
    mkdir -p "$(dirname "$file")"
    printf '%s\n' "$@" >"$file"
}

good=$work/good
(
    cd "$work" && mkdir good && cd good
    put src/common/bytes.h '#pragma once' '#include <cstdint>'
    put src/text/ini.h '#pragma once' '#include "common/bytes.h"'
    put src/text/ini.cpp '#include "text/ini.h"' '#include "ini.h"' '#include <string>'
    put src/device/link.h '#pragma once' '#include "text/ini.h"'
    put src/device/services/hidraw/hid.cpp '#include "device/link.h"' '#include <hidapi/hidapi.h>'
    put src/device/services/virtual/vk.h '#pragma once' '#include "device/link.h"'
    put src/device/services/virtual/vk.cpp '#include "device/services/virtual/vk.h"' \
        '#include "text/ini.h"'
    put src/lighting/model.h '#pragma once' '#include "device/link.h"'
    put src/monitor/mon.cpp '#include "lighting/model.h"' '  #  include "device/link.h"'
    put src/session/session.h '#pragma once' '#include "monitor/mon.h"'
    put src/presenters/main.h '#pragma once' '#include "session/session.h"'
    put src/ui/skin/dialog.h '#pragma once' '#include <QWidget>' '#include "presenters/main.h"'
    put src/ui/shell/main.cpp '#include <QtWidgets/QApplication>' '#include "ui/skin/dialog.h"'
    put tools/quillfenctl/main.cpp '#include "session/session.h"' '#include "device/link.h"'
    put tools/bench/startup.cpp '#include <QApplication>' '#include "ui/skin/dialog.h"'
    put tools/skingen/gen.cpp '#include <qimage.h>'
    put tools/fuzz/fuzz_check.h '#pragma once'
    put tools/fuzz/ini_fuzzer.cpp '#include "fuzz_check.h"' '#include "text/ini.h"'
    put tests/text/ini_test.cpp '#include "ui/skin/dialog.h"' '#include <quadmath.h>'
    put tests/ui/dialog_test.cpp '#include <QSignalSpy>'
)
out=$(bash "$check" "$good") || {
    echo "FAIL: the good tree was refused:"
    echo "$out"
    exit 1
}

failed=0
expect_refused() {  # name, file, include line, text expected in the report
    local name=$1 file=$2 include=$3 reason=$4
    local tree=$work/$name
    cp -r "$good" "$tree"
    mkdir -p "$(dirname "$tree/$file")"
    printf '%s\n' "$include" >>"$tree/$file"
    local line
    line=$(wc -l <"$tree/$file")
    local report status=0
    report=$(bash "$check" "$tree") || status=$?
    if [ "$status" -ne 1 ] || ! grep -qF "$file:$line: " <<<"$report" ||
        ! grep -qF "$reason" <<<"$report"; then
        echo "FAIL $name: exit $status, expected $file:$line with \"$reason\" in:"
        echo "$report"
        failed=1
    fi
}

expect_refused upward src/device/link.h '#include "lighting/model.h"' "not below it"
expect_refused device_uses_its_service src/device/link.h \
    '#include "device/services/virtual/vk.h"' "not below it"
expect_refused sibling_service src/device/services/virtual/vk.cpp \
    '#include "device/services/hidraw/hid.h"' "not below it"
expect_refused same_layer_up src/presenters/main.h '#include "ui/skin/dialog.h"' "not below it"
expect_refused qt_in_core src/profiles/store.cpp '#include <QString>' "Qt header"
expect_refused qt_module_in_cli tools/quillfenctl/main.cpp '#include <QtCore/qobject.h>' "Qt header"
expect_refused qt_lower_case src/text/ini.cpp '#include <qstring.h>' "Qt header"
expect_refused qt_in_core_test tests/presenters/main_test.cpp '#include <QWidget>' "Qt header"
expect_refused ui_in_cli tools/quillfenctl/main.cpp '#include "ui/skin/dialog.h"' "src/ui"
expect_refused unknown_folder src/widgets/list.cpp '#include "common/bytes.h"' \
    "not in the layer list"
expect_refused outside_src src/text/ini.cpp '#include "../../tools/fuzz/fuzz_check.h"' \
    "outside src/"

if [ "$failed" -ne 0 ]; then
    exit 1
fi
echo "layering check: good tree passes, 11 wrong includes refused"
