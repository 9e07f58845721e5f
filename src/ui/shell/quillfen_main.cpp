#include "ui/shell/program.h"

int main(int argc, char** argv) {
    return qf::ui::RunProgram(argc, argv);
}
