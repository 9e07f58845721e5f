#include "ui/bridge/window_bridge.h"

namespace qf::ui {

namespace {

MessageBoxes& BoxesOrOwn(MessageBoxes* boxes, std::unique_ptr<QtMessageBoxes>& own) {
    if (boxes != nullptr) {
        return *boxes;
    }
    own = std::make_unique<QtMessageBoxes>();
    return *own;
}

}  // namespace

WindowBridge::WindowBridge(MessageBoxes* boxes)
    : link_(gui_),
      prompter_(gui_, BoxesOrOwn(boxes, ownBoxes_)),
      bankView_(gui_),
      assignmentView_(gui_),
      lightingView_(gui_),
      deviceWindowView_(gui_),
      switchHost_(gui_) {}

WindowBridge::~WindowBridge() {
    gui_.BeginClosing();
}

}  // namespace qf::ui
