#include "app/CBatchRunner.h"

#include <ostream>

bool CBatchRunner::IsBatch(const std::vector<std::string>& args) {
    for (const std::string& a : args) {
        if (a == "--batch") {
            return true;
        }
    }
    return false;
}

int CBatchRunner::Run(const std::vector<std::string>&, std::ostream&, std::ostream& err) {
    err << "batch mode is not available yet\n";
    return 2;
}
