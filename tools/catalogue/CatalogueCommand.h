#pragma once

#include <iosfwd>

namespace core {
class AppSettings;
}  // namespace core

// The vornalo-catalogue command: parses the arguments, runs one catalogue request with the
// client's own classes and prints what they received. Exit status 0 when a reply arrived, 1
// when the server could not be reached, 2 for bad arguments.
int RunCatalogueCommand(int argc, char** argv, const core::AppSettings& settings, std::ostream& out,
                        std::ostream& err);
