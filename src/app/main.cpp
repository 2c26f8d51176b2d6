#include "ui/Startup.h"

int main(int argc, char** argv) {
    return orvella::runOrvella(argc, argv);
}
