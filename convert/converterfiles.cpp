#include "convert/converterfiles.h"

namespace quillox
{

// The converter's words for a failure of the file layer.
std::string failureReason(const fileaccess::Failure& failure)
{
    switch (failure.problem) {
    case fileaccess::Problem::Folder:
        return "it is a folder";
    case fileaccess::Problem::NotRegular:
        return "it is not a regular file";
    case fileaccess::Problem::NoReader:
        return "no program reads it";
    case fileaccess::Problem::System:
        break;
    }
    return failure.reason.empty() ? "error " + std::to_string(failure.systemError) : failure.reason;
}

// One byte past the bound shows a larger input.
bool readFile(const std::string& path, std::size_t limit, std::string& bytes, std::string& reason)
{
    fileaccess::Failure failure;
    if (!(path == "-" ? fileaccess::readStandardInput(limit + 1, bytes, failure)
                      : fileaccess::readRegularFile(path, limit + 1, bytes, failure))) {
        reason = failureReason(failure);
        return false;
    }
    if (bytes.size() <= limit)
        return true;
    reason = "it is larger than 16 MiB";
    return false;
}

} // namespace quillox
