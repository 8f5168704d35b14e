// The disc image's SHA-256, computed on a second thread while the command
// reads the image for its own work.
#pragma once

#include <future>
#include <string>

#include "common/outcome.h"

// Hex digest, or a failure when the image cannot be read.
std::future<Result<std::string>> hashImageAsync(const std::string& path);
Result<std::string> hashImage(const std::string& path, uint64_t* size);

// Fails with a message that says what to do when the image at `path` is not
// the one the project was made from.
Status checkImageHash(const std::string& path, const std::string& expected,
                      const std::string& actual);
