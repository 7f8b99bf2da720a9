#include "servicemode.h"

#include <cstring>

bool isServiceSwitch(const char *argument)
{
    if (!argument || (argument[0] != '-' && argument[0] != '/'))
        return false;
    return std::strcmp(argument + 1, "service") == 0;
}

bool isServiceMode(int argc, const char *const *argv)
{
    return argc >= 2 && argv && isServiceSwitch(argv[1]);
}
