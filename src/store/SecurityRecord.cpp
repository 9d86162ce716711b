#include "SecurityRecord.h"

#include "DirectoryFiles.h"

namespace corvane {

std::string SecurityRecord::PriceFileName() const {
    return corvane::PriceFileName(fileNumber, extended);
}

}  // namespace corvane
