#include <iostream>

#include "CliApp.h"

int main(int argc, char** argv) {
    return corvane::RunCli(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
