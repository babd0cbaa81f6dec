// Writes one entry through a node class's log: LogAsUser FIXED_PATH MESSAGE.
#include "nuke/NodeLog.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        return 2;
    }
    NodeLog(argv[1]).log(argv[2]);
    return 0;
}
