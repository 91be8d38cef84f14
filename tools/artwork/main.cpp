// vornalo-artwork: draws the client's resource folders qvga/ and vga/.
#include "tools/artwork/ArtworkGenerator.h"
#include "tools/artwork/Fonts.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr const char* kUsage =
    "Usage: vornalo-artwork [options] OUTPUT_DIR\n"
    "\n"
    "Draws every picture of the Vornalo client at QVGA and VGA size into OUTPUT_DIR/qvga and\n"
    "OUTPUT_DIR/vga (the folders the client looks for beside its executable), and the\n"
    "desktop icon at 64, 128 and 256 pixels into OUTPUT_DIR/icons/hicolor/. The same\n"
    "generator always writes byte-identical files.\n"
    "\n"
    "Options:\n"
    "  --contact-sheets DIR  also write contact_sheet_qvga.png and contact_sheet_vga.png to DIR:\n"
    "                        every picture on a checkerboard with its name\n"
    "  --font-dir DIR        where DejaVuSans.ttf and DejaVuSans-Bold.ttf are\n"
    "                        (default /usr/share/fonts/truetype/dejavu)\n"
    "  -h, --help            show this text\n";

int UsageError(const char* message) {
  std::fprintf(stderr, "vornalo-artwork: %s\n\n%s", message, kUsage);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  artwork::GeneratorOptions options;
  options.fontDir = artwork::kDefaultFontDir;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "-h") == 0 || std::strcmp(arg, "--help") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (std::strcmp(arg, "--contact-sheets") == 0 || std::strcmp(arg, "--font-dir") == 0) {
      if (i + 1 >= argc) return UsageError("missing value after an option");
      const char* value = argv[++i];
      if (std::strcmp(arg, "--font-dir") == 0) {
        options.fontDir = value;
      } else {
        options.contactSheetDir = value;
      }
      continue;
    }
    if (arg[0] == '-') return UsageError("unknown option");
    if (!options.outputDir.empty()) return UsageError("only one output folder may be given");
    options.outputDir = arg;
  }
  if (options.outputDir.empty()) return UsageError("no output folder given");
  std::string error;
  if (!artwork::GenerateArtwork(options, error)) {
    std::fprintf(stderr, "vornalo-artwork: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
