#pragma once
// A PDF opened with Poppler's C++ binding.
#include <memory>
#include <string>

#include "platform/Documents.h"

namespace nimbo::documents {

// Null when the file is missing, damaged or locked by a password.
std::unique_ptr<platform::PdfDocument> openPdf(const std::string& path);

}  // namespace nimbo::documents
