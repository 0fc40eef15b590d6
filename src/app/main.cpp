#include "app/CBatchRunner.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (CBatchRunner::IsBatch(args)) {
        return CBatchRunner::Run(args, std::cout, std::cerr);
    }
    return 0;
}
