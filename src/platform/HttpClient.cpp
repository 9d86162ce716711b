#include "HttpClient.h"

namespace corvane {

std::vector<std::string> SplitLines(const std::string& body) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < body.size()) {
        std::size_t end = body.find('\n', start);
        if (end == std::string::npos) end = body.size();
        std::size_t stop = end;
        if (stop > start && body[stop - 1] == '\r') --stop;
        lines.push_back(body.substr(start, stop - start));
        start = end + 1;
    }
    return lines;
}

}  // namespace corvane
