# Every library the project uses, found once and named by one imported target.
find_package(Threads REQUIRED)
find_package(PkgConfig REQUIRED)

# FFmpeg's libraries: the server decodes the formats it serves as MP3.
pkg_check_modules(AVCODEC REQUIRED IMPORTED_TARGET GLOBAL libavcodec)
pkg_check_modules(AVFORMAT REQUIRED IMPORTED_TARGET GLOBAL libavformat)
pkg_check_modules(AVUTIL REQUIRED IMPORTED_TARGET GLOBAL libavutil)
pkg_check_modules(SWRESAMPLE REQUIRED IMPORTED_TARGET GLOBAL libswresample)
pkg_check_modules(CAIRO REQUIRED IMPORTED_TARGET GLOBAL cairo cairo-ft)
pkg_check_modules(EXPAT REQUIRED IMPORTED_TARGET GLOBAL expat)
pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET GLOBAL freetype2)
pkg_check_modules(LAME REQUIRED IMPORTED_TARGET GLOBAL lame)
pkg_check_modules(LIBPNG REQUIRED IMPORTED_TARGET GLOBAL libpng)
pkg_check_modules(MAD REQUIRED IMPORTED_TARGET GLOBAL mad)
pkg_check_modules(MICROHTTPD REQUIRED IMPORTED_TARGET GLOBAL libmicrohttpd)
pkg_check_modules(OPENSSL_CRYPTO REQUIRED IMPORTED_TARGET GLOBAL libcrypto)
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET GLOBAL sdl2)
pkg_check_modules(SDL2_TTF REQUIRED IMPORTED_TARGET GLOBAL SDL2_ttf)
pkg_check_modules(SQLITE3 REQUIRED IMPORTED_TARGET GLOBAL sqlite3)
pkg_check_modules(TAGLIB REQUIRED IMPORTED_TARGET GLOBAL taglib)
pkg_check_modules(ZLIB REQUIRED IMPORTED_TARGET GLOBAL zlib)
# sdbus-c++ through its CMake package: Debian's pkg-config file for it asks for libsystemd's,
# which the library does not need to be built against.
find_package(sdbus-c++ 1.2 REQUIRED)
