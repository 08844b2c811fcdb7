// TideLog, the diary.
#include "app/AppMain.h"

int main(int argc, char** argv) {
    return RunTideLog(argc, argv);
}
