#pragma once

#include "platform/fileaccess.h"

#include <cstddef>
#include <string>

namespace quillox
{

// The converter's words for a failure of the file layer: "it is a folder",
// "it is not a regular file", "no program reads it" or the system's text.
std::string failureReason(const fileaccess::Failure& failure);

// Reads at most `limit` bytes of a FILE ("-": standard input) and one more,
// so that a larger input is seen and named; false with the reason.
bool readFile(const std::string& path, std::size_t limit, std::string& bytes, std::string& reason);

} // namespace quillox
