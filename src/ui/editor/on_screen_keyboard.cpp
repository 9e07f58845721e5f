#include "ui/editor/on_screen_keyboard.h"

#include <QProcess>
#include <QStandardPaths>

namespace qf::ui {

bool SystemOnScreenKeyboard::Available() const {
    return !QStandardPaths::findExecutable(program_).isEmpty();
}

bool SystemOnScreenKeyboard::Open() {
    const QString path = QStandardPaths::findExecutable(program_);
    return !path.isEmpty() && QProcess::startDetached(path, {});
}

}  // namespace qf::ui
