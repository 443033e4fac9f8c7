# TAVO_SANITIZER=address or thread instruments every target, JUCE included.
set(TAVO_SANITIZER "" CACHE STRING "Sanitizer to build with: address, thread or empty")

if(TAVO_SANITIZER STREQUAL "address")
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
elseif(TAVO_SANITIZER STREQUAL "thread")
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
elseif(NOT TAVO_SANITIZER STREQUAL "")
    message(FATAL_ERROR "Unknown TAVO_SANITIZER '${TAVO_SANITIZER}'")
endif()
