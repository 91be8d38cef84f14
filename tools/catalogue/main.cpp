#include <iostream>

#include "core/AppSettings.h"
#include "platform/RegistryStore.h"
#include "tools/catalogue/CatalogueCommand.h"

int main(int argc, char** argv) {
  platform::RegistryStore store(platform::RegistryStore::DefaultDirectory());
  core::AppSettings settings(store);
  return RunCatalogueCommand(argc, argv, settings, std::cout, std::cerr);
}
