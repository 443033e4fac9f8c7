# Every dependency comes from Debian; scripts/install-deps.sh installs them.
find_package(JUCE 7.0.5 CONFIG REQUIRED)
find_package(Protobuf REQUIRED)
find_package(Eigen3 3.3 REQUIRED NO_MODULE)
find_package(kissfft CONFIG REQUIRED COMPONENTS SHARED float)
find_package(Threads REQUIRED)
find_package(PkgConfig REQUIRED)

# Debian's JUCE leaves out its bundled codecs and image libraries: use the system's.
pkg_check_modules(TAVO_SYSTEM_LIBS REQUIRED IMPORTED_TARGET
    flac vorbis vorbisenc vorbisfile ogg libpng libjpeg zlib
    freetype2 alsa libcurl gl)
