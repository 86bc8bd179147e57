#pragma once
// Extracting a whole archive into a folder, without ever writing outside it.

#include <string>

#include "zip/zip_reader.h"

namespace qeb::zip {

// Extracts every entry of `reader` below `folder`, which must exist. Every
// entry is checked before anything is written: its name must stay inside the
// folder (SafeRelativeSteps) and must not pass through a symbolic link already
// there, and it must be extractable. Each file is written under a temporary
// name beside its place and moved there once its size and CRC-32 are right,
// so a failure leaves no partial file; files completed before it stay.
// An existing file of the same name is replaced. Throws ZipFormatError or
// RunError.
void ExtractAll(ZipReader& reader, const std::string& folder);

}  // namespace qeb::zip
