#include "app/ProgramMain.h"

int main(int argc, char** argv) {
    return nimbar::runProgram(nimbar::BuildKind::Client, argc, argv);
}
